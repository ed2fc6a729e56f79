// The differential test's worker processes: each result comes back to its worker's place, and
// a worker that dies is a missing result, never a zero tally taken as a clean one.
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

#include "worker_processes.hpp"

namespace corvex::bench {
namespace {

struct Found {
    int worker;
    long pid;
};

TEST(WorkerProcesses, EachWorkerRunsInItsOwnProcessAndADeadOneIsMissing) {
    const std::function<Found(int)> work = [](int worker) {
        if (worker == 2) std::raise(SIGKILL);
        if (worker == 3) ::_exit(0);  // gone before it reported
        return Found{worker, static_cast<long>(::getpid())};
    };
    const auto results = inWorkerProcesses(5, work);
    ASSERT_EQ(results.size(), 5u);
    for (int worker : {0, 1, 4}) {
        ASSERT_TRUE(results[worker].has_value()) << "worker " << worker;
        EXPECT_EQ(results[worker]->worker, worker);
        EXPECT_NE(results[worker]->pid, static_cast<long>(::getpid()));
    }
    EXPECT_NE(results[0]->pid, results[1]->pid);
    EXPECT_FALSE(results[2].has_value()) << "killed by a signal";
    EXPECT_FALSE(results[3].has_value()) << "exited without its result";
}

}  // namespace
}  // namespace corvex::bench
