#include "server/working_range_check.hpp"

#include <cmath>
#include <optional>
#include <string>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "automation/number_text.hpp"
#include "cadhost/working_range.hpp"

namespace corvex {
namespace {

using automation::Variant;

// Arrays of arrays are as deep as a caller makes them: the runner allows 32 levels.
constexpr int kDeepestArray = 64;

// The first number in `value` outside the working range, with where it sits ("item 3").
std::optional<std::pair<double, std::string>> outOfRange(const Variant& value, int depth) {
    if (value.isArray()) {
        if (depth >= kDeepestArray) throw automation::invalidArgument("arrays nested deeper than 64 levels");
        const auto& items = value.asArray().items();
        for (std::size_t i = 0; i < items.size(); ++i)
            if (auto found = outOfRange(items[i], depth + 1))
                return std::make_pair(found->first, "item " + std::to_string(i + 1) +
                                                        (found->second.empty() ? "" : " of " + found->second));
        return std::nullopt;
    }
    if (!value.isNumeric()) return std::nullopt;  // the member says what it makes of the rest
    const double number = automation::toDouble(value);
    if (std::isfinite(number) && std::fabs(number) <= cadhost::kWorkingRange) return std::nullopt;
    return std::make_pair(number, std::string());
}

}  // namespace

void checkWorkingRange(const Member& member, std::size_t index, const Variant& argument) {
    const Parameter& parameter = member.parameters.at(index);
    if (parameter.range == NumberRange::Any) return;
    const auto found = outOfRange(argument, 0);
    if (!found) return;
    const auto& [number, where] = *found;
    const std::string what = (where.empty() ? "" : where + " of ") + std::string(parameter.name);
    const std::string detail = std::isfinite(number) ? " is " + automation::shortestText(number) +
                                                           ", outside the working range of -1e6 to 1e6"
                                                     : " must be a finite number";
    throw automation::invalidArgument(what + detail + " (argument " + std::to_string(index + 1) + " of " +
                                      std::string(member.name) + ")");
}

}  // namespace corvex
