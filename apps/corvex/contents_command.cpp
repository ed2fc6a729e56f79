#include "contents_command.hpp"

#include <algorithm>
#include <iostream>

#include "automation/error.hpp"

#include "command_line.hpp"

namespace corvex::runner {
namespace {

using Json = nlohmann::ordered_json;
namespace occt = cadhost::occt;

Json boxJson(const occt::BoundingBox& box) {
    return Json::array({box.min[0], box.min[1], box.min[2], box.max[0], box.max[1], box.max[2]});
}

void addMeasures(Json& json, const cadhost::Entity& entity);

Json entityJson(const occt::Drawing& drawing, const std::shared_ptr<cadhost::Entity>& entity) {
    Json groups = Json::array();
    for (const auto& name : drawing.groupNames()) {
        const auto members = drawing.groupMembers(name);
        if (std::find(members.begin(), members.end(), entity) != members.end()) groups.push_back(name);
    }
    Json json{{"id", occt::entityId(*entity)},
              {"kind", entity->kind()},
              {"groups", groups},
              {"visible", occt::entityVisible(*entity)},
              {"colour", occt::entityColour(*entity)}};
    try {
        addMeasures(json, *entity);
    } catch (const automation::Error& error) {
        json["error"] = error.description();  // one bad entity does not hide the others
    }
    return json;
}

void addMeasures(Json& json, const cadhost::Entity& entity) {
    if (entity.kind() == "Solid3D") {
        const auto measure = occt::measureSolid(entity);
        json["volume"] = measure.volume;
        json["centroid"] = Json::array({measure.centroid[0], measure.centroid[1], measure.centroid[2]});
        json["bbox"] = boxJson(measure.box);
        json["lumps"] = measure.solids;
        json["valid"] = measure.valid;
    } else if (entity.kind() == "Region") {
        const auto measure = occt::measureRegion(entity);
        json["area"] = measure.area;
        json["bbox"] = boxJson(measure.box);
    } else {
        json["bbox"] = boxJson(occt::boundingBox(entity));
    }
}

}  // namespace

nlohmann::ordered_json describeDrawing(const occt::Drawing& drawing) {
    Json entities = Json::array();
    for (const auto& entity : drawing.entities()) entities.push_back(entityJson(drawing, entity));
    Json groups = Json::object();
    for (const auto& name : drawing.groupNames()) {
        Json ids = Json::array();
        for (const auto& member : drawing.groupMembers(name)) ids.push_back(occt::entityId(*member));
        groups[name] = ids;
    }
    return Json{{"entities", entities}, {"groups", groups}};
}

void InspectCommand::addTo(CLI::App& app) {
    command_ = app.add_subcommand("inspect", "Print what a drawing holds as JSON");
    command_->add_option("drawing", input_, "The drawing (STEP, or corvex's own .cvx)")->required();
}

int InspectCommand::run() const {
    const auto drawing = openDrawing(input_);
    std::cout << describeDrawing(*drawing).dump() << std::endl;
    return 0;
}

}  // namespace corvex::runner
