// Wall time per ToolExtrudeLine on a 100 x 100 x 20 box as the slots add up.
// Usage: slot_cut_bench [--smoke] [--eager] [--random-depth]
//   Figures after 10, 100 and 500 slots (--smoke: 10 and 30). Slots are 6 mm wide, at random
//   places, 4 mm deep; with --random-depth each slot takes its own depth (1-6 mm), so the
//   floors cannot merge and the part keeps every face it gains. Queued cuts are carried out
//   at every reporting point and counted in the time, so the figures are whole-job costs.
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
    bool smoke = false, eager = false, randomDepth = false;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        smoke |= option == "--smoke";
        eager |= option == "--eager";
        randomDepth |= option == "--random-depth";
    }
    const int slots = smoke ? 30 : 500;
    bench::BenchSession session;
    session.startOnBlock(eager);

    std::mt19937 random(1);
    std::uniform_real_distribution<double> coordinate(5, 95), depth(-6, -1);
    std::vector<double> times;
    const std::vector<int> reports = smoke ? std::vector<int>{10, 30} : std::vector<int>{10, 100, 500};
    std::printf("slot_cut_bench: ToolExtrudeLine on 100 x 100 x 20, %s, %s\n", eager ? "eager" : "queued",
                randomDepth ? "random depths" : "4 mm deep");
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
        if (std::find(reports.begin(), reports.end(), i) != reports.end()) {
            // Carry out what is queued, and count it against the last call.
            auto flush = std::chrono::steady_clock::now();
            session.drawing->settle();
            double queued = bench::millisecondsSince(flush);
            times.back() += queued;
            total += queued;
            // The last cut alone is noisy: report the mean of the last ten.
            double recent = 0;
            int n = std::min<int>(10, times.size());
            for (int k = 0; k < n; ++k) recent += times[times.size() - 1 - k];
            auto [volume, faces] = session.partVolumeAndFaces();  // measured apart from the times
            std::printf("%8d %14.2f %14.2f %8d %14.3f\n", i, recent / n, total / i, faces, volume);
        }
    }
    std::printf("total %.2f s for %d slots\n", total / 1000, slots);
    return 0;
}
