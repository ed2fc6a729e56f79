#pragma once
// The loop the probe and rotary members run over a group: a 16-bit counter from 0 to
// Count - 1, the bound taken to 16 bits before the first pass (a group of more than 32,768
// members fails there, before anything is touched). Like a Basic For loop, the counter steps
// once more after the last pass, so a group of exactly 32,768 members is handled completely
// and then the call fails on the overflow.
#include <cstdint>
#include <memory>

#include "automation/arithmetic.hpp"
#include "automation/coerce.hpp"
#include "cadhost/model.hpp"
#include "cadhost/take.hpp"

namespace corvex {

// Hands every member of `group` (of any kind) to `action` in the group's order, and returns
// the member handled last (null for an empty group).
template <typename Action>
std::shared_ptr<cadhost::Entity> eachMemberOn16BitCounter(cadhost::Group& group, Action&& action) {
    using automation::Variant;
    const std::int16_t last = automation::toInt16(Variant::int32(group.Count()) - Variant::int32(1));
    std::shared_ptr<cadhost::Entity> member;
    for (std::int16_t i = 0; i <= last; i = automation::toInt16(Variant::int16(i) + Variant::int16(1))) {
        member = cadhost::take<cadhost::Entity>(group.Item(Variant::int16(i)), "an entity");
        action(*member);
    }
    return member;
}

}  // namespace corvex
