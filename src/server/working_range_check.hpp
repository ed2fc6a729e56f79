#pragma once
// The door of every member: numbers outside the model's working range are refused before the
// member makes any host call, naming the argument (see cadhost/working_range.hpp).
#include <cstddef>

#include "automation/variant.hpp"
#include "server/member_table.hpp"

namespace corvex {

// Fails with an invalid-argument error when `argument` (the member's `index`th, already
// converted to its declared kind) is, or holds in its arrays, a number that is not finite or
// lies outside +-kWorkingRange, unless the parameter takes any number.
void checkWorkingRange(const Member& member, std::size_t index, const automation::Variant& argument);

}  // namespace corvex
