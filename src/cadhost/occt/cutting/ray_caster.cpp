#include "cadhost/occt/cutting/ray_caster.hpp"

#include <BRepBndLib.hxx>
#include <IntCurvesFace_ShapeIntersector.hxx>
#include <Precision.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <gp_Lin.hxx>

#include <cmath>

namespace corvex::cadhost::occt {
namespace {

// A direction along no axis nor diagonal, so that rays from machined points rarely run along
// a face or through an edge.
const gp_Dir kRay(0.5234, 0.3127, 0.7928);

}  // namespace

RayCaster::RayCaster(const TopoDS_Shape& solid) {
    for (TopExp_Explorer it(solid, TopAbs_FACE); it.More(); it.Next()) {
        Face face{TopoDS::Face(it.Current()), {}, nullptr};
        BRepBndLib::Add(face.face, face.box, false);
        face.box.Enlarge(kSurfaceBand);
        faces_.push_back(std::move(face));
    }
}

RayCaster::Crossings RayCaster::cast(const gp_Pnt& point) {
    Crossings crossings;
    const gp_Lin ray(point, kRay);
    for (auto& face : faces_) {
        if (face.box.IsOut(ray)) continue;
        if (!face.hits) face.hits = std::make_unique<IntCurvesFace_Intersector>(face.face, 1e-9);
        face.hits->Perform(ray, -kSurfaceBand, Precision::Infinite());
        if (!face.hits->IsDone()) {
            crossings.decided = false;
            continue;
        }
        for (int i = 1; i <= face.hits->NbPnt(); ++i) {
            if (std::fabs(face.hits->WParameter(i)) <= kSurfaceBand) crossings.onSurface = true;
            if (face.hits->State(i) != TopAbs_IN || face.hits->Transition(i) == IntCurveSurface_Tangent)
                crossings.decided = false;
            ++crossings.count;
        }
    }
    return crossings;
}

int oddRaysFrom(const TopoDS_Shape& shape, const gp_Pnt& point) {
    IntCurvesFace_ShapeIntersector rays;
    rays.Load(shape, 1e-9);
    int odd = 0;
    for (const gp_Dir& direction :
         {gp_Dir(-0.6142, 0.7071, 0.3507), gp_Dir(0.2213, -0.8134, 0.5379), gp_Dir(0.7071, 0.5025, -0.4977)}) {
        rays.Perform(gp_Lin(point, direction), 0, Precision::Infinite());
        odd += rays.IsDone() && rays.NbPnt() % 2 == 1;
    }
    return odd;
}

}  // namespace corvex::cadhost::occt
