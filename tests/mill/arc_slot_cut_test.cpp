// ToolMillArc: the plan of an arc cut (two arcs and two lines, one arc and two lines, or a
// ring between two circles) extruded through the tool length and taken out of member 0.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "mill_helpers.hpp"

namespace corvex::testing {
namespace {

using cadhost::occt::measureSolid;
constexpr double kPi = std::numbers::pi;
// The degree factor a client uses to compute the closing lines; the member uses the same.
constexpr double kDegree = 0.017453293;

std::string pointText(double x, double y, double z) { return Variant::point(x, y, z).toDebugString(); }

class ArcSlotCutTest : public MillTest {
protected:
    static constexpr double cx = 50, cy = 50, cz = 10;
    Variant centre() const { return pt(cx, cy, cz); }
    Variant onCircle(double radius, double degrees) const {
        const double a = degrees * kDegree;
        return pt(cx + radius * std::cos(a), cy + radius * std::sin(a), cz);
    }
    std::string onCircleText(double radius, double degrees) const { return onCircle(radius, degrees).toDebugString(); }
    // The band between r2 and r1 from `from` to `to` degrees, the lines at each end.
    void band(double r1, double r2, double from, double to) {
        server.ToolMillArc(centre(), pt(0, 0, 0), onCircle(r2, from), onCircle(r1, from), onCircle(r1, to),
                           onCircle(r2, to), r1, r2, from, to);
    }
    // The sector of radius r1: lines from the centre out to the arc's start, and back from its end.
    void sector(double r1, double r2, double from, double to) {
        server.ToolMillArc(centre(), pt(0, 0, 0), centre(), onCircle(r1, from), onCircle(r1, to), centre(), r1,
                           r2, from, to);
    }
    std::vector<std::string> subtractionFromMemberZero(const std::string& cut) const {
        return ExpectedJournal()
            .partGroup()
            .line("Group(\"PART\").Item(0%) -> <Solid3D#3>")
            .line("Solid3D#3.Boolean(2&, " + cut + ")")
            .line("Solid3D#3.Update()")
            .lines();
    }
};

TEST_F(ArcSlotCutTest, BandBetweenTwoArcs) {
    const auto stock = startWithStock();
    const auto before = entityCount();

    band(20, 14, 30, 120);

    const auto m = measureSolid(*stock);
    EXPECT_TRUE(m.valid);
    const double angle = 90 * kDegree;
    EXPECT_REL(200000 - m.volume, angle / 2 * (20 * 20 - 14 * 14) * 2, 1e-7);
    EXPECT_EQ(entityCount(), before);  // every construction object deleted, the cut absorbed
    EXPECT_TRUE(cadhost::occt::entityDeleted(*server.cutSolid));
}

TEST_F(ArcSlotCutTest, BandJournal) {
    startWithStock();
    const auto mark = journalMark();

    band(20, 14, 0, 90);

    const std::string a2 = num(90 * kDegree);
    const auto expected =
        ExpectedJournal()
            .refresh()
            .add("AddLine(" + onCircleText(14, 0) + ", " + onCircleText(20, 0) + ") -> <Line#4>")
            .add("AddLine(" + onCircleText(20, 90) + ", " + onCircleText(14, 90) + ") -> <Line#5>")
            .add("AddArc(" + pointText(cx, cy, cz) + ", 20, 0, " + a2 + ") -> <Arc#6>")
            .add("AddArc(" + pointText(cx, cy, cz) + ", 14, 0, " + a2 + ") -> <Arc#7>")
            .add("AddRegion([<Line#4>, <Line#5>, <Arc#6>, <Arc#7>]) -> [<Region#8>]")
            .add("AddExtrudedSolid(<Region#8>, 2, 0%) -> <Solid3D#9>")
            .line("Region#8.Delete()")
            .line("Line#4.Delete()")
            .line("Line#5.Delete()")
            .line("Arc#6.Delete()")
            .line("Arc#7.Delete()")
            .append(subtractionFromMemberZero("<Solid3D#9>"));
    EXPECT_EQ(journalSince(mark), expected.lines());
}

TEST_F(ArcSlotCutTest, SectorFromOneArcAndTwoLines) {
    const auto stock = startWithStock();
    const auto mark = journalMark();

    sector(20, 0, 10, 100);

    EXPECT_REL(200000 - volumeOf(stock), 90 * kDegree / 2 * 400 * 2, 1e-7);
    const auto lines = journalSince(mark);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "ModelSpace.AddRegion([<Line#4>, <Line#5>, <Arc#6>]) -> [<Region#7>]"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Arc#6.Delete()"), lines.end());
}

TEST_F(ArcSlotCutTest, HeightIsTheToolLength) {
    const auto stock = startWithStock();
    server.MakeToolMill(pt(0, 0, 40), 6, 5, 1);

    band(20, 14, 0, 45);

    EXPECT_REL(200000 - volumeOf(stock), 45 * kDegree / 2 * (400 - 196) * 5, 1e-7);
}

TEST_F(ArcSlotCutTest, NoughtToThreeSixtyIsAnArcNotACircle) {
    startWithStock();
    const auto mark = journalMark();
    try {
        sector(20, 0, 0, 360);
    } catch (const automation::Error&) {
        // Whether the host can close that outline is not what this test is about.
    }
    const auto lines = journalSince(mark);
    ASSERT_GT(lines.size(), 7u);
    EXPECT_EQ(lines[7], "ModelSpace.AddArc(" + pointText(cx, cy, cz) + ", 20, 0, 6.28318548) -> <Arc#6>");
}

TEST_F(ArcSlotCutTest, FullCircleCutsTheRing) {
    const auto stock = startWithStock();
    const auto mark = journalMark();

    server.ToolMillArc(centre(), Variant(), Variant(), Variant(), Variant(), Variant(), 20, 14, 45, 45);

    EXPECT_REL(200000 - volumeOf(stock), kPi * (400 - 196) * 2, 1e-7);
    const std::string c = pointText(cx, cy, cz);
    const auto expected = ExpectedJournal()
                              .refresh()
                              .add("AddCircle(" + c + ", 14) -> <Circle#4>")
                              .add("AddCircle(" + c + ", 20) -> <Circle#5>")
                              .add("AddRegion([<Circle#4>, <Circle#5>]) -> [<Region#6>, <Region#7>]")
                              .line("Region#6.Boolean(2&, <Region#7>)")
                              .add("AddExtrudedSolid(<Region#6>, 2, 0%) -> <Solid3D#8>")
                              .line("Region#6.Delete()")
                              .line("Circle#4.Delete()")
                              .line("Circle#5.Delete()")
                              .append(subtractionFromMemberZero("<Solid3D#8>"));
    EXPECT_EQ(journalSince(mark), expected.lines());
    EXPECT_EQ(entitiesOfKind("Region").size(), 0u);
    EXPECT_EQ(entitiesOfKind("Circle").size(), 0u);
}

TEST_F(ArcSlotCutTest, FullCircleWithoutASecondRadiusCutsNothing) {
    const auto stock = startWithStock();
    const auto earlierCut = drawing->addBox({200, 0, 0}, {201, 1, 1});
    server.cutSolid = earlierCut;
    const auto before = entityCount();
    const auto mark = journalMark();

    server.ToolMillArc(centre(), Variant(), Variant(), Variant(), Variant(), Variant(), 20, 0, 0, 0);
    server.ToolMillArc(centre(), Variant(), Variant(), Variant(), Variant(), Variant(), 20, -3, 0, 0);

    EXPECT_EQ(journalSince(mark), ExpectedJournal().refresh().refresh().lines());
    EXPECT_EQ(entityCount(), before);
    EXPECT_EQ(server.cutSolid, earlierCut);
    EXPECT_NEAR(volumeOf(stock), 200000, 1e-6);
}

TEST_F(ArcSlotCutTest, OnlyTheFirstMemberIsCutAndTheToolStaysPut) {
    startServer();
    const auto first = addPartBox({0, 0, 0}, {100, 100, 20});
    const auto second = addPartBox({0, 0, 0}, {100, 100, 20});
    server.MoveTool(Variant::real(5), Variant::real(6), 7);
    const auto toolCentre = measureSolid(*server.toolSolid).centroid;

    band(20, 14, 0, 90);

    EXPECT_LT(volumeOf(first), 200000 - 1);
    EXPECT_NEAR(volumeOf(second), 200000, 1e-6);
    EXPECT_DOUBLE_EQ(server.toolX, 5);
    EXPECT_NEAR(measureSolid(*server.toolSolid).centroid[0], toolCentre[0], 1e-9);
}

TEST_F(ArcSlotCutTest, OutlineThatDoesNotCloseLeavesItsCurvesAndCutsNothing) {
    const auto stock = startWithStock();
    const auto before = entityCount();

    const auto error = errorOf([&] {
        server.ToolMillArc(centre(), Variant(), onCircle(14, 0), onCircle(20, 0), onCircle(20, 45),
                           pt(0, 0, cz), 20, 14, 0, 90);
    });

    EXPECT_FALSE(error.description().empty());
    EXPECT_EQ(entityCount(), before + 4);  // two lines and two arcs stay
    EXPECT_NEAR(volumeOf(stock), 200000, 1e-6);
}

}  // namespace
}  // namespace corvex::testing
