#pragma once
// Planar regions made from curves, and Booleans of regions: the geometry behind
// ModelSpace::AddRegion and Region::Boolean (internal to the embedded host).
//
// Every face these functions return faces "up": its normal (the plane's axis, reversed when the
// face is REVERSED; see regionNormal) has a non-negative Z component, and in a vertical plane its
// first non-zero component is positive. Solids are extruded along that normal.
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Dir.hxx>

#include <vector>

#include "cadhost/model.hpp"

namespace corvex::cadhost::occt {

// The host's tolerance for joining curve ends into loops. Clients compute the closing lines
// of an arc cut themselves, while the arcs' ends come from angles converted with the
// factor 0.017453293, which is off pi/180 by 7.5e-10: on a full turn of radius 100 the ends
// miss by 2.7e-5. A tenth of a micrometre joins those and still tells real gaps apart.
inline constexpr double kJoinTolerance = 1e-4;

// One planar face per closed loop that the listed curves form. `curves` are, in the order the
// caller listed them, TopoDS_Edge or TopoDS_Wire shapes (null shapes are skipped: they stand for
// Empty entries of the list). A closed wire or a closed edge (a circle) is a loop on its own;
// open edges and open wires are joined end to end (either direction, within kJoinTolerance) into
// closed loops; curves that close no loop are ignored. Each loop gives its own face without
// holes. Faces come in the order of the listed curves (a loop is placed by the earliest listed
// curve in it), except that a face that encloses another face of the same call comes before it.
// No closed loop at all, or a loop that is not planar, raises an automation::Error.
std::vector<TopoDS_Face> regionsFromCurves(const std::vector<TopoDS_Shape>& curves);

// A Boolean of two regions (each a face or a compound of faces) in their common plane: union,
// intersection or subtraction (a minus b). The result is a face, or a compound of faces when it
// falls apart; a result with no area is an empty compound. Coplanar neighbours of the result are
// merged so that it has as few faces and edges as possible. Regions that are not in one plane
// raise an automation::Error.
TopoDS_Shape regionBoolean(const TopoDS_Shape& a, const TopoDS_Shape& b, BooleanOp operation);

// The normal of a region (a face, or the first face of a compound), with the face's orientation
// taken into account: the direction to extrude it along. Raises an automation::Error for a shape
// with no planar face.
gp_Dir regionNormal(const TopoDS_Shape& region);

}  // namespace corvex::cadhost::occt
