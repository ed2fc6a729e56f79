#include "cadhost/occt/geometry/revolved_tori.hpp"

#include <BRepTools.hxx>
#include <BRepTools_Modification.hxx>
#include <BRepTools_Modifier.hxx>
#include <BRep_Tool.hxx>
#include <Geom2d_Curve.hxx>
#include <Geom_Circle.hxx>
#include <Geom_SurfaceOfRevolution.hxx>
#include <Geom_ToroidalSurface.hxx>
#include <Geom_TrimmedCurve.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_ShapeMapHasher.hxx>
#include <TopoDS.hxx>
#include <NCollection_DataMap.hxx>
#include <gp_Trsf2d.hxx>

#include <cmath>
#include <optional>

#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt {
namespace {

// A face's torus and the shift of the second parameter that takes the revolution's
// parameters onto the torus's: T(u, v + shift) = S(u, v) for all u, v.
struct Torus {
    Handle(Geom_ToroidalSurface) surface;
    double shift = 0;
};

std::optional<Torus> torusOf(const Handle(Geom_Surface)& surface) {
    Handle(Geom_SurfaceOfRevolution) revolution = Handle(Geom_SurfaceOfRevolution)::DownCast(surface);
    if (revolution.IsNull()) return std::nullopt;
    Handle(Geom_Curve) basis = revolution->BasisCurve();
    while (auto trimmed = Handle(Geom_TrimmedCurve)::DownCast(basis)) basis = trimmed->BasisCurve();
    Handle(Geom_Circle) circle = Handle(Geom_Circle)::DownCast(basis);
    if (circle.IsNull()) return std::nullopt;

    const gp_Ax1 axis = revolution->Axis();
    const gp_Circ c = circle->Circ();
    const gp_Vec fromAxis(axis.Location(), c.Location());
    const gp_Vec along(axis.Direction());
    const gp_Pnt foot = axis.Location().Translated(along * fromAxis.Dot(along));
    const gp_Vec radial(foot, c.Location());
    const double major = radial.Magnitude(), minor = c.Radius();
    // A torus that would pass through its own axis is no simpler to cut: left as it is.
    if (major <= minor * (1 + 1e-9)) return std::nullopt;
    const gp_Dir x(radial);
    const gp_Dir circleNormal = c.Axis().Direction();
    if (!circleNormal.IsParallel(x.Crossed(axis.Direction()), 1e-12)) return std::nullopt;  // not in a meridian plane

    // The torus's second parameter turns from its X towards its main direction; the circle's
    // turns from its X towards its Y. A main direction against the axis (a left-handed frame)
    // makes both turn the same way, so the parameters differ by a shift only.
    const gp_Dir main = circleNormal.Dot(x.Crossed(axis.Direction())) > 0 ? axis.Direction() : axis.Direction().Reversed();
    gp_Ax3 frame(foot, axis.Direction(), x);
    if (!main.IsEqual(axis.Direction(), 1e-12)) frame.ZReverse();
    const gp_Dir circleX = c.XAxis().Direction();
    Torus torus;
    torus.shift = std::atan2(gp_Vec(circleX).Dot(gp_Vec(main)), gp_Vec(circleX).Dot(gp_Vec(x)));
    torus.surface = new Geom_ToroidalSurface(frame, major, minor);

    // Not believed until the two surfaces agree point by point.
    const double tolerance = 1e-9 * (major + minor);
    for (double u : {0.0, 1.1, 2.9, 4.4})
        for (double v : {0.0, 0.7, 2.3, 3.9, 5.6})
            if (revolution->Value(u, v).Distance(torus.surface->Value(u, v + torus.shift)) > tolerance)
                return std::nullopt;
    return torus;
}

// The torus for a face of revolution, its shift chosen among those a period apart so that the
// face's second parameter starts in [0, 2 pi). The kernel's quick box of a torus face whose
// second parameter starts below 0 (on a left-handed frame) was flat along the axis: a ring's
// side 3.3 mm wide got a box of no width, and every search pruned by boxes (distances, rays,
// the Boolean's own) missed the face.
std::optional<Torus> torusOfFace(const TopoDS_Face& face) {
    TopLoc_Location location;
    auto torus = torusOf(BRep_Tool::Surface(face, location));
    if (!torus) return std::nullopt;
    double u0, u1, v0, v1;
    BRepTools::UVBounds(face, u0, u1, v0, v1);
    const double period = 2 * M_PI;
    torus->shift -= period * std::floor((v0 + torus->shift) / period + 1e-12);
    return torus;
}

class RevolvedArcsAsTori : public BRepTools_Modification {
public:
    Standard_Boolean NewSurface(const TopoDS_Face& F, Handle(Geom_Surface)& S, TopLoc_Location& L, Standard_Real& Tol,
                                Standard_Boolean& RevWires, Standard_Boolean& RevFace) override {
        const Torus* torus = tori_.Seek(F);
        if (!torus) {
            auto found = torusOfFace(F);
            if (!found) return Standard_False;
            torus = tori_.Bound(F, *found);
        }
        BRep_Tool::Surface(F, L);
        S = torus->surface;
        Tol = BRep_Tool::Tolerance(F);
        RevWires = Standard_False;
        RevFace = Standard_False;
        return Standard_True;
    }
    Standard_Boolean NewCurve(const TopoDS_Edge&, Handle(Geom_Curve)&, TopLoc_Location&, Standard_Real&) override {
        return Standard_False;
    }
    Standard_Boolean NewPoint(const TopoDS_Vertex&, gp_Pnt&, Standard_Real&) override { return Standard_False; }
    Standard_Boolean NewCurve2d(const TopoDS_Edge& E, const TopoDS_Face& F, const TopoDS_Edge&, const TopoDS_Face&,
                                Handle(Geom2d_Curve)& C, Standard_Real& Tol) override {
        const Torus* torus = tori_.Seek(F);
        if (!torus) return Standard_False;
        double first, last;
        Handle(Geom2d_Curve) curve = BRep_Tool::CurveOnSurface(E, F, first, last);
        if (curve.IsNull()) return Standard_False;
        gp_Trsf2d shift;
        shift.SetTranslation(gp_Vec2d(0, torus->shift));
        C = Handle(Geom2d_Curve)::DownCast(curve->Transformed(shift));
        Tol = BRep_Tool::Tolerance(E);
        return Standard_True;
    }
    Standard_Boolean NewParameter(const TopoDS_Vertex&, const TopoDS_Edge&, Standard_Real&, Standard_Real&) override {
        return Standard_False;
    }
    GeomAbs_Shape Continuity(const TopoDS_Edge& E, const TopoDS_Face& F1, const TopoDS_Face& F2, const TopoDS_Edge&,
                             const TopoDS_Face&, const TopoDS_Face&) override {
        return BRep_Tool::Continuity(E, F1, F2);
    }

    bool anyTorus(const TopoDS_Shape& shape) {
        for (TopExp_Explorer it(shape, TopAbs_FACE); it.More(); it.Next()) {
            const TopoDS_Face& face = TopoDS::Face(it.Current());
            if (tori_.IsBound(face)) return true;
            if (auto torus = torusOfFace(face)) {
                tori_.Bind(face, *torus);
                return true;
            }
        }
        return false;
    }

private:
    // Keyed by the face as met in the solid: the modifier asks with the same faces.
    NCollection_DataMap<TopoDS_Shape, Torus, TopTools_ShapeMapHasher> tori_;
};

}  // namespace

TopoDS_Shape withToroidalFaces(const TopoDS_Shape& revolved) {
    try {
        Handle(RevolvedArcsAsTori) modification = new RevolvedArcsAsTori;
        if (!modification->anyTorus(revolved)) return revolved;
        BRepTools_Modifier modifier(revolved, modification);
        if (!modifier.IsDone()) return revolved;
        TopoDS_Shape rewritten = modifier.ModifiedShape(revolved);
        if (rewritten.IsNull() || countFaces(rewritten) != countFaces(revolved)) return revolved;
        const double before = solidVolume(revolved);
        if (std::fabs(solidVolume(rewritten) - before) > 1e-10 * std::fabs(before) + 1e-15) return revolved;
        return isValidShape(rewritten) ? rewritten : revolved;
    } catch (const Standard_Failure&) {
        return revolved;  // the general surface is exact too, only slower to cut
    }
}

}  // namespace corvex::cadhost::occt
