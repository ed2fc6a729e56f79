#include "run_command.hpp"

#include <iostream>
#include <vector>

#include "automation/error.hpp"
#include "cadhost/occt/files/drawing_file.hpp"
#include "command_line.hpp"
#include "json_variant.hpp"
#include "progress_bar.hpp"
#include "server/corvex4.hpp"
#include "server/dispatch.hpp"
#include "session_reader.hpp"
#include "session_runner.hpp"

namespace corvex::runner {
namespace {
namespace occt = cadhost::occt;
}  // namespace

void RunCommand::addTo(CLI::App& app) {
    command_ = app.add_subcommand("run", "Run a session of corvex4 calls on a drawing");
    command_->add_option("session", session_, "The session: one JSON call per line (- for standard input)")
        ->required();
    command_->add_option("-d,--drawing", input_, "The drawing to start from (STEP, or corvex's own .cvx); a new one if not given");
    command_->add_option("-o,--output", output_,
                         "Where to write the drawing afterwards (STEP; a name ending in .cvx: corvex's own file, fast "
                         "for large parts)");
    command_->add_option("--stl", stl_, "Where to write the solids of the group PART (binary STL)");
    command_->add_flag("--trace", trace_, "Print every host operation on standard error");
    command_->add_flag("--keep-going", keepGoing_, "Go on with the next call after a failing one");
    command_->add_flag("--progress", progress_, "Show a progress bar (on a terminal only)");
    addStillRunningOption(*command_, stillRunning_);
    pictures_.addTo(*command_);
    command_->add_flag("--eager", eager_,
                       "Carry out every subtraction at its call (slower; a failing cut fails its own call)");
}

int RunCommand::run() const {
    // Everything the session needs is checked before the first call runs.
    const auto calls = readSessionFile(session_);
    if (!output_.empty()) checkWritableFile("-o", output_);
    if (!stl_.empty()) checkWritableFile("--stl", stl_);
    pictures_.prepare();
    const auto journal = sessionJournal(trace_);
    SessionHost host(openDrawing(input_, journal), journal);
    host.drawing().setEagerSubtraction(eager_);

    pictures_.watch(host.drawing());
    StillRunningNotice notice(stillRunning_);
    bool allWorked = runCalls(calls, host, notice, keepGoing_, progress_);
    const occt::Drawing& drawing = host.drawing();
    allWorked &= writeOutput(output_, notice, [&] { occt::writeDrawing(drawing, output_); });
    allWorked &= writeOutput(stl_, notice, [&] { occt::writeStl(solidsOfGroup(drawing, "PART"), stl_); });
    allWorked &= pictures_.write(drawing);
    return allWorked ? 0 : kExitFailed;
}

}  // namespace corvex::runner
