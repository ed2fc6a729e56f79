#include "still_running_notice.hpp"

#include <unistd.h>

#include <cmath>
#include <cstdio>

namespace corvex::runner {

void addStillRunningOption(CLI::App& command, double& seconds) {
    command
        .add_option("--still-running", seconds,
                    "Say on standard error when one call has run this many seconds, and as often after (0: never)")
        ->check(CLI::Range(0.0, 86400.0))
        ->capture_default_str();
}

StillRunningNotice::StillRunningNotice(double seconds)
    : every_(std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds))) {
    if (every_ > Clock::duration::zero()) thread_ = std::thread([this] { run(); });
}

StillRunningNotice::~StillRunningNotice() {
    if (!thread_.joinable()) return;
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_one();
    thread_.join();
}

StillRunningNotice::Watch StillRunningNotice::watch(std::string what) {
    {
        const std::lock_guard lock(mutex_);
        what_ = std::move(what);
        started_ = Clock::now();
        nextWord_ = started_ + every_;
    }
    changed_.notify_one();
    return Watch(*this);
}

StillRunningNotice::Watch::~Watch() {
    {
        const std::lock_guard lock(notice_.mutex_);
        notice_.what_.clear();
    }
    notice_.changed_.notify_one();
}

void StillRunningNotice::run() {
    // A progress bar may stand on the terminal's last line: the word takes the line from it.
    const char* const lineStart = ::isatty(STDERR_FILENO) != 0 ? "\r\033[K" : "";
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (what_.empty()) {
            changed_.wait(lock);
            continue;
        }
        if (changed_.wait_until(lock, nextWord_) == std::cv_status::no_timeout) continue;
        if (what_.empty() || Clock::now() < nextWord_) continue;
        const double seconds = std::chrono::duration<double>(Clock::now() - started_).count();
        // One call to stdio per line, so that the line is never torn by the main thread's own.
        std::fprintf(stderr, "%scorvex: still at work after %.0f s: %s\n", lineStart, std::floor(seconds),
                     what_.c_str());
        std::fflush(stderr);
        nextWord_ += every_;
    }
}

}  // namespace corvex::runner
