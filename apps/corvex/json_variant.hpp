#pragma once
// JSON values as the Variants a late-bound client sends, and results back as JSON.
//
// In: numbers are Doubles (a member that declares a 16-bit parameter converts them itself),
// strings Strings, true/false Booleans, null Null, arrays arrays with lower bound 0 (an array of
// numbers a Double array, anything else an array of Variants). {"entity": 7} stands for the
// entity with id 7 of the drawing, so a session can hand back an object a call gave it.
// Out: Empty is no result; an entity is {"entity": id, "kind": "Solid3D"}; Nothing is null.
#include <functional>
#include <memory>

#include <nlohmann/json.hpp>

#include "automation/variant.hpp"
#include "cadhost/model.hpp"

namespace corvex::runner {

// Finds an entity by id; null when the drawing has none.
using EntityLookup = std::function<std::shared_ptr<cadhost::Entity>(int id)>;

// Fails with BadInput for a value no Variant stands for (an object other than an entity
// reference, a fractional entity id).
void checkArgument(const nlohmann::json& value);

// Arrays nest no deeper than this in an argument: a client's arrays are points, lists of
// points, lists of entities; a deeper value is a fault, and the conversions walk it by recursion.
inline constexpr int kDeepestNesting = 32;

// Fails with an automation error for a reference to an entity the drawing does not hold.
automation::Variant toVariant(const nlohmann::json& value, const EntityLookup& entities);

nlohmann::json toJson(const automation::Variant& value);

}  // namespace corvex::runner
