// Start-up: attaching to or launching the host, the default tool and the slot outline, and
// what StartAcad leaves when parts of it fail.
#include <numbers>

#include "server_helpers.hpp"

namespace corvex::testing {
namespace {

using cadhost::occt::boundingBox;
using cadhost::occt::entityDeleted;
using cadhost::occt::measureSolid;

// What a successful StartAcad asks of the host, given the ids of the tool and the outline.
std::vector<std::string> startJournal(int toolId, int outlineId) {
    return {
        "Application.Visible(True)",
        "Application.ActiveDocument() -> <Document>",
        "Document.ModelSpace() -> <ModelSpace>",
        "ModelSpace.AddCylinder([-100, -100, 0], 1%, 2) -> <Solid3D#" + std::to_string(toolId) + ">",
        "Document.Application() -> <Application>",
        "Application.ActiveDocument() -> <Document>",
        "Document.ModelSpace() -> <ModelSpace>",
        "ModelSpace.AddPolyline([-100, 0, 0, -100, 1, 0, -101, 1, 0, -101, 0, 0, -100, 0, 0]) -> "
        "<Polyline#" + std::to_string(outlineId) + ">",
    };
}

void expectUnitSquareOutline(const cadhost::Entity& outline) {
    const auto box = boundingBox(outline);
    EXPECT_NEAR(box.min[0], -101, 1e-9);
    EXPECT_NEAR(box.max[0], -100, 1e-9);
    EXPECT_NEAR(box.min[1], 0, 1e-9);
    EXPECT_NEAR(box.max[1], 1, 1e-9);
    EXPECT_NEAR(box.min[2], 0, 1e-9);
    EXPECT_NEAR(box.max[2], 0, 1e-9);
}

using StartAcadTest = ServerTest;

TEST_F(StartAcadTest, FreshInstanceHoldsZeroedFields) {
    EXPECT_EQ(server.Name, "");
    EXPECT_TRUE(server.cadApp.isEmpty());
    EXPECT_TRUE(server.cadDoc.isEmpty());
    EXPECT_FALSE(server.slotOutline);
    EXPECT_FALSE(server.toolSolid);
    EXPECT_FALSE(server.cutSolid);
    for (double field : {server.toolX, server.toolY, server.toolZ, server.toolRadius,
                         server.toolCornerRadius, server.sweepHeight, server.probeRadius})
        EXPECT_EQ(field, 0.0);
    EXPECT_TRUE(journal->lines().empty());
}

TEST_F(StartAcadTest, NamePutThenGetReturnsTheSameText) {
    EXPECT_EQ(server.get_Name(), "");
    server.put_Name("slot job 7");
    EXPECT_EQ(server.get_Name(), "slot job 7");
    EXPECT_EQ(server.Name, "slot job 7");
}

TEST_F(StartAcadTest, AttachesToTheRunningHostAndLaunchesNothing) {
    runHost();
    EXPECT_EQ(server.StartAcad(), 1);

    EXPECT_EQ(server.cadApp.asObject(), application);
    EXPECT_EQ(server.cadDoc.asObject(), drawing);
    EXPECT_EQ(connector.running(), application);
    EXPECT_TRUE(application->visible());
    EXPECT_EQ(server.sweepHeight, 2.0);
    EXPECT_TRUE(userInterface.messages.empty());
    EXPECT_EQ(journal->lines(), startJournal(1, 2));

    // The default tool: radius 1, height 2, centred on (-100, -100, 0).
    ASSERT_TRUE(server.toolSolid);
    const auto tool = measureSolid(*server.toolSolid);
    EXPECT_REL(tool.volume, 2 * std::numbers::pi, 1e-9);
    EXPECT_NEAR(tool.box.min[2], -1, 1e-9);
    EXPECT_NEAR(tool.box.max[2], 1, 1e-9);
    EXPECT_NEAR(tool.centroid[0], -100, 1e-9);
    EXPECT_NEAR(tool.centroid[1], -100, 1e-9);
    ASSERT_TRUE(server.slotOutline);
    expectUnitSquareOutline(*server.slotOutline);
    EXPECT_EQ(entityCount(), 2u);
}

TEST_F(StartAcadTest, LaunchesAHostWhenNoneRuns) {
    EXPECT_EQ(server.StartAcad(), 1);

    auto launched = std::dynamic_pointer_cast<cadhost::occt::EmbeddedApplication>(server.cadApp.asObject());
    ASSERT_TRUE(launched);
    EXPECT_EQ(connector.running(), launched);
    EXPECT_TRUE(launched->visible());
    EXPECT_EQ(server.cadDoc.asObject(), launched->activeDrawing());
    EXPECT_EQ(launched->activeDrawing()->entities().size(), 2u);
    EXPECT_EQ(journal->lines(), startJournal(1, 2));
    EXPECT_TRUE(userInterface.messages.empty());
}

TEST_F(StartAcadTest, CalledTwiceMakesASecondToolAndOutlineAndKeepsTheFirst) {
    runHost();
    ASSERT_EQ(server.StartAcad(), 1);
    const auto firstTool = server.toolSolid;
    const auto firstOutline = server.slotOutline;
    ASSERT_EQ(server.StartAcad(), 1);

    auto expected = startJournal(1, 2);
    const auto second = startJournal(3, 4);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(journal->lines(), expected);

    const auto entities = drawing->entities();
    ASSERT_EQ(entities.size(), 4u);
    EXPECT_EQ(server.toolSolid, entities[2]);
    EXPECT_EQ(server.slotOutline, entities[3]);
    EXPECT_FALSE(entityDeleted(*firstTool));
    EXPECT_FALSE(entityDeleted(*firstOutline));
}

TEST_F(StartAcadTest, HostWithoutADrawingStillSucceedsButMakesNothing) {
    application = cadhost::occt::EmbeddedApplication::create(journal);  // no drawing open
    connector.registerRunning(application);

    EXPECT_EQ(server.StartAcad(), 1);

    EXPECT_EQ(server.cadApp.asObject(), application);
    EXPECT_TRUE(application->visible());
    EXPECT_TRUE(server.cadDoc.isEmpty());
    EXPECT_FALSE(server.toolSolid);
    EXPECT_FALSE(server.slotOutline);
    EXPECT_EQ(server.sweepHeight, 2.0);
    EXPECT_TRUE(userInterface.messages.empty());
    // The cylinder and the outline fail on the empty cadDoc before reaching the host.
    ASSERT_EQ(journal->lines().size(), 2u);
    EXPECT_EQ(journal->lines()[0], "Application.Visible(True)");
    EXPECT_EQ(journal->lines()[1].rfind("Application.ActiveDocument() !! ", 0), 0u);
}

TEST_F(StartAcadTest, NoHostAtAllShowsOneMessageAndChangesNoField) {
    connector.setInstalled(false);
    server.Name = "kept";
    const auto expectedMessage = errorOf([&] { connector.launch(kHostProgId); }).description();

    EXPECT_EQ(server.StartAcad(), 0);

    ASSERT_EQ(userInterface.messages.size(), 1u);
    EXPECT_EQ(userInterface.messages[0], expectedMessage);
    EXPECT_FALSE(expectedMessage.empty());
    EXPECT_EQ(server.Name, "kept");
    EXPECT_TRUE(server.cadApp.isEmpty());
    EXPECT_TRUE(server.cadDoc.isEmpty());
    EXPECT_FALSE(server.toolSolid);
    EXPECT_FALSE(server.slotOutline);
    EXPECT_EQ(server.sweepHeight, 0.0);
    EXPECT_TRUE(journal->lines().empty());
}

TEST_F(StartAcadTest, HostGoneOnASecondStartKeepsWhatTheFirstMade) {
    startServer();
    const auto tool = server.toolSolid;
    const auto outline = server.slotOutline;
    server.sweepHeight = 7;  // as MakeToolMill would leave it
    connector.revokeRunning();
    connector.setInstalled(false);

    EXPECT_EQ(server.StartAcad(), 0);

    EXPECT_EQ(userInterface.messages.size(), 1u);
    EXPECT_EQ(server.cadApp.asObject(), application);
    EXPECT_EQ(server.cadDoc.asObject(), drawing);
    EXPECT_EQ(server.toolSolid, tool);
    EXPECT_EQ(server.slotOutline, outline);
    EXPECT_EQ(server.sweepHeight, 7.0);
    EXPECT_EQ(entityCount(), 2u);
    EXPECT_TRUE(journal->lines().empty());
}

TEST_F(StartAcadTest, ReleasingTheInstanceChangesNothingInTheDrawing) {
    runHost();
    {
        corvex4 other(connector, userInterface);
        ASSERT_EQ(other.StartAcad(), 1);
    }
    const auto entities = drawing->entities();
    ASSERT_EQ(entities.size(), 2u);
    for (const auto& entity : entities) EXPECT_FALSE(entityDeleted(*entity));
    EXPECT_EQ(journal->lines(), startJournal(1, 2));
    EXPECT_EQ(connector.running(), application);
}

}  // namespace
}  // namespace corvex::testing
