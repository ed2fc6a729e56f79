#pragma once
// The check of a subtraction made apart from the Boolean that made it (internal). A volume
// check bounds a cut from one side only: a Boolean that removes too little, or nothing, passes
// it, and one that adds an inside-out lump can even keep the total volume in bounds. So a
// result is also asked where it is: no point just inside a tool may lie inside the result;
// the faces the cut made must lie within the part's box; every lump must hold material; and
// no point of the part's material just outside a tool may be missing from the result.
#include <Bnd_Box.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Pnt.hxx>
#include <gp_Pnt2d.hxx>

#include <optional>
#include <vector>

#include "cadhost/occt/cutting/ray_caster.hpp"

namespace corvex::cadhost::occt {

// Points across a face's parameters, in its interior, off its seams and middle: `grid` x
// `grid` of them (or `across` x `along`: u by v), less those that fall outside the face.
struct FacePoint {
    gp_Pnt2d uv;
    gp_Pnt point;
};
constexpr int kFaceGrid = 3;
std::vector<FacePoint> gridOnFace(const TopoDS_Face& face, int grid = kFaceGrid);
std::vector<FacePoint> gridOnFace(const TopoDS_Face& face, int across, int along);

// The solids of a result, each with its rays, made once for all the points the checks ask.
struct SolidRays {
    TopoDS_Shape solid;
    RayCaster rays;
};
std::vector<SolidRays> solidsWithRays(const TopoDS_Shape& shape);

// Up to `count` points just inside `tool`, beneath its faces, that lie within `within`: the
// deepest in it first (a tool that meets the part is most surely in it there, a slot's floor
// rather than its walls above the part), then each as far from those taken as can be. Points in
// the air prove nothing, so with `material` (the part before the cut) the points inside it come
// first, and the others only make up the count: a path that ran back beside an earlier slot
// left 273 mm3 of wall uncut, while two of its three points lay in that slot. A tool that
// reaches out of `within` across its sides is sampled where it lies within it (see the .cpp).
std::vector<gp_Pnt> pointsWithinTool(const TopoDS_Shape& tool, const Bnd_Box& within, std::size_t count,
                                     RayCaster* material = nullptr);

// The first of `points` that lies inside `result`, clear of its boundary by more than a small
// tolerance, inside by the most of three more rays, and inside one of `tools` by the kernel's
// classifier: material that the cut should have taken. The points were found inside the tools
// by one ray, which has miscounted where a tool's wall ran within 1e-4 of an earlier cut's.
std::optional<gp_Pnt> pointLeftInside(std::vector<SolidRays>& result, const std::vector<gp_Pnt>& points,
                                      const std::vector<TopoDS_Shape>& tools);

// The tools' solids, asked whether a point lies in or on one.
class ToolSolids {
public:
    explicit ToolSolids(const std::vector<TopoDS_Shape>& tools);
    ~ToolSolids();
    // In a tool, or on one by the ray's reckoning: cheap, and true for most points of a face
    // that a cut took away.
    bool hold(const gp_Pnt& point);
    // Clear of every tool, asked again before a point is called a fault: farther than the band
    // from every tool's faces (a point `hold` missed by a hair is on a tool all the same), and
    // outside by the parity of rays in three more directions. One ray has missed a face of a
    // turned tool that others met.
    bool clearOf(const gp_Pnt& point) const;
    // Inside a tool, farther than `depth` from its faces: by one ray, then by the distance.
    bool holdDeeperThan(const gp_Pnt& point, double depth);

private:
    struct Solid;
    std::vector<Solid> solids_;
};

// Whether a face the cut made of the part's own faces (not on a face of `cutters`, the solids
// the Boolean took out) has a point deeper than a micron inside one of `asked`: the part's
// old surface kept inside a tool, a sliver the cut should have taken. Each face is asked at a
// grid of points; a sliver 0.03 mm thick, which a finishing raster's Boolean once left beside
// the last pass, lay where no point within the tools did.
bool faceKeptInsideTools(const std::vector<TopoDS_Face>& newFaces, const std::vector<TopoDS_Shape>& cutters,
                         ToolSolids& asked);

// Up to `count` points just outside `tool`, off its faces, within `within`, in no one of
// `tools` (the cut's, this one among them) and in `material` (the part before the cut), at
// most one from each face before a second from any: the material a sound cut leaves round the
// tool. A face's grid is finer than for the points inside, since only where the tool meets
// the part counts (a slot's wall, 1 mm of it in a part 6 mm below its top).
std::vector<gp_Pnt> pointsBesideTool(const TopoDS_Shape& tool, const Bnd_Box& within, std::size_t count,
                                     ToolSolids& tools, RayCaster& material);

// The first of `points` (found by pointsBesideTool) that `result` no longer holds: outside it
// by its rays, clear of its faces and outside by most of three more rays, inside `part` by
// most of three rays and clear of every one of `tools`. Material
// the cut took where no tool was, which a volume within the tools' own does not show.
std::optional<gp_Pnt> pointTakenBeside(const TopoDS_Shape& part, std::vector<SolidRays>& result,
                                       const std::vector<gp_Pnt>& points, const std::vector<TopoDS_Shape>& tools);

// The distance from `point` to the nearest face of `shape` (0 when the kernel cannot tell): a
// ray or a classifier can be misled near an edge, a distance cannot.
double distanceToFaces(const TopoDS_Shape& shape, const gp_Pnt& point);

// Whether every face the cut made lies within the part's box (enlarged by a tolerance).
bool madeWithin(const std::vector<TopoDS_Face>& newFaces, const Bnd_Box& partBox);

}  // namespace corvex::cadhost::occt
