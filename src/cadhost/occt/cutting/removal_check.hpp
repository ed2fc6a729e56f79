#pragma once
// The check of a subtraction made apart from the Boolean that made it (internal). A volume
// check bounds a cut from one side only: a Boolean that removes too little, or nothing, passes
// it, and one that adds an inside-out lump can even keep the total volume in bounds. So a
// result is also asked where it is: no point just inside a tool may lie inside the result;
// the faces the cut made must lie within the part's box; and every lump must hold material.
#include <Bnd_Box.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Pnt.hxx>
#include <gp_Pnt2d.hxx>

#include <optional>
#include <vector>

namespace corvex::cadhost::occt {

// Points across a face's parameters, in its interior, off its seams and middle.
struct FacePoint {
    gp_Pnt2d uv;
    gp_Pnt point;
};
std::vector<FacePoint> gridOnFace(const TopoDS_Face& face);

class RayCaster;

// Up to `count` points just inside `tool`, beneath its faces, that lie within `within`, the
// deepest in it first: a tool that meets the part is most surely in it there (a slot's floor
// rather than its walls above the part). Points in the air prove nothing, so with `material`
// (the part before the cut) the points inside it come first, and the others only make up the
// count: a path that ran back beside an earlier slot left 273 mm3 of wall uncut, while two of
// its three points lay in that slot.
std::vector<gp_Pnt> pointsWithinTool(const TopoDS_Shape& tool, const Bnd_Box& within, std::size_t count,
                                     RayCaster* material = nullptr);

// The first of `points` that lies inside `result`, clear of its boundary by more than a small
// tolerance, inside by the most of three more rays, and inside one of `tools` by the kernel's
// classifier: material that the cut should have taken. The points were found inside the tools
// by one ray, which has miscounted where a tool's wall ran within 1e-4 of an earlier cut's.
std::optional<gp_Pnt> pointLeftInside(const TopoDS_Shape& result, const std::vector<gp_Pnt>& points,
                                      const std::vector<TopoDS_Shape>& tools);

// The distance from `point` to the nearest face of `shape` (0 when the kernel cannot tell): a
// ray or a classifier can be misled near an edge, a distance cannot.
double distanceToFaces(const TopoDS_Shape& shape, const gp_Pnt& point);

// Whether every face the cut made lies within the part's box (enlarged by a tolerance).
bool madeWithin(const std::vector<TopoDS_Face>& newFaces, const Bnd_Box& partBox);

}  // namespace corvex::cadhost::occt
