// A cutter's sweep along a helix against the volume a screw motion sweeps: the body's own plus
// the turn times the rate at which the body's front meets new ground, the flux of the motion's
// velocity out through the half of the body's surface that faces forwards (every rigid motion
// is free of sources, so that flux is the rate whichever way the sweep is measured). Here it is
// integrated along the body's profile, in closed form round the axis: an oracle that shares no
// code with the sweep.
#include <BRepBndLib.hxx>
#include <Bnd_Box.hxx>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "automation/error.hpp"
#include "cadhost/occt/geometry/cutter_body.hpp"
#include "cadhost/occt/geometry/screw_sweep.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

// The integral over a turn round the body's axis of max(0, a sin t - b).
double aroundTheAxis(double a, double b) {
    if (b >= a) return 0;
    if (b <= -a) return -2 * M_PI * b;
    const double alpha = std::asin(b / a);
    return 2 * a * std::cos(alpha) - b * (M_PI - 2 * alpha);
}

// A piece of the profile, (radius, height) of a parameter from 0 to 1, going up and out from
// the tip's centre round to the top's centre (so that the normal it makes points out).
using ProfilePiece = std::function<std::pair<double, double>(double)>;

std::vector<ProfilePiece> profileOf(const CutterProfile& cutter, double length) {
    const double r = cutter.radius, c = cutter.corner;
    auto line = [](double s0, double h0, double s1, double h1) -> ProfilePiece {
        return [=](double l) { return std::make_pair(s0 + (s1 - s0) * l, h0 + (h1 - h0) * l); };
    };
    std::vector<ProfilePiece> pieces;
    double top = r;
    if (cutter.angle > 0) {
        const double t = cutter.tip / 2, flank = (r - t) / std::tan(cutter.angle / 2 * M_PI / 180);
        const double coneTop = std::min(flank, length);
        top = t + (r - t) * coneTop / flank;
        pieces = {line(0, 0, t, 0), line(t, 0, top, coneTop), line(top, coneTop, top, length)};
    } else {
        pieces = {line(0, 0, r - c, 0),
                  [=](double l) {
                      const double angle = M_PI / 2 * l;
                      return std::make_pair(r - c + c * std::sin(angle), c - c * std::cos(angle));
                  },
                  line(r, c, r, length)};
    }
    pieces.push_back(line(top, length, 0, length));
    return pieces;
}

// The rate (per radian) at which a screw motion about an axis `radius` from the body's, rising
// `pitch` per radian, sweeps new volume.
double sweptPerRadian(const CutterProfile& cutter, double length, double radius, double pitch) {
    constexpr int kSteps = 20000;  // Simpson's rule on each piece of the profile
    constexpr double kStep = 1e-7;  // for the derivatives
    double rate = 0;
    for (const ProfilePiece& piece : profileOf(cutter, length)) {
        auto integrand = [&](double l) {
            const double a = std::min(1.0, l + kStep), b = std::max(0.0, l - kStep);
            const auto [s, h] = piece(l);
            const auto [sa, ha] = piece(a);
            const auto [sb, hb] = piece(b);
            return s * aroundTheAxis(radius * (ha - hb) / (a - b), pitch * (sa - sb) / (a - b));
        };
        double sum = integrand(0) + integrand(1);
        for (int i = 1; i < kSteps; ++i) sum += (i % 2 ? 4 : 2) * integrand(static_cast<double>(i) / kSteps);
        rate += sum / (3.0 * kSteps);
    }
    return rate;
}

TEST(ScrewSweep, EveryCutterAlongAHelixHasTheVolumeOfItsBodyPlusWhatItsFrontMeets) {
    constexpr double kLength = 30;
    const std::vector<std::pair<const char*, CutterProfile>> cutters{
        {"flat 6", {3, 0, 0, 0}},
        {"ball 6", {3, 3, 0, 0}},
        {"ball 2", {1, 1, 0, 0}},
        {"bull-nose 6, corner 1", {3, 1, 0, 0}},
        {"bull-nose 10, corner 0.5", {5, 0.5, 0, 0}},
        {"V-bit 90, pointed", {3, 0, 90, 0}},
        {"V-bit 60, tip 1", {3, 0, 60, 1}},
        {"V-bit 10, taller than its body", {3, 0, 10, 0}},
    };
    struct Helix {
        const char* name;
        double radius, turn, rise;
    };
    const std::vector<Helix> helices{
        {"a falling quarter turn", 10, M_PI / 2, -2},
        {"a rising half turn, clockwise", 8, -M_PI, 3},
        {"steep and tight", 6.5, M_PI / 3, -12},
        {"all but level", 20, M_PI, -1e-3},
    };
    const gp_Pnt centre(50, 40, -2);
    for (const auto& [cutterName, cutter] : cutters)
        for (const Helix& helix : helices) {
            SCOPED_TRACE(std::string(cutterName) + ", " + helix.name);
            const gp_Pnt from(centre.X() + helix.radius * std::cos(0.3), centre.Y() + helix.radius * std::sin(0.3), centre.Z());
            TopoDS_Shape sweep;
            try {
                sweep = screwSweep(cutter, kLength, from, centre, helix.turn, helix.rise);
            } catch (const automation::Error& error) {
                ADD_FAILURE() << error.what();
                continue;
            }
            EXPECT_TRUE(isValidShape(sweep));
            EXPECT_EQ(countSolids(sweep), 1);
            const double expected = solidVolume(cutterBody(cutter, from, kLength)) +
                                    std::fabs(helix.turn) *
                                        sweptPerRadian(cutter, kLength, helix.radius, helix.rise / std::fabs(helix.turn));
            EXPECT_NEAR(solidVolume(sweep), expected, 2e-5 * expected);
            Bnd_Box box;
            BRepBndLib::AddOptimal(sweep, box, false, false);
            EXPECT_NEAR(box.CornerMax().Z(), centre.Z() + std::max(0.0, helix.rise) + kLength, 1e-5);
            EXPECT_NEAR(box.CornerMin().Z(), centre.Z() + std::min(0.0, helix.rise), 1e-5);
        }
}

TEST(ScrewSweep, RefusesWhatItCannotMakeExactly) {
    const CutterProfile flat{3, 0, 0, 0};
    const gp_Pnt centre(0, 0, 0);
    for (const auto& [from, turn, rise] : std::vector<std::tuple<gp_Pnt, double, double>>{
             {gp_Pnt(3, 0, 0), 1.0, -1.0},         // the radius no more than the cutter's
             {gp_Pnt(10, 0, 0), 4.0, -1.0},        // more than half a turn
             {gp_Pnt(10, 0, 0), 0.0, -1.0},        // no turn
             {gp_Pnt(10, 0, 0), 1.0, 0.0},         // level: an arc
             {gp_Pnt(10, 0, 1), 1.0, -1.0},        // the centre off the start's height
         })
        EXPECT_THROW(screwSweep(flat, 20, from, centre, turn, rise), automation::Error);
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
