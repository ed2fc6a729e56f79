#pragma once
// The check of a subtraction made apart from the Boolean that made it (internal). A volume
// check bounds a cut from one side only: a Boolean that removes too little, or nothing, passes
// it, and one that adds an inside-out lump can even keep the total volume in bounds. So a
// result is also asked where it is: every point on a tool's faces that lies in the part must
// be on the result's boundary or outside it, never inside (a tool's surface is where the cut
// leaves new faces, or it lay in the air); the faces the cut made must lie within the part's
// box; and every lump must hold material.
#include <Bnd_Box.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Pnt.hxx>

#include <optional>
#include <vector>

namespace corvex::cadhost::occt {

// Up to `count` points on the faces of `tool`, in their interiors, that lie within `within`,
// the deepest in it first: a tool that meets the part is most surely in it there (a slot's
// floor rather than its walls above the part), and points in the air prove nothing.
std::vector<gp_Pnt> pointsOnFaces(const TopoDS_Shape& tool, const Bnd_Box& within, std::size_t count);

// The first of `points` that lies inside `result`, clear of its boundary by more than a small
// tolerance: material that the cut should have taken.
std::optional<gp_Pnt> pointLeftInside(const TopoDS_Shape& result, const std::vector<gp_Pnt>& points);

// The distance from `point` to the nearest face of `shape` (0 when the kernel cannot tell): a
// ray or a classifier can be misled near an edge, a distance cannot.
double distanceToFaces(const TopoDS_Shape& shape, const gp_Pnt& point);

// Whether every face the cut made lies within the part's box (enlarged by a tolerance).
bool madeWithin(const std::vector<TopoDS_Face>& newFaces, const Bnd_Box& partBox);

}  // namespace corvex::cadhost::occt
