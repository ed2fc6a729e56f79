// ToolRevolveArc: a partial arc revolves the client's cross-section about the arc's centre and
// brings the tool to the arc's end; a full circle extrudes the ring or disc the tool covers.
// Every member of "PART" gets a swept solid of its own.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "mill_helpers.hpp"

namespace corvex::testing {
namespace {

using cadhost::occt::measureSolid;
constexpr double kPi = std::numbers::pi;
constexpr double kDegree = 0.01745;  // the factor this member turns degrees with

class RevolvedArcSweepTest : public MillTest {
protected:
    // A cross-section 6 wide (radii 10 to 16 from the centre (40, 40)) and 10 high (z 10..20).
    void partialArc(double sweep, const Variant& end = pt(40, 56, 10)) {
        server.ToolRevolveArc(pt(40, 40, 10), pt(50, 40, 10), pt(56, 40, 10), pt(56, 40, 20), pt(50, 40, 20),
                              sweep, end, 0);
    }
    static double partialVolume(double sweep) { return std::fabs(sweep) * kDegree * 60 * 13; }
    void fullCircle(const Variant& end, double dia) {
        server.ToolRevolveArc(pt(50, 50, 10), Variant(), Variant(), Variant(), Variant(), 0, end, dia);
    }
};

TEST_F(RevolvedArcSweepTest, PositiveSweepTurnsCounterClockwiseAndTheToolFollows) {
    const auto stock = startWithStock();

    partialArc(90);

    const auto m = measureSolid(*stock);
    EXPECT_TRUE(m.valid);
    EXPECT_REL(200000 - m.volume, partialVolume(90), 1e-7);
    // The cut starts on +X of the centre and turns towards +Y.
    const auto cut = cadhost::occt::boundingBox(*server.cutSolid);
    EXPECT_NEAR(cut.min[1], 40, 1e-6);
    EXPECT_NEAR(cut.max[1], 40 + 16 * std::sin(90 * kDegree), 1e-6);
    EXPECT_DOUBLE_EQ(server.toolX, 40);
    EXPECT_DOUBLE_EQ(server.toolY, 56);
    EXPECT_DOUBLE_EQ(server.toolZ, 10);
    EXPECT_NEAR(measureSolid(*server.toolSolid).centroid[1], -100 + 56, 1e-9);
    // Lines, profile and region are gone; the member remains with the tool and outline.
    EXPECT_EQ(entitiesOfKind("Line").size(), 0u);
    EXPECT_EQ(entitiesOfKind("Region").size(), 0u);
}

TEST_F(RevolvedArcSweepTest, NegativeSweepTurnsClockwise) {
    const auto stock = startWithStock();

    partialArc(-45, pt(51, 29, 10));

    EXPECT_REL(200000 - volumeOf(stock), partialVolume(-45), 1e-7);
    const auto cut = cadhost::occt::boundingBox(*server.cutSolid);
    EXPECT_NEAR(cut.max[1], 40, 1e-6);
    EXPECT_NEAR(cut.min[1], 40 - 16 * std::sin(45 * kDegree), 1e-6);
    EXPECT_DOUBLE_EQ(server.toolY, 29);
}

TEST_F(RevolvedArcSweepTest, PartialArcJournal) {
    startWithStock();
    const auto mark = journalMark();

    partialArc(30);

    const auto c = pt(40, 40, 10).toDebugString();
    const std::vector<std::string> corners = {"[50, 40, 10]", "[56, 40, 10]", "[56, 40, 20]", "[50, 40, 20]"};
    ExpectedJournal expected;
    expected.refresh().partGroup();
    for (int i = 0; i < 4; ++i)
        expected.add("AddLine(" + corners[i] + ", " + corners[(i + 1) % 4] + ") -> <Line#" + std::to_string(4 + i) + ">");
    for (int i = 0; i < 4; ++i) expected.line("Line#" + std::to_string(4 + i) + ".Visible(False)");
    expected.add("AddRegion([<Line#4>, <Line#5>, <Line#6>, <Line#7>]) -> [<Region#8>]")
        .line("Region#8.Visible(False)")
        .line("Group(\"PART\").Count() -> 1&")
        .line("Group(\"PART\").Item(0&) -> <Solid3D#3>")
        .add("AddRevolvedSolid(<Region#8>, " + c + ", [0, 0, 1], " + num(30 * kDegree) + ") -> <Solid3D#9>")
        .line("Solid3D#3.Boolean(2&, <Solid3D#9>)")
        .line("Solid3D#3.Update()")
        .line("Region#8.Delete()");
    for (int i = 0; i < 4; ++i) expected.line("Line#" + std::to_string(4 + i) + ".Delete()");
    expected.line("Solid3D#1.Move([0, 0, 0], [40, 56, 10])").line("Solid3D#1.Update()");
    EXPECT_EQ(journalSince(mark), expected.lines());
}

TEST_F(RevolvedArcSweepTest, EveryMemberGetsItsOwnSweptSolid) {
    startServer();
    const auto first = addPartBox({0, 0, 0}, {100, 100, 20});
    const auto second = addPartBox({0, 0, 15}, {100, 100, 30});

    partialArc(60);

    EXPECT_REL(200000 - volumeOf(first), partialVolume(60), 1e-7);
    EXPECT_REL(150000 - volumeOf(second), partialVolume(60) / 2, 1e-7);  // z 15..20 of 10..20
    EXPECT_EQ(ref(*server.cutSolid), "<Solid3D#11>");
}

TEST_F(RevolvedArcSweepTest, EmptyGroupMakesAndDeletesTheProfileAndStillMovesTheTool) {
    startServer();
    addPartBox({0, 0, 0}, {1, 1, 1})->Delete();
    const auto before = entityCount();

    partialArc(90);

    EXPECT_FALSE(server.cutSolid);
    EXPECT_EQ(entityCount(), before);
    EXPECT_DOUBLE_EQ(server.toolY, 56);
}

TEST_F(RevolvedArcSweepTest, FullCircleRingWhenTheToolClearsTheCentre) {
    const auto stock = startWithStock();
    server.MoveTool(Variant::real(1), Variant::real(2), 3);
    const auto mark = journalMark();

    fullCircle(pt(70, 50, 99), 6);  // r = 20, h = 3: ring 17 .. 23, z 10 .. 12

    EXPECT_REL(200000 - volumeOf(stock), kPi * (23 * 23 - 17 * 17) * 2, 1e-7);
    const auto lines = journalSince(mark);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("AddCircle") != std::string::npos; }),
              2);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "ModelSpace.AddCircle([50, 50, 10], 17) -> <Circle#4>"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Region#6.Boolean(2&, <Region#7>)"), lines.end());
    EXPECT_DOUBLE_EQ(server.toolX, 1);  // a full circle does not move the tool
    EXPECT_EQ(entitiesOfKind("Circle").size(), 0u);
    EXPECT_EQ(entitiesOfKind("Region").size(), 0u);
}

TEST_F(RevolvedArcSweepTest, FullCircleDiscWhenTheToolCoversTheCentre) {
    const auto stock = startWithStock();
    const auto mark = journalMark();

    fullCircle(pt(54, 53, 0), 10);  // r = 5 = h: one circle of radius 10

    EXPECT_REL(200000 - volumeOf(stock), kPi * 100 * 2, 1e-7);
    EXPECT_EQ(journalSince(mark), ExpectedJournal()
                                      .refresh()
                                      .partGroup()
                                      .add("AddCircle([50, 50, 10], 10) -> <Circle#4>")
                                      .add("AddRegion([<Circle#4>]) -> [<Region#5>]")
                                      .line("Region#5.Visible(False)")
                                      .line("Group(\"PART\").Count() -> 1&")
                                      .line("Group(\"PART\").Item(0&) -> <Solid3D#3>")
                                      .add("AddExtrudedSolid(<Region#5>, 2, 0%) -> <Solid3D#6>")
                                      .line("Solid3D#3.Boolean(2&, <Solid3D#6>)")
                                      .line("Solid3D#3.Update()")
                                      .line("Region#5.Delete()")
                                      .line("Circle#4.Delete()")
                                      .lines());
}

TEST_F(RevolvedArcSweepTest, FullCircleOfNoRadiusDoesNothing) {
    const auto stock = startWithStock();
    const auto before = entityCount();
    const auto mark = journalMark();

    fullCircle(pt(50, 50, 7), 6);

    EXPECT_EQ(journalSince(mark), ExpectedJournal().refresh().partGroup().lines());
    EXPECT_EQ(entityCount(), before);
    EXPECT_NEAR(volumeOf(stock), 200000, 1e-6);
}

}  // namespace
}  // namespace corvex::testing
