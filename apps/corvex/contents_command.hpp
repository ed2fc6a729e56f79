#pragma once
// corvex inspect: prints what a drawing holds as one JSON object, for scripts and tests:
//   {"entities": [{"id": 1, "kind": "Solid3D", "groups": ["PART"], "visible": true,
//                  "colour": "BYLAYER", "volume": ..., "centroid": [x, y, z],
//                  "bbox": [xmin, ymin, zmin, xmax, ymax, zmax]}, ...],
//    "groups": {"PART": [1, ...], ...}}
// Entities come in drawing order and groups in the order they were made. Solids carry their
// volume and centroid, regions their area; every entity its bounding box.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <string>

#include "cadhost/occt/model/embedded_host.hpp"

namespace corvex::runner {

nlohmann::ordered_json describeDrawing(const cadhost::occt::Drawing& drawing);

class InspectCommand {
public:
    void addTo(CLI::App& app);
    bool chosen() const { return command_ && command_->parsed(); }
    int run() const;

private:
    CLI::App* command_ = nullptr;
    std::string input_;
};

}  // namespace corvex::runner
