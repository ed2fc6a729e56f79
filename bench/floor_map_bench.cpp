// The terrain job through the floor map: every feed at one height a slot, every plunge the
// tool's disc at its bottom, as the member calls cut them, taken from the map in 2-D; then the
// solid built from the map, its volume and the kernel's full check, of the shell (in parallel)
// and of the solid. Prints its figures.
//   floor_map_bench [--smoke] [PROGRAM.nc]   (default: examples/gcode/terrain.nc; stock
//                    0 0 -20 100 100 0, a 6 mm end mill; --smoke: its first 300 cuts)
#include <BRepCheck_Analyzer.hxx>
#include <TopoDS_Iterator.hxx>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cadhost/occt/geometry/floor_map.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"
#include "gcode/interpreter.hpp"
#include "gcode/program_reader.hpp"

namespace {

using corvex::cadhost::occt::FloorMap;
using corvex::cadhost::occt::Outline;
using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

}  // namespace

int main(int argc, char** argv) {
    std::string program = CORVEX_SOURCE_DIR "/examples/gcode/terrain.nc";
    std::size_t most = SIZE_MAX;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--smoke") most = 300;
        else if (argument.rfind("--", 0) != 0) program = argument;  // other benches' options are not ours
    }
    std::ifstream file(program);
    if (!file) {
        std::cerr << "floor_map_bench: cannot read " << program << "\n";
        return 2;
    }
    const auto motions = corvex::gcode::interpret(corvex::gcode::readProgram(file), 1).motions;
    constexpr double radius = 3, bottom = -20, top = 0;
    FloorMap map(Outline::polygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}}), bottom, top);
    std::vector<double> perCut;
    const auto started = Clock::now();
    for (const auto& motion : motions) {
        if (motion.kind == corvex::gcode::MotionKind::Arc) {
            std::cerr << "floor_map_bench: line " << motion.line << " is an arc; the bench takes straight moves only\n";
            return 2;
        }
        if (motion.kind != corvex::gcode::MotionKind::Feed || perCut.size() == most) continue;
        const auto& a = motion.from;
        const auto& b = motion.to;
        const bool inPlan = a[0] != b[0] || a[1] != b[1];
        if (!inPlan && b[2] >= a[2]) continue;  // a lift cuts nothing
        if (inPlan && a[2] != b[2]) {
            std::cerr << "floor_map_bench: line " << motion.line << " slopes; the map takes vertical cuts only\n";
            return 2;
        }
        const auto cutStarted = Clock::now();
        map.cut(inPlan ? Outline::slot({a[0], a[1]}, {b[0], b[1]}, radius) : Outline::circle(b[0], b[1], radius), b[2]);
        perCut.push_back(since(cutStarted));
    }
    const double mapSeconds = since(started);
    const std::size_t cuts = perCut.size(), tenth = std::max<std::size_t>(1, cuts / 10);
    double first = 0, last = 0;
    for (std::size_t i = 0; i < tenth; ++i) first += perCut[i], last += perCut[cuts - 1 - i];

    auto step = Clock::now();
    const auto built = map.solid(false);
    const double buildSeconds = since(step);
    step = Clock::now();
    const double volume = corvex::cadhost::occt::solidVolume(built.solid);
    const double volumeSeconds = since(step);
    step = Clock::now();
    const bool shellValid = BRepCheck_Analyzer(TopoDS_Iterator(built.solid).Value(), true, true).IsValid();
    const double shellSeconds = since(step);
    step = Clock::now();
    const bool valid = corvex::cadhost::occt::isValidShape(built.solid);
    const double checkSeconds = since(step);

    std::printf("floor map: %zu cuts in %.2f s (%.2f ms a cut; last tenth %.2f x the first), %zu regions\n", cuts,
                mapSeconds, mapSeconds * 1e3 / cuts, last / first, map.regions());
    std::printf("  removed by the map's areas  %.6f mm3 (stock %.3f)\n", map.removedVolume(), map.stockVolume());
    std::printf("  solid: %d faces built in %.2f s; volume %.6f in %.2f s (stock less removed %.6f)\n", built.faces,
                buildSeconds, volume, volumeSeconds, map.stockVolume() - map.removedVolume());
    std::printf("  full check of its shell, in parallel: %s in %.2f s; of the solid: %s in %.2f s\n",
                shellValid ? "valid" : "NOT VALID", shellSeconds, valid ? "valid" : "NOT VALID", checkSeconds);
    return valid && shellValid ? 0 : 1;
}
