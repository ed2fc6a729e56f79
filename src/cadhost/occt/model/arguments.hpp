#pragma once
// Reading host-operation arguments: what the host accepts and the errors it gives otherwise.
#include <gp_Pnt.hxx>
#include <gp_Vec.hxx>

#include <memory>
#include <string>

#include "automation/variant.hpp"
#include "cadhost/model.hpp"
#include "cadhost/working_range.hpp"

namespace corvex::cadhost::occt {

class EntityBase;

// The model's working range (see working_range.hpp).
using cadhost::kShortestLength;
using cadhost::kWorkingRange;

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
