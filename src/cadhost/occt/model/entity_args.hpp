#pragma once
// entityArgOf<T>: an entity argument of one kind.
#include "automation/error.hpp"
#include "cadhost/occt/model/arguments.hpp"
#include "cadhost/occt/model/entity_base.hpp"

namespace corvex::cadhost::occt {

template <typename T>
std::shared_ptr<T> entityArgOf(const automation::Variant& value, const char* what) {
    auto entity = entityArg(value, what);
    if (auto typed = std::dynamic_pointer_cast<T>(entity)) return typed;
    throw automation::typeMismatch(std::string(what) + " cannot be " + entity->describe());
}

}  // namespace corvex::cadhost::occt
