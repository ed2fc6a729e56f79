#pragma once
// The Windows test programs run under Wine, where GoogleTest is not at hand: a check counts,
// says what failed, and the program ends with "N passed, M failed" and a matching exit code.
#include <cstdio>
#include <string>

namespace corvex::wintest {

struct Tally {
    int passed = 0;
    int failed = 0;
};

inline Tally& tally() {
    static Tally counts;
    return counts;
}

inline void check(bool condition, const std::string& what) {
    if (condition) {
        ++tally().passed;
    } else {
        ++tally().failed;
        std::printf("FAILED: %s\n", what.c_str());
        std::fflush(stdout);
    }
}

inline int finish() {
    std::printf("%d passed, %d failed\n", tally().passed, tally().failed);
    return tally().failed == 0 ? 0 : 1;
}

inline std::string hex(long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

}  // namespace corvex::wintest
