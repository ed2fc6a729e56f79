// The differential test's volume verdict: a part's own volume against the share of sampled
// points the oracle finds in it.
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <gp_Ax2.hxx>
#include <gtest/gtest.h>

#include <cmath>

#include "part_oracle.hpp"

namespace corvex::bench {
namespace {

TEST(PartOracle, CallsAVolumeWrongOnlyWhenTheSampledShareCannotComeFromIt) {
    struct Case {
        const char* what;
        double partVolume;
        int sampled, inside;
        bool wrong;
    };
    constexpr double kBlock = 200000;  // 100 x 100 x 20
    const Case cases[] = {
        {"a finishing job: 3 of 2998 points out where 13.5 were due", 199101.946, 2998, 2995, false},
        {"a few small holes that no point found", 199837, 3000, 3000, false},
        {"the whole block, as claimed", kBlock, 3000, 3000, false},
        {"half the block, a share 2 errors off", 100000, 3000, 1445, false},
        {"a cut of 900 left uncut: 27 of 3000 points out, none due", kBlock, 3000, 2973, true},
        {"a part claiming 190000 where the points say 199000", 190000, 3000, 2985, true},
        {"half the block claimed, the points say 45 %", 100000, 3000, 1350, true},
        {"a part claiming nothing that still holds material", 0, 3000, 30, true},
    };
    for (const Case& c : cases) {
        OracleVerdict verdict;
        verdict.partVolume = c.partVolume;
        verdict.sampled = c.sampled;
        estimateVolume(verdict, kBlock, c.inside);
        EXPECT_NEAR(verdict.sampledVolume, kBlock * c.inside / c.sampled, 1e-9) << c.what;
        EXPECT_EQ(verdict.wrong(), c.wrong) << c.what << ": " << verdict.partVolume << " against "
                                            << verdict.sampledVolume << " +- " << verdict.sampledError;
    }
}

TEST(PartOracle, MeshesAPartToItsVolumeWhereverItStands) {
    const TopoDS_Shape box = BRepPrimAPI_MakeBox(gp_Pnt(-20, 5, 3), 100, 100, 20).Shape();
    EXPECT_NEAR(meshVolume(box), 200000, 1e-6);
    // A mesh is inscribed in a curved face: a little short of it, never over.
    const TopoDS_Shape bar =
        BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(7, -3, 2), gp_Dir(1, 1, 0)), 10, 50).Shape();
    const double exact = M_PI * 100 * 50;
    EXPECT_LE(meshVolume(bar), exact);
    EXPECT_GT(meshVolume(bar), exact * (1 - 2e-4));
}

}  // namespace
}  // namespace corvex::bench
