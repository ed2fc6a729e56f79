// A cutter's sweep along a sloping move, made face by face, against the volume every convex
// body's sweep has: the body's own, plus the move's length times the area of the body's shadow
// on a plane square to the move (here the hull of points of its rims and corner, projected),
// as the host measures it (a bull-nose's sweep has a face the kernel alone measures 3 % off).
#include <BRepBndLib.hxx>
#include <Bnd_Box.hxx>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "automation/error.hpp"
#include "cadhost/occt/geometry/cutter_body.hpp"
#include "cadhost/occt/geometry/cutter_sweep.hpp"
#include "cadhost/occt/geometry/silhouette_sweep.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

// Points (radius, height) of the body's profile whose circles' hull is the body.
std::vector<std::pair<double, double>> profilePoints(const CutterProfile& cutter, double length) {
    const double r = cutter.radius;
    if (cutter.angle > 0) {
        const double t = cutter.tip / 2, flank = (r - t) / std::tan(cutter.angle / 2 * M_PI / 180);
        if (flank >= length) {
            const double reach = t + (r - t) * length / flank;
            return {{t, 0}, {reach, length}};
        }
        return {{t, 0}, {r, flank}, {r, length}};
    }
    const double c = cutter.corner;
    std::vector<std::pair<double, double>> points{{r, length}};
    for (int i = 0; i <= 160; ++i) {
        const double angle = M_PI / 2 * i / 160;
        points.push_back({r - c + c * std::sin(angle), c - c * std::cos(angle)});
    }
    return points;
}

double cross(const std::pair<double, double>& o, const std::pair<double, double>& a, const std::pair<double, double>& b) {
    return (a.first - o.first) * (b.second - o.second) - (a.second - o.second) * (b.first - o.first);
}

double hullArea(std::vector<std::pair<double, double>> points) {
    std::sort(points.begin(), points.end());
    std::vector<std::pair<double, double>> hull(2 * points.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
        hull[k++] = points[i];
    }
    for (std::size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
        hull[k++] = points[i];
    }
    double area = 0;
    for (std::size_t i = 0; i + 1 < k; ++i) area += hull[i].first * hull[i + 1].second - hull[i + 1].first * hull[i].second;
    return area / 2;
}

// The area of the body's shadow on the plane square to `move`.
double shadowArea(const CutterProfile& cutter, double length, const gp_Vec& move) {
    const gp_Dir d(move);
    const gp_Dir e1(gp_Vec(d).Crossed(std::fabs(d.Z()) < 0.9 ? gp_Vec(0, 0, 1) : gp_Vec(1, 0, 0)));
    const gp_Dir e2 = d.Crossed(e1);
    std::vector<std::pair<double, double>> shadow;
    constexpr int kTurns = 2880;
    for (const auto& [radius, height] : profilePoints(cutter, length))
        for (int i = 0; i < (radius > 0 ? kTurns : 1); ++i) {
            const double theta = 2 * M_PI * i / kTurns;
            const gp_Vec p(radius * std::cos(theta), radius * std::sin(theta), height);
            shadow.push_back({p.Dot(gp_Vec(e1)), p.Dot(gp_Vec(e2))});
        }
    return hullArea(shadow);
}

TEST(SilhouetteSweep, EveryCutterAlongEverySlopeHasTheVolumeOfItsBodyPlusItsShadowAlongTheMove) {
    constexpr double kLength = 30;
    const std::vector<std::pair<const char*, CutterProfile>> cutters{
        {"bull-nose 6, corner 1", {3, 1, 0, 0}},      {"bull-nose 10, corner 0.5", {5, 0.5, 0, 0}},
        {"bull-nose 6, corner 2.9", {3, 2.9, 0, 0}},  {"V-bit 90, pointed", {3, 0, 90, 0}},
        {"V-bit 60, tip 1", {3, 0, 60, 1}},           {"V-bit 120, tip 2", {4, 0, 120, 2}},
        {"V-bit 10, taller than its body", {3, 0, 10, 0}}, {"flat 6", {3, 0, 0, 0}},
    };
    const std::vector<std::pair<const char*, gp_Vec>> moves{
        {"shallow ramp", {10, 0, -1}},
        {"steeper than a 90 degree flank", {1, 2, -8}},
        {"rising", {-7, 3, 4}},
        {"all but level", {20, 5, -1e-4}},
        {"as steep as a 90 degree flank", {3, 4, -5 + 1e-9}},
    };
    const gp_Pnt from(50, 40, -2);
    for (const auto& [cutterName, cutter] : cutters)
        for (const auto& [moveName, move] : moves) {
            SCOPED_TRACE(std::string(cutterName) + ", " + moveName);
            const gp_Pnt to = from.Translated(move);
            TopoDS_Shape sweep;
            try {
                sweep = silhouetteSweep(cutter, kLength, from, to);
            } catch (const automation::Error& error) {
                ADD_FAILURE() << error.what();
                continue;
            }
            EXPECT_TRUE(isValidShape(sweep));
            EXPECT_EQ(countSolids(sweep), 1);
            const double expected = solidVolume(cutterBody(cutter, from, kLength)) +
                                    move.Magnitude() * shadowArea(cutter, kLength, move);
            EXPECT_NEAR(solidVolume(sweep), expected, 2e-5 * expected);
            Bnd_Box box;
            BRepBndLib::AddOptimal(sweep, box, false, false);
            const double top = std::max(from.Z(), to.Z()) + kLength, bottom = std::min(from.Z(), to.Z());
            EXPECT_NEAR(box.CornerMax().Z(), top, 1e-6);
            EXPECT_NEAR(box.CornerMin().Z(), bottom, 1e-6);
        }
}

TEST(SilhouetteSweep, TheHostSweepsABullNoseAndAVBitAlongARampAsOneExactCut) {
    // Through straightSweep, as the host's cut asks for it; the same solid either way along.
    for (const CutterProfile& cutter : {CutterProfile{3, 1, 0, 0}, CutterProfile{3, 0, 90, 0.5}}) {
        const gp_Pnt a(0, 0, 0), b(12, -5, -3);
        const double there = solidVolume(straightSweep(cutter, 20, a, b)), back = solidVolume(straightSweep(cutter, 20, b, a));
        EXPECT_NEAR(there, back, 1e-9 * there);
        EXPECT_NEAR(there, solidVolume(cutterBody(cutter, a, 20)) + gp_Vec(a, b).Magnitude() * shadowArea(cutter, 20, gp_Vec(a, b)),
                    2e-5 * there);
    }
    EXPECT_THROW(silhouetteSweep({3, 3, 0, 0}, 20, gp_Pnt(0, 0, 0), gp_Pnt(5, 0, -1)), automation::Error);
    EXPECT_THROW(silhouetteSweep({3, 1, 0, 0}, 20, gp_Pnt(0, 0, 0), gp_Pnt(0, 0, -1)), automation::Error);
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
