#include "cadhost/occt/geometry/screw_sweep.hpp"

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepLib.hxx>
#include <BRep_Tool.hxx>
#include <Geom2d_Line.hxx>
#include <GeomConvert.hxx>
#include <GeomConvert_ApproxCurve.hxx>
#include <Geom_BSplineCurve.hxx>
#include <Geom_BSplineSurface.hxx>
#include <Geom_Circle.hxx>
#include <Geom_CylindricalSurface.hxx>
#include <Geom_Line.hxx>
#include <Geom_TrimmedCurve.hxx>
#include <Standard_Failure.hxx>
#include <TColStd_Array1OfInteger.hxx>
#include <TColStd_Array1OfReal.hxx>
#include <TColStd_Array2OfReal.hxx>
#include <TColgp_Array1OfPnt.hxx>
#include <TColgp_Array2OfPnt.hxx>
#include <gp_Ax1.hxx>
#include <gp_Ax2.hxx>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "automation/error.hpp"
#include "cadhost/occt/geometry/body_bands.hpp"

namespace corvex::cadhost::occt {
namespace {

// The turn as a spline of the angle: (cos phi, sin phi) over [0, turn], with phi itself in the
// same basis (at the Greville abscissae, where a spline reproduces a straight line exactly), so
// that screwing a spline's poles along it screws the whole curve.
struct TurnSpline {
    std::vector<double> cosines, sines, angles;
    TColStd_Array1OfReal knots;
    TColStd_Array1OfInteger multiplicities;
    int degree = 0;
    double stray = 0;  // from the unit circle, at most
};

// Poles as far as `reach` from the axis then stray from their helices by at most a tenth of
// the tolerance.
TurnSpline turnSpline(double turn, double reach) {
    Handle(Geom_Curve) circle = new Geom_TrimmedCurve(new Geom_Circle(gp_Ax2(gp::Origin(), gp::DZ(), gp::DX()), 1), 0, turn);
    GeomConvert_ApproxCurve approximation(circle, kScrewTolerance / 10 / reach, GeomAbs_C2, 64, 9);
    if (!approximation.HasResult()) throw automation::failure("a helix's turn could not be made a spline");
    const Handle(Geom_BSplineCurve) spline = approximation.Curve();
    TurnSpline result;
    result.degree = spline->Degree();
    result.knots.Resize(1, spline->NbKnots(), false);
    result.multiplicities.Resize(1, spline->NbKnots(), false);
    spline->Knots(result.knots);
    spline->Multiplicities(result.multiplicities);
    TColStd_Array1OfReal flat(1, spline->NbPoles() + result.degree + 1);
    spline->KnotSequence(flat);
    for (int j = 1; j <= spline->NbPoles(); ++j) {
        const gp_Pnt pole = spline->Pole(j);
        result.cosines.push_back(pole.X());
        result.sines.push_back(pole.Y());
        double greville = 0;
        for (int k = j + 1; k <= j + result.degree; ++k) greville += flat(k);
        result.angles.push_back(greville / result.degree);
    }
    for (int i = 0; i <= 64 * 16; ++i) {
        const double phi = turn * i / (64 * 16);
        result.stray = std::max(result.stray, spline->Value(phi).Distance(gp_Pnt(std::cos(phi), std::sin(phi), 0)));
    }
    return result;
}

// The screw motion: about the upright axis through `centre`, by `sense` x phi, rising by
// `pitch` x phi, for phi from 0 to `turn`.
struct Screw {
    gp_Pnt centre;
    double sense, turn, pitch;
    TurnSpline spline;
};

// The surface a spline curve sweeps: poles screwed along the turn's spline, with the curve's
// weights.
TopoDS_Face screwedSpline(const Handle(Geom_BSplineCurve) & curve, const Screw& screw, double& tolerance) {
    const TurnSpline& turn = screw.spline;
    const int nu = curve->NbPoles(), nv = static_cast<int>(turn.angles.size());
    TColgp_Array2OfPnt poles(1, nu, 1, nv);
    TColStd_Array2OfReal weights(1, nu, 1, nv);
    double reach = 0;
    for (int i = 1; i <= nu; ++i) {
        const gp_Pnt p = curve->Pole(i);
        const double x = p.X() - screw.centre.X(), y = p.Y() - screw.centre.Y();
        reach = std::max(reach, std::hypot(x, y));
        for (int j = 1; j <= nv; ++j) {
            const double c = turn.cosines[j - 1], s = screw.sense * turn.sines[j - 1];
            poles(i, j) = gp_Pnt(screw.centre.X() + x * c - y * s, screw.centre.Y() + x * s + y * c,
                                 p.Z() + screw.pitch * turn.angles[j - 1]);
            weights(i, j) = curve->Weight(i);
        }
    }
    tolerance = std::max(tolerance, reach * turn.stray);
    TColStd_Array1OfReal uKnots(1, curve->NbKnots());
    TColStd_Array1OfInteger uMultiplicities(1, curve->NbKnots());
    curve->Knots(uKnots);
    curve->Multiplicities(uMultiplicities);
    Handle(Geom_Surface) surface = new Geom_BSplineSurface(poles, weights, uKnots, turn.knots, uMultiplicities,
                                                           turn.multiplicities, curve->Degree(), turn.degree);
    return BRepBuilderAPI_MakeFace(surface, 1e-7).Face();
}

// An upright line screwed: the cylinder about the axis, between the helices of its ends.
TopoDS_Face screwedUpright(const gp_Pnt& a, const gp_Pnt& b, const Screw& screw) {
    const gp_Pnt& low = a.Z() < b.Z() ? a : b;
    const gp_Pnt& high = a.Z() < b.Z() ? b : a;
    const double x = low.X() - screw.centre.X(), y = low.Y() - screw.centre.Y();
    Handle(Geom_Surface) cylinder =
        new Geom_CylindricalSurface(gp_Ax3(gp_Pnt(screw.centre.X(), screw.centre.Y(), 0), gp::DZ(), gp::DX()), std::hypot(x, y));
    const double u0 = std::atan2(y, x), u1 = u0 + screw.sense * screw.turn, rise = screw.pitch * screw.turn;
    std::vector<gp_Pnt2d> corners{{u0, low.Z()}, {u1, low.Z() + rise}, {u1, high.Z() + rise}, {u0, high.Z()}};
    if (screw.sense < 0) std::reverse(corners.begin() + 1, corners.end());  // counter-clockwise in (u, v)
    BRepBuilderAPI_MakeWire wire;
    for (std::size_t k = 0; k < corners.size(); ++k) {
        const gp_Pnt2d& p = corners[k];
        const gp_Pnt2d& q = corners[(k + 1) % corners.size()];
        wire.Add(BRepBuilderAPI_MakeEdge(new Geom2d_Line(p, gp_Dir2d(gp_Vec2d(p, q))), cylinder, 0, p.Distance(q)).Edge());
    }
    BRepLib::BuildCurves3d(wire.Wire(), kScrewTolerance / 10);
    BRepBuilderAPI_MakeFace face(cylinder, wire.Wire(), true);
    if (!face.IsDone()) throw automation::failure("a helix's sweep could not make a cylinder's face");
    return face.Face();
}

TopoDS_Face screwed(const TopoDS_Edge& edge, const Screw& screw, double& tolerance) {
    double first = 0, last = 0;
    const Handle(Geom_Curve) curve = BRep_Tool::Curve(edge, first, last);
    const Handle(Geom_Line) line = Handle(Geom_Line)::DownCast(curve);
    if (!line.IsNull() && std::fabs(line->Position().Direction().Z()) > 1 - 1e-12)
        return screwedUpright(curve->Value(first), curve->Value(last), screw);
    return screwedSpline(GeomConvert::CurveToBSplineCurve(new Geom_TrimmedCurve(curve, first, last)), screw, tolerance);
}

}  // namespace

TopoDS_Shape screwSweep(const CutterProfile& cutter, double length, const gp_Pnt& from, const gp_Pnt& centre, double turn,
                        double rise) {
    cutterBody(cutter, from, length);  // the same checks of the cutter as its body's, first
    const gp_Vec outward(centre, gp_Pnt(from.X(), from.Y(), centre.Z()));
    const double radius = outward.Magnitude();
    if (std::fabs(from.Z() - centre.Z()) > 1e-6) throw automation::invalidArgument("a helix's centre must lie at its start's height");
    if (!(radius > cutter.radius + 1e-6)) throw automation::invalidArgument("a helix's radius must exceed the cutter's");
    if (!(std::fabs(turn) > 0) || !(std::fabs(turn) <= kMostScrewTurn + 1e-12))
        throw automation::invalidArgument("a helix's sweep must turn, by half a turn at most");
    if (!(std::fabs(rise) > 0) || !std::isfinite(rise)) throw automation::invalidArgument("a helix must rise or fall");
    const gp_Ax1 axis(centre, gp::DZ());
    gp_Pnt end = from.Rotated(axis, turn).Translated(gp_Vec(0, 0, rise));
    // The same sweep either way along the helix: made going down.
    const bool falling = rise < 0;
    const gp_Pnt start = falling ? from : end;
    end = falling ? end : from;
    Screw screw{gp_Pnt(centre.X(), centre.Y(), 0), falling ? (turn > 0 ? 1.0 : -1.0) : (turn > 0 ? -1.0 : 1.0),
                std::fabs(turn), -std::fabs(rise) / std::fabs(turn), {}};
    auto frameAt = [&](const gp_Pnt& tip) {
        const gp_Vec radial = gp_Vec(screw.centre, gp_Pnt(tip.X(), tip.Y(), 0)).Normalized();
        return MotionFrame(tip, screw.sense * gp_Vec(gp::DZ()).Crossed(radial), radius, -screw.pitch);
    };
    try {
        // A rim's arc as a spline has poles up to twice the cutter's radius from its axis.
        screw.spline = turnSpline(screw.turn, radius + 2 * cutter.radius);
        const DividedBody atStart = bodyFacing(cutter, length, frameAt(start));
        const DividedBody atEnd = bodyFacing(cutter, length, frameAt(end));
        std::vector<TopoDS_Face> faces = atStart.behind;
        faces.insert(faces.end(), atEnd.ahead.begin(), atEnd.ahead.end());
        double stray = 0;
        for (const TopoDS_Edge& edge : atStart.silhouette) faces.push_back(screwed(edge, screw, stray));
        if (stray > kScrewTolerance) throw automation::failure("a helix's sweep strays " + std::to_string(stray) + " mm");
        return sweepSolid(faces, std::max({atStart.tolerance, atEnd.tolerance, 10 * kScrewTolerance}));
    } catch (const Standard_Failure& failure) {
        throw automation::failure(std::string("making a cutter's helix failed in OpenCASCADE: ") + failure.GetMessageString());
    }
}

}  // namespace corvex::cadhost::occt
