#pragma once
// The figures every machining benchmark prints: wall time, the cost of a cut early and late in
// the job, how many 3-D Booleans the host did, and how far the part's volume is from an
// estimate made without the geometry kernel.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "bench_session.hpp"

namespace corvex::bench {

class CutFigures {
public:
    // Runs one client call that cuts, and books its wall time.
    template <typename Call>
    void cut(Call&& call) {
        auto start = std::chrono::steady_clock::now();
        call();
        cutMilliseconds_.push_back(millisecondsSince(start));
    }
    // A call that does not cut (a tool move): its time counts towards the total only.
    template <typename Call>
    void other(Call&& call) {
        auto start = std::chrono::steady_clock::now();
        call();
        otherMilliseconds_ += millisecondsSince(start);
    }
    int cuts() const { return static_cast<int>(cutMilliseconds_.size()); }

    // Looks at the part (which carries out any cut still pending and puts the part together),
    // then prints the figures. The time of that first look is work the cuts left behind, so it
    // is booked to the last tenth of the cuts.
    void print(const char* name, BenchSession& session, double expectedVolume, const char* estimate) {
        auto start = std::chrono::steady_clock::now();
        session.drawing->settle();
        double settle = millisecondsSince(start);
        const double processor = processorSeconds() - processorAtStart_;
        // Measured by the kernel from the whole part, apart from the figures' time.
        auto [volume, faces] = session.partVolumeAndFaces();
        auto counters = cadhost::occt::kernelCounters();

        double cutTotal = 0;
        for (double ms : cutMilliseconds_) cutTotal += ms;
        const int n = cuts();
        const int tenth = std::max(1, n / 10);
        double first = 0, last = settle;
        for (int i = 0; i < tenth; ++i) first += cutMilliseconds_[i];
        for (int i = n - tenth; i < n; ++i) last += cutMilliseconds_[i];
        double total = cutTotal + otherMilliseconds_ + settle;
        double error = volume - expectedVolume;

        std::printf("%s: %d cuts\n", name, n);
        std::printf("  total wall time        %10.3f s (cuts %.3f s, other calls %.3f s, final look %.3f s)\n",
                    total / 1000, cutTotal / 1000, otherMilliseconds_ / 1000, settle / 1000);
        std::printf("  ms per cut, first 10%%  %10.3f\n", first / tenth);
        std::printf("  ms per cut, last 10%%   %10.3f  (ratio %.2f; %.3f without the final look)\n", last / tenth,
                    last / first, (last - settle) / tenth);
        std::printf("  3-D Booleans           %10ld  (guard retries %ld, guard failures %ld, floor maps refused %ld)\n",
                    counters.booleans, counters.guardRetries, counters.guardFailures, counters.floorMapRefusals);
        // What the checks of where material lies add to the rest of the work, on one machine
        // in one run: a share of processor time, which the machine's speed does not move.
        const double checks = counters.placementCheckSeconds;
        std::printf("  placement checks       %10.3f s of %.3f s processor time (+%.1f %% on the rest)\n", checks,
                    processor, 100 * checks / std::max(1e-9, processor - checks));
        std::printf("  final faces            %10d\n", faces);
        std::printf("  final volume           %16.6f\n", volume);
        std::printf("  %-22s %16.6f\n", estimate, expectedVolume);
        std::printf("  volume error           %16.3e (relative %.3e)\n", error,
                    std::fabs(error) / std::fabs(expectedVolume));
        std::fflush(stdout);
    }

private:
    static double processorSeconds() {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
    }
    double processorAtStart_ = processorSeconds();
    std::vector<double> cutMilliseconds_;
    double otherMilliseconds_ = 0;
};

// Options every benchmark takes: --smoke (a few cuts, for CI), --eager (each subtraction
// carried out at its call, as before) and --no-floor-map (queued prisms made by Booleans).
struct BenchOptions {
    bool smoke = false;
    bool eager = false;
    bool floorMap = true;
    // The bench's name with the way it cut.
    std::string named(const std::string& name) const {
        return name + (eager ? " (eager)" : floorMap ? "" : " (no floor map)");
    }
};

inline BenchOptions benchOptions(int argc, char** argv) {
    BenchOptions options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) options.smoke = true;
        else if (std::strcmp(argv[i], "--eager") == 0) options.eager = true;
        else if (std::strcmp(argv[i], "--no-floor-map") == 0) options.floorMap = false;
        else std::fprintf(stderr, "ignoring unknown option %s\n", argv[i]);
    }
    return options;
}

}  // namespace corvex::bench
