// MakeToolMill: the cutter is revolved from its half section, stands on its tip at the
// centre point, replaces the old tool, and records the dimensions the sweeps read.
#include <limits>
#include <numbers>

#include "mill_helpers.hpp"

namespace corvex::testing {
namespace {

using cadhost::occt::entityDeleted;
using cadhost::occt::measureSolid;

// The revolution stops a hair short of a full turn.
constexpr double kRevolution = 6.283;
// The host's bounding box of a revolved face is an estimate that can stand off the surface by
// up to about 0.009; the volume is measured exactly, so the box only says where.
constexpr double kBoxSlack = 0.01;

class MillToolTest : public MillTest {
protected:
    std::shared_ptr<cadhost::Solid3D> make(double dia, double length, double corner,
                                           const Variant& centre = pt(10, 20, 5)) {
        return server.MakeToolMill(centre, dia, length, corner);
    }
    void expectTool(double R, double corner, double L) {
        EXPECT_DOUBLE_EQ(server.toolRadius, R);
        EXPECT_DOUBLE_EQ(server.toolCornerRadius, corner);
        EXPECT_DOUBLE_EQ(server.sweepHeight, L);
        const auto m = measureSolid(*server.toolSolid);
        EXPECT_TRUE(m.valid);
        EXPECT_REL(m.volume, kRevolution * outlineMomentAboutU(cutterHalfSection(R, corner, L)), 1e-6);
    }
};

TEST_F(MillToolTest, CutterStandsOnItsTipAtTheCentrePoint) {
    startServer();
    const auto oldTool = server.toolSolid;

    const auto tool = make(6, 20, 1);

    ASSERT_TRUE(tool);
    EXPECT_EQ(tool, server.toolSolid);
    expectTool(3, 1, 20);
    const auto m = measureSolid(*tool);
    EXPECT_EQ(m.solids, 1);
    EXPECT_NEAR(m.box.min[0], 7, kBoxSlack);
    EXPECT_NEAR(m.box.max[0], 13, kBoxSlack);
    EXPECT_NEAR(m.box.min[1], 17, kBoxSlack);
    EXPECT_NEAR(m.box.max[1], 23, kBoxSlack);
    EXPECT_NEAR(m.box.min[2], 5, kBoxSlack);
    EXPECT_NEAR(m.box.max[2], 25, kBoxSlack);
    EXPECT_NEAR(m.centroid[0], 10, 1e-3);
    EXPECT_NEAR(m.centroid[1], 20, 1e-3);
    // Close to the plain cylinder, less the rounded corner and the thin bore.
    const double cylinder = std::numbers::pi * 9 * 20;
    EXPECT_LT(m.volume, cylinder);
    EXPECT_GT(m.volume, cylinder * 0.99);
    EXPECT_TRUE(entityDeleted(*oldTool));
    EXPECT_DOUBLE_EQ(server.toolX, 10);
    EXPECT_DOUBLE_EQ(server.toolY, 20);
    EXPECT_DOUBLE_EQ(server.toolZ, 5);
    // The outline and its region are gone: the new tool and the slot outline remain.
    EXPECT_EQ(entityCount(), 2u);
}

TEST_F(MillToolTest, CallsTheHostInOrder) {
    startServer();

    make(6, 20, 1);

    EXPECT_EQ(journal->lines(),
              ExpectedJournal()
                  .refresh()
                  .add("AddPolyline([0, 0.005, 0, 20, 0.005, 0, 20, 3, 0, 1, 3, 0, 0, 2, 0, 0, 0.005, 0]) -> <Polyline#3>")
                  .line("Polyline#3.SetBulge(3%, 0.5)")
                  .line("Polyline#3.Rotate3D([0, 1, 0], [0, 0, 0], 1.57079)")
                  .add("AddRegion([<Polyline#3>]) -> [<Region#4>]")
                  .add("AddRevolvedSolid(<Region#4>, [0, 0, 10], [0, 0, 10], 6.283) -> <Solid3D#5>")
                  .line("Polyline#3.Delete()")
                  .line("Region#4.Delete()")
                  .line("Solid3D#5.Update()")
                  .line("Solid3D#1.Delete()")
                  .line("Solid3D#5.Move([0, 0, 0], [10, 20, 5])")
                  .line("Solid3D#5.Update()")
                  .lines());
}

TEST_F(MillToolTest, TooSmallDiameterBecomesOne) {
    startServer();
    for (double dia : {0.0, -4.0, 0.0199}) {
        make(dia, 5, 0.1);
        expectTool(0.5, 0.1, 5);
    }
    make(0.02, 1, 0);  // exactly the least diameter is kept
    expectTool(0.01, 0.003, 1);
}

TEST_F(MillToolTest, FlatEndGetsTheLeastCornerAndBallEndStaysInsideTheRadius) {
    startServer();
    make(8, 10, 0);
    expectTool(4, 0.003, 10);
    make(8, 10, 4);
    expectTool(4, 4 - 0.003, 10);
    make(8, 10, 9);
    expectTool(4, 4 - 0.003, 10);
}

TEST_F(MillToolTest, ZeroLengthIsTwoAndTooShortALengthMakesRoomForTheCorner) {
    startServer();
    make(6, 0, 1);
    expectTool(3, 1, 2.0);
    make(6, -5, 1);
    expectTool(3, 1, 1.005);
    make(10, 0, 4);  // 2.0 is shorter than the corner: the corner wins
    expectTool(5, 4, 4.005);
}

TEST_F(MillToolTest, LaterCutsExtrudeByTheToolLength) {
    const auto stock = startWithStock();
    make(4, 7.5, 0.5, pt(0, 0, 30));
    const double before = volumeOf(stock);
    const auto p = slotAlongX(10, 30, 50, 4);

    server.ToolExtrudeLine(p[0], p[1], p[2], p[3], p[4], 15);

    EXPECT_REL(before - volumeOf(stock), (20 * 4 + std::numbers::pi * 4) * 5, 1e-9);  // 15..20 of 15..22.5
}

TEST_F(MillToolTest, WithoutAPreviousToolTheNewOneIsStillMadeAndPlaced) {
    startServer();
    server.toolSolid.reset();
    const auto first = make(6, 20, 1);
    EXPECT_EQ(first, server.toolSolid);
    EXPECT_DOUBLE_EQ(server.toolX, 10);

    first->Delete();  // a tool that is already gone cannot be deleted again
    const auto second = make(6, 20, 1, pt(1, 2, 3));
    EXPECT_EQ(second, server.toolSolid);
    EXPECT_NEAR(measureSolid(*second).box.min[2], 3, kBoxSlack);
}

TEST_F(MillToolTest, CentrePointThatCannotBeReadLeavesTheToolAtTheOrigin) {
    startServer();
    server.MoveTool(Variant::real(4), Variant::real(4), 4);

    const auto tool = make(6, 20, 1, Variant());

    EXPECT_EQ(tool, server.toolSolid);
    EXPECT_DOUBLE_EQ(server.toolX, 0);
    EXPECT_DOUBLE_EQ(server.toolY, 0);
    EXPECT_DOUBLE_EQ(server.toolZ, 0);
    EXPECT_NEAR(measureSolid(*tool).box.min[2], 0, kBoxSlack);
    EXPECT_NE(journal->lines().back().find("Delete()"), std::string::npos);
}

TEST_F(MillToolTest, CentrePointElementsReachMoveToolAsTheyWere) {
    startServer();
    make(6, 20, 1, Variant::variants({Variant::string("12"), Variant(), Variant::int16(2)}));
    EXPECT_DOUBLE_EQ(server.toolX, 12);
    EXPECT_DOUBLE_EQ(server.toolY, 0);
    EXPECT_DOUBLE_EQ(server.toolZ, 2);
}

TEST_F(MillToolTest, NonFiniteDiameterFailsBeforeAnythingIsMade) {
    startServer();
    const auto oldTool = server.toolSolid;

    const auto error = errorOf([&] { make(std::numeric_limits<double>::infinity(), 20, 1); });

    EXPECT_EQ(error.hr(), automation::hresult::kOverflow);
    EXPECT_EQ(server.toolSolid, oldTool);
    EXPECT_DOUBLE_EQ(server.sweepHeight, 2.0);
    EXPECT_EQ(journal->lines().size(), 2u);  // the refresh alone
}

}  // namespace
}  // namespace corvex::testing
