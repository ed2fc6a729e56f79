#include "progress_bar.hpp"

#include <unistd.h>

#include <cstdio>

namespace corvex::runner {

ProgressBar::ProgressBar(bool wanted, std::size_t total)
    : active_(wanted && ::isatty(STDERR_FILENO) != 0), total_(total) {}

ProgressBar::~ProgressBar() { clear(); }

void ProgressBar::show(std::size_t done, const std::string& what) {
    if (!active_ || total_ == 0) return;
    // Redrawing costs a write per call; ten times a second is enough for an eye.
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - lastDrawn_ < std::chrono::milliseconds(100) && done + 1 < total_) return;
    lastDrawn_ = now;
    constexpr int kWidth = 30;
    const int filled = static_cast<int>(kWidth * done / total_);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kWidth - filled), '.');
    std::fprintf(stderr, "\r\033[K[%s] %zu/%zu %.40s", bar.c_str(), done, total_, what.c_str());
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::clear() {
    if (!drawn_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
}

}  // namespace corvex::runner
