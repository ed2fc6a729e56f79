#pragma once
// Late-bound calls on corvex4: find the member in the member table, convert each argument to
// its declared kind by the automation rules, call it, and hand back its result as a Variant.
// The runner, the tests and the COM class all call the class this way.
//
// Results: Empty for a member without one, Integer for a 16-bit result, an object (Nothing
// for no object) for a 3D solid. Every error that leaves invoke is an automation::Error whose
// source is "corvex.corvex4" (unless the failing host operation named its own).
#include <string_view>
#include <vector>

#include "automation/variant.hpp"
#include "server/corvex4.hpp"
#include "server/member_table.hpp"

namespace corvex {

// By dispatch ID. `flags` says how the caller means to call it (one or more kinds); an ID
// with no member of those kinds is "member not found".
automation::Variant invoke(corvex4& server, DispId dispId, InvokeKind flags,
                           std::vector<automation::Variant> arguments);

// By name, matched without regard to case; an unknown name is "unknown name". A property is
// read when no argument is given and written when one is.
automation::Variant invoke(corvex4& server, std::string_view name,
                           std::vector<automation::Variant> arguments);

// The dispatch ID of a member name (GetIDsOfNames); fails with "unknown name".
DispId dispIdOf(std::string_view name);

// One argument converted to a declared kind: Variant passes unchanged; Double takes Empty
// as 0 and numeric text; Int16 also rounds half to even and overflows outside -32768..32767;
// String takes numbers as text; Object takes any object or Nothing and nothing else.
automation::Variant coerceArgument(const automation::Variant& argument, ParamKind kind);

}  // namespace corvex
