#pragma once
// A bound on the time one run of the kernel's Booleans may take. The kernel asks its progress
// indicator between the small steps of its work whether to stop, and stops there with an
// error: a bull-nose's plunge and the 3-D move that began at its foot (two tori of revolution
// lying on each other), cut from a block in one Boolean, ran on where each alone took 0.04 s;
// asked to stop after 3 s, it stopped 0.02 s later. Not every step asks: splitting the shells
// of a solid into many faces does not, and a larger batch of the same cuts ran there for over
// 19 minutes. The bound is a net, not a cure (see WorkpieceCuts::carryOutMerged).
#include <Message_ProgressRange.hxx>
#include <Message_ProgressIndicator.hxx>

#include <atomic>
#include <chrono>

namespace corvex::cadhost::occt {

// The longest a Boolean is let run. The largest sound Booleans of the reference jobs and the
// differential test took a few seconds (a part of ten thousand faces, a batch of hundreds of
// cuts); one that runs for a minute has lost its way, and the next attempt, or the cuts one
// by one, is what makes the cut.
constexpr double kBooleanSeconds = 60;

// The bound in force (kBooleanSeconds unless a test set another).
double booleanSeconds();
void setBooleanSecondsForTesting(double seconds);

// Stops the kernel's run it is handed to once `seconds` have passed since it was made.
class KernelTimeLimit : public Message_ProgressIndicator {
public:
    explicit KernelTimeLimit(double seconds);
    Standard_Boolean UserBreak() override;
    void Show(const Message_ProgressScope&, const Standard_Boolean) override {}
    // Whether the kernel was told to stop.
    bool ranOut() const { return ranOut_.load(std::memory_order_relaxed); }

private:
    std::chrono::steady_clock::time_point end_;
    std::atomic<bool> ranOut_{false};  // asked from the kernel's threads when it runs in parallel
};

}  // namespace corvex::cadhost::occt
