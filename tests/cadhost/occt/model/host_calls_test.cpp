// The host's own calls: a cutter's exact body for each shape, measured against its volume by
// hand, and a plunge cut from the stock through the same subtraction as every member's cut.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <algorithm>

#include "automation/error.hpp"
#include "cadhost/occt/host_fixture.hpp"
#include "cadhost/occt/model/host_calls.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

using ::testing::HasSubstr;

// A body of radius 3 from its tip at the origin, 10 tall, for each shape.
TEST_F(HostTest, ACutterSweepStraightDownIsTheCuttersExactBodyAsTallAsTheCutterAndTheMove) {
    const double R = 3, H = 10;
    auto frustum = [](double h, double r0, double r1) { return M_PI * h / 3 * (r0 * r0 + r0 * r1 + r1 * r1); };
    const double v60 = (R - 0.5) / std::tan(M_PI / 6), v20Top = H * std::tan(M_PI / 18);
    struct Case {
        const char* what;
        CutterShape cutter;
        double volume, halfWidth;
    } cases[] = {
        {"flat", {6, 6, 0, 0, 0}, M_PI * R * R * H, R},
        {"ball", {6, 6, 3, 0, 0}, 2 * M_PI * R * R * R / 3 + M_PI * R * R * (H - R), R},
        // The corner's slab by hand: pi [(R - c)^2 c + 2 (R - c) pi c^2 / 4 + 2 c^3 / 3], c = 1.
        {"bull-nose", {6, 6, 1, 0, 0}, M_PI * (4 + M_PI + 2.0 / 3) + M_PI * R * R * (H - 1), R},
        {"pointed V-bit of 90 degrees", {6, 6, 0, 90, 0}, frustum(R, 0, R) + M_PI * R * R * (H - R), R},
        {"V-bit of 60 degrees with a tip of 1", {6, 6, 0, 60, 1}, frustum(v60, 0.5, R) + M_PI * R * R * (H - v60), R},
        {"V-bit of 20 degrees, its cone taller than the body", {6, 6, 0, 20, 0}, frustum(H, 0, v20Top), v20Top},
    };
    for (const auto& c : cases) {
        // The cutter is 6 long; the move down by 4 makes the body 10 tall, at the lower end.
        const auto body = drawing->addCutterSweep(c.cutter, {5, 7, 4}, {5, 7, 0});
        const auto m = measureSolid(*body);
        EXPECT_TRUE(m.valid) << c.what;
        EXPECT_EQ(m.solids, 1) << c.what;
        EXPECT_NEAR(m.volume, c.volume, 1e-6 * c.volume) << c.what;
        EXPECT_NEAR(m.box.min[2], 0, 1e-6) << c.what;
        EXPECT_NEAR(m.box.max[2], H, 1e-6) << c.what;
        EXPECT_NEAR(m.box.max[0] - 5, c.halfWidth, 1e-6) << c.what;
        EXPECT_NEAR(m.box.min[1] - 7, -c.halfWidth, 1e-6) << c.what;
    }
}

// Along a straight move v, a convex body K sweeps vol(K) + |v| times the area of K's shadow on a
// plane square to v. At an angle t from the vertical, a cylinder of radius R and height L casts
// 2 R L sin t + pi R^2 |cos t|; a ball-nose (its side h = L - R above the ball) casts
// 2 R h sin t + pi R^2 |cos t| / 2 + pi R^2 / 2 (the ball's half disc below the side's).
TEST_F(HostTest, ACutterSweepAlongAnyStraightMoveIsTheBodysMinkowskiSumWithTheMove) {
    const double R = 3, L = 12;
    const std::array<double, 3> moves[] = {{20, 0, 0},  {0, 15, -4}, {-7, 7, 3}, {10, -2, -10}, {0.5, 0, -9},
                                           {3, 4, 1e-7}, {-20, -5, 0.5}, {1e-5, 0, -3}, {6, 6, 6}};
    for (const double corner : {0.0, R}) {
        for (const auto& v : moves) {
            const double length = std::hypot(v[0], v[1], v[2]), t = std::acos(std::fabs(v[2]) / length);
            const double h = L - corner;
            const double body = corner == 0 ? M_PI * R * R * L : 2 * M_PI * R * R * R / 3 + M_PI * R * R * h;
            const double shadow = corner == 0 ? 2 * R * L * std::sin(t) + M_PI * R * R * std::cos(t)
                                              : 2 * R * h * std::sin(t) + M_PI * R * R * (std::cos(t) + 1) / 2;
            const std::array<double, 3> from{10, 20, 5}, to{10 + v[0], 20 + v[1], 5 + v[2]};
            const auto sweep = drawing->addCutterSweep({2 * R, L, corner, 0, 0}, from, to);
            const auto m = measureSolid(*sweep);
            const std::string what = (corner == 0 ? "flat " : "ball ") + std::to_string(v[0]) + " " +
                                     std::to_string(v[1]) + " " + std::to_string(v[2]);
            EXPECT_TRUE(m.valid) << what;
            EXPECT_EQ(m.solids, 1) << what;
            EXPECT_NEAR(m.volume, body + length * shadow, 1e-6 * (body + length * shadow) + 1e-5) << what;
            EXPECT_NEAR(m.box.min[2], std::min(from[2], to[2]), 1e-5) << what;
            EXPECT_NEAR(m.box.max[2], std::max(from[2], to[2]) + L, 1e-5) << what;
        }
    }
}

// Along a level move every cutter sweeps its body and the prism of its section across the
// move: a bull-nose's (the rectangle less two corners of c^2 (1 - pi / 4)), a V-bit's (less
// the two triangles beside its cone, or the cone's triangle alone when it is taller than the
// body), by hand.
TEST_F(HostTest, ALevelSweepOfEveryCutterIsItsBodyAndItsSectionsPrism) {
    const double R = 3, L = 12;
    struct Case {
        CutterShape cutter;
        double body, section;
    };
    const double c = 1, ringCentre = R - c + 4 * c / (3 * M_PI);
    const double flank90 = R, flank60 = (R - 0.5) / std::tan(M_PI / 6), reach20 = R * L / (R / std::tan(M_PI / 18));
    const Case cases[] = {
        {{2 * R, L, c, 0, 0}, M_PI * (R - c) * (R - c) * c + 2 * M_PI * ringCentre * M_PI * c * c / 4 + M_PI * R * R * (L - c),
         2 * R * L - 2 * c * c * (1 - M_PI / 4)},
        {{2 * R, L, 0, 90, 0}, M_PI * R * R * flank90 / 3 + M_PI * R * R * (L - flank90), 2 * R * L - R * flank90},
        {{2 * R, L, 0, 60, 1}, M_PI * flank60 / 3 * (0.25 + 0.5 * R + R * R) + M_PI * R * R * (L - flank60),
         2 * R * L - (R - 0.5) * flank60},
        {{2 * R, L, 0, 20, 0}, M_PI * reach20 * reach20 * L / 3, reach20 * L},
    };
    for (const auto& [cutter, body, section] : cases) {
        for (const std::array<double, 3>& v : {std::array<double, 3>{20, 0, 0}, {-7, 7, 0}, {3, 4, 0}}) {
            const std::array<double, 3> from{10, 20, 5}, to{10 + v[0], 20 + v[1], 5};
            const double expected = body + std::hypot(v[0], v[1]) * section;
            const auto m = measureSolid(*drawing->addCutterSweep(cutter, from, to));
            const std::string what = "corner " + std::to_string(cutter.corner) + " angle " + std::to_string(cutter.angle);
            EXPECT_TRUE(m.valid) << what;
            EXPECT_EQ(m.solids, 1) << what;
            EXPECT_NEAR(m.volume, expected, 1e-6 * expected) << what;
        }
    }
}

TEST_F(HostTest, TheHostsCutterSweepCutsEachSolidOfThePartAndIsJournalled) {
    drawing->addToGroup("PART", drawing->addBox({0, 0, -20}, {100, 100, 0}));
    drawing->addToGroup("PART", drawing->addBox({0, 200, -20}, {100, 300, 0}));
    const std::vector<Variant> ball{pt(50, 50, 5), pt(50, 50, -4), num(6), num(30), num(3), num(0), num(0)};
    invokeHostCall(*drawing, "host:CutterSweep", ball);
    const auto part = drawing->groupMembers("PART");
    EXPECT_NEAR(measureSolid(*part[0]).volume, 200000 - (2 * M_PI * 9 + M_PI * 9 * 1), 1e-6);
    EXPECT_NEAR(measureSolid(*part[1]).volume, 200000, 1e-6);  // met by none
    const auto& lines = drawing->journal().lines();
    const auto sweep = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.find("AddCutterSweep") != std::string::npos; });
    ASSERT_NE(sweep, lines.end());
    EXPECT_THAT(*std::next(sweep), HasSubstr("Solid3D#1.Boolean(2"));

    // What the host cannot make is an automation error that says why.
    const std::pair<std::vector<Variant>, const char*> refused[] = {
        {{pt(50, 50, 5), pt(60, 50, -4), num(6), num(30), num(0), num(90), num(8)}, "a tip narrower than it"},
        {{pt(50, 50, 5), pt(50, 50, -4), num(6), num(30), num(4), num(0), num(0)}, "a corner from 0 to its radius"},
        {{pt(50, 50, 5), pt(50, 50, -4), num(6), num(30), num(0), num(180), num(0)}, "an angle below 180 degrees"},
        {{pt(50, 50, 5), pt(50, 50, -4), num(6)}, "takes 7 arguments"},
        {{pt(50, 50, 5), pt(50, 50, 2e6), num(6), num(30), num(0), num(0), num(0)}, "working range"},
        {{pt(52, 50, -4), pt(50, 50, -4), num(90), num(6), num(30), num(3), num(0), num(0)}, "must exceed the cutter's"},
        {{pt(60, 50, -4), pt(50, 50, -3), num(90), num(6), num(30), num(3), num(0), num(0)}, "at its start's height"},
        {{pt(60, 50, -4), pt(50, 50, -4), num(270), num(-1), num(6), num(30), num(1), num(0), num(0)}, "half a turn at most"},
        {{pt(60, 50, -4), pt(50, 50, -4), num(90), num(0), num(6), num(30), num(1), num(0), num(0)}, "must rise or fall"},
    };
    for (const auto& [arguments, message] : refused) {
        try {
            invokeHostCall(*drawing,
                           arguments.size() == 9   ? "host:CutterHelix"
                           : arguments.size() == 8 ? "host:CutterArc"
                                                   : "host:CutterSweep",
                           arguments);
            ADD_FAILURE() << message;
        } catch (const automation::Error& error) {
            EXPECT_THAT(error.description(), HasSubstr(message));
        }
    }
    EXPECT_THROW(invokeHostCall(*drawing, "host:Nothing", {}), automation::Error);
    EXPECT_NEAR(measureSolid(*part[0]).volume, 200000 - (2 * M_PI * 9 + M_PI * 9 * 1), 1e-6);  // none cut
}

// A ball's move into a part lying wholly below the cutter's top is cut as its pass, made face
// by face and cut off level: the same cut as the exact sweep's, in each direction and slope.
TEST_F(HostTest, ABallsMoveBelowItsTopCutsAsTheExactSweepDoes) {
    const std::array<double, 3> moves[][2] = {{{20, 50, -1}, {80, 50, -4}}, {{80, 30, -6}, {20, 70, -2}}, {{10, 10, -3}, {90, 90, -3}}};
    for (const auto& [from, to] : moves) {
        const auto own = application->open();  // a drawing of its own, for a PART of one solid
        const auto part = own->addBox({0, 0, -20}, {100, 100, 0});
        const auto expected = own->addBox({0, 0, -20}, {100, 100, 0});
        own->addToGroup("PART", part);
        invokeHostCall(*own, "host:CutterSweep",
                       {pt(from[0], from[1], from[2]), pt(to[0], to[1], to[2]), num(6), num(30), num(3), num(0), num(0)});
        expected->Boolean(Variant::int32(2), Variant::object(own->addCutterSweep({6, 30, 3, 0, 0}, from, to)));
        EXPECT_NEAR(measureSolid(*part).volume, measureSolid(*expected).volume, 1e-6 * 200000);
        EXPECT_TRUE(measureSolid(*part).valid);
    }
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
