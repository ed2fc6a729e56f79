#pragma once
// Taking an object as a given kind, as a late-bound caller does when it assigns a result to
// a typed reference: anything else is a type mismatch, no object is "Object required".
#include <memory>
#include <string>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "automation/variant.hpp"

namespace corvex::cadhost {

template <typename T>
std::shared_ptr<T> take(const automation::ObjectRef& object, const char* wanted) {
    if (!object) throw automation::objectRequired(std::string("expected ") + wanted + ", got Nothing");
    if (auto typed = std::dynamic_pointer_cast<T>(object)) return typed;
    throw automation::typeMismatch(std::string("expected ") + wanted + ", got " + object->describe());
}

template <typename T>
std::shared_ptr<T> take(const automation::Variant& value, const char* wanted) {
    return take<T>(automation::toObject(value), wanted);
}

}  // namespace corvex::cadhost
