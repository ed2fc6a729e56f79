#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/occt/model/drawing_state.hpp"
#include "cadhost/occt/model/embedded_host.hpp"
#include "cadhost/occt/model/guard.hpp"

namespace corvex::cadhost::occt {

EmbeddedApplication::EmbeddedApplication(std::shared_ptr<Journal> journal)
    : journal_(journal ? std::move(journal) : std::make_shared<Journal>()) {}

std::shared_ptr<EmbeddedApplication> EmbeddedApplication::create(std::shared_ptr<Journal> journal) {
    return std::shared_ptr<EmbeddedApplication>(new EmbeddedApplication(std::move(journal)));
}

void EmbeddedApplication::putVisible(const Variant& visible) {
    hostCall(journal_.get(), describe(), "Visible", {visible},
             [&](JournalEntry&) { visible_ = automation::toBoolean(visible); });
}

std::shared_ptr<Document> EmbeddedApplication::ActiveDocument() {
    return hostCall(journal_.get(), describe(), "ActiveDocument", {}, [&](JournalEntry& entry) {
        if (!active_) throw automation::failure("the application has no drawing open");
        entry.result(Variant::object(active_));
        return std::shared_ptr<Document>(active_);
    });
}

std::shared_ptr<Drawing> EmbeddedApplication::open(std::shared_ptr<Drawing> drawing) {
    // One journal for the application and its drawing, so one record shows a member's calls.
    active_ = drawing ? std::move(drawing) : Drawing::create(journal_);
    active_->state().journal = journal_;
    active_->attachTo(shared_from_this());
    return active_;
}

void EmbeddedApplication::closeActive() { active_.reset(); }

EmbeddedConnector::EmbeddedConnector(std::shared_ptr<Journal> journal)
    : journal_(journal ? std::move(journal) : std::make_shared<Journal>()) {}

std::shared_ptr<Application> EmbeddedConnector::attach(const std::string& progId) {
    if (progId != kProgId || !running_)
        throw automation::Error(0x800401E3, {}, "Operation unavailable: no running \"" + progId + "\"");
    return running_;
}

std::shared_ptr<Application> EmbeddedConnector::launch(const std::string& progId) {
    if (progId != kProgId || !installed_)
        throw automation::Error(0x800401F3, {}, "Invalid class string: \"" + progId + "\" is not installed");
    auto application = EmbeddedApplication::create(journal_);
    application->open();
    if (!running_) running_ = application;
    return application;
}

void EmbeddedConnector::registerRunning(std::shared_ptr<EmbeddedApplication> application) {
    running_ = std::move(application);
}

void EmbeddedConnector::revokeRunning() { running_.reset(); }

}  // namespace corvex::cadhost::occt
