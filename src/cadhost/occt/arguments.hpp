#pragma once
// Reading host-operation arguments: what the host accepts and the errors it gives otherwise.
#include <gp_Pnt.hxx>
#include <gp_Vec.hxx>

#include <memory>
#include <string>

#include "automation/variant.hpp"
#include "cadhost/model.hpp"

namespace corvex::cadhost::occt {

class EntityBase;

// The model's working range. The kernel takes points closer than 1e-7 mm as one (its
// confusion tolerance); a double holds about 16 digits, so beyond 1e6 mm a coordinate keeps
// fewer than three digits below that tolerance, and the kernel's own arithmetic (intersections,
// the writer's and reader's checks) has been seen to fail, crash or spin there. Every number
// the host takes lies within +-1e6, and every length it takes is longer than 1e-7.
inline constexpr double kWorkingRange = 1e6;
inline constexpr double kShortestLength = 1e-7;

// A finite number within the working range; `what` names the argument in the error.
double numberArg(const automation::Variant& value, const char* what);
// A length: longer than kShortestLength, no longer than the working range's span.
double positiveArg(const automation::Variant& value, const char* what);
// A point of three coordinates within the working range.
gp_Pnt pointArg(const automation::Variant& value, const char* what);
// A non-zero direction.
gp_Vec directionArg(const automation::Variant& value, const char* what);
// An entity of this host that is still in the drawing.
std::shared_ptr<EntityBase> entityArg(const automation::Variant& value, const char* what);
BooleanOp booleanOpArg(const automation::Variant& value);

template <typename T>
std::shared_ptr<T> entityArgOf(const automation::Variant& value, const char* what);

}  // namespace corvex::cadhost::occt
