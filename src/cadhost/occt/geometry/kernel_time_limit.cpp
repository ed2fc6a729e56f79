#include "cadhost/occt/geometry/kernel_time_limit.hpp"

#include <atomic>

namespace corvex::cadhost::occt {
namespace {
std::atomic<double> seconds{kBooleanSeconds};
}  // namespace

double booleanSeconds() { return seconds.load(std::memory_order_relaxed); }
void setBooleanSecondsForTesting(double value) { seconds.store(value, std::memory_order_relaxed); }

KernelTimeLimit::KernelTimeLimit(double limit)
    : end_(std::chrono::steady_clock::now() +
           std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(limit))) {}

Standard_Boolean KernelTimeLimit::UserBreak() {
    if (ranOut()) return true;
    if (std::chrono::steady_clock::now() < end_) return false;
    ranOut_.store(true, std::memory_order_relaxed);
    return true;
}

}  // namespace corvex::cadhost::occt
