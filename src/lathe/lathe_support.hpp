#pragma once
// What the lathe members share: reading the client's flat arrays the way a late-bound caller
// indexes them (by the array's own index, with 16-bit index arithmetic that overflows past
// 32767), and the one revolution every turning cut is made of.
#include <cstdint>
#include <memory>

#include "automation/variant.hpp"
#include "cadhost/model.hpp"

namespace corvex::lathe {

// array(index); `name` says which argument in the error when `array` is no array.
const automation::Variant& element(const automation::Variant& array, std::int16_t index,
                                   const char* name);
// array(index) converted to a Double.
double number(const automation::Variant& array, std::int16_t index, const char* name);

// A 16-bit integer from a wider result: the overflow error past -32768..32767.
std::int16_t int16Of(std::int32_t value);
// 3k + offset, each step in 16-bit arithmetic: the index of entry `offset` of triple k.
std::int16_t tripleIndex(std::int32_t k, std::int16_t offset);

// A copy of the client's array that the member may change: arguments come by value.
automation::Array ownCopy(const automation::Variant& array, const char* name);

// regions(index) of what AddRegion returned.
const automation::Variant& regionAt(const automation::Variant& regions, std::int16_t index);
// Delete on an entity held in a Variant (a region element), as a late-bound call.
void deleteHeld(const automation::Variant& holder);

// The turning cut: `region` revolved a full turn about the spindle axis (the drawing's X
// axis through the origin). The angle is the 16-bit 360 the host takes as a full turn.
std::shared_ptr<cadhost::Solid3D> revolveAboutSpindle(cadhost::ModelSpace& modelSpace,
                                                      const automation::Variant& region);

}  // namespace corvex::lathe
