#include "cadhost/occt/files/step_geometry_out.hpp"

#include <GeomAPI_ProjectPointOnSurf.hxx>
#include <GeomConvert.hxx>
#include <Geom_BSplineCurve.hxx>
#include <Geom_BSplineSurface.hxx>
#include <Geom_BezierCurve.hxx>
#include <Geom_BezierSurface.hxx>
#include <Geom_Circle.hxx>
#include <Geom_ConicalSurface.hxx>
#include <Geom_CylindricalSurface.hxx>
#include <Geom_Ellipse.hxx>
#include <Geom_Hyperbola.hxx>
#include <Geom_Line.hxx>
#include <Geom_Parabola.hxx>
#include <Geom_Plane.hxx>
#include <Geom_RectangularTrimmedSurface.hxx>
#include <Geom_SphericalSurface.hxx>
#include <Geom_SurfaceOfLinearExtrusion.hxx>
#include <Geom_SurfaceOfRevolution.hxx>
#include <Geom_ToroidalSurface.hxx>
#include <Geom_TrimmedCurve.hxx>

#include <cmath>
#include <optional>
#include <string_view>
#include <type_traits>

namespace corvex::cadhost::occt {
namespace {

using Out = StepTextOut;

void triple(std::string& body, const gp_XYZ& xyz) {
    body += '(';
    Out::real(body, xyz.X());
    body += ',';
    Out::real(body, xyz.Y());
    body += ',';
    Out::real(body, xyz.Z());
    body += ')';
}

// A kernel array of numbers as a STEP list: reals, or integers (knot multiplicities).
template <typename Numbers>
void numberList(std::string& body, const Numbers& numbers) {
    body += '(';
    for (int i = numbers.Lower(); i <= numbers.Upper(); ++i) {
        if (i > numbers.Lower()) body += ',';
        if constexpr (std::is_integral_v<std::decay_t<decltype(numbers(i))>>) body += std::to_string(numbers(i));
        else Out::real(body, numbers(i));
    }
    body += ')';
}

// Whether `written` faces the way `original` does at a point of the original. Used only
// where an axis had to be turned round (a left-handed placement, a cone's negative angle).
bool facesAlike(const Handle(Geom_Surface)& original, const Handle(Geom_Surface)& written) {
    constexpr double u = 0.37, v = 0.41;  // a regular point of every elementary surface
    gp_Pnt point;
    gp_Vec du, dv;
    original->D1(u, v, point, du, dv);
    GeomAPI_ProjectPointOnSurf projection(point, written);
    if (projection.NbPoints() == 0) throw NotWritableFast("a surface the writer could not restate");
    double a = 0, b = 0;
    projection.LowerDistanceParameters(a, b);
    gp_Pnt again;
    gp_Vec da, db;
    written->D1(a, b, again, da, db);
    return du.Crossed(dv).Dot(da.Crossed(db)) > 0;
}

}  // namespace

int StepGeometryOut::point(const gp_Pnt& point) {
    std::string body = "CARTESIAN_POINT('',";
    triple(body, point.XYZ());
    body += ')';
    return out_.add(body);
}

int StepGeometryOut::direction(const gp_Dir& direction) {
    std::string body = "DIRECTION('',";
    triple(body, direction.XYZ());
    body += ')';
    return out_.add(body);
}

int StepGeometryOut::placement(const gp_Ax3& axes) {
    if (!axes.Direct()) throw NotWritableFast("a left-handed placement");
    const int origin = point(axes.Location()), z = direction(axes.Direction()), x = direction(axes.XDirection());
    return out_.add("AXIS2_PLACEMENT_3D", {"''", StepRef{origin}, StepRef{z}, StepRef{x}});
}

int StepGeometryOut::vector(const gp_Dir& direction) {
    return out_.add("VECTOR", {"''", StepRef{this->direction(direction)}, 1.0});
}

int StepGeometryOut::curve(const Handle(Geom_Curve)& curve) {
    if (auto trimmed = Handle(Geom_TrimmedCurve)::DownCast(curve)) return this->curve(trimmed->BasisCurve());
    if (auto line = Handle(Geom_Line)::DownCast(curve)) {
        const int origin = point(line->Lin().Location());
        return out_.add("LINE", {"''", StepRef{origin}, StepRef{vector(line->Lin().Direction())}});
    }
    const auto conic = [&](const char* type, const gp_Ax2& axes, double size, std::optional<double> other = {}) {
        const int placed = placement(gp_Ax3(axes));
        return other ? out_.add(type, {"''", StepRef{placed}, size, *other}) : out_.add(type, {"''", StepRef{placed}, size});
    };
    if (auto circle = Handle(Geom_Circle)::DownCast(curve)) return conic("CIRCLE", circle->Position(), circle->Radius());
    if (auto ellipse = Handle(Geom_Ellipse)::DownCast(curve))
        return conic("ELLIPSE", ellipse->Position(), ellipse->MajorRadius(), ellipse->MinorRadius());
    if (auto hyperbola = Handle(Geom_Hyperbola)::DownCast(curve))
        return conic("HYPERBOLA", hyperbola->Position(), hyperbola->MajorRadius(), hyperbola->MinorRadius());
    if (auto parabola = Handle(Geom_Parabola)::DownCast(curve)) return conic("PARABOLA", parabola->Position(), parabola->Focal());
    if (curve->IsKind(STANDARD_TYPE(Geom_BSplineCurve)) || curve->IsKind(STANDARD_TYPE(Geom_BezierCurve)))
        return splineCurve(curve);
    throw NotWritableFast(std::string("a curve of kind ") + curve->DynamicType()->Name());
}

int StepGeometryOut::splineCurve(const Handle(Geom_Curve)& curve) {
    // A Bezier curve is the one-span spline it converts to exactly; a periodic spline is
    // written as the same curve with its knots unrolled.
    Handle(Geom_BSplineCurve) spline = GeomConvert::CurveToBSplineCurve(curve);
    if (spline == curve) spline = Handle(Geom_BSplineCurve)::DownCast(curve->Copy());
    if (spline->IsPeriodic()) spline->SetNotPeriodic();
    std::vector<int> poles;
    for (int i = 1; i <= spline->NbPoles(); ++i) poles.push_back(point(spline->Pole(i)));
    const std::string degree = std::to_string(spline->Degree());
    const char* closed = spline->IsClosed() ? ".T." : ".F.";
    std::string knots;
    numberList(knots, spline->Multiplicities());
    knots += ',';
    numberList(knots, spline->Knots());
    knots += ",.UNSPECIFIED.";
    std::string body;
    if (!spline->IsRational()) {
        body = "B_SPLINE_CURVE_WITH_KNOTS(''," + degree + ",";
        Out::refs(body, poles);
        body += std::string(",.UNSPECIFIED.,") + closed + ",.F.," + knots + ")";
        return out_.add(body);
    }
    body = "( BOUNDED_CURVE() B_SPLINE_CURVE(" + degree + ",";
    Out::refs(body, poles);
    body += std::string(",.UNSPECIFIED.,") + closed + ",.F.) B_SPLINE_CURVE_WITH_KNOTS(" + knots +
            ") CURVE() GEOMETRIC_REPRESENTATION_ITEM() RATIONAL_B_SPLINE_CURVE(";
    numberList(body, *spline->Weights());
    body += ") REPRESENTATION_ITEM('') )";
    return out_.add(body);
}

StepGeometryOut::Surface StepGeometryOut::surface(const Handle(Geom_Surface)& surface) {
    if (auto trimmed = Handle(Geom_RectangularTrimmedSurface)::DownCast(surface))
        return this->surface(trimmed->BasisSurface());
    if (surface->IsKind(STANDARD_TYPE(Geom_ElementarySurface))) return elementary(surface);
    if (surface->IsKind(STANDARD_TYPE(Geom_BSplineSurface)) || surface->IsKind(STANDARD_TYPE(Geom_BezierSurface)))
        return {splineSurface(surface), false};
    if (auto extrusion = Handle(Geom_SurfaceOfLinearExtrusion)::DownCast(surface)) {
        const int basis = curve(extrusion->BasisCurve());
        return {out_.add("SURFACE_OF_LINEAR_EXTRUSION", {"''", StepRef{basis}, StepRef{vector(extrusion->Direction())}}), false};
    }
    if (auto revolution = Handle(Geom_SurfaceOfRevolution)::DownCast(surface)) {
        const int basis = curve(revolution->BasisCurve());
        const gp_Ax1 axis = revolution->Axis();
        const int origin = point(axis.Location()), along = direction(axis.Direction());
        const int placed = out_.add("AXIS1_PLACEMENT", {"''", StepRef{origin}, StepRef{along}});
        return {out_.add("SURFACE_OF_REVOLUTION", {"''", StepRef{basis}, StepRef{placed}}), false};
    }
    throw NotWritableFast(std::string("a surface of kind ") + surface->DynamicType()->Name());
}

// Planes, cylinders, cones, spheres and tori. STEP places them right-handed and points their
// normals outward (a plane's along its axis); the kernel's may be left-handed, and a cone's
// angle negative. Such a surface is restated as the same point set in STEP's terms, and the
// face that uses it reversed when the restated normal points the other way.
StepGeometryOut::Surface StepGeometryOut::elementary(const Handle(Geom_Surface)& surface) {
    const auto sized = [&](const char* type, const gp_Ax3& axes, double size = 0, std::optional<double> other = {}) {
        const int placed = placement(axes);
        if (std::string_view(type) == "PLANE") return out_.add(type, {"''", StepRef{placed}});
        return other ? out_.add(type, {"''", StepRef{placed}, size, *other}) : out_.add(type, {"''", StepRef{placed}, size});
    };
    // The same axis line with the other direction and the same X: right-handed.
    const auto turned = [](const gp_Ax3& axes) {
        return gp_Ax3(axes.Location(), axes.Direction().Reversed(), axes.XDirection());
    };
    if (auto plane = Handle(Geom_Plane)::DownCast(surface)) {
        const gp_Ax3 axes = plane->Position();
        // The normal of a left-handed plane is X^Y: the turned axis, with nothing reversed.
        return {sized("PLANE", axes.Direct() ? axes : turned(axes)), false};
    }
    if (auto cylinder = Handle(Geom_CylindricalSurface)::DownCast(surface)) {
        const gp_Ax3 axes = cylinder->Position();
        if (axes.Direct()) return {sized("CYLINDRICAL_SURFACE", axes, cylinder->Radius()), false};
        Handle(Geom_Surface) restated = new Geom_CylindricalSurface(turned(axes), cylinder->Radius());
        return {sized("CYLINDRICAL_SURFACE", turned(axes), cylinder->Radius()), !facesAlike(surface, restated)};
    }
    if (auto sphere = Handle(Geom_SphericalSurface)::DownCast(surface)) {
        const gp_Ax3 axes = sphere->Position();
        if (axes.Direct()) return {sized("SPHERICAL_SURFACE", axes, sphere->Radius()), false};
        Handle(Geom_Surface) restated = new Geom_SphericalSurface(turned(axes), sphere->Radius());
        return {sized("SPHERICAL_SURFACE", turned(axes), sphere->Radius()), !facesAlike(surface, restated)};
    }
    if (auto torus = Handle(Geom_ToroidalSurface)::DownCast(surface)) {
        // A torus whose tube is wider than its ring crosses itself: STEP has no such torus.
        if (torus->MajorRadius() < torus->MinorRadius()) throw NotWritableFast("a torus that crosses itself");
        const gp_Ax3 axes = torus->Position();
        const double major = torus->MajorRadius(), minor = torus->MinorRadius();
        if (axes.Direct()) return {sized("TOROIDAL_SURFACE", axes, major, minor), false};
        Handle(Geom_Surface) restated = new Geom_ToroidalSurface(turned(axes), major, minor);
        return {sized("TOROIDAL_SURFACE", turned(axes), major, minor), !facesAlike(surface, restated)};
    }
    if (auto cone = Handle(Geom_ConicalSurface)::DownCast(surface)) {
        const gp_Ax3 axes = cone->Position();
        const double angle = cone->SemiAngle(), radius = cone->RefRadius();
        if (axes.Direct() && angle > 0) return {sized("CONICAL_SURFACE", axes, radius, angle), false};
        // (axis, angle) and (reversed axis, -angle) make the same cone.
        gp_Ax3 restatedAxes = angle < 0 ? turned(axes) : axes;
        if (!restatedAxes.Direct()) restatedAxes = gp_Ax3(restatedAxes.Location(), restatedAxes.Direction(), restatedAxes.XDirection());
        Handle(Geom_Surface) restated = new Geom_ConicalSurface(restatedAxes, std::fabs(angle), radius);
        return {sized("CONICAL_SURFACE", restatedAxes, radius, std::fabs(angle)), !facesAlike(surface, restated)};
    }
    throw NotWritableFast(std::string("a surface of kind ") + surface->DynamicType()->Name());
}

int StepGeometryOut::splineSurface(const Handle(Geom_Surface)& surface) {
    Handle(Geom_BSplineSurface) spline = GeomConvert::SurfaceToBSplineSurface(surface);
    if (spline == surface) spline = Handle(Geom_BSplineSurface)::DownCast(surface->Copy());
    if (spline->IsUPeriodic()) spline->SetUNotPeriodic();
    if (spline->IsVPeriodic()) spline->SetVNotPeriodic();
    std::string poles = "(";
    for (int i = 1; i <= spline->NbUPoles(); ++i) {
        std::vector<int> row;
        for (int j = 1; j <= spline->NbVPoles(); ++j) row.push_back(point(spline->Pole(i, j)));
        if (i > 1) poles += ',';
        Out::refs(poles, row);
    }
    poles += ')';
    const std::string degrees = std::to_string(spline->UDegree()) + "," + std::to_string(spline->VDegree());
    const std::string form = std::string(",.UNSPECIFIED.,") + (spline->IsUClosed() ? ".T." : ".F.") + "," +
                             (spline->IsVClosed() ? ".T." : ".F.") + ",.F.";
    std::string knots;
    numberList(knots, spline->UMultiplicities());
    knots += ',';
    numberList(knots, spline->VMultiplicities());
    knots += ',';
    numberList(knots, spline->UKnots());
    knots += ',';
    numberList(knots, spline->VKnots());
    knots += ",.UNSPECIFIED.";
    if (!spline->IsURational() && !spline->IsVRational())
        return out_.add("B_SPLINE_SURFACE_WITH_KNOTS(''," + degrees + "," + poles + form + "," + knots + ")");
    std::string weights = "(";
    for (int i = 1; i <= spline->NbUPoles(); ++i) {
        weights += i > 1 ? ",(" : "(";
        for (int j = 1; j <= spline->NbVPoles(); ++j) {
            if (j > 1) weights += ',';
            Out::real(weights, spline->Weight(i, j));
        }
        weights += ')';
    }
    weights += ')';
    return out_.add("( BOUNDED_SURFACE() B_SPLINE_SURFACE(" + degrees + "," + poles + form +
                    ") B_SPLINE_SURFACE_WITH_KNOTS(" + knots +
                    ") GEOMETRIC_REPRESENTATION_ITEM() RATIONAL_B_SPLINE_SURFACE(" + weights +
                    ") REPRESENTATION_ITEM('') SURFACE() )");
}

}  // namespace corvex::cadhost::occt
