// Moving the probe with the machine position it shares with the tool: the position is taken
// before anything moves, every member moves by the difference, the last one is redrawn.
#include "probe/probe_helpers.hpp"

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

TEST_F(ProbeTest, MoveCarriesEveryMemberAndTheToolThenStaysPut) {
    startServer();
    const auto tip = addProbeCube({0, 0, 0}, 2);
    const auto holder = addProbeCube({0, 0, 5}, 4);
    const auto stylus = addProbeLine({0, 0, 1}, {0, 0, 3});
    const auto tipBefore = centroidOf(*tip);
    const auto holderBefore = lowCornerOf(*holder);
    const auto stylusBefore = lowCornerOf(*stylus);
    const auto toolBefore = centroidOf(*server.toolSolid);

    EXPECT_TRUE(server.MoveProbe(Variant::int16(5), Variant::int16(0), 0).isEmpty());

    expectShift(tipBefore, centroidOf(*tip), {5, 0, 0});
    expectShift(holderBefore, lowCornerOf(*holder), {5, 0, 0});
    expectShift(stylusBefore, lowCornerOf(*stylus), {5, 0, 0});
    EXPECT_EQ(server.toolX, 5);
    EXPECT_EQ(server.toolY, 0);
    EXPECT_EQ(server.toolZ, 0);

    // The tool shares the position: moving it to where the probe went moves nothing.
    server.MoveTool(Variant::int16(5), Variant::int16(0), 0);
    expectShift(toolBefore, centroidOf(*server.toolSolid), {0, 0, 0});
    server.MoveTool(Variant::int16(6), Variant::int16(0), 0);
    expectShift(toolBefore, centroidOf(*server.toolSolid), {1, 0, 0});
    expectShift(tipBefore, centroidOf(*tip), {5, 0, 0});  // the tool does not carry the probe
}

TEST_F(ProbeTest, MoveTakesThePositionThenMovesEachMemberAndRedrawsTheLast) {
    startServer();
    addProbeCube({0, 0, 0}, 2);             // Solid3D#3
    addProbeLine({0, 0, 1}, {0, 0, 3});     // Line#4
    setPosition(1, 2, 3);
    const auto mark = journalMark();

    server.MoveProbe(Variant::real(4), Variant::real(6), 8);

    const std::vector<std::string> expected = {
        "Application.ActiveDocument() -> <Document>",
        "Document.Groups() -> <Groups>",
        "Groups.Item(\"PROBESOLID\") -> <Group(\"PROBESOLID\")>",
        "Group(\"PROBESOLID\").Count() -> 2&",
        "Group(\"PROBESOLID\").Item(0%) -> <Solid3D#3>",
        "Solid3D#3.Move([0, 0, 0], [3, 4, 5])",
        "Group(\"PROBESOLID\").Item(1%) -> <Line#4>",
        "Line#4.Move([0, 0, 0], [3, 4, 5])",
        "Line#4.Update()",
    };
    EXPECT_EQ(journalSince(mark), expected);
}

TEST_F(ProbeTest, MoveConvertsItsVariantsAsAClientExpects) {
    startServer();
    const auto tip = addProbeCube({0, 0, 0}, 2);
    const auto before = centroidOf(*tip);
    setPosition(2, 3, 1);

    // Numeric text is its number, Empty is 0.
    server.MoveProbe(Variant::string("7.5"), Variant(), -1);

    expectShift(before, centroidOf(*tip), {5.5, -3, -2});
    EXPECT_EQ(server.toolX, 7.5);
    EXPECT_EQ(server.toolY, 0);
    EXPECT_EQ(server.toolZ, -1);
}

TEST_F(ProbeTest, MoveWithABadCoordinateChangesNothing) {
    startServer();
    const auto tip = addProbeCube({0, 0, 0}, 2);
    const auto before = centroidOf(*tip);
    setPosition(-1e308, 0, -1e308);

    EXPECT_EQ(errorOf([&] { server.MoveProbe(Variant::string("left"), Variant(), 0); }).hr(),
              kTypeMismatch);
    EXPECT_EQ(errorOf([&] { server.MoveProbe(Variant::real(1e308), Variant(), 0); }).hr(),
              kOverflow);
    EXPECT_EQ(errorOf([&] { server.MoveProbe(Variant(), Variant(), 1e308); }).hr(), kOverflow);

    EXPECT_EQ(server.toolX, -1e308);
    EXPECT_EQ(server.toolY, 0);
    EXPECT_EQ(server.toolZ, -1e308);
    expectShift(before, centroidOf(*tip), {0, 0, 0});
    EXPECT_FALSE(anyLineHas(journal->lines(), ".Move("));
}

TEST_F(ProbeTest, MoveOnAnEmptyGroupTakesThePositionThenFails) {
    startServer();
    makeEmptyProbeGroup();
    const auto mark = journalMark();

    EXPECT_EQ(errorOf([&] { server.MoveProbe(Variant::int16(1), Variant::int16(2), 3); }).hr(),
              kObjectRequired);

    EXPECT_EQ(server.toolX, 1);
    EXPECT_EQ(server.toolY, 2);
    EXPECT_EQ(server.toolZ, 3);
    const auto lines = journalSince(mark);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Group(\"PROBESOLID\").Count() -> 0&");
}

// The loop counts with a 16-bit counter: a group one past its range fails before anything
// moves; a group that fills the range moves every member, then fails on the counter's last
// step, before the redraw.
TEST_F(ProbeTest, MoveOnAGroupPastTheCounterRangeFailsBeforeMoving) {
    startServer();
    addProbeLines(32769);
    const auto last = drawing->groupMembers("PROBESOLID").back();
    const auto before = lowCornerOf(*last);
    const auto mark = journalMark();

    EXPECT_EQ(errorOf([&] { server.MoveProbe(Variant::int16(1), Variant(), 0); }).hr(), kOverflow);

    EXPECT_EQ(server.toolX, 1);
    EXPECT_EQ(journalSince(mark).back(), "Group(\"PROBESOLID\").Count() -> 32769&");
    expectShift(before, lowCornerOf(*last), {0, 0, 0});
}

TEST_F(ProbeTest, MoveOnAGroupThatFillsTheCounterMovesAllThenFailsWithoutRedraw) {
    startServer();
    addProbeLines(32768);
    const auto members = drawing->groupMembers("PROBESOLID");
    const auto firstBefore = lowCornerOf(*members.front());
    const auto lastBefore = lowCornerOf(*members.back());
    const auto mark = journalMark();

    EXPECT_EQ(errorOf([&] { server.MoveProbe(Variant::int16(1), Variant(), 0); }).hr(), kOverflow);

    expectShift(firstBefore, lowCornerOf(*members.front()), {1, 0, 0});
    expectShift(lastBefore, lowCornerOf(*members.back()), {1, 0, 0});
    const auto lines = journalSince(mark);
    EXPECT_EQ(lines.back(), "Line#" + std::to_string(cadhost::occt::entityId(*members.back())) +
                                ".Move([0, 0, 0], [1, 0, 0])");
    EXPECT_FALSE(anyLineHas(lines, ".Update()"));
}

TEST_F(ProbeTest, ZeroOnAGroupThatFillsTheCounterMovesAllThenFails) {
    startServer();
    addProbeLines(1);
    addProbeCube({3, 4, 5}, 2);
    addProbeLines(32766);
    const auto members = drawing->groupMembers("PROBESOLID");
    const auto lastBefore = lowCornerOf(*members.back());

    EXPECT_EQ(errorOf([&] { server.ProbeToZero(); }).hr(), kOverflow);

    expectShift(lastBefore, lowCornerOf(*members.back()), {-3, -4, -5});
    EXPECT_FALSE(anyLineHas(journal->lines(), ".Update()"));
}

}  // namespace
}  // namespace corvex::testing
