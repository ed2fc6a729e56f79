#pragma once
// Tallies of the geometry kernel's work (internal, read by the benchmarks through the host).

namespace corvex::cadhost::occt {

// What the geometry kernel has done in this process, for the benchmarks: 3-D Booleans on
// solids, retries and refusals of the subtraction guard, and merges of a part's faces.
struct KernelCounters {
    long booleans = 0;
    long guardRetries = 0;
    long guardFailures = 0;
    long misplacedResults = 0;  // results of the right volume with material where it should not be
    long looseResults = 0;  // results whose new edges or vertices have too loose a tolerance
    long booleansOutOfTime = 0;  // Booleans stopped at their time limit (see kernel_time_limit.hpp)
    long unifies = 0;
    long unifiesRejected = 0;
    long floorMapCuts = 0;      // cuts taken into a floor map
    long floorMapRefusals = 0;  // floor maps whose solid failed its checks, cut by Booleans
    long cutsFoundClear = 0;  // cuts left unmade: a floor map showed their tools held no material
    long witnessCorrections = 0;  // eager results whose volume their floor map refuted
    // Processor seconds spent on the checks no volume makes: points in the tools, the part's
    // lost faces, and the kernel's full check of a part when it is looked at.
    double placementCheckSeconds = 0;
};
KernelCounters kernelCounters();
void resetKernelCounters();

}  // namespace corvex::cadhost::occt
