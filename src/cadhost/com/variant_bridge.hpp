#pragma once
// VARIANTs and corvex's Variants, both ways, kind for kind: a 16-bit integer stays VT_I2, a
// point stays VT_ARRAY|VT_R8, an entity list stays an array of object references. The kinds
// a member chooses must reach the CAD application unchanged, and what a client sends must
// reach the member as the client sent it.
#include <windows.h>
#include <oaidl.h>

#include <functional>

#include "automation/variant.hpp"

namespace corvex::cadhost::com {

// How object references cross: who owns the objects on each side decides.
struct ObjectMapping {
    // An incoming IDispatch (never null) as an object of ours.
    std::function<automation::ObjectRef(IDispatch*)> fromDispatch;
    // One of our objects (never null) as an IDispatch with a reference for the caller.
    std::function<IDispatch*(const automation::ObjectRef&)> toDispatch;
};

// By-reference VARIANTs are read through; a missing optional argument is Empty. Kinds
// without a counterpart become the nearest one (VT_R4 a Double, VT_UI1 a 16-bit integer);
// arrays of more than one dimension are a type mismatch.
automation::Variant fromVariant(const VARIANT& value, const ObjectMapping& objects);

// `out` must be empty (VT_EMPTY); it is left empty when the conversion fails.
void toVariant(const automation::Variant& value, VARIANT* out, const ObjectMapping& objects);

}  // namespace corvex::cadhost::com
