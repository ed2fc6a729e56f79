#pragma once
// corvex run: runs a session of corvex4 calls on the embedded host, then writes the outputs.
// The drawing (from -d, or a new empty one) is open in an application registered as running,
// so the session's StartAcad attaches to it. Each call's result is one JSON line on standard
// output; a failing call is reported on standard error and stops the session (or not, with
// --keep-going); the outputs are written either way.
#include <CLI/CLI.hpp>

#include <string>

#include "picture_outputs.hpp"
#include "still_running_notice.hpp"

namespace corvex::runner {

class RunCommand {
public:
    void addTo(CLI::App& app);
    bool chosen() const { return command_ && command_->parsed(); }
    int run() const;

private:
    CLI::App* command_ = nullptr;
    std::string session_, input_, output_, stl_;
    // Mutable: the pictures keep their view and their frame recorder while the session runs.
    mutable PictureOutputs pictures_;
    bool trace_ = false, keepGoing_ = false, progress_ = false, eager_ = false;
    double stillRunning_ = kStillRunningSeconds;
};

}  // namespace corvex::runner
