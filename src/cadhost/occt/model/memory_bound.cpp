#include "cadhost/occt/model/memory_bound.hpp"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace corvex::cadhost::occt {

void boundProcessMemory() {
#if defined(__SANITIZE_ADDRESS__)
    return;
#else
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return;
    // A session of thousands of cuts peaks near 400 MB: 8 GB leaves it room twenty times over,
    // and stops a runaway in about a minute rather than three.
    constexpr rlim_t kMost = rlim_t{8} << 30;
    const rlim_t half = std::min(static_cast<rlim_t>(pages) * static_cast<rlim_t>(pageSize) / 2, kMost);
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0) return;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur <= half) return;
    limit.rlim_cur = half;
    setrlimit(RLIMIT_AS, &limit);
#endif
}

}  // namespace corvex::cadhost::occt
