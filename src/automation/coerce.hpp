#pragma once
// The conversions a late-bound client relies on when a Variant meets a typed parameter.
//  - Empty is 0 (and "" as text); Booleans are -1 and 0.
//  - Numeric text is parsed; other text is a type mismatch.
//  - Null, objects and arrays are type mismatches where a number or text is needed.
//  - Integer conversions round half to even and overflow outside the type's range.
#include <cstdint>
#include <string>

#include "automation/variant.hpp"

namespace corvex::automation {

double toDouble(const Variant& v);
std::int16_t toInt16(const Variant& v);
std::int32_t toInt32(const Variant& v);
bool toBoolean(const Variant& v);
std::string toText(const Variant& v);
// An object reference; anything else (Empty, Nothing, numbers) is "Object required".
ObjectRef toObject(const Variant& v);

// Round half to even, then check the range: the rule of CInt and CLng.
std::int16_t roundToInt16(double value);
std::int32_t roundToInt32(double value);

// The Variant converted to `type` (Empty and Null pass through to Variant targets only).
Variant changeType(const Variant& v, VarType type);

// The elements of a point: an array of at least three numbers, indices lb..lb+2.
struct Point3 {
    double x, y, z;
};
Point3 toPoint(const Variant& v);

}  // namespace corvex::automation
