// A part that grows many faces is cut in cells: what it holds, and what a user sees of it, must
// be what one solid cut by the same tools would be.
#include <BRepBndLib.hxx>
#include <BRepGProp.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRep_Builder.hxx>
#include <TopoDS_Compound.hxx>
#include <Bnd_Box.hxx>
#include <GProp_GProps.hxx>
#include <gp_Trsf.hxx>

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "cadhost/occt/model/embedded_host.hpp"
#include "cadhost/occt/cutting/guarded_cut.hpp"
#include "cadhost/occt/cutting/part_cells.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

constexpr double kBlock = 100 * 100 * 20;
constexpr int kFacesPerCell = 100;  // small cells, so that a few dozen cuts split the part

TopoDS_Shape block() { return BRepPrimAPI_MakeBox(gp_Pnt(0, 0, -20), gp_Pnt(100, 100, 0)).Shape(); }

double kernelVolume(const TopoDS_Shape& shape) {
    GProp_GProps properties;
    BRepGProp::VolumeProperties(shape, properties);
    return properties.Mass();
}

std::array<double, 6> boundsOf(const TopoDS_Shape& shape) {
    Bnd_Box box;
    BRepBndLib::AddOptimal(shape, box, false, false);
    std::array<double, 6> b{};
    box.Get(b[0], b[1], b[2], b[3], b[4], b[5]);
    return b;
}

// Pockets 12 x 12 on a 10 mm grid, each at a depth of its own, so neighbours overlap and the
// part keeps gaining faces (as a 3-D finishing job does). Their edges lie on whole millimetres,
// so a 1 mm height map gives the exact volume they leave.
class CellularCuts : public ::testing::Test {
protected:
    void TearDown() override { setSubtractionHookForTesting(nullptr); }

    static double depth(int i, int j) { return 1 + ((i * 7 + j * 3) % 11) * 0.25; }
    CutTool pocket(int i, int j) {
        const int x = 10 * i + 4, y = 10 * j + 4;
        const double d = depth(i, j);
        for (int a = x; a < x + 12; ++a)
            for (int b = y; b < y + 12; ++b) floor_[a][b] = std::max(floor_[a][b], d);
        return {BRepPrimAPI_MakeBox(gp_Pnt(x, y, -d), gp_Pnt(x + 12, y + 12, 5)).Shape(), 12 * 12 * (d + 5)};
    }
    double expectedVolume() const {
        double removed = 0;
        for (const auto& column : floor_)
            for (double d : column) removed += d;
        return kBlock - removed;
    }
    // Every row of pockets as one batch of tools.
    void cutAllRows(PartCells& part) {
        for (int j = 0; j < 9; ++j) {
            std::vector<CutTool> row;
            for (int i = 0; i < 9; ++i) row.push_back(pocket(i, j));
            ASSERT_TRUE(part.subtract(row));
            part.tidy();
        }
    }

    std::array<std::array<double, 100>, 100> floor_{};
};

TEST_F(CellularCuts, APartOfManyFacesIsSplitAndStillAddsUpToTheSolidItStandsFor) {
    PartCells part(block(), kFacesPerCell);
    cutAllRows(part);
    EXPECT_GT(part.cellCount(), 1u);
    EXPECT_NEAR(part.volume(), expectedVolume(), 1e-9 * kBlock);

    // Joined, it is one valid solid of that volume, with the block's outline.
    const TopoDS_Shape& whole = part.shape();
    EXPECT_EQ(countSolids(whole), 1);
    EXPECT_TRUE(isValidShape(whole));
    EXPECT_NEAR(kernelVolume(whole), expectedVolume(), 1e-9 * kBlock);
    auto b = boundsOf(whole);
    EXPECT_NEAR(b[0], 0, 1e-6);
    EXPECT_NEAR(b[3], 100, 1e-6);
    EXPECT_NEAR(b[2], -20, 1e-6);
    EXPECT_NEAR(b[5], 0, 1e-6);
}

TEST_F(CellularCuts, ACutAfterALookIsSeenByTheNextLook) {
    PartCells part(block(), kFacesPerCell);
    cutAllRows(part);
    const double before = kernelVolume(part.shape());
    // A slot right across the part, through every cell, 0.5 below the deepest pocket.
    ASSERT_TRUE(part.subtract({{BRepPrimAPI_MakeBox(gp_Pnt(-1, 48, -4.0), gp_Pnt(101, 50, 5)).Shape(), 102 * 2 * 9}}));
    for (int x = 0; x < 100; ++x)
        for (int y = 48; y < 50; ++y) floor_[x][y] = 4.0;
    EXPECT_NEAR(part.volume(), expectedVolume(), 1e-9 * kBlock);
    EXPECT_LT(kernelVolume(part.shape()), before);
    EXPECT_NEAR(kernelVolume(part.shape()), expectedVolume(), 1e-9 * kBlock);
}

TEST_F(CellularCuts, CellsCutAwayAltogetherLeaveTheRestAsOneSolid) {
    PartCells part(block(), kFacesPerCell);
    cutAllRows(part);
    ASSERT_GT(part.cellCount(), 2u);
    // Everything but a 10 mm strip along X = 100 goes, whatever cell it was in.
    ASSERT_TRUE(part.subtract({{BRepPrimAPI_MakeBox(gp_Pnt(-1, -1, -21), gp_Pnt(90, 101, 5)).Shape(), 91 * 102 * 26}}));
    double expected = 0;
    for (int x = 90; x < 100; ++x)
        for (int y = 0; y < 100; ++y) expected += 20 - floor_[x][y];
    EXPECT_NEAR(part.volume(), expected, 1e-9 * kBlock);
    const TopoDS_Shape& rest = part.shape();
    EXPECT_EQ(countSolids(rest), 1);
    EXPECT_TRUE(isValidShape(rest));
    EXPECT_NEAR(kernelVolume(rest), expected, 1e-9 * kBlock);
    EXPECT_NEAR(boundsOf(rest)[0], 90, 1e-6);
}

TEST_F(CellularCuts, WhenOneCellRefusesItsCutNoCellTakesIt) {
    PartCells part(block(), kFacesPerCell);
    cutAllRows(part);
    ASSERT_GT(part.cellCount(), 1u);
    const double before = part.volume();
    // The kernel goes wrong on the right half only: its results come back inside out.
    setSubtractionHookForTesting([](const TopoDS_Shape& result, int) {
        return boundsOf(result)[0] >= 50 - 1e-6 ? result.Reversed() : result;
    });
    const CutTool across{BRepPrimAPI_MakeBox(gp_Pnt(-1, 48, -4), gp_Pnt(101, 50, 5)).Shape(), 102 * 2 * 9};
    EXPECT_FALSE(part.subtract({across}));
    EXPECT_DOUBLE_EQ(part.volume(), before);
    EXPECT_NEAR(kernelVolume(part.shape()), before, 1e-9 * kBlock);
    EXPECT_GT(kernelCounters().guardFailures, 0);

    setSubtractionHookForTesting(nullptr);
    EXPECT_TRUE(part.subtract({across}));
    EXPECT_LT(part.volume(), before);
}

// A union the kernel returned empty (seen: ten ball sweeps) reaches no cell by its own box;
// the solids it stands for do, and the cut is refused, not dropped, on one cell or many.
TEST_F(CellularCuts, AnEmptyUnionStandingForSolidsThatReachThePartIsRefused) {
    for (bool split : {false, true}) {
        PartCells part(block(), kFacesPerCell);
        if (split) cutAllRows(part);
        ASSERT_EQ(part.cellCount() > 1, split);
        const double before = part.volume();
        TopoDS_Compound nothing;
        BRep_Builder().MakeCompound(nothing);
        const TopoDS_Shape slot = BRepPrimAPI_MakeBox(gp_Pnt(-1, 48, -4), gp_Pnt(101, 50, 5)).Shape();
        const CutTool lost{.shape = nothing, .volume = 102 * 2 * 9, .asked = {slot}};
        EXPECT_FALSE(part.subtract({lost})) << split;
        EXPECT_DOUBLE_EQ(part.volume(), before) << split;
    }
}

TEST_F(CellularCuts, AMovedPartIsCutWhereItNowIs) {
    PartCells part(block(), kFacesPerCell);
    cutAllRows(part);
    gp_Trsf shift;
    shift.SetTranslation(gp_Vec(200, 0, 0));
    part.transform(shift);
    auto b = boundsOf(part.shape());
    EXPECT_NEAR(b[0], 200, 1e-6);
    EXPECT_NEAR(b[3], 300, 1e-6);
    EXPECT_NEAR(part.volume(), expectedVolume(), 1e-9 * kBlock);

    // A cut where the block was before the move takes nothing; one where it is now does.
    ASSERT_TRUE(part.subtract({{BRepPrimAPI_MakeBox(gp_Pnt(0, 0, -10), gp_Pnt(100, 100, 5)).Shape(), 150000}}));
    EXPECT_NEAR(part.volume(), expectedVolume(), 1e-9 * kBlock);
    ASSERT_TRUE(part.subtract({{BRepPrimAPI_MakeBox(gp_Pnt(200, 0, -19), gp_Pnt(202, 2, 5)).Shape(), 96}}));
    EXPECT_NEAR(part.volume(), expectedVolume() - 2 * 2 * 19, 1e-9 * kBlock);  // no pocket reached that corner
    EXPECT_TRUE(isValidShape(part.shape()));
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
