#pragma once
// Reading the coordinates of a client's point (an array of numbers, X, Y, Z at indices 0..2)
// the way the members use them: one element at a time, as a Variant or as a Double.
#include "automation/coerce.hpp"
#include "automation/variant.hpp"

namespace corvex::mill {

// Element `index` of the point itself, for calls that pass it on unconverted (MoveTool).
inline const automation::Variant& coordinate(const automation::Variant& point, int index) {
    return point.asArray().at(index);
}

inline double coordinateValue(const automation::Variant& point, int index) {
    return automation::toDouble(coordinate(point, index));
}

}  // namespace corvex::mill
