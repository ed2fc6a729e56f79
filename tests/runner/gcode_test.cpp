// corvex gcode end to end: a reference program to its known volume, replayed from the session it
// writes; arcs each way to the volumes their swept areas give; a program it cannot run refused
// before any cut.
#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>

#include "runner_fixture.hpp"

namespace corvex::runner::testing {
namespace {

using Gcode = Runner;

double partVolume(const Json& drawing) {
    double volume = 0;
    for (const auto& entity : drawing["entities"])
        if (entity["kind"] == "Solid3D" && !entity["groups"].empty() && entity["groups"][0] == "PART")
            volume += entity["volume"].get<double>();
    return volume;
}

fs::path example(const std::string& name) {
    return fs::path(__FILE__).parent_path() / ".." / ".." / "examples" / "gcode" / name;
}

TEST_F(Gcode, TheReferencePocketCutsItsVolumeAndItsSessionReplaysToTheSameJournalAndPart) {
    ASSERT_EQ(corvex("stock -o stock.step --group PART --box 0 0 -20 100 100 0").status, 0);
    const Outcome made = corvex("gcode '" + example("pocket.nc").string() +
                                "' -d stock.step --tool 6,30 -o part.step --session calls.jsonl --trace");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_THAT(made.err, ::testing::HasSubstr("340 cuts, tools T1, 0 collisions, removed 63922.743 mm3"));
    EXPECT_NEAR(partVolume(inspect("part.step")), 200000 - 63922.743338823, 1e-6);
    // The same host operations in the same order, and the same part.
    const Outcome replayed = corvex("run calls.jsonl -d stock.step -o replayed.step --trace");
    ASSERT_EQ(replayed.status, 0) << replayed.err;
    EXPECT_EQ(made.err.substr(0, made.err.rfind("corvex gcode:")), replayed.err);
    EXPECT_NEAR(partVolume(inspect("replayed.step")), partVolume(inspect("part.step")), 1e-9);
}

// The example programs on the 100 x 50 x 20 block, with the example tool table: twelve holes
// 6 mm across, six 10 deep and six 15 deep in pecks; a contour round a 40 x 20 rectangle with
// corners of radius 5, 2 deep, whose band 6 wide has the contour's length times 6 for area;
// holes and slots that subroutines, loops and parameters place and size; V grooves.
TEST_F(Gcode, TheExampleProgramsCutTheirVolumes) {
    makeStock();
    const std::pair<const char*, double> cases[] = {
        {"drilled_plate.nc", 6 * M_PI * 9 * (10 + 15)},
        {"rounded_contour.nc", 2 * 6 * (2 * 30 + 2 * 10 + 2 * M_PI * 5)},
        {"hole_grid.nc", 9 * M_PI * 4 * (4 + 8)},
        {"stepped_slots.nc", (40 * 6 + 9 * M_PI) * (3 + 2.5)},
        // A 90-degree V groove d deep has d^2 for section, and its two ends make one cone.
        {"v_carving.nc", 30 * 1 + std::hypot(30, 15) * 1 + 30 * 1.5 * 1.5 + M_PI / 3 * (1 + 1 + 1.5 * 1.5 * 1.5)},
    };
    for (const auto& [program, removed] : cases) {
        const Outcome made = corvex("gcode '" + example(program).string() + "' -d stock.step --tools '" +
                                    example("tools.tbl").string() + "' -o part.step");
        ASSERT_EQ(made.status, 0) << program << made.err;
        EXPECT_NEAR(partVolume(inspect("part.step")), 100000 - removed, 1e-6) << program;
    }
}

// An independent height map of a ball-nose's sweeps along rows (each along X at one Y): the
// volume a block (0..100, 0..50, top at Z 20) loses. Over each cell the ball leaves the lowest
// of, for each move, its lower offset a radius below the centres' line in the section at that
// Y (where the section's circle has radius rho), and the circles about the move's ends.
double ballRowsRemoval(const std::vector<std::pair<double, std::vector<std::array<double, 2>>>>& rows, double h) {
    constexpr double kR = 3, kTop = 20;
    double removed = 0;
    for (const auto& [y0, tips] : rows) {
        for (double y = y0 - kR + h / 2; y < y0 + kR; y += h) {
            if (y < 0 || y > 50) continue;
            const double rho = std::sqrt(std::max(0.0, kR * kR - (y - y0) * (y - y0)));
            for (double x = h / 2; x < 100; x += h) {
                double low = kTop;
                for (std::size_t i = 0; i + 1 < tips.size(); ++i) {
                    auto a = tips[i], b = tips[i + 1];  // (x, centre z)
                    a[1] += kR, b[1] += kR;
                    if (a[0] > b[0]) std::swap(a, b);
                    for (const auto& end : {a, b})
                        if (std::fabs(x - end[0]) <= rho) low = std::min(low, end[1] - std::sqrt(rho * rho - (x - end[0]) * (x - end[0])));
                    const double slope = std::atan2(b[1] - a[1], b[0] - a[0]);
                    const double shift = rho * std::sin(slope);
                    if (x >= a[0] + shift && x <= b[0] + shift)
                        low = std::min(low, a[1] + (x - a[0] - shift) * std::tan(slope) - rho * std::cos(slope));
                }
                removed += h * h * (kTop - low);
            }
        }
    }
    return removed;
}

// An independent height map of a flat end mill's sweeps: the volume a block (0..100, 0..50,
// top at Z 20) loses. Over each cell the tool's flat bottom is lowest where the move's tip
// height is lowest while the tool's disc covers the cell: at an end of the stretch of the move
// over which the tip lies within a radius of it (a quadratic's roots).
double flatMovesRemoval(const std::vector<std::array<double, 6>>& moves, double radius, double h,
                        const std::function<double(double, double)>& alsoLow = {}) {
    constexpr double kTop = 20;
    double removed = 0;
    for (double y = h / 2; y < 50; y += h) {
        for (double x = h / 2; x < 100; x += h) {
            double low = alsoLow ? std::min(kTop, alsoLow(x, y)) : kTop;
            for (const auto& m : moves) {
                const double dx = m[3] - m[0], dy = m[4] - m[1], ex = m[0] - x, ey = m[1] - y;
                const double a = dx * dx + dy * dy, b = 2 * (dx * ex + dy * ey), c = ex * ex + ey * ey - radius * radius;
                if (a == 0) {
                    if (c <= 0) low = std::min({low, m[2], m[5]});
                    continue;
                }
                const double disc = b * b - 4 * a * c;
                if (disc < 0) continue;
                const double t0 = std::max(0.0, (-b - std::sqrt(disc)) / (2 * a)), t1 = std::min(1.0, (-b + std::sqrt(disc)) / (2 * a));
                if (t0 > t1) continue;
                for (const double t : {t0, t1}) low = std::min(low, m[2] + t * (m[5] - m[2]));
            }
            removed += h * h * (kTop - low);
        }
    }
    return removed;
}

// The ramp-and-helix example: every move of the flat end mill changes height. Its part against
// the height map of the moves the program makes: the two ramps, and the helix, where the tool
// leaves each cell at the last turn of the helix at which its disc still covers the cell (found
// in closed form). The coarse tolerance asked for must not matter: the helix is not chorded.
TEST_F(Gcode, RampsAndAHelixCutTheFlatEndMillsExactSweeps) {
    makeStock();
    const Outcome made = corvex("gcode '" + example("ramp_and_helix.nc").string() + "' -d stock.step --tools '" +
                                example("tools.tbl").string() + "' --tolerance 0.05 -o part.step");
    ASSERT_EQ(made.status, 0) << made.err;
    // Clockwise once round (75, 25) from (83, 25), down from Z 20 to 17: where is it lowest over
    // (x, y)?
    auto helixLow = [](double x, double y) {
        const double d = std::hypot(x - 75, y - 25), cosine = (d * d + 64 - 9) / (16 * d);
        if (!(cosine <= 1)) return 20.0;
        const double spread = std::acos(std::max(-1.0, cosine));
        double centre = -std::atan2(y - 25, x - 75);  // the turn at which the tip passes nearest
        centre = std::fmod(centre + 4 * M_PI, 2 * M_PI);
        // The turn ends where it began: a stretch across its start is covered at the end too.
        const double last = centre - spread < 0 || centre + spread > 2 * M_PI ? 2 * M_PI : centre + spread;
        return 20 - 3 * last / (2 * M_PI);
    };
    // Where the walls stand, a cell is in or out whole: the map's cells of 0.02 mm scatter from
    // finer ones by 2e-4 of the volume.
    const double removed = flatMovesRemoval({{15, 15, 20, 55, 15, 16}, {55, 15, 16, 20, 35, 19}}, 3, 0.02, helixLow);
    EXPECT_NEAR(partVolume(inspect("part.step")), 100000 - removed, 2e-4 * removed);
}

// A 3-D finishing pass with a ball-nose cutter over the block's top (Z 20): rows along X,
// zig-zag, entering and leaving beside the block; every move is the ball's exact sweep. The
// example's three rows run eager; one row runs queued.
TEST_F(Gcode, ABallNoseFinishingPassCutsTheBallsExactSweeps) {
    makeStock();
    const double xs[] = {-5, 5, 15, 25, 35, 45, 55, 65, 75, 85, 95, 105};
    const double zs[] = {18.6, 18.2, 17.9, 18.0, 18.4, 18.8, 19.0, 18.7, 18.3, 18.0, 17.8, 18.1};
    std::string oneRow = "G21 G90 G17\nT3 M6\nG0 Z25\nG0 X-5 Y10\nG0 Z18.6\n";
    for (int i = 1; i < 12; ++i) oneRow += "G1 X" + std::to_string(xs[i]) + " Z" + std::to_string(zs[i]) + "\n";
    write("row.nc", oneRow + "G0 Z25\nM30\n");
    std::vector<std::array<double, 2>> tips;
    for (int i = 0; i < 12; ++i) tips.push_back({xs[i], zs[i]});
    const std::tuple<std::string, std::vector<double>, const char*> cases[] = {
        {example("ball_finish.nc").string(), {10, 25, 40}, " --eager"},
        {"row.nc", {10}, ""},
    };
    for (const auto& [program, ys, mode] : cases) {
        const Outcome made = corvex("gcode '" + program + "' -d stock.step --tools '" + example("tools.json").string() +
                                    "' -o part.step" + mode);
        ASSERT_EQ(made.status, 0) << program << made.err;
        std::vector<std::pair<double, std::vector<std::array<double, 2>>>> rows;
        for (double y : ys) rows.push_back({y, tips});
        // The map's cells 0.025 mm square agree to 5e-7 of it; the staircase of pieces 0.2 high
        // that the member's sweeps made was 270 mm3 (14 %) off.
        const double removed = ballRowsRemoval(rows, 0.025);
        EXPECT_NEAR(partVolume(inspect("part.step")), 100000 - removed, 1e-5 * removed) << program;
    }
}

// A program as a common CAM post-processor writes it: a program number, block numbers, the
// tool's comment, machine-coordinate and home moves, tool length and coolant words. A slot 30
// long and 2 deep into the block's top at Z 0.
TEST_F(Gcode, AProgramAsACamPostWritesItRunsUnchanged) {
    write("post.nc", "%\nO1001 (SLOT)\n(T1 D=6. CR=0. - ZMIN=-2. - FLAT END MILL)\nN10 G90 G94 G17 G91.1\nN15 G21\n"
                     "N20 G53 G0 Z0.\nN30 T1 M6\nN35 S5000 M3\nN40 G54\nN45 M8\nN50 G0 X20. Y25.\n"
                     "N55 G43 Z15. H1\nN60 G0 Z5.\nN65 G1 Z-2. F300.\nN70 X50.\nN75 G0 Z15.\nN80 M5 M9\n"
                     "N85 G28 G91 Z0.\nN90 G90\nN95 M30\n%\n");
    const Outcome made = corvex("gcode post.nc --box 0 0 -20 100 50 0 --tool 6,30 -o part.step");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_THAT(made.err, ::testing::HasSubstr(", 0 collisions, "));
    EXPECT_NEAR(partVolume(inspect("part.step")), 100000 - 2 * (30 * 6 + 9 * M_PI), 1e-6);
}

// A ball and a bull-nose cutter plunged 4 mm straight into the block's top (Z 20): the host cuts
// the cutter's body at the bottom with its column above, and the session replays it.
TEST_F(Gcode, ARoundTipPlungeCutsTheCuttersBodyAndItsSessionReplays) {
    makeStock();
    write("plunge.nc", "T1 M6\nG0 X50 Y25 Z25\nG1 Z16\nG0 Z25\nM30\n");
    const std::pair<const char*, double> cases[] = {
        {"6,30,3", 2 * M_PI * 27 / 3 + M_PI * 9 * 1},
        {"6,30,1", M_PI * (4 + M_PI + 2.0 / 3) + M_PI * 9 * 3},  // the corner's slab 1 high, by hand
    };
    for (const auto& [tool, removed] : cases) {
        const Outcome made = corvex(std::string("gcode plunge.nc -d stock.step --tool ") + tool +
                                    " -o part.step --session calls.jsonl");
        ASSERT_EQ(made.status, 0) << tool << made.err;
        EXPECT_NEAR(partVolume(inspect("part.step")), 100000 - removed, 1e-6) << tool;
        const Outcome replayed = corvex("run calls.jsonl -d stock.step -o replayed.step");
        ASSERT_EQ(replayed.status, 0) << replayed.err;
        EXPECT_NEAR(partVolume(inspect("replayed.step")), 100000 - removed, 1e-6) << tool;
    }
}

// On the 100 x 50 x 20 block, a 6 mm end mill plunged 2 mm, then one arc about (25, 25): the part loses the depth times the swept area, a ring sector of width 6 plus the
// cutter's disc (both half discs at its ends); a full turn is a ring, or a disc when its
// radius is under the cutter's.
TEST_F(Gcode, ArcsEachWayCutTheAreaTheCutterSweeps) {
    makeStock();
    struct Case {
        const char* arc;
        double area;
    };
    const Case cases[] = {
        {"G0 X30 Y25 Z25\nG1 Z18\nG3 X25 Y30 R5", 2 * 3 * 5 * M_PI / 2 + 9 * M_PI},       // a quarter turn left
        {"G0 X30 Y25 Z25\nG1 Z18\nG2 X25 Y30 R-5", 2 * 3 * 5 * 3 * M_PI / 2 + 9 * M_PI},  // three quarters right
        {"G0 X30 Y25 Z25\nG1 Z18\nG2 X30 Y25 I-5 J0", M_PI * (64 - 4)},                   // a ring from 2 to 8
        {"G0 X27 Y25 Z25\nG1 Z18\nG3 X27 Y25 I-2 J0", 25 * M_PI},                         // a disc of radius 2 + 3
    };
    for (const Case& c : cases) {
        write("arc.nc", std::string("G21 G90 G17\nT1 M6\n") + c.arc + "\nG0 Z25\nM30\n");
        const Outcome made = corvex("gcode arc.nc -d stock.step --tool 6,30 -o part.step");
        ASSERT_EQ(made.status, 0) << c.arc << made.err;
        EXPECT_NEAR(partVolume(inspect("part.step")), 100000 - 2 * c.area, 1e-6) << c.arc;
    }
}

// The block on the A axis: the same 20 mm slot cut across the top, the front and the bottom
// face as the table indexes, and the table turned back to 0 at the end.
TEST_F(Gcode, AnIndexedProgramTurnsTheTableBetweenCuts) {
    ASSERT_EQ(corvex("stock -o stock.step --group PART --group ROTARYA --box -20 -10 -10 20 10 10").status, 0);
    const Outcome made = corvex("gcode '" + example("indexed_slots.nc").string() + "' -d stock.step --tool 4,30 -o part.step");
    ASSERT_EQ(made.status, 0) << made.err;
    const Json drawing = inspect("part.step");
    EXPECT_NEAR(partVolume(drawing), 16000 - 3 * (20 * 4 + M_PI * 4), 1e-3);
    int parts = 0;
    for (const auto& entity : drawing["entities"])
        if (entity["kind"] == "Solid3D" && entity["groups"].size() == 2 && ++parts) {
            const std::vector<double> box = entity["bbox"], expected{-20, -10, -10, 20, 10, 10};
            for (int k = 0; k < 6; ++k) EXPECT_NEAR(box[k], expected[k], 1e-4);
        }
    EXPECT_EQ(parts, 1);
}

// A rapid back along the slot or band just cut is clear, and so is a lift or a move out of the
// band; one into the material is not, and is reported with its line while the program goes on.
// On the bar, a rapid into the shoulder left at Z 20, and one out of the uncut bar, collide.
TEST_F(Gcode, ARapidThroughThePartIsReportedWithItsLine) {
    makeStock();
    ASSERT_EQ(corvex("stock -o bar.step --group PART --cylinder 0 0 0 10 50 --axis x").status, 0);
    write("rapids.nc", "G21 G90\nT1 M6\nG0 X10 Y25 Z25\nG1 Z18\nG1 X40\nG0 X10\nG0 Z25\nG0 X50 Y25 Z15\nG0 Z25\nM30\n");
    write("turned.nc", "G18 G7 G21 G90\nT1 M6\nG0 X24 Z52\nG1 X18\nG1 Z20\nG0 Z52\nG0 X18 Z30\nG0 X24\n"
                       "G0 X18 Z10\nG0 X24\nM30\n");
    const std::tuple<std::string, std::vector<int>, std::vector<int>> cases[] = {
        {"rapids.nc -d stock.step --tool 6,30", {8}, {6, 7, 9}},
        {"turned.nc --lathe -d bar.step --tool 2,10", {9, 10}, {6, 7, 8}},
    };
    for (const auto& [arguments, colliding, clear] : cases) {
        const Outcome made = corvex("gcode " + arguments + " -o part.step");
        ASSERT_EQ(made.status, 0) << arguments << made.err;
        for (int line : colliding)
            EXPECT_THAT(made.err, ::testing::HasSubstr("program line " + std::to_string(line) +
                                                       ": warning: the rapid move passes through the part"));
        for (int line : clear) EXPECT_THAT(made.err, ::testing::Not(::testing::HasSubstr("program line " + std::to_string(line) + ":")));
        EXPECT_THAT(made.err, ::testing::HasSubstr(", " + std::to_string(colliding.size()) +
                                                   (colliding.size() == 1 ? " collision, " : " collisions, ")));
    }
}

// --stock auto: 1 mm around what the cutting moves sweep (a plunge from its start, a lift not).
TEST_F(Gcode, TheStockCanBeMadeAroundTheProgram) {
    write("slot.nc", "G21 G90\nT1 M6\nG0 X10 Y10 Z5\nG1 Z-2\nG1 X30\nG1 Z8\nM30\n");
    const Outcome made = corvex("gcode slot.nc --stock auto --tool 6,30 -o part.step");
    ASSERT_EQ(made.status, 0) << made.err;
    const Json drawing = inspect("part.step");
    int parts = 0;
    for (const auto& entity : drawing["entities"])
        if (entity["kind"] == "Solid3D" && !entity["groups"].empty()) {
            ++parts;
            const std::vector<double> box = entity["bbox"], expected{6, 6, -3, 34, 14, 6};
            for (int k = 0; k < 6; ++k) EXPECT_NEAR(box[k], expected[k], 1e-6) << k;
            // The slot and its plunge, from Z -2 up through the top at 6.
            EXPECT_NEAR(entity["volume"].get<double>(), 28 * 8 * 9 - 8 * (20 * 6 + 9 * M_PI), 1e-6);
        }
    EXPECT_EQ(parts, 1);
    // Turning: the shaft's bands reach from Z 19 to 53 and out to radius 13 (the plunge from X 24
    // in diameters), so the bar runs from 18 to 54 with radius 14 and is turned as that bar is.
    const std::string shaft = "gcode '" + example("turned_shaft.nc").string() + "' --lathe --tool 2,10 ";
    const Outcome turned = corvex(shaft + "--stock auto -o auto.step");
    ASSERT_EQ(turned.status, 0) << turned.err;
    ASSERT_EQ(corvex(shaft + "--cylinder 18 0 0 14 36 --axis x -o given.step").status, 0);
    const Json bar = inspect("auto.step");
    EXPECT_NEAR(partVolume(bar), partVolume(inspect("given.step")), 1e-9);
    for (const auto& entity : bar["entities"])
        if (entity["kind"] == "Solid3D" && !entity["groups"].empty()) {
            const std::vector<double> box = entity["bbox"], expected{18, -14, -14, 54, 14, 14};
            for (int k = 0; k < 6; ++k) EXPECT_NEAR(box[k], expected[k], 1e-6) << k;
        }
}

// On the bar of radius 10 along X (the program's Z), a round insert of radius 1 centred on the
// programmed point. The shaft: the band from radius 7 to 10 between Z 20 and 50 (Pappus), and
// at Z 20 the left halves of the insert's circles at radius 8 and 9, which overlap. The fillet:
// the lower half of the ring from 3 to 5 about (Z 30, X 12), below the bar's radius: Pappus's
// integral, 2 pi times the integral over the angle of [6 r^2 - s r^3 / 3] from max(3, 2 / s) to
// 5, s the sine below the centre (Simpson's rule to 1e-10).
TEST_F(Gcode, TurnedProgramsCutTheBandsTheirInsertSweeps) {
    ASSERT_EQ(corvex("stock -o bar.step --group PART --cylinder 0 0 0 10 50 --axis x").status, 0);
    const double lens = 2 * std::acos(0.5) - std::sqrt(3) / 2;
    write("fillet.nc", "G18 G8 G21 G90\nT1 M6\nG0 X12 Z34\nG2 X12 Z26 I0 K-4\nG0 X14\nM30\n");
    const std::tuple<std::string, double, double> cases[] = {
        {example("turned_shaft.nc").string(), M_PI * (100 - 49) * 30 + 2 * M_PI * 8.5 * (M_PI - lens / 2), 1e-6},
        {"fillet.nc", 904.33724506, 1e-6},
    };
    for (const auto& [program, removed, tolerance] : cases) {
        const Outcome made = corvex("gcode '" + program + "' --lathe -d bar.step --tool 2,10 -o part.step");
        ASSERT_EQ(made.status, 0) << program << made.err;
        EXPECT_NEAR(partVolume(inspect("part.step")), M_PI * 100 * 50 - removed, tolerance) << program;
    }
}

TEST_F(Gcode, AProgramItCannotRunIsRefusedWithItsLineBeforeAnyCut) {
    makeStock();
    write("comp.nc", "G21 G90\nT1 M6\nG0 X10 Y10 Z5\nG1 Z-1\nG41 D1 G1 X20\n");
    const Outcome refused = corvex("gcode comp.nc -d stock.step --tool 6,30 -o part.step --session calls.jsonl");
    EXPECT_EQ(refused.status, 2);
    EXPECT_THAT(refused.err, ::testing::HasSubstr("comp.nc: program line 5: cutter radius compensation"));
    EXPECT_FALSE(fs::exists(path("part.step")));
    EXPECT_FALSE(fs::exists(path("calls.jsonl")));
    write("tools.tbl", "T2 P2 D6 Z30\n");
    write("slot.nc", "G21 G90\nT1 M6\nG0 X10 Y10 Z5\nG1 Z-1\n");
    const Outcome missing = corvex("gcode slot.nc -d stock.step --tools tools.tbl");
    EXPECT_EQ(missing.status, 2);
    EXPECT_THAT(missing.err, ::testing::HasSubstr("program line 2: tool 1 is not in the tool table"));
}

// --check reads and plans without cutting: what the program holds, and every line that cannot
// run, each kind once with the lines it stands on.
TEST_F(Gcode, ACheckSaysWhatTheProgramHoldsAndEveryLineThatCannotRun) {
    const Outcome good = corvex("gcode '" + example("hole_grid.nc").string() + "' --check --tools '" +
                                example("tools.tbl").string() + "'");
    EXPECT_EQ(good.status, 0) << good.err;
    EXPECT_THAT(good.out, ::testing::HasSubstr("37 lines run, 27 moves (8 cutting), 8 cuts\ntools:\n  T2: diameter 6, length 40"));
    EXPECT_THAT(good.out, ::testing::HasSubstr("box swept by the cutting moves: X 17 to 83, Y 12 to 38, Z 12 to 22"));
    EXPECT_THAT(good.out, ::testing::HasSubstr("every line can run"));
    write("bad.nc", "G21\nT1 M6\nG0 X1 Y1 Z5\nG1 Z-1 F100\nG41 D1 G1 X5\nG1 X#<nope>\nT7 M6\nG1 X9\nG1 X10\n"
                    "G0 G1 X3\nQQ\no1 while [1]\no1 endwhile\n");
    const Outcome bad = corvex("gcode bad.nc --check --tool 6,30");
    EXPECT_EQ(bad.status, 2);
    for (const char* line : {"program line 5: cutter radius", "program line 6: the parameter #<nope>",
                             "program line 10: G0 and G1", "program line 11: the word Q",
                             "program line 12: the program has turned its loops"})
        EXPECT_THAT(bad.err, ::testing::HasSubstr(line));
    EXPECT_THAT(bad.out, ::testing::HasSubstr("5 lines cannot run"));
}

}  // namespace
}  // namespace corvex::runner::testing
