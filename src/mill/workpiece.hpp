#pragma once
// What the milling members share about the workpiece group "PART": the subtraction code they
// hand to Boolean, and the walk over the members that needs no 16-bit count.
#include <cstdint>
#include <memory>

#include "automation/variant.hpp"
#include "cadhost/model.hpp"
#include "cadhost/take.hpp"

namespace corvex::mill {

// The host's own operation value for a subtraction (its enumerations are 32-bit).
inline automation::Variant subtraction() {
    return automation::Variant::int32(static_cast<std::int32_t>(cadhost::BooleanOp::Subtraction));
}

// Every member in the group's order, each taken as a 3D solid when the walk reaches it, so a
// member of another kind fails the walk there with the members before it already handled.
// The host model has no enumerator: the count is read once and the index runs in 32 bits,
// so no group is too large (unlike the loops that count in 16 bits).
template <typename Visit>
void forEachMember(cadhost::Group& group, Visit&& visit) {
    const std::int32_t count = group.Count();
    for (std::int32_t i = 0; i < count; ++i)
        visit(cadhost::take<cadhost::Solid3D>(group.Item(automation::Variant::int32(i)), "a 3D solid"));
}

}  // namespace corvex::mill
