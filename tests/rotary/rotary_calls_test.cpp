// What RotateAxis asks of the host, from the journal: the calls in order, the angle it
// turns by, and where a bad drawing or a bad axis ends the call.
#include "rotary/rotary_helpers.hpp"

namespace corvex::testing {
namespace {

using automation::hresult::kObjectRequired;
using automation::hresult::kOverflow;
using automation::hresult::kTypeMismatch;

bool anyLineHas(const std::vector<std::string>& lines, const std::string& text) {
    for (const auto& line : lines)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

// The angle of the one Rotate3D that RotateAxis(1, angle) makes on a single member.
class RotaryAngleTest : public RotaryTest {
protected:
    double turnOf(double angle) {
        const auto mark = journalMark();
        server.RotateAxis(1, angle);
        const auto lines = journalSince(mark);
        EXPECT_EQ(lines.back(), member->describe() + ".Update()");
        for (const auto& line : lines)
            if (line.find(".Rotate3D(") != std::string::npos) return rotationAngleOf(line);
        ADD_FAILURE() << "no Rotate3D for angle " << angle;
        return 0;
    }
    void SetUp() override {
        startServer();
        member = addCube({"ROTARYA"}, {0, 10, 0});
    }
    std::shared_ptr<cadhost::Solid3D> member;
};

TEST_F(RotaryAngleTest, DegreesBecomeRadiansTurnedAgainstTheSign) {
    // 0.017453293 per degree, not pi/180: -1.5707963267948966 would be the exact quarter.
    EXPECT_NEAR(turnOf(90), -1.57079637, 1e-12);
    EXPECT_NEAR(turnOf(-90), -4.71238911, 1e-12);
    EXPECT_NEAR(turnOf(720), -12.56637096, 1e-12);  // 720 is not a no-op like 360
    EXPECT_NEAR(turnOf(1), -0.017453293, 1e-15);
    EXPECT_EQ(turnOf(-360), 0);  // becomes 0 after the adjustment, and is still turned
}

TEST_F(RotaryTest, AxisAJournal) {
    startServer();
    addCube({"ROTARYA"}, {0, 10, 0});        // Solid3D#3
    addLine({"ROTARYA"}, {0, 0, 0}, {1, 0, 0});  // Line#4
    const auto mark = journalMark();

    server.RotateAxis(1, 90);

    const std::vector<std::string> expected = {
        "Application.ActiveDocument() -> <Document>",
        "Document.Groups() -> <Groups>",
        "Groups.Item(\"ROTARYA\") -> <Group(\"ROTARYA\")>",
        "Group(\"ROTARYA\").Count() -> 2&",
        "Group(\"ROTARYA\").Item(0%) -> <Solid3D#3>",
        "Solid3D#3.Rotate3D([0, 0, 0], [1, 0, 0], -1.57079637)",
        "Group(\"ROTARYA\").Item(1%) -> <Line#4>",
        "Line#4.Rotate3D([0, 0, 0], [1, 0, 0], -1.57079637)",
        "Line#4.Update()",
    };
    EXPECT_EQ(journalSince(mark), expected);
}

TEST_F(RotaryTest, AxisCFixesItsAxisFromTheMarkerBeforeTurning) {
    startServer();
    // The marker turns with its own table, first of the group.
    const auto marker = addCube({"CAXIS", "ROTARYC"}, {1, 2, 5});  // Solid3D#3
    addCube({"ROTARYC"}, {10, 0, 0});                               // Solid3D#4
    const std::string centroid = marker->Centroid().toDebugString();
    const auto mark = journalMark();

    server.RotateAxis(3, 90);

    const std::string turn = ".Rotate3D([0, 0, 0], " + centroid + ", -1.57079637)";
    const std::vector<std::string> expected = {
        "Application.ActiveDocument() -> <Document>",
        "Document.Groups() -> <Groups>",
        "Groups.Item(\"ROTARYC\") -> <Group(\"ROTARYC\")>",
        "Groups.Item(\"CAXIS\") -> <Group(\"CAXIS\")>",
        "Group(\"CAXIS\").Item(0%) -> <Solid3D#3>",
        "Solid3D#3.Centroid() -> " + centroid,
        "Solid3D#3.Centroid() -> " + centroid,
        "Solid3D#3.Centroid() -> " + centroid,
        "Group(\"ROTARYC\").Count() -> 2&",
        "Group(\"ROTARYC\").Item(0%) -> <Solid3D#3>",
        "Solid3D#3" + turn,
        "Group(\"ROTARYC\").Item(1%) -> <Solid3D#4>",
        "Solid3D#4" + turn,
        "Solid3D#4.Update()",
    };
    EXPECT_EQ(journalSince(mark), expected);
}

TEST_F(RotaryTest, ZeroAndAFullTurnLookAtNothing) {
    startServer();  // a drawing without any rotary group
    for (const double angle : {0.0, 360.0}) {
        for (const std::int16_t axis : {1, 3, 7}) {
            const auto mark = journalMark();
            server.RotateAxis(axis, angle);
            EXPECT_EQ(journalSince(mark),
                      std::vector<std::string>{"Application.ActiveDocument() -> <Document>"});
        }
    }
}

TEST_F(RotaryTest, NoSuchAxisFetchesNoGroupAndFailsForWantOfAMemberToRedraw) {
    startServer();
    const auto part = addCube({"ROTARYA", "ROTARYB", "ROTARYC", "CAXIS"}, {0, 10, 0});
    for (const std::int16_t axis : {0, 4, -1}) {
        const auto mark = journalMark();
        EXPECT_EQ(errorOf([&] { server.RotateAxis(axis, 90); }).hr(), kObjectRequired);
        EXPECT_EQ(journalSince(mark),
                  (std::vector<std::string>{"Application.ActiveDocument() -> <Document>",
                                            "Document.Groups() -> <Groups>"}));
    }
    expectPoint(centroidOf(*part), {0, 10, 0}, 1e-12);
}

TEST_F(RotaryTest, AnEmptyGroupTurnsNothingAndFails) {
    startServer();
    makeEmptyGroup("ROTARYB");
    const auto mark = journalMark();

    EXPECT_EQ(errorOf([&] { server.RotateAxis(2, 45); }).hr(), kObjectRequired);

    const auto lines = journalSince(mark);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Group(\"ROTARYB\").Count() -> 0&");
}

TEST_F(RotaryTest, MissingGroupsEndTheCallBeforeAnythingTurns) {
    startServer();
    const auto part = addCube({"ROTARYC"}, {10, 0, 0});

    const auto noB = errorOf([&] { server.RotateAxis(2, 90); });
    EXPECT_NE(noB.description().find("ROTARYB"), std::string::npos) << noB.description();
    const auto noMarkerGroup = errorOf([&] { server.RotateAxis(3, 90); });
    EXPECT_NE(noMarkerGroup.description().find("CAXIS"), std::string::npos)
        << noMarkerGroup.description();

    expectPoint(centroidOf(*part), {10, 0, 0}, 1e-12);
    EXPECT_FALSE(anyLineHas(journal->lines(), ".Rotate3D("));
}

TEST_F(RotaryTest, AMarkerThatIsNoSolidEndsTheCallBeforeAnythingTurns) {
    startServer();
    const auto part = addCube({"ROTARYC"}, {10, 0, 0});
    makeEmptyGroup("CAXIS");
    EXPECT_NE(errorOf([&] { server.RotateAxis(3, 90); }).description().find("outside the group"),
              std::string::npos);

    addLine({"CAXIS"}, {0, 0, 0}, {0, 0, 5});
    addCube({"CAXIS"}, {0, 0, 5});  // a solid, but not the first member
    EXPECT_EQ(errorOf([&] { server.RotateAxis(3, 90); }).hr(), kTypeMismatch);

    expectPoint(centroidOf(*part), {10, 0, 0}, 1e-12);
    EXPECT_FALSE(anyLineHas(journal->lines(), ".Rotate3D("));
}

TEST_F(RotaryTest, FailsBeforeStart) {
    EXPECT_EQ(errorOf([&] { server.RotateAxis(1, 90); }).hr(), kObjectRequired);
    EXPECT_EQ(errorOf([&] { server.RotateAxis(1, 0); }).hr(), kObjectRequired);
}

// The member counter is 16 bits wide: a group one past its range fails before anything
// turns; a group that fills it is turned completely, then the counter's last step overflows
// and the redraw never comes.
TEST_F(RotaryTest, AGroupPastTheCounterRangeFailsBeforeTurning) {
    startServer();
    addLines("ROTARYA", 32769);
    const auto last = drawing->groupMembers("ROTARYA").back();
    const auto before = boxOf(*last);
    const auto mark = journalMark();

    EXPECT_EQ(errorOf([&] { server.RotateAxis(1, 90); }).hr(), kOverflow);

    EXPECT_EQ(journalSince(mark).back(), "Group(\"ROTARYA\").Count() -> 32769&");
    expectPoint(boxOf(*last).min, before.min, 1e-12);
}

TEST_F(RotaryTest, AGroupThatFillsTheCounterIsTurnedThenTheCallFails) {
    startServer();
    addLines("ROTARYA", 32768);  // line i runs from (0, i, 1) to (1, i, 1)
    const auto members = drawing->groupMembers("ROTARYA");
    const auto mark = journalMark();

    EXPECT_EQ(errorOf([&] { server.RotateAxis(1, 180); }).hr(), kOverflow);

    expectPoint(boxOf(*members.front()).min, {0, 0, -1});
    // Half a turn by the degree factor misses pi by 9e-8 rad, 3e-3 at y = 32767.
    expectPoint(boxOf(*members.back()).min, {0, -32767, -1}, 1e-2);
    const auto lines = journalSince(mark);
    EXPECT_EQ(lines.back().rfind("Line#" + std::to_string(cadhost::occt::entityId(*members.back())) +
                                     ".Rotate3D(",
                                 0),
              0u)
        << lines.back();
    EXPECT_FALSE(anyLineHas(lines, ".Update()"));
}

}  // namespace
}  // namespace corvex::testing
