#include "session_runner.hpp"

#include <iostream>

#include "automation/error.hpp"
#include "json_variant.hpp"
#include "progress_bar.hpp"
#include "server/corvex4.hpp"
#include "cadhost/occt/model/host_calls.hpp"
#include "server/dispatch.hpp"

namespace corvex::runner {

namespace occt = cadhost::occt;
using automation::Variant;

void MessagesOnStandardError::messageBox(const std::string& text) { std::cerr << "corvex4 says: " << text << '\n'; }

SessionHost::SessionHost(std::shared_ptr<occt::Drawing> drawing, std::shared_ptr<cadhost::Journal> journal)
    : application(occt::EmbeddedApplication::create(journal)), connector(journal) {
    application->open(std::move(drawing));
    connector.registerRunning(application);
}

std::shared_ptr<cadhost::Entity> SessionHost::entity(int id) const {
    for (const auto& entity : drawing().entities())
        if (occt::entityId(*entity) == id) return entity;
    return nullptr;
}

std::shared_ptr<cadhost::Journal> sessionJournal(bool trace) {
    auto journal = std::make_shared<cadhost::Journal>();
    if (trace) {
        journal->setEnabled(true);
        journal->setSink([](const std::string& line) { std::cerr << line << '\n'; });
    }
    return journal;
}

namespace {

void reportFailure(const SessionCall& call, const automation::Error& error, const std::string& lineWord) {
    std::cerr << lineWord << " " << call.line << ": " << call.member << ": " << error.description() << " ("
              << automation::formatHResult(error.hr()) << ")" << std::endl;
}

}  // namespace

bool runCalls(const std::vector<SessionCall>& calls, SessionHost& host, StillRunningNotice& notice, bool keepGoing,
              bool progressWanted, const std::string& lineWord, const CallWarning& beforeCall) {
    corvex4 server(host.connector, host.messages);
    const EntityLookup lookup = [&](int id) { return host.entity(id); };
    ProgressBar progress(progressWanted, calls.size());
    bool allWorked = true;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const SessionCall& call = calls[i];
        progress.show(i, call.member);
        // A queued cut that fails later is reported under the call that made it.
        const std::string callName = lineWord + " " + std::to_string(call.line) + ": " + call.member;
        host.drawing().setCurrentCall(callName);
        if (const std::string warning = beforeCall ? beforeCall(i) : std::string(); !warning.empty()) {
            progress.clear();
            std::cerr << warning << std::endl;
        }
        try {
            std::vector<Variant> arguments;
            for (const auto& argument : call.arguments) arguments.push_back(toVariant(argument, lookup));
            const Variant result = [&] {
                const auto watch = notice.watch(callName);
                if (!cadhost::occt::isHostCallName(call.member)) return invoke(server, call.member, std::move(arguments));
                cadhost::occt::invokeHostCall(host.drawing(), call.member, arguments);
                return Variant();
            }();
            if (result.isEmpty()) continue;
            progress.clear();
            const nlohmann::ordered_json line{
                {"line", call.line}, {"member", call.member}, {"result", toJson(result)}};
            std::cout << line.dump() << std::endl;
        } catch (const automation::Error& error) {
            progress.clear();
            reportFailure(call, error, lineWord);
            allWorked = false;
        } catch (const std::exception& other) {
            progress.clear();
            reportFailure(call, automation::failure(other.what()), lineWord);
            allWorked = false;
        }
        if (!allWorked && !keepGoing) break;
    }
    // The cuts still queued are made now, so that one that cannot be made is reported here.
    try {
        const auto watch = notice.watch("making the cuts still queued");
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

bool writeOutput(const std::string& path, StillRunningNotice& notice, const std::function<void()>& write) {
    if (path.empty()) return true;
    try {
        const auto watch = notice.watch("writing " + path);
        write();
        return true;
    } catch (const automation::Error& error) {
        std::cerr << "corvex: " << error.description() << std::endl;
        return false;
    }
}

}  // namespace corvex::runner
