#pragma once
// What `corvex run` and `corvex gcode` share: the host a session runs on, the running of its
// calls, and the writing of its outputs.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cadhost/occt/model/embedded_host.hpp"
#include "session_reader.hpp"
#include "still_running_notice.hpp"

namespace corvex::runner {

// The one message box corvex shows (StartAcad finding no host) has no one to click it here.
class MessagesOnStandardError : public cadhost::UserInterface {
public:
    void messageBox(const std::string& text) override;
};

// The host a session runs on: the drawing open in an application that is registered as
// running, so that StartAcad attaches to it rather than launching one of its own.
struct SessionHost {
    SessionHost(std::shared_ptr<cadhost::occt::Drawing> drawing, std::shared_ptr<cadhost::Journal> journal);
    cadhost::occt::Drawing& drawing() const { return *application->activeDrawing(); }
    std::shared_ptr<cadhost::Entity> entity(int id) const;

    std::shared_ptr<cadhost::occt::EmbeddedApplication> application;
    cadhost::occt::EmbeddedConnector connector;
    MessagesOnStandardError messages;
};

// The journal of a session's host operations, printed on standard error with `trace`.
std::shared_ptr<cadhost::Journal> sessionJournal(bool trace);

// Runs the calls in order, each result a JSON line on standard output and each failure a line
// on standard error that starts "`lineWord` N: member"; false when any failed. The cuts still
// queued are made at the end, so that one that cannot be made is reported too.
// `beforeCall`, when given, is asked before each call runs (by its index) for a warning to print
// on standard error (none when empty). `notice` watches each call.
using CallWarning = std::function<std::string(std::size_t)>;
bool runCalls(const std::vector<SessionCall>& calls, SessionHost& host, StillRunningNotice& notice, bool keepGoing,
              bool progressWanted, const std::string& lineWord = "line", const CallWarning& beforeCall = {});

// The solids of the group `name`; an automation error when it has none.
std::vector<std::shared_ptr<cadhost::Entity>> solidsOfGroup(const cadhost::occt::Drawing& drawing,
                                                            const std::string& name);

// Writes one output unless `path` is empty, watched by `notice`; false (with a message) when it
// cannot be written.
bool writeOutput(const std::string& path, StillRunningNotice& notice, const std::function<void()>& write);

}  // namespace corvex::runner
