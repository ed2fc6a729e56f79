#include "cadhost/occt/model/guard.hpp"

namespace corvex::cadhost::occt {

automation::Error translateFailure(const std::string& operation, const Standard_Failure& failure) {
    std::string what = failure.GetMessageString() ? failure.GetMessageString() : "";
    std::string kind = failure.DynamicType()->Name();
    return automation::failure(operation + " failed in the geometry kernel (" + kind +
                               (what.empty() ? "" : ": " + what) + ")");
}

}  // namespace corvex::cadhost::occt
