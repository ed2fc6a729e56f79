#pragma once
// Finding a desktop CAD application: its running object by programmatic identifier
// (GetActiveObject), or a new one (CoCreateInstance). Everything the adapter then makes of
// it goes through one session, whose journal records every call in the embedded host's
// line format.
#include <memory>
#include <string>

#include "cadhost/com/com_session.hpp"
#include "cadhost/connector.hpp"
#include "cadhost/journal.hpp"

namespace corvex::cadhost::com {

class ComConnector : public Connector {
public:
    explicit ComConnector(std::shared_ptr<Journal> journal = nullptr);

    std::shared_ptr<Application> attach(const std::string& progId) override;
    std::shared_ptr<Application> launch(const std::string& progId) override;

    // The session that wraps what the application hands out; also for objects a client
    // passes in (a tool solid handed to `subtract`).
    const std::shared_ptr<ComSession>& session() const { return session_; }
    Journal& journal() { return *journal_; }

private:
    std::shared_ptr<Journal> journal_;
    std::shared_ptr<ComSession> session_;
};

// The one message box: a real, modal MessageBoxW with an OK button and the system's caption.
class MessageBoxUserInterface : public UserInterface {
public:
    void messageBox(const std::string& text) override;
};

}  // namespace corvex::cadhost::com
