// A ball's moves queued end to start in one vertical plane are made as one pass, and a move
// that breaks the run (another direction, plane, ball or start) ends it: either way the part is
// the one eager cutting makes, move by move.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "cadhost/occt/cutting/kernel_counters.hpp"
#include "cadhost/occt/host_fixture.hpp"
#include "cadhost/occt/model/host_calls.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

using Tip = std::array<double, 3>;

struct Move {
    Tip from, to;
    double diameter = 6;
};

// Moves from tip to tip, each from where the last ended.
std::vector<Move> chain(const std::vector<Tip>& tips, double diameter = 6) {
    std::vector<Move> moves;
    for (std::size_t i = 1; i < tips.size(); ++i) moves.push_back({tips[i - 1], tips[i], diameter});
    return moves;
}

std::vector<Move> operator+(std::vector<Move> a, const std::vector<Move>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(HostTest, ABallsMovesEndToStartInOnePlaneAreCutAsOnePassAndBreakWhereTheRunDoes) {
    // A row rising and falling along X at Y 50, as a raster's pass.
    const std::vector<Tip> row{{20, 50, -2}, {24, 50, -2.6}, {28, 50, -2.9}, {32, 50, -2.4}, {36, 50, -2.5}};
    struct Case {
        std::string name;
        std::vector<Move> moves;
        long passes;
    };
    const Case cases[] = {
        {"one row", chain(row), 1},
        {"a row, a step over and the next row back, 8 mm away",
         chain(row) + chain({{36, 50, -2.5}, {36, 58, -2.2}, {30, 58, -2.7}, {25, 58, -2.1}, {20, 58, -2.4}}), 2},
        {"a row on a slant in X and Y", chain({{20, 20, -1}, {26, 26, -2}, {32, 32, -2.5}, {38, 38, -1.5}}), 1},
        {"turning back along the row: two runs", chain({{20, 50, -2}, {26, 50, -2.5}, {32, 50, -3}, {26, 50, -3.3}, {20, 50, -3.1}}), 2},
        {"a kink out of the plane: two runs", chain({{20, 50, -2}, {26, 50, -2.5}, {32, 50, -3}, {38, 51, -3.3}, {44, 52, -3.1}}), 2},
        {"a gap between two moves", chain({{20, 50, -2}, {26, 50, -2.5}, {32, 50, -3}}) + chain({{32.5, 50, -3}, {38, 50, -2.5}, {44, 50, -2}}), 2},
        {"another ball on the same line", chain({{20, 50, -2}, {26, 50, -2.5}, {32, 50, -3}}) + chain({{32, 50, -3}, {38, 50, -2.5}, {44, 50, -2}}, 4), 2},
        {"a single move and a plunge: no run", chain({{20, 50, -2}, {26, 50, -2.5}, {26, 50, -4}}), 0},
    };
    for (const auto& c : cases) {
        double volumes[2];
        for (const bool eager : {true, false}) {
            const auto own = application->open();
            own->setEagerSubtraction(eager);
            const auto part = own->addBox({0, 0, -20}, {100, 100, 0});
            own->addToGroup("PART", part);
            resetKernelCounters();
            for (const auto& [from, to, diameter] : c.moves)
                invokeHostCall(*own, "host:CutterSweep",
                               {pt(from[0], from[1], from[2]), pt(to[0], to[1], to[2]), num(diameter), num(30),
                                num(diameter / 2), num(0), num(0)});
            const auto m = measureSolid(*part);
            EXPECT_TRUE(m.valid) << c.name;
            EXPECT_EQ(kernelCounters().ballPasses, eager ? 0 : c.passes) << c.name;
            volumes[eager] = m.volume;
        }
        EXPECT_NEAR(volumes[false], volumes[true], 1e-7 * 200000) << c.name;
        EXPECT_LT(volumes[false], 200000 - 100) << c.name;  // the moves cut
    }
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
