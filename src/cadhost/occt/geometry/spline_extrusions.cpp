#include "cadhost/occt/geometry/spline_extrusions.hpp"

#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_NurbsConvert.hxx>
#include <BRepGProp.hxx>
#include <BRepGProp_Domain.hxx>
#include <BRepGProp_Face.hxx>
#include <BRepGProp_Vinert.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <Geom_BSplineCurve.hxx>
#include <Geom_BSplineSurface.hxx>
#include <Geom_RectangularTrimmedSurface.hxx>
#include <Geom_SurfaceOfLinearExtrusion.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Iterator.hxx>

#include <algorithm>

namespace corvex::cadhost::occt {
namespace {

constexpr double kSplineAccuracy = 1e-9;

// How the kernel's quick rule fails a face: not at all (analytic surfaces), or on a spline
// surface (by 1e-4 of a helix's sweep), or on a spline's extrusion, which it takes as one span,
// or on the extrusion of another curve (a circle's, which a flat end mill's ramp leaves in the
// part: 0.94 mm3 off on one face that a Boolean had trimmed).
enum class Surface { Plain, Spline, SplineExtrusion, Extrusion };

Surface surfaceOf(const TopoDS_Face& face) {
    TopLoc_Location placed;  // the surface unmoved: no copy of it for every face looked at
    Handle(Geom_Surface) surface = BRep_Tool::Surface(face, placed);
    if (auto trimmed = Handle(Geom_RectangularTrimmedSurface)::DownCast(surface); !trimmed.IsNull())
        surface = trimmed->BasisSurface();
    if (surface->IsKind(STANDARD_TYPE(Geom_BSplineSurface))) return Surface::Spline;
    const auto extrusion = Handle(Geom_SurfaceOfLinearExtrusion)::DownCast(surface);
    if (extrusion.IsNull()) return Surface::Plain;
    return Handle(Geom_BSplineCurve)::DownCast(extrusion->BasisCurve()).IsNull() ? Surface::Extrusion
                                                                                : Surface::SplineExtrusion;
}

// The same face on its surface as a spline of the same parameters.
TopoDS_Face asSpline(const TopoDS_Face& face) {
    try {
        BRepBuilderAPI_NurbsConvert converted(face, true);
        if (converted.IsDone()) return TopoDS::Face(converted.Shape());
    } catch (const Standard_Failure&) {
    }
    return face;
}

}  // namespace

GProp_GProps faceVolumeProperties(const TopoDS_Face& given, const gp_Pnt& origin, double accuracy) {
    const Surface kind = surfaceOf(given);
    const TopoDS_Face face = kind == Surface::SplineExtrusion ? asSpline(given) : given;
    // Even as a spline surface the quick rule strays by 1e-4 of a sweep along such a face's
    // edges: the adaptive rule is right.
    const bool adaptive = kind != Surface::Plain;
    if (adaptive) accuracy = accuracy > 0 ? std::min(accuracy, kSplineAccuracy) : kSplineAccuracy;
    BRepGProp_Face surface(face);
    BRepGProp_Vinert integral;
    integral.SetLocation(origin);
    if (!TopoDS_Iterator(face).More()) {  // a face bounded by its surface's own limits
        if (accuracy > 0) integral.Perform(surface, accuracy);
        else integral.Perform(surface);
    } else {
        BRepGProp_Domain domain(face);
        if (accuracy > 0) integral.Perform(surface, domain, accuracy);
        else integral.Perform(surface, domain);
    }
    return integral;
}

GProp_GProps volumeProperties(const TopoDS_Shape& shape, double accuracy) {
    bool plain = true;
    for (TopExp_Explorer it(shape, TopAbs_FACE); it.More() && plain; it.Next()) plain = surfaceOf(TopoDS::Face(it.Current())) == Surface::Plain;
    if (plain) {
        GProp_GProps whole;
        if (accuracy > 0) BRepGProp::VolumeProperties(shape, whole, accuracy);
        else BRepGProp::VolumeProperties(shape, whole);
        return whole;
    }
    // Face by face about one origin near the shape, as the whole-shape integration sums them.
    Bnd_Box box;
    BRepBndLib::Add(shape, box, false);
    double x0, y0, z0, x1, y1, z1;
    box.Get(x0, y0, z0, x1, y1, z1);
    const gp_Pnt origin((x0 + x1) / 2, (y0 + y1) / 2, (z0 + z1) / 2);
    GProp_GProps total(origin);
    for (TopExp_Explorer it(shape, TopAbs_FACE); it.More(); it.Next()) {
        const TopoDS_Face& face = TopoDS::Face(it.Current());
        if (face.Orientation() == TopAbs_FORWARD || face.Orientation() == TopAbs_REVERSED)
            total.Add(faceVolumeProperties(face, origin, accuracy));
    }
    return total;
}

}  // namespace corvex::cadhost::occt
