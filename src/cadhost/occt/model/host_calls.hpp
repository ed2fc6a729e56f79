#pragma once
// The host's own calls: cuts the embedded host makes exactly where no member of corvex4 can. A
// session writes them beside the members' calls under names that start "host:", which no
// member's name can (a member's name has no colon), so that nobody takes one for a member:
//
//   ["host:CutterSweep", [x0, y0, z0], [x1, y1, z1], diameter, length, corner, angle, tip]
//
// takes from every solid of the group "PART" the solid the cutter sweeps as its tip moves from
// the first point to the second (Drawing::addCutterSweep, exactly: see cutter_sweep.hpp),
// each by the same subtraction as a member's cut (queued, guarded), as drill_path does. A
// ball's sweep is cut off level at the lower end's top when the solid holds no material as
// high (see ball_pass.hpp): the same cut, made face by face.
//
//   ["host:CutterArc", [x0, y0, z0], [cx, cy, z0], degrees, diameter, length, corner, angle, tip]
//
// takes the solid the cutter sweeps as its tip turns level from the first point about the
// upright axis through the second by the angle (counter-clockwise when positive; 360 or more
// the whole ring), the turn's radius above the cutter's (Drawing::addCutterArc, arcSweep in
// cutter_sweep.hpp).
//
//   ["host:CutterHelix", [x0, y0, z0], [cx, cy, z0], degrees, rise, diameter, length, corner, angle, tip]
//
// takes the solid the cutter sweeps along the helix that turns as
// host:CutterArc's arc does, by half a turn at most, while the tip rises by `rise` (falls below
// 0) (Drawing::addCutterHelix, screw_sweep.hpp).
#include <string_view>
#include <vector>

#include "automation/variant.hpp"
#include "cadhost/occt/model/embedded_host.hpp"

namespace corvex::cadhost::occt {

bool isHostCallName(std::string_view name);

// The number of arguments the call takes; an automation error for a name the host lacks.
std::size_t hostCallArity(std::string_view name);

// Carries the call out on `drawing`; an automation error, as a member's, when it cannot.
void invokeHostCall(Drawing& drawing, std::string_view name, const std::vector<automation::Variant>& arguments);

}  // namespace corvex::cadhost::occt
