#pragma once
// Calling a member on an object held in a Variant, as a late-bound caller does: a Variant
// holding no object (Empty, Nothing, a number) is "Object required", and an object that has
// no such member is "member not found". The fields cadApp and cadDoc are used this way, and
// so are the elements of the arrays the host hands back (the regions of AddRegion).
#include <memory>
#include <string>

#include "automation/error.hpp"
#include "automation/variant.hpp"

namespace corvex {

template <typename T>
std::shared_ptr<T> lateBound(const automation::Variant& holder, const char* member) {
    if (!holder.isObject() || !holder.asObject()) {
        throw automation::objectRequired(std::string(member) + " called on " +
                                         (holder.isObject() ? "Nothing"
                                                            : automation::varTypeName(holder.type())));
    }
    const auto& object = holder.asObject();
    if (auto typed = std::dynamic_pointer_cast<T>(object)) return typed;
    throw automation::memberNotFound(object->describe() + " has no " + member);
}

}  // namespace corvex
