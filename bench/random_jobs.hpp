#pragma once
// Random machining jobs for the differential test of cutting: each a stock and a list of
// corvex4 calls, as a client would make them, drawn from one family of cuts.
#include <cstdint>
#include <string>
#include <vector>

#include "automation/variant.hpp"

namespace corvex::bench {

enum class Stock {
    Block,        // 100 x 100 x 20 from the origin, in "PART"
    Bar,          // radius 10 and length 50 along X from the origin, in "PART"
    RotaryBlock,  // 40 x 20 x 20 about the origin, in "PART" and on the A axis ("ROTARYA")
    TopBlock,     // 100 x 100 x 20 below the origin, as G-code programs cut it, in "PART"
};

struct JobCall {
    std::string member;
    std::vector<automation::Variant> arguments;
};

struct Job {
    std::string family;
    std::uint64_t seed = 0;
    Stock stock = Stock::Block;
    std::vector<JobCall> calls;  // StartAcad first
    std::string program;         // the G-code program the calls were planned from, if any
};

// The families, in the order the test cycles through them.
const std::vector<std::string>& jobFamilies();
// The job of `family` for `seed`: the same seed gives the same job.
Job randomJob(const std::string& family, std::uint64_t seed);
// The job as a session file: one JSON array per line.
std::string sessionText(const Job& job);

}  // namespace corvex::bench
