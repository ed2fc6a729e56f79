// A ball's pass made face by face is the union of the exact sweeps of its moves (each the
// Minkowski sum of the body and the move), cut off level at the pass's top: measured both ways
// round by the kernel. Chains that are no pass are refused, never made wrong.
#include <BRepAlgoAPI_Common.hxx>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cadhost/occt/geometry/ball_pass.hpp"
#include "cadhost/occt/geometry/cutter_sweep.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

constexpr double kRadius = 3;
constexpr double kReach = 20;  // the top above the lowest tip

struct Chain {
    const char* name;
    std::vector<gp_Pnt> tips;
};

double lowest(const std::vector<gp_Pnt>& tips) {
    return std::min_element(tips.begin(), tips.end(), [](auto& a, auto& b) { return a.Z() < b.Z(); })->Z();
}

// The moves' own sweeps united, up to `top`.
TopoDS_Shape unitedSweeps(const std::vector<gp_Pnt>& tips, double top) {
    TopoDS_Shape united;
    for (std::size_t i = 0; i + 1 < tips.size(); ++i) {
        const TopoDS_Shape sweep = straightSweep({kRadius, kRadius, 0, 0}, 2 * kReach, tips[i], tips[i + 1]);
        united = united.IsNull() ? sweep : BRepAlgoAPI_Fuse(united, sweep).Shape();
    }
    return BRepAlgoAPI_Common(united, BRepPrimAPI_MakeBox(gp_Pnt(-100, -100, -100), gp_Pnt(100, 100, top)).Shape()).Shape();
}

class BallPasses : public ::testing::TestWithParam<Chain> {};

TEST_P(BallPasses, AreTheirMovesSweepsUnitedUpToTheTop) {
    const auto& tips = GetParam().tips;
    const double top = lowest(tips) + kReach;
    const auto pass = ballPass(kRadius, top, tips);
    ASSERT_TRUE(pass);
    EXPECT_TRUE(BRepCheck_Analyzer(*pass).IsValid());
    EXPECT_EQ(countSolids(*pass), 1);
    const TopoDS_Shape expected = unitedSweeps(tips, top);
    const double volume = solidVolume(expected);
    EXPECT_NEAR(solidVolume(*pass), volume, 1e-6 * volume);
    EXPECT_NEAR(solidVolume(BRepAlgoAPI_Cut(*pass, expected).Shape()), 0, 1e-6 * volume);
    EXPECT_NEAR(solidVolume(BRepAlgoAPI_Cut(expected, *pass).Shape()), 0, 1e-6 * volume);
}

INSTANTIATE_TEST_SUITE_P(
    Chains, BallPasses,
    ::testing::Values(Chain{"Level", {{0, 0, 0}, {10, 0, 0}}}, Chain{"Ramp", {{0, 0, 0}, {10, 0, -2}}},
                      Chain{"BendingDownOnAMitre", {{0, 0, -2}, {5, 0, 0}, {10, 0, -2}}},
                      Chain{"BendingUpRoundASphere", {{0, 0, 0}, {5, 0, -2}, {10, 0, 0}}},
                      Chain{"RasterAcrossTheDiagonal", {{9, 9, -2}, {6, 6, -0.5}, {3, 3, -1}, {0, 0, 0}}},
                      Chain{"ShortStepsOfACurve", {{0, 0, 0}, {0.5, 0, -0.1}, {1, 0, -0.15}, {1.5, 0, -0.1}, {2, 0, 0.05}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Bent up by a hair, the corner is a mitre, not a sliver of sphere, standing out of the
// sphere by less than the kernel's precision (the moves' own sweeps, united, leave part of the
// dip out, 0.045 mm3). The chain lies between the level chain and the level chain a dip lower.
TEST(BallPass, BentUpByAHairLiesBetweenTheLevelPassAndTheLevelPassADipLower) {
    constexpr double kDip = 1e-3, kTop = 20;
    const auto bent = ballPass(kRadius, kTop, {{0, 0, 0}, {5, 0, -kDip}, {10, 0, 0}});
    const auto level = ballPass(kRadius, kTop, {{0, 0, 0}, {10, 0, 0}});
    const auto lower = ballPass(kRadius, kTop, {{0, 0, -kDip}, {10, 0, -kDip}});
    ASSERT_TRUE(bent && level && lower);
    EXPECT_TRUE(BRepCheck_Analyzer(*bent).IsValid());
    const double volume = solidVolume(*bent);
    EXPECT_GT(volume, solidVolume(*level) + 1e-3);  // the dip's own volume, about half of the one below
    EXPECT_LT(volume, solidVolume(*lower) - 1e-3);
}

TEST(BallPass, IsRefusedForChainsThatAreNoPass) {
    const std::vector<Chain> refused{
        {"OneTip", {{0, 0, 0}}},
        {"StraightDown", {{0, 0, 0}, {0, 0, -1}}},
        {"TurningBack", {{0, 0, 0}, {5, 0, 0}, {4, 0, 0}}},
        {"OffThePlane", {{0, 0, 0}, {5, 0.01, 0}, {10, 0, 0}}},
        // Bent down so sharply that the ball's offsets of the two moves cross beyond their ends.
        {"SharpRidge", {{0, 0, 0}, {1, 0, 1}, {2, 0, 0}}},
    };
    for (const auto& chain : refused) EXPECT_FALSE(ballPass(kRadius, 30, chain.tips)) << chain.name;
    EXPECT_FALSE(ballPass(kRadius, 2, {{0, 0, 0}, {5, 0, 0}})) << "a top below the ball's centre";
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
