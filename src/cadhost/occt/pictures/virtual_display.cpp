// A private Xvfb for this process. Xvfb picks a free display number itself and tells us on a
// pipe (-displayfd), so two runs never race for ":99" as xvfb-run's fixed guesses can. The
// server is this process's child: it is stopped when the process exits, and the kernel ends
// it when the process dies without exiting (PR_SET_PDEATHSIG).
#include "cadhost/occt/pictures/virtual_display.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>

#include "automation/error.hpp"

namespace corvex::cadhost::occt {
namespace {

// Long enough for a loaded CI machine; Xvfb is normally ready within a tenth of a second.
constexpr int kStartTimeoutMs = 10000;

class XvfbServer {
public:
    XvfbServer() = default;
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    ~XvfbServer() { stop(); }

    const std::string& start() {
        if (!display_.empty()) return display_;
        int pipeEnds[2];
        if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
            throw automation::failure("no virtual display: no pipe to Xvfb");
        const pid_t parent = ::getpid();
        const pid_t child = ::fork();
        if (child < 0) {
            ::close(pipeEnds[0]);
            ::close(pipeEnds[1]);
            throw automation::failure("no virtual display: fork failed");
        }
        if (child == 0) runXvfb(pipeEnds[1], parent);
        ::close(pipeEnds[1]);
        pid_ = child;
        std::string number = readDisplayNumber(pipeEnds[0]);
        ::close(pipeEnds[0]);
        if (number.empty()) {
            stop();
            throw automation::failure(
                "no display, and Xvfb could not be started for a virtual one (is the package "
                "xvfb installed?)");
        }
        display_ = ":" + number;
        return display_;
    }

private:
    // In the child: only async-signal-safe calls until exec.
    [[noreturn]] static void runXvfb(int writeEnd, pid_t parent) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(127);  // the parent is already gone
        const int quiet = ::open("/dev/null", O_RDWR);
        if (quiet >= 0) {
            ::dup2(quiet, 0);
            ::dup2(quiet, 1);
            ::dup2(quiet, 2);
        }
        // The write end must survive exec: dup it without close-on-exec.
        const int fd = ::dup(writeEnd);
        char fdText[16];
        int length = 0;
        for (int rest = fd; length == 0 || rest > 0; rest /= 10) fdText[length++] = char('0' + rest % 10);
        for (int i = 0; i < length / 2; ++i) std::swap(fdText[i], fdText[length - 1 - i]);
        fdText[length] = '\0';
        const char* arguments[] = {"Xvfb", "-displayfd", fdText, "-screen", "0", "1280x1024x24",
                                   "-nolisten", "tcp", "-noreset", nullptr};
        ::execvp("Xvfb", const_cast<char* const*>(arguments));
        ::_exit(127);
    }

    // The display number Xvfb writes once it accepts connections; "" when it fails.
    static std::string readDisplayNumber(int readEnd) {
        std::string number;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return {};
            pollfd waiting{readEnd, POLLIN, 0};
            const int ready = ::poll(&waiting, 1, int(left.count()));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) return {};
            char buffer[32];
            const ssize_t got = ::read(readEnd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return {};  // Xvfb exited (not installed, or failed)
            for (ssize_t i = 0; i < got; ++i) {
                if (buffer[i] == '\n') return number;
                if (buffer[i] >= '0' && buffer[i] <= '9') number += buffer[i];
            }
        }
    }

    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        display_.clear();
    }

    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace

std::string privateDisplay() {
    static std::mutex guard;
    static XvfbServer server;  // stopped when the process exits
    std::lock_guard lock(guard);
    return server.start();
}

}  // namespace corvex::cadhost::occt
