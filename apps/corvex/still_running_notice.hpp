#pragma once
// Says on standard error that one piece of work (a call, the last queued cuts, a file being
// written) is still running, once it has run a while and as often again after. The kernel can
// take minutes over one Boolean; without a word, a user or a batch watching the log cannot tell
// that from a hang. A thread of its own watches, since the work itself cannot be interrupted.
#include <CLI/CLI.hpp>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace corvex::runner {

// How long the runner lets one piece of work run before it says so, by default.
inline constexpr double kStillRunningSeconds = 30;

// The option `--still-running SECONDS` of a runner command, into `seconds`.
void addStillRunningOption(CLI::App& command, double& seconds);

class StillRunningNotice {
public:
    // Speaks after `seconds` of one piece of work and every `seconds` after that; never when 0.
    explicit StillRunningNotice(double seconds);
    ~StillRunningNotice();
    StillRunningNotice(const StillRunningNotice&) = delete;
    StillRunningNotice& operator=(const StillRunningNotice&) = delete;

    // Watches the work named `what` ("line 12: drill_path") while it lives.
    class Watch {
    public:
        ~Watch();
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;

    private:
        friend class StillRunningNotice;
        explicit Watch(StillRunningNotice& notice) : notice_(notice) {}
        StillRunningNotice& notice_;
    };
    [[nodiscard]] Watch watch(std::string what);

private:
    void run();

    using Clock = std::chrono::steady_clock;
    const Clock::duration every_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string what_;  // empty while nothing is watched
    Clock::time_point started_, nextWord_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace corvex::runner
