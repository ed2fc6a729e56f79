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

namespace corvex::runner {
namespace {

namespace occt = cadhost::occt;
using automation::Variant;

// The one message box corvex shows (StartAcad finding no host) has no one to click it here.
class MessagesOnStandardError : public cadhost::UserInterface {
public:
    void messageBox(const std::string& text) override { std::cerr << "corvex4 says: " << text << '\n'; }
};

// The host a session runs on: the drawing open in an application that is registered as
// running, so that StartAcad attaches to it rather than launching one of its own.
struct SessionHost {
    explicit SessionHost(std::shared_ptr<occt::Drawing> drawing, std::shared_ptr<cadhost::Journal> journal)
        : application(occt::EmbeddedApplication::create(journal)), connector(journal) {
        application->open(std::move(drawing));
        connector.registerRunning(application);
    }

    occt::Drawing& drawing() const { return *application->activeDrawing(); }

    std::shared_ptr<cadhost::Entity> entity(int id) const {
        for (const auto& entity : drawing().entities())
            if (occt::entityId(*entity) == id) return entity;
        return nullptr;
    }

    std::shared_ptr<occt::EmbeddedApplication> application;
    occt::EmbeddedConnector connector;
    MessagesOnStandardError messages;
};

void reportFailure(const SessionCall& call, const automation::Error& error) {
    std::cerr << "line " << call.line << ": " << call.member << ": " << error.description() << " ("
              << automation::formatHResult(error.hr()) << ")" << std::endl;
}

// Runs the calls in order; false when any failed.
bool runCalls(const std::vector<SessionCall>& calls, SessionHost& host, bool keepGoing,
              bool progressWanted) {
    corvex4 server(host.connector, host.messages);
    const EntityLookup lookup = [&](int id) { return host.entity(id); };
    ProgressBar progress(progressWanted, calls.size());
    bool allWorked = true;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const SessionCall& call = calls[i];
        progress.show(i, call.member);
        // A queued cut that fails later is reported under the call that made it.
        host.drawing().setCurrentCall("line " + std::to_string(call.line) + ": " + call.member);
        try {
            std::vector<Variant> arguments;
            for (const auto& argument : call.arguments) arguments.push_back(toVariant(argument, lookup));
            const Variant result = invoke(server, call.member, std::move(arguments));
            if (result.isEmpty()) continue;
            progress.clear();
            const nlohmann::ordered_json line{
                {"line", call.line}, {"member", call.member}, {"result", toJson(result)}};
            std::cout << line.dump() << std::endl;
        } catch (const automation::Error& error) {
            progress.clear();
            reportFailure(call, error);
            allWorked = false;
        } catch (const std::exception& other) {
            progress.clear();
            reportFailure(call, automation::failure(other.what()));
            allWorked = false;
        }
        if (!allWorked && !keepGoing) break;
    }
    // The cuts still queued are made now, so that one that cannot be made is reported here.
    try {
        host.drawing().settle();
    } catch (const automation::Error& error) {
        progress.clear();
        std::cerr << "corvex: " << error.description() << std::endl;
        allWorked = false;
    }
    return allWorked;
}

std::vector<std::shared_ptr<cadhost::Entity>> solidsOfGroup(const occt::Drawing& drawing,
                                                            const std::string& name) {
    std::vector<std::shared_ptr<cadhost::Entity>> solids;
    for (const auto& member : drawing.groupMembers(name))
        if (member->kind() == "Solid3D") solids.push_back(member);
    if (solids.empty())
        throw automation::failure("the drawing has no solid in the group \"" + name + "\" to mesh");
    return solids;
}

// Writes one output; false (with a message) when it cannot be written.
template <typename Write>
bool writeOutput(const std::string& path, Write&& write) {
    if (path.empty()) return true;
    try {
        write();
        return true;
    } catch (const automation::Error& error) {
        std::cerr << "corvex: " << error.description() << std::endl;
        return false;
    }
}

}  // namespace

void RunCommand::addTo(CLI::App& app) {
    command_ = app.add_subcommand("run", "Run a session of corvex4 calls on a drawing");
    command_->add_option("session", session_, "The session: one JSON call per line (- for standard input)")
        ->required();
    command_->add_option("-d,--drawing", input_, "The drawing to start from (STEP); a new one if not given");
    command_->add_option("-o,--output", output_, "Where to write the drawing afterwards (STEP)");
    command_->add_option("--stl", stl_, "Where to write the solids of the group PART (binary STL)");
    command_->add_flag("--trace", trace_, "Print every host operation on standard error");
    command_->add_flag("--keep-going", keepGoing_, "Go on with the next call after a failing one");
    command_->add_flag("--progress", progress_, "Show a progress bar (on a terminal only)");
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
    auto journal = std::make_shared<cadhost::Journal>();
    if (trace_) {
        journal->setEnabled(true);
        journal->setSink([](const std::string& line) { std::cerr << line << '\n'; });
    }
    SessionHost host(openDrawing(input_, journal), journal);
    host.drawing().setEagerSubtraction(eager_);

    pictures_.watch(host.drawing());
    bool allWorked = runCalls(calls, host, keepGoing_, progress_);
    const occt::Drawing& drawing = host.drawing();
    allWorked &= writeOutput(output_, [&] { occt::writeDrawing(drawing, output_); });
    allWorked &= writeOutput(stl_, [&] { occt::writeStl(solidsOfGroup(drawing, "PART"), stl_); });
    allWorked &= pictures_.write(drawing);
    return allWorked ? 0 : kExitFailed;
}

}  // namespace corvex::runner
