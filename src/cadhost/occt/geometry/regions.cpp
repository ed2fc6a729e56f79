#include "cadhost/occt/geometry/regions.hpp"

#include <BRepCheck_Status.hxx>
#include <BRepCheck_Wire.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>

#include "automation/error.hpp"
#include "cadhost/occt/geometry/region_errors.hpp"
#include "cadhost/occt/geometry/region_loops.hpp"
#include "cadhost/occt/geometry/region_order.hpp"
#include "cadhost/occt/geometry/region_planes.hpp"

namespace corvex::cadhost::occt {
namespace {

// A boundary that crosses itself bounds no region: its lobes run opposite ways, and a solid
// made from it came out inside out (a lathe insert whose points crossed: -1.06 mm3), which a
// drawing then carried.
void refuseCrossingBoundary(const TopoDS_Face& face) {
    for (TopExp_Explorer wires(face, TopAbs_WIRE); wires.More(); wires.Next()) {
        BRepCheck_Wire check(TopoDS::Wire(wires.Current()));
        TopoDS_Edge first, second;
        if (check.SelfIntersect(face, first, second) == BRepCheck_SelfIntersectingWire)
            throw automation::invalidArgument("the curves cross one another, so they bound no region");
    }
}

}  // namespace

std::vector<TopoDS_Face> regionsFromCurves(const std::vector<TopoDS_Shape>& curves) {
    return withRegionErrors("making regions from curves", [&] {
        std::vector<CurveLoop> loops = closedLoops(curves, kJoinTolerance);
        if (loops.empty()) {
            throw automation::invalidArgument(
                "the curves form no closed loop, so there is no region to make");
        }
        std::vector<TopoDS_Face> faces;
        faces.reserve(loops.size());
        for (const CurveLoop& loop : loops) {
            faces.push_back(upwardFace(loop.wire));
            refuseCrossingBoundary(faces.back());
        }
        if (faces.size() == 1) {
            return faces;
        }
        std::vector<TopoDS_Face> ordered;
        ordered.reserve(faces.size());
        for (std::size_t index : enclosingFirstOrder(faces)) {
            ordered.push_back(faces[index]);
        }
        return ordered;
    });
}

gp_Dir regionNormal(const TopoDS_Shape& region) {
    return withRegionErrors("finding a region's normal", [&] {
        if (!region.IsNull()) {
            TopExp_Explorer explorer(region, TopAbs_FACE);
            if (explorer.More()) {
                if (std::optional<gp_Pln> plane = facePlane(TopoDS::Face(explorer.Current()))) {
                    return plane->Axis().Direction();
                }
            }
        }
        throw automation::invalidArgument("the region has no planar face to take a normal from");
    });
}

}  // namespace corvex::cadhost::occt
