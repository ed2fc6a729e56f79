#pragma once
// Shared set-up for the tests of corvex4: an embedded host whose application and drawing
// share one journal, a recording user interface, and a corvex4 handed the host's connector.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "automation/error.hpp"
#include "automation/variant.hpp"
#include "cadhost/connector.hpp"
#include "cadhost/journal.hpp"
#include "cadhost/occt/model/embedded_host.hpp"
#include "error_of.hpp"
#include "server/corvex4.hpp"

namespace corvex::testing {

using automation::Variant;

// Remembers every message box instead of showing it.
class RecordingUserInterface : public cadhost::UserInterface {
public:
    void messageBox(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// The points of a slot cut by a cutter of `width` moving along X from `x0` to `x1` at `y`,
// in the form ToolExtrudeLine takes: counter-clockwise, the fifth point repeating the first.
std::array<Variant, 5> slotAlongX(double x0, double x1, double y, double width);

// The lines of `journal` from `first` on.
std::vector<std::string> linesFrom(const cadhost::Journal& journal, std::size_t first);

// A host and a corvex4 on it: an application whose drawing shares one journal (switched
// on), a connector that can find it, and a recording user interface.
class HostSession {
public:
    HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // An application registered as running, with an empty drawing open.
    void runHost();
    // runHost, then StartAcad (which must succeed), then a clean journal.
    void startServer();
    // A box between two corners, added to the drawing and to the group "PART".
    std::shared_ptr<cadhost::Solid3D> addPartBox(const std::array<double, 3>& corner0,
                                                 const std::array<double, 3>& corner1);
    // Where the journal stands now, for journalSince.
    std::size_t journalMark() const { return journal->lines().size(); }
    std::vector<std::string> journalSince(std::size_t mark) const { return linesFrom(*journal, mark); }
    std::size_t entityCount() const { return drawing ? drawing->entities().size() : 0; }
    // "<Kind#id>" as the journal writes a reference to `entity`.
    static std::string ref(const cadhost::Entity& entity);

    std::shared_ptr<cadhost::Journal> journal;
    cadhost::occt::EmbeddedConnector connector;
    RecordingUserInterface userInterface;
    std::shared_ptr<cadhost::occt::EmbeddedApplication> application;
    std::shared_ptr<cadhost::occt::Drawing> drawing;
    corvex4 server;
};

class ServerTest : public ::testing::Test, public HostSession {};

#define EXPECT_REL(actual, expected, rel) \
    EXPECT_NEAR((actual), (expected), std::fabs(expected) * (rel) + 1e-12)

}  // namespace corvex::testing
