#pragma once
// A one-line progress bar on standard error, for long sessions watched on a terminal. It draws
// nothing when standard error is not a terminal (a log file, a pipe, a test), so that what
// lands there stays readable, and it clears its line before anything else is printed.
#include <chrono>
#include <string>

namespace corvex::runner {

class ProgressBar {
public:
    // Shows progress through `total` steps when `wanted` and standard error is a terminal.
    ProgressBar(bool wanted, std::size_t total);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Step `done` of the total is under way, doing `what`.
    void show(std::size_t done, const std::string& what);
    // Takes the bar off the screen (for a message, or at the end).
    void clear();

private:
    bool active_;
    bool drawn_ = false;
    std::size_t total_;
    std::chrono::steady_clock::time_point lastDrawn_{};
};

}  // namespace corvex::runner
