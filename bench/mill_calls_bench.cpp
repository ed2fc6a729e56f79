// Wall time per call of ToolExtrudeLine, ToolMillArc and drill_path on a 100 x 100 x 20 box,
// each on a box of its own, as the calls add up.
// Usage: mill_calls_bench [--smoke] [--eager]
//   Figures after 10, 100 and 1000 calls (--smoke: 10 and 20). Queued cuts are carried out
//   at every reporting point and counted in the time, so the figures are whole-job costs.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench_session.hpp"

namespace {

using corvex::automation::Variant;

// Runs `call` CALLS times on a fresh box and prints the mean of the last ten calls at each
// reporting point, with the part's faces.
void measure(const char* name, int calls, bool eager,
             const std::function<void(corvex::bench::BenchSession&, std::mt19937&)>& call) {
    corvex::bench::BenchSession session;
    session.startOnBlock(eager);
    session.server.MakeToolMill(Variant::point(0, 0, -4), 6, 30, 0);
    std::mt19937 random(7);
    std::vector<double> times;
    double total = 0;
    for (int i = 1; i <= calls; ++i) {
        auto start = std::chrono::steady_clock::now();
        call(session, random);
        double ms = corvex::bench::millisecondsSince(start);
        times.push_back(ms);
        total += ms;
        if (i == 10 || i == 100 || i == 1000 || i == calls) {
            auto flush = std::chrono::steady_clock::now();
            session.drawing->settle();
            double queued = corvex::bench::millisecondsSince(flush);
            times.back() += queued;
            total += queued;
            int n = std::min<int>(10, times.size());
            double recent = 0;
            for (int k = 0; k < n; ++k) recent += times[times.size() - 1 - k];
            std::printf("%-16s %6d calls %10.2f ms/call (last 10) %10.2f ms/call (mean) %7d faces\n", name, i,
                        recent / n, total / i, session.partVolumeAndFaces().second);
            std::fflush(stdout);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool smoke = false, eager = false;
    for (int i = 1; i < argc; ++i) {
        smoke |= std::string(argv[i]) == "--smoke";
        eager |= std::string(argv[i]) == "--eager";
    }
    const int calls = smoke ? 20 : 1000;
    std::printf("mill_calls_bench: on 100 x 100 x 20, %s\n", eager ? "eager" : "queued");
    std::uniform_real_distribution<double> where(8, 92);

    measure("ToolExtrudeLine", calls, eager, [&](auto& s, auto& random) {
        double x0 = where(random), y0 = where(random), x1 = where(random), y1 = where(random);
        if (std::hypot(x1 - x0, y1 - y0) < 1) x1 += 5;
        auto p = corvex::bench::slotPoints(x0, y0, x1, y1, 3.0);
        s.server.ToolExtrudeLine(p[0], p[1], p[2], p[3], p[4], -4.0);
    });

    // A quarter band 6 wide (a 6 mm cutter on a circular move) about a random centre.
    measure("ToolMillArc", calls, eager, [&](auto& s, auto& random) {
        double cx = where(random), cy = where(random), r1 = 9, r2 = 3;
        double a0 = std::uniform_int_distribution<int>(0, 3)(random) * 90.0, a1 = a0 + 90;
        auto at = [&](double r, double degrees) {
            return Variant::point(cx + r * std::cos(degrees * M_PI / 180), cy + r * std::sin(degrees * M_PI / 180), -4);
        };
        s.server.ToolMillArc(Variant::point(cx, cy, -4), Variant(), at(r2, a0), at(r1, a0), at(r1, a1), at(r2, a1),
                             r1, r2, a0, a1);
    });

    measure("drill_path", calls, eager, [&](auto& s, auto& random) {
        s.server.drill_path(where(random), where(random), -4, 10, 3);
    });
    return 0;
}
