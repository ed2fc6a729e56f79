// Runs one piece of work in each of N forked processes and gathers what each returns. A
// process of its own per worker, not a thread: the kernel's Booleans share state that is not
// safe across threads, and a worker that crashes must not take the others' results with it.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <sys/wait.h>
#include <type_traits>
#include <unistd.h>
#include <vector>

namespace corvex::bench {

// The result of each worker (work(0) … work(workers - 1)), or none for a worker that crashed,
// was killed or could not be started: the caller must count that as work not done.
template <class Result>
std::vector<std::optional<Result>> inWorkerProcesses(int workers, const std::function<Result(int)>& work) {
    static_assert(std::is_trivially_copyable_v<Result>, "a worker's result crosses a pipe as bytes");
    struct Worker {
        pid_t pid = -1;
        int pipe = -1;
    };
    std::vector<Worker> started(workers);
    for (int index = 0; index < workers; ++index) {
        int ends[2];
        if (::pipe(ends) != 0) break;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(ends[0]);
            const Result result = work(index);
            const bool sent = ::write(ends[1], &result, sizeof result) == static_cast<ssize_t>(sizeof result);
            std::fflush(nullptr);
            ::_exit(sent ? 0 : 1);
        }
        ::close(ends[1]);
        if (pid < 0) {
            ::close(ends[0]);
            break;
        }
        started[index] = {pid, ends[0]};
    }
    std::vector<std::optional<Result>> results(workers);
    for (int index = 0; index < workers; ++index) {
        const Worker& worker = started[index];
        if (worker.pid < 0) continue;
        Result result;
        ssize_t got = 0;
        do got = ::read(worker.pipe, &result, sizeof result);
        while (got < 0 && errno == EINTR);
        ::close(worker.pipe);
        int status = 0;
        while (::waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (got == static_cast<ssize_t>(sizeof result) && WIFEXITED(status) && WEXITSTATUS(status) == 0)
            results[index] = result;
    }
    return results;
}

}  // namespace corvex::bench
