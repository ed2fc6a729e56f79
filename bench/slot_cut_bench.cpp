// Wall time per ToolExtrudeLine on a 100 x 100 x 20 box as the slots add up.
// Usage: slot_cut_bench [SLOTS] [--random-depth]
//   SLOTS defaults to 500; figures after 10, 100, 500, ... slots. Slots are 6 mm wide, at
//   random places, 4 mm deep; with --random-depth each slot takes its own depth (1-6 mm), so
//   the floors cannot merge and the part keeps every face it gains.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <algorithm>
#include <vector>

#include "bench_session.hpp"

int main(int argc, char** argv) {
    using namespace corvex;
    const int slots = argc > 1 ? std::atoi(argv[1]) : 500;
    const bool randomDepth = argc > 2 && std::string(argv[2]) == "--random-depth";
    bench::BenchSession session;
    session.addPartBox({0, 0, -20}, {100, 100, 0});
    session.server.StartAcad();

    std::mt19937 random(1);
    std::uniform_real_distribution<double> coordinate(5, 95), depth(-6, -1);
    std::vector<double> times;
    const std::vector<int> reports = {10, 100, 500, 1000, 2000};
    std::printf("%8s %14s %14s %8s %14s\n", "slots", "ms/cut (last)", "ms/cut (mean)", "faces", "volume");
    double total = 0;
    for (int i = 1; i <= slots; ++i) {
        double x0 = coordinate(random), y0 = coordinate(random);
        double x1 = coordinate(random), y1 = coordinate(random);
        if (std::hypot(x1 - x0, y1 - y0) < 1) x1 += 5;
        auto p = bench::slotPoints(x0, y0, x1, y1, 3.0);
        auto start = std::chrono::steady_clock::now();
        double z = depth(random);
        session.server.ToolExtrudeLine(p[0], p[1], p[2], p[3], p[4], randomDepth ? z : -4.0);
        double ms = bench::millisecondsSince(start);
        times.push_back(ms);
        total += ms;
        if (std::find(reports.begin(), reports.end(), i) != reports.end() || i == slots) {
            // The last cut alone is noisy: report the mean of the last ten.
            double recent = 0;
            int n = std::min<int>(10, times.size());
            for (int k = 0; k < n; ++k) recent += times[times.size() - 1 - k];
            std::printf("%8d %14.2f %14.2f %8d %14.3f\n", i, recent / n, total / i, session.partFaces(),
                        session.partVolume());
        }
    }
    std::printf("total %.2f s for %d slots\n", total / 1000, slots);
    return 0;
}
