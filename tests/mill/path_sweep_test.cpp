// ToolExtrudePath: the tool's silhouette swept along a straight move into cutSolid, with a
// half-cylindrical cap at the end, for moves along X, along Y (which has no finite slope)
// and oblique ones; a move with no length in plan fails after drawing its path.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "mill_helpers.hpp"

namespace corvex::testing {
namespace {

using cadhost::occt::boundingBox;
using cadhost::occt::entityDeleted;
using cadhost::occt::entityVisible;
using cadhost::occt::measureRegion;
using cadhost::occt::measureSolid;

// The cutter every test sweeps: radius 3, corner 1, length 10.
constexpr double R = 3, C = 1, H = 10;
// The host's bounding box of a swept or revolved face is an estimate that can stand off the
// surface by up to about 0.009; volumes are measured exactly, so boxes only say where.
constexpr double kBoxSlack = 0.01;

class PathSweepTest : public MillTest {
protected:
    void SetUp() override {
        stock = startWithStock();
        server.MakeToolMill(pt(0, 0, 50), 2 * R, H, C);  // Polyline#4, Region#5, Solid3D#6
    }
    // The solids the sweep made: the swept one (cutSolid) and the cap after it.
    std::shared_ptr<cadhost::Entity> cap() const {
        const auto solids = entitiesOfKind("Solid3D");
        return solids.back();
    }
    static double silhouetteArea() { return outlineArea(cutterSilhouette(R, C, H)); }
    static double capVolume() { return 3.14159265 * outlineMomentAboutU(cutterHalfSilhouette(R, C, H)); }
    void expectSweptVolume(double length) const {
        const auto m = measureSolid(*server.cutSolid);
        EXPECT_TRUE(m.valid);
        EXPECT_EQ(m.solids, 1);
        EXPECT_REL(m.volume, silhouetteArea() * length, 1e-6);
    }
    void expectBox(const cadhost::occt::BoundingBox& box, std::array<double, 3> min, std::array<double, 3> max,
                   double tolerance = kBoxSlack) const {
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(box.min[i], min[i], tolerance) << "min " << i;
            EXPECT_NEAR(box.max[i], max[i], tolerance) << "max " << i;
        }
    }
    std::shared_ptr<cadhost::Solid3D> stock;
};

TEST_F(PathSweepTest, AlongXTheCapLiesAheadOfTheEnd) {
    server.ToolExtrudePath(pt(20, 50, 12), pt(60, 50, 12));

    expectSweptVolume(40);
    expectBox(boundingBox(*server.cutSolid), {20, 47, 12}, {60, 53, 22});
    const auto capSolid = measureSolid(*cap());
    EXPECT_REL(capSolid.volume, capVolume(), 1e-6);
    expectBox(capSolid.box, {60, 47, 12}, {63, 53, 22});
}

TEST_F(PathSweepTest, AlongMinusXTheCapFacesTheStart) {
    server.ToolExtrudePath(pt(60, 50, 12), pt(20, 50, 12));

    expectSweptVolume(40);
    expectBox(measureSolid(*cap()).box, {20, 47, 12}, {23, 53, 22});
}

TEST_F(PathSweepTest, AlongPlusYTheSweepWorksAndTheCapLiesAhead) {
    server.ToolExtrudePath(pt(50, 20, 12), pt(50, 60, 12));

    expectSweptVolume(40);
    expectBox(boundingBox(*server.cutSolid), {47, 20, 12}, {53, 60, 22});
    expectBox(measureSolid(*cap()).box, {47, 60, 12}, {53, 63, 22});
}

TEST_F(PathSweepTest, AlongMinusYTheCapLiesAheadToo) {
    server.ToolExtrudePath(pt(50, 60, 12), pt(50, 20, 12));

    expectSweptVolume(40);
    expectBox(measureSolid(*cap()).box, {47, 17, 12}, {53, 20, 22});
    EXPECT_NE(std::find(journal->lines().begin(), journal->lines().end(),
                        "Polyline#8.Rotate3D([50, 60, 12], [50, 60, 13], " + num(-std::numbers::pi / 2) + ")"),
              journal->lines().end());
}

TEST_F(PathSweepTest, ObliqueMoveIsSweptSquareToItsDirection) {
    server.ToolExtrudePath(pt(20, 20, 12), pt(50, 60, 12));  // length 50

    expectSweptVolume(50);
    // The cap faces the direction of the move: its centre of volume lies ahead of the end
    // point along the move, and on the move's line.
    const auto centroid = measureSolid(*cap()).centroid;
    const double along = (centroid[0] - 50) * 0.6 + (centroid[1] - 60) * 0.8;
    const double across = -(centroid[0] - 50) * 0.8 + (centroid[1] - 60) * 0.6;
    EXPECT_GT(along, 1);
    EXPECT_NEAR(across, 0, 1e-4);  // the stand-up angle tilts the cap by micro-radians
}

TEST_F(PathSweepTest, MoveWithNoLengthInPlanFailsAfterDrawingThePath) {
    const auto outline = server.slotOutline;
    const auto earlierCut = drawing->addBox({200, 0, 0}, {201, 1, 1});
    server.cutSolid = earlierCut;
    const auto mark = journalMark();

    const auto error = errorOf([&] { server.ToolExtrudePath(pt(50, 50, 12), pt(50, 50, 5)); });

    EXPECT_EQ(error.hr(), automation::hresult::kInvalidArgument);
    EXPECT_NE(error.description().find("no length"), std::string::npos) << error.description();
    EXPECT_EQ(journalSince(mark), ExpectedJournal()
                                      .add("AddPolyline([50, 50, 12, 50, 50, 5]) -> <Polyline#8>")
                                      .line("Polyline#8.Elevation(12)")
                                      .lines());
    EXPECT_EQ(server.cutSolid, earlierCut);
    EXPECT_EQ(server.slotOutline, outline);
}

TEST_F(PathSweepTest, CallsTheHostInOrder) {
    const auto mark = journalMark();

    server.ToolExtrudePath(pt(20, 50, 12), pt(60, 50, 12));

    const auto expected =
        ExpectedJournal()
            .add("AddPolyline([20, 50, 12, 60, 50, 12]) -> <Polyline#7>")
            .line("Polyline#7.Elevation(12)")
            .add("AddPolyline([21, 47, 0, 30, 47, 0, 30, 53, 0, 21, 53, 0, 20, 52, 0, 20, 48, 0, 21, 47, 0]) -> <Polyline#8>")
            .line("Polyline#8.SetBulge(3%, 0.5)")
            .line("Polyline#8.SetBulge(5%, 0.5)")
            .line("Polyline#8.Elevation(12)")
            .line("Polyline#8.Rotate3D([20, 50, 12], [20, 49, 12], 1.57079)")
            .line("Polyline#8.Rotate3D([20, 50, 12], [20, 50, 13], 0)")
            .add("AddRegion([<Polyline#8>]) -> [<Region#9>]")
            .add("AddExtrudedSolidAlongPath(<Region#9>, <Polyline#7>) -> <Solid3D#10>")
            .add("AddPolyline([60, 50, 0, 70, 50, 0, 70, 53, 0, 61, 53, 0, 60, 52, 0, 60, 50, 0]) -> <Polyline#11>")
            .line("Polyline#11.Elevation(12)")
            .line("Polyline#11.SetBulge(3%, 0.5)")
            .line("Polyline#11.Rotate3D([60, " + num(50 + 0.005 + 1.0) + ", 12], [60, 50.005, 12], 1.57079)")
            .line("Polyline#11.Rotate3D([60, 50, 12], [60, 50, 13], 0)")
            .add("AddRegion([<Polyline#11>]) -> [<Region#12>]")
            .add("AddRevolvedSolid(<Region#12>, [60, 50, 12], [0, 0, 1], -3.14159265) -> <Solid3D#13>")
            .line("Polyline#11.Delete()");
    EXPECT_EQ(journalSince(mark), expected.lines());
}

TEST_F(PathSweepTest, ConstructionThatIsToStayStaysAndTheToolIsNotTouched) {
    const auto tool = server.toolSolid;
    const auto toolBox = measureSolid(*tool).box;

    server.ToolExtrudePath(pt(20, 50, 12), pt(60, 50, 8));

    const auto polylines = entitiesOfKind("Polyline");  // slot outline, path, tool outline
    ASSERT_EQ(polylines.size(), 3u);
    EXPECT_EQ(polylines[2], server.slotOutline);
    const auto regions = entitiesOfKind("Region");
    ASSERT_EQ(regions.size(), 2u);
    EXPECT_REL(measureRegion(*regions[0]).area, silhouetteArea(), 1e-6);
    for (const auto& entity : drawing->entities()) EXPECT_TRUE(entityVisible(*entity)) << entity->describe();
    // The path lies at the start's height, the cap at the end's.
    EXPECT_NEAR(boundingBox(*polylines[1]).max[2], 12, 1e-9);
    EXPECT_NEAR(measureSolid(*cap()).box.min[2], 8, kBoxSlack);
    EXPECT_EQ(server.toolSolid, tool);
    EXPECT_NEAR(measureSolid(*tool).box.min[2], toolBox.min[2], 1e-12);
    EXPECT_DOUBLE_EQ(server.toolZ, 50);
}

TEST_F(PathSweepTest, SecondCallReplacesTheFieldsAndKeepsTheFirstCallsObjects) {
    server.ToolExtrudePath(pt(20, 50, 12), pt(60, 50, 12));
    const auto firstCut = server.cutSolid;
    const auto firstOutline = server.slotOutline;

    server.ToolExtrudePath(pt(50, 20, 12), pt(50, 60, 12));

    EXPECT_NE(server.cutSolid, firstCut);
    EXPECT_NE(server.slotOutline, firstOutline);
    EXPECT_FALSE(entityDeleted(*firstCut));
    EXPECT_FALSE(entityDeleted(*firstOutline));
    EXPECT_EQ(entitiesOfKind("Region").size(), 4u);
}

TEST_F(PathSweepTest, SweptSolidIsWhatTheArcToolSubtractionTakesOut) {
    server.ToolExtrudePath(pt(50, 20, 5), pt(50, 60, 5));  // z 5 .. 15, inside the stock

    server.SubtractArcToolFromGroup();

    const auto m = measureSolid(*stock);
    EXPECT_TRUE(m.valid);
    EXPECT_REL(200000 - m.volume, silhouetteArea() * 40, 1e-6);
    EXPECT_TRUE(entityDeleted(*server.cutSolid));
}

}  // namespace
}  // namespace corvex::testing
