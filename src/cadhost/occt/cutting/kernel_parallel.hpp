#pragma once
// Independent kernel jobs spread over the machine's cores (internal). OpenCASCADE's algorithms
// may run side by side as long as they share no shape they modify; callers see to that.
#include <OSD_Parallel.hxx>

#include <exception>
#include <vector>

namespace corvex::cadhost::occt {

// Calls job(i) for every i in [0, count), several at a time. When jobs throw, the exception of
// the lowest index is rethrown once all have finished, so a failure does not depend on timing.
template <typename Job>
void runSideBySide(int count, const Job& job) {
    std::vector<std::exception_ptr> failures(static_cast<std::size_t>(count > 0 ? count : 0));
    OSD_Parallel::For(0, count, [&](int index) {
        try {
            job(index);
        } catch (...) {
            failures[static_cast<std::size_t>(index)] = std::current_exception();
        }
    });
    for (const auto& failure : failures)
        if (failure) std::rethrow_exception(failure);
}

}  // namespace corvex::cadhost::occt
