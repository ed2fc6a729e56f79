#pragma once
// corvex gcode: machines an NC program. The program is read and turned into the corvex4 calls a
// client would make for it (see src/gcode/call_mapping.hpp), which run on the embedded host as
// `corvex run` runs a session: the same errors, exit codes and outputs. A program that cannot
// be run as written is bad input (exit 2) naming its line, before any cut.
#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "cadhost/occt/model/embedded_host.hpp"
#include "gcode/call_mapping.hpp"
#include "picture_outputs.hpp"
#include "still_running_notice.hpp"

namespace corvex::runner {

class GcodeCommand {
public:
    void addTo(CLI::App& app);
    bool chosen() const { return command_ && command_->parsed(); }
    int run() const;

private:
    // The stock --box, --cylinder or --stock auto asks for, in the group PART of `drawing`.
    void addStock(cadhost::occt::Drawing& drawing, const gcode::CallPlan& plan) const;

    CLI::App* command_ = nullptr;
    std::string program_, input_, output_, stl_, tools_, tool_, session_;
    std::vector<double> box_, cylinder_;
    std::string axis_, stockAuto_;
    double tolerance_ = 0.01;
    mutable PictureOutputs pictures_;
    bool trace_ = false, progress_ = false, eager_ = false, lathe_ = false, check_ = false;
    double stillRunning_ = kStillRunningSeconds;
};

}  // namespace corvex::runner
