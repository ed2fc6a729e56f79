#pragma once
// One late-bound call on an IDispatch, by member name, as a Basic client makes it: the name
// is looked up with GetIDsOfNames, the arguments go in as VARIANTs in reverse order, a
// property put names its value DISPID_PROPERTYPUT, and a failure comes back as an
// automation error with the callee's own description.
#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

#include "automation/variant.hpp"
#include "cadhost/com/variant_bridge.hpp"

namespace corvex::cadhost::com {

enum class CallKind { Method, PropertyGet, PropertyPut };

// `context` names the receiver in error descriptions ("Solid3D#4").
automation::Variant callByName(IDispatch* target, const std::string& context, const std::string& member,
                               CallKind kind, const std::vector<automation::Variant>& arguments,
                               const ObjectMapping& objects);

}  // namespace corvex::cadhost::com
