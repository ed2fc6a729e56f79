#pragma once
// Planes of regions (internal): faces from loops, the "up" rule for normals, coplanarity.
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Dir.hxx>
#include <gp_Pln.hxx>

#include <optional>
#include <vector>

namespace corvex::cadhost::occt {

// `normal` or its opposite, whichever faces up: a positive Z component, or in a vertical plane
// the first non-zero component positive. Deterministic, so every region of one plane agrees.
gp_Dir upwardNormal(const gp_Dir& normal);

// The plane of a planar face with its axis along the face's normal (orientation included), or
// nothing when the face's surface is not a plane.
std::optional<gp_Pln> facePlane(const TopoDS_Face& face);

// A face bounded by the closed, planar `loop`, on a plane whose axis faces up; the face is
// FORWARD, so its surface's axis is its normal. Raises automation::invalidArgument when the loop
// does not lie in a plane.
TopoDS_Face upwardFace(const TopoDS_Wire& loop);

// The face itself, or the face reversed when its normal does not face up.
TopoDS_Face facingUp(const TopoDS_Face& face);

// The faces of a shape (a face or a compound), each turned to face up. Raises
// automation::invalidArgument for a face that is not planar.
std::vector<TopoDS_Face> upwardFaces(const TopoDS_Shape& region);

// True when the two planes coincide within `tolerance` (their normals may point either way).
bool samePlane(const gp_Pln& a, const gp_Pln& b, double tolerance);

double faceArea(const TopoDS_Shape& shape);

}  // namespace corvex::cadhost::occt
