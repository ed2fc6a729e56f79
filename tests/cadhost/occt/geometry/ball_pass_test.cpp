// A ball's pass made face by face is the union of the exact sweeps of its moves (each the
// Minkowski sum of the body and the move), cut off level at the pass's top: measured both ways
// round by the kernel. Chains that are no pass are refused, never made wrong.
#include <BRepAlgoAPI_Common.hxx>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBndLib.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepClass3d_SolidClassifier.hxx>
#include <Bnd_Box.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>
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

// Where a point lies by the ball's own definition: below `top`, and above the ball's lowest
// point over it for some position of the tip along some move (the shank fills the column
// above). None within `band` of that lowest point, of the top or of the footprint's edge.
std::optional<bool> insideBySweep(const std::vector<gp_Pnt>& tips, double top, const gp_Pnt& p, double band) {
    if (std::fabs(p.Z() - top) < band) return std::nullopt;
    double lowest = 1e300;
    bool nearEdge = false;
    for (std::size_t i = 0; i + 1 < tips.size(); ++i) {
        const gp_Pnt &a = tips[i], &b = tips[i + 1];
        // The tip's horizontal distance to p squared, a quadratic in t: where it is at most r.
        const double dx = b.X() - a.X(), dy = b.Y() - a.Y(), ex = a.X() - p.X(), ey = a.Y() - p.Y();
        const double qa = dx * dx + dy * dy, qb = 2 * (dx * ex + dy * ey), qc = ex * ex + ey * ey - kRadius * kRadius;
        const double disc = qb * qb - 4 * qa * qc;
        if (disc < 0) continue;
        const double t0 = std::max(0.0, (-qb - std::sqrt(disc)) / (2 * qa)), t1 = std::min(1.0, (-qb + std::sqrt(disc)) / (2 * qa));
        for (int k = 0; k <= 4000 && t0 <= t1; ++k) {
            const double t = t0 + (t1 - t0) * k / 4000;
            const double hx = ex + t * dx, hy = ey + t * dy, d2 = hx * hx + hy * hy;
            const double centre = a.Z() + t * (b.Z() - a.Z()) + kRadius;
            lowest = std::min(lowest, centre - std::sqrt(std::max(0.0, kRadius * kRadius - d2)));
            nearEdge = nearEdge || (kRadius - std::sqrt(d2) < band && std::fabs(p.Z() - centre) < 10 * band);
        }
    }
    if (nearEdge || std::fabs(p.Z() - lowest) < band) return std::nullopt;
    return p.Z() < top && p.Z() > lowest;
}

// Random chains in random upright planes, going forward: where the pass is made, every point
// sampled in its box lies inside it exactly when the ball's own definition says so.
TEST(BallPass, HoldsThePointsTheBallSweepsAndNoOthers) {
    std::mt19937_64 random(20261209);
    std::uniform_real_distribution<double> unit(0, 1);
    int made = 0;
    for (int chain = 0; chain < 12; ++chain) {
        const double heading = 2 * M_PI * unit(random);
        std::vector<gp_Pnt> tips;
        double s = 0, z = 0;
        for (int k = 0; k < 2 + chain % 5; ++k) {
            tips.emplace_back(10 + s * std::cos(heading), 20 + s * std::sin(heading), z);
            s += 0.3 + 4 * unit(random);
            z += (unit(random) - 0.5) * 4;
        }
        const double top = lowest(tips) + kReach;
        const auto pass = ballPass(kRadius, top, tips);
        if (!pass) continue;
        ++made;
        Bnd_Box box;
        BRepBndLib::Add(*pass, box, false);
        double x0, y0, z0, x1, y1, z1;
        box.Get(x0, y0, z0, x1, y1, z1);
        BRepClass3d_SolidClassifier classifier(*pass);
        int judged = 0;
        for (int n = 0; n < 400; ++n) {
            const gp_Pnt p(x0 + unit(random) * (x1 - x0), y0 + unit(random) * (y1 - y0), z0 + unit(random) * (z1 - z0));
            const auto expected = insideBySweep(tips, top, p, 1e-3);
            if (!expected) continue;
            classifier.Perform(p, 1e-7);
            ++judged;
            EXPECT_EQ(classifier.State() == TopAbs_IN, *expected) << "chain " << chain << " at " << p.X() << " " << p.Y() << " " << p.Z();
        }
        EXPECT_GT(judged, 300);
    }
    EXPECT_GE(made, 8);  // most random chains are passes
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
