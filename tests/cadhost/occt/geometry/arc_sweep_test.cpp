// A cutter's level arc is its body plus its axial section turned about the arc's axis: by
// Pappus, the section's area times the turn times its centroid's radius, the turn's own.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "automation/error.hpp"
#include "cadhost/occt/geometry/cutter_body.hpp"
#include "cadhost/occt/geometry/cutter_sweep.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

// The area of the cutter's section through its axis, `length` tall, from its profile.
double sectionArea(const CutterProfile& cutter, double length) {
    const double r = cutter.radius;
    if (cutter.angle > 0) {
        const double t = cutter.tip / 2, flank = (r - t) / std::tan(cutter.angle / 2 * M_PI / 180);
        return 2 * ((t + r) / 2 * flank + r * (length - flank));
    }
    const double c = cutter.corner;
    return 2 * (r * length - c * c * (1 - M_PI / 4));
}

TEST(ArcSweep, EveryCutterTurningLevelSweepsItsBodyAndItsSectionTurnedByPappus) {
    constexpr double kLength = 25, kTurnRadius = 12;
    const std::vector<std::pair<const char*, CutterProfile>> cutters{
        {"ball 6", {3, 3, 0, 0}}, {"bull-nose 8, corner 1.5", {4, 1.5, 0, 0}},
        {"V-bit 90, tip 1", {3, 0, 90, 1}}, {"V-bit 60, pointed", {3, 0, 60, 0}}, {"flat 6", {3, 0, 0, 0}}};
    const gp_Pnt centre(40, 30, -5), from(40 + kTurnRadius * std::cos(0.3), 30 + kTurnRadius * std::sin(0.3), -5);
    for (const auto& [name, cutter] : cutters)
        for (const double turn : {M_PI / 2, -1.5 * M_PI, 2 * M_PI, 0.01}) {
            SCOPED_TRACE(std::string(name) + ", turn " + std::to_string(turn));
            try {
                const TopoDS_Shape arc = arcSweep(cutter, kLength, from, centre, turn);
                EXPECT_TRUE(isValidShape(arc));
                EXPECT_EQ(countSolids(arc), 1);
                const double ring = std::fabs(turn) * sectionArea(cutter, kLength) * kTurnRadius;
                const double ends = std::fabs(turn) < 2 * M_PI ? solidVolume(cutterBody(cutter, from, kLength)) : 0;
                EXPECT_NEAR(solidVolume(arc), ring + ends, 1e-7 * (ring + ends));
            } catch (const automation::Error& error) {
                ADD_FAILURE() << error.what();
            }
        }
    // A turn no wider than the cutter, a centre off the start's height: refused, not made wrong.
    EXPECT_THROW(arcSweep({3, 3, 0, 0}, kLength, gp_Pnt(2.5, 0, 0), gp_Pnt(0, 0, 0), 1), automation::Error);
    EXPECT_THROW(arcSweep({3, 3, 0, 0}, kLength, gp_Pnt(10, 0, 0), gp_Pnt(0, 0, 1), 1), automation::Error);
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
