// The time to make a cutter's exact sweep, by kind: the divided body's pieces joined (a flat
// end mill's ramp, a ball's ramp, a bull-nose's and a V-bit's level move) and a ball's pass made
// face by face (one move, and a finishing raster's row of 184 moves).
// Usage: cutter_sweep_bench [--smoke]   (--smoke: a few of each)
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "cadhost/occt/geometry/ball_pass.hpp"
#include "cadhost/occt/geometry/cutter_sweep.hpp"
#include "cadhost/occt/geometry/screw_sweep.hpp"

int main(int argc, char** argv) {
    using namespace corvex::cadhost::occt;
    const bool smoke = argc > 1 && std::string(argv[1]) == "--smoke";
    const int repeats = smoke ? 3 : 40;
    // The finishing job's first row: tips every 0.5 mm along X over a wavy surface.
    std::vector<gp_Pnt> row;
    for (int i = 0; i < 185; ++i) {
        const double x = 4 + 0.5 * i;
        row.emplace_back(x, 4, -6 + 2.5 * std::sin(x / 14) * std::cos(4 / 19.0));
    }
    const CutterProfile flat{3, 0, 0, 0}, ball{3, 3, 0, 0}, bull{3, 1, 0, 0}, vBit{3, 0, 60, 0.2};
    const gp_Pnt from(10, 20, -2), ramp(40, 35, -6), level(40, 35, -2);
    const std::pair<const char*, std::function<void()>> kinds[] = {
        {"flat end mill, ramp (silhouette)", [&] { straightSweep(flat, 30, from, ramp); }},
        {"ball, ramp (divided body)", [&] { straightSweep(ball, 30, from, ramp); }},
        {"ball, ramp (pass, one move)", [&] { ballPass(3, -6 + 30, {from, ramp}); }},
        {"bull-nose, level (divided body)", [&] { straightSweep(bull, 30, from, level); }},
        {"V-bit, level (divided body)", [&] { straightSweep(vBit, 30, from, level); }},
        {"bull-nose, ramp (silhouette)", [&] { straightSweep(bull, 30, from, ramp); }},
        {"V-bit, ramp (silhouette)", [&] { straightSweep(vBit, 30, from, ramp); }},
        {"ball, quarter arc (turned section)", [&] { arcSweep(ball, 30, from, gp_Pnt(20, 20, -2), M_PI / 2); }},
        {"flat end mill, half a helix (screwed)", [&] { screwSweep(flat, 30, from, gp_Pnt(20, 20, -2), M_PI, -2); }},
        {"bull-nose, half a helix (screwed)", [&] { screwSweep(bull, 30, from, gp_Pnt(20, 20, -2), M_PI, -2); }},
        {"ball, half a helix (screwed)", [&] { screwSweep(ball, 30, from, gp_Pnt(20, 20, -2), M_PI, -2); }},
        {"ball, raster row of 184 moves (pass)", [&] { ballPass(3, 20, row); }},
    };
    std::printf("cutter sweeps (%d of each)\n", repeats);
    for (const auto& [name, make] : kinds) {
        const auto start = std::chrono::steady_clock::now();
        for (int k = 0; k < repeats; ++k) make();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / repeats;
        std::printf("  %-40s %8.2f ms\n", name, ms);
    }
    return 0;
}
