// Sessions on which the kernel once gave a wrong part that passed as right, dropped a cut, or
// lost the workpiece from the written drawing. Each runs queued and eager: both must write the
// part of the expected volume, valid, in the group PART.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "runner/runner_fixture.hpp"

namespace corvex::runner::testing {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kBarVolume = kPi * 10 * 10 * 50;

// The stocks the sessions start from.
const char* const kBar = "--cylinder 0 0 0 10 50 --axis x";
const char* const kBlock = "--box 0 0 0 100 100 20";

struct TrustCase {
    const char* name;
    const char* stock;
    std::string session;  // the calls after StartAcad, one per line
    double volume;        // of PART when the session ends
    double tolerance;
};

void PrintTo(const TrustCase& trust, std::ostream* out) { *out << trust.name; }

std::string latheArc(double x, double y, double from, double to) {
    std::ostringstream call;
    call << "[\"LatheArc\", [" << x << "," << y << ",3," << from << "," << to << "], [" << x << "," << y << ",5,"
         << from << "," << to << "], null, null, [0,8,0]]\n";
    return call.str();
}

// A quarter ring between radii 3 and 5 about (x, y), turned about the X axis (Pappus): its
// centroid lies (4/3)(sin 45°/(π/2))(5³-3³)/(5²-3²) from the centre, on the bisector.
double quarterRingVolume(double y, double fromDegrees) {
    const double area = kPi / 4 * (25 - 9);
    const double reach = 4.0 / 3 * (std::sin(kPi / 4) / (kPi / 2)) * (125.0 - 27) / (25 - 9);
    return 2 * kPi * (y + reach * std::sin((fromDegrees + 45) * kPi / 180)) * area;
}

// 200 blind holes of radius 1 and nine depths, then two rings of a 0.4 mm cutter at 2 mm
// depth that touch no hole: the part grows enough faces to be kept in cells.
std::string drilledBlock() {
    std::ostringstream calls;
    int i = 0;
    for (int x = 5; x < 60; x += 5)
        for (int y = 5; y < 100 && i < 200; y += 5, ++i)
            calls << "[\"drill_path\"," << x << "," << y << "," << 18 - i % 9 << "," << 3 + i % 9 << ",1]\n";
    for (double y : {12.5, 32.5})
        calls << "[\"ToolMillArc\",[7.5," << y << ",18],[0,0,0],[0,0,0],[0,0,0],[0,0,0],[0,0,0],0.4,0.2,0,0]\n";
    return calls.str();
}

std::vector<TrustCase> trustCases() {
    std::vector<TrustCase> cases;
    // A ring turned to the bar's diameter, twice: the second cut was once dropped.
    cases.push_back({"TangentRingsBothCut", kBar, latheArc(20, 5, -360, -270) + latheArc(40, 5, -360, -270),
                     kBarVolume - 2 * quarterRingVolume(5, 0), 1e-3});
    // The same rings queued together once left a part that was no longer a solid of revolution.
    cases.push_back({"QueuedQuarterRings", kBar, latheArc(20, 5, 0, 90) + latheArc(40, 5, 0, 90),
                     kBarVolume - 2 * quarterRingVolume(5, 0), 1e-3});
    // Rings in every quadrant along the bar, inside it or touching its diameter: valid cuts
    // that the volume check once refused.
    std::string quadrants;
    double removed = 0;
    const double quadrant[4][3] = {{6, 5, 0}, {17, 5, 90}, {28, 6, 180}, {39, 6, 270}};
    for (const auto& q : quadrant) {
        quadrants += latheArc(q[0], q[1], q[2], q[2] + 90);
        removed += quarterRingVolume(q[1], q[2]);
    }
    cases.push_back({"RingsInEveryQuadrant", kBar, quadrants, kBarVolume - removed, 1e-3});
    // Measured by hand: the block less 200 cylinders and two rings.
    cases.push_back({"HolesAndRingsKeptInCells", kBlock, drilledBlock(), 196250.572, 2e-3});
    // A hole wider than the block leaves an empty solid, which stays in PART for the next run.
    cases.push_back({"BlockDrilledAway", "--box 0 0 0 10 10 10", "[\"drill_path\", 5, 5, -5, 30, 20]\n", 0, 1e-9});
    return cases;
}

class TrustCases : public Runner, public ::testing::WithParamInterface<TrustCase> {};

TEST_P(TrustCases, WriteThePartOfTheExpectedVolumeQueuedAndEager) {
    const TrustCase& trust = GetParam();
    ASSERT_EQ(corvex(std::string("stock -o stock.step --group PART ") + trust.stock).status, 0);
    write("job.session", "[\"StartAcad\"]\n" + trust.session);
    for (const char* mode : {"", " --eager"}) {
        SCOPED_TRACE(*mode ? "eager" : "queued");
        const Outcome run = corvex(std::string("run job.session -d stock.step -o out.step") + mode);
        EXPECT_EQ(run.status, 0) << run.err;
        const Json drawing = inspect("out.step");
        ASSERT_EQ(drawing["groups"]["PART"].size(), 1u) << drawing.dump();
        const Json& part = drawing["entities"][0];
        EXPECT_NEAR(part["volume"].get<double>(), trust.volume, trust.tolerance);
        EXPECT_TRUE(part["valid"].get<bool>());
        EXPECT_EQ(part["lumps"], trust.volume > 0 ? 1 : 0);
        // The written drawing is one the next session can start from.
        write("next.session", "[\"StartAcad\"]\n[\"drill_path\", 0, 0, 30, 1, 0.5]\n");
        const Outcome next = corvex("run next.session -d out.step -o next.step");
        EXPECT_EQ(next.status, 0) << next.err;
        // A turned part stays a solid of revolution about the X axis.
        if (trust.stock == kBar) {
            EXPECT_NEAR(part["centroid"][1].get<double>(), 0, 1e-6);
            EXPECT_NEAR(part["centroid"][2].get<double>(), 0, 1e-6);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sessions, TrustCases, ::testing::ValuesIn(trustCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvex::runner::testing
