#include "cadhost/occt/geometry/region_planes.hpp"

#include <BRepAdaptor_Curve.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepGProp.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Tool.hxx>
#include <GProp_GProps.hxx>
#include <Geom_Plane.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>

#include <algorithm>
#include <cmath>

#include "automation/error.hpp"

namespace corvex::cadhost::occt {

namespace {

// Below this a normal's component counts as zero, so that a plane that is vertical up to
// rounding still gets the vertical-plane rule instead of flipping on the sign of 1e-17.
constexpr double kZeroComponent = 1e-9;

// Planes within this angle count as parallel.
constexpr double kParallelAngle = 1e-9;

// Points taken along each curved edge of a loop to find its plane and its sense of rotation.
constexpr int kSamplesPerCurvedEdge = 16;

automation::Error notPlanar() {
    return automation::invalidArgument(
        "a closed loop of the curves does not span one plane (it is not flat, or it encloses "
        "no area), so it cannot bound a region");
}

// A loop as a closed polygon through its vertices and through points along its curved edges,
// in the order the loop runs; nothing when the wire's edges cannot be walked in order (a wire
// that branches).
std::optional<std::vector<gp_Pnt>> loopPolygon(const TopoDS_Wire& loop) {
    std::vector<gp_Pnt> polygon;
    int walked = 0;
    for (BRepTools_WireExplorer explorer(loop); explorer.More(); explorer.Next(), ++walked) {
        const TopoDS_Edge& edge = explorer.Current();
        BRepAdaptor_Curve curve(edge);
        const int samples = curve.GetType() == GeomAbs_Line ? 1 : kSamplesPerCurvedEdge;
        const double first = curve.FirstParameter();
        const double last = curve.LastParameter();
        const bool backwards = edge.Orientation() == TopAbs_REVERSED;
        for (int sample = 0; sample < samples; ++sample) {
            const double along = static_cast<double>(sample) / samples;
            polygon.push_back(
                curve.Value(backwards ? last - along * (last - first) : first + along * (last - first)));
        }
    }
    int edges = 0;
    for (TopExp_Explorer explorer(loop, TopAbs_EDGE); explorer.More(); explorer.Next()) {
        ++edges;
    }
    if (walked != edges || polygon.size() < 2) {
        return std::nullopt;
    }
    return polygon;
}

struct PolygonPlane {
    gp_Pnt point;
    gp_Dir normal;  // the loop runs counter-clockwise about it
};

// The plane of a closed polygon by Newell's method: the polygon's vector area gives the normal
// and the sense of rotation at once, with no classification. Nothing when the polygon has no
// area or leaves the plane by more than `tolerance`.
std::optional<PolygonPlane> planeOfPolygon(const std::vector<gp_Pnt>& points, double tolerance) {
    gp_XYZ centre(0, 0, 0);
    for (const gp_Pnt& point : points) {
        centre += point.XYZ();
    }
    centre /= static_cast<double>(points.size());
    gp_XYZ twiceArea(0, 0, 0);
    double length = 0;
    for (std::size_t index = 0; index < points.size(); ++index) {
        const gp_XYZ from = points[index].XYZ() - centre;
        const gp_XYZ to = points[(index + 1) % points.size()].XYZ() - centre;
        twiceArea += from.Crossed(to);
        length += (to - from).Modulus();
    }
    // No area: less than a strip of the joining tolerance's width along the loop.
    if (twiceArea.Modulus() <= 2 * std::max(tolerance, 1e-6) * length) {
        return std::nullopt;
    }
    const gp_Dir normal(twiceArea);
    for (const gp_Pnt& point : points) {
        if (std::abs((point.XYZ() - centre).Dot(normal.XYZ())) > tolerance) {
            return std::nullopt;
        }
    }
    return PolygonPlane{gp_Pnt(centre), normal};
}

// The general way, for loops that cannot be walked edge by edge: OpenCASCADE finds the plane
// and classifies a far point to orient the face. Several times slower than the polygon.
TopoDS_Face upwardFaceByFindSurface(const TopoDS_Wire& loop) {
    BRepBuilderAPI_MakeFace onItsPlane(loop, /*OnlyPlane=*/true);
    if (!onItsPlane.IsDone()) {
        throw notPlanar();
    }
    TopoDS_Face face = onItsPlane.Face();
    std::optional<gp_Pln> plane = facePlane(face);
    if (!plane) {
        throw notPlanar();
    }
    gp_Dir normal = plane->Axis().Direction();
    gp_Dir up = upwardNormal(normal);
    if (up.IsEqual(normal, kParallelAngle) && face.Orientation() == TopAbs_FORWARD) {
        return face;
    }
    BRepBuilderAPI_MakeFace turned(gp_Pln(plane->Location(), up), loop, /*Inside=*/true);
    if (!turned.IsDone()) {
        throw automation::failure("could not build the face of a closed loop of the curves");
    }
    return turned.Face();
}

}  // namespace

gp_Dir upwardNormal(const gp_Dir& normal) {
    for (double component : {normal.Z(), normal.X(), normal.Y()}) {
        if (std::abs(component) > kZeroComponent) {
            return component > 0 ? normal : normal.Reversed();
        }
    }
    return normal;  // unreachable for a unit vector
}

std::optional<gp_Pln> facePlane(const TopoDS_Face& face) {
    TopLoc_Location location;
    Handle(Geom_Plane) plane = Handle(Geom_Plane)::DownCast(BRep_Tool::Surface(face, location));
    if (plane.IsNull()) {
        return std::nullopt;
    }
    gp_Pln result = plane->Pln().Transformed(location.Transformation());
    if (face.Orientation() == TopAbs_REVERSED) {
        gp_Ax3 axes = result.Position();
        axes.ZReverse();
        result.SetPosition(axes);
    }
    return result;
}

TopoDS_Face upwardFace(const TopoDS_Wire& loop) {
    std::optional<std::vector<gp_Pnt>> polygon = loopPolygon(loop);
    if (!polygon) {
        return upwardFaceByFindSurface(loop);
    }
    const double tolerance = std::max(BRep_Tool::MaxTolerance(loop, TopAbs_EDGE),
                                      BRep_Tool::MaxTolerance(loop, TopAbs_VERTEX));
    const std::optional<PolygonPlane> plane = planeOfPolygon(*polygon, tolerance);
    if (!plane) {
        throw notPlanar();
    }
    const gp_Dir up = upwardNormal(plane->normal);
    // The loop runs counter-clockwise about its own normal; about `up` it may run the other way.
    const bool runsClockwise = plane->normal.Dot(up) < 0;
    const TopoDS_Wire outer = runsClockwise ? TopoDS::Wire(loop.Reversed()) : loop;
    BRepBuilderAPI_MakeFace maker(gp_Pln(plane->point, up), outer, /*Inside=*/false);
    if (!maker.IsDone()) {
        throw automation::failure("could not build the face of a closed loop of the curves");
    }
    return maker.Face();
}

TopoDS_Face facingUp(const TopoDS_Face& face) {
    std::optional<gp_Pln> plane = facePlane(face);
    if (!plane) {
        throw automation::invalidArgument("a region's face is not planar");
    }
    gp_Dir normal = plane->Axis().Direction();
    return upwardNormal(normal).IsEqual(normal, kParallelAngle) ? face
                                                                : TopoDS::Face(face.Reversed());
}

std::vector<TopoDS_Face> upwardFaces(const TopoDS_Shape& region) {
    std::vector<TopoDS_Face> faces;
    if (region.IsNull()) {
        return faces;
    }
    for (TopExp_Explorer explorer(region, TopAbs_FACE); explorer.More(); explorer.Next()) {
        faces.push_back(facingUp(TopoDS::Face(explorer.Current())));
    }
    return faces;
}

bool samePlane(const gp_Pln& a, const gp_Pln& b, double tolerance) {
    return a.Axis().Direction().IsParallel(b.Axis().Direction(), kParallelAngle) &&
           a.Distance(b.Location()) <= tolerance && b.Distance(a.Location()) <= tolerance;
}

double faceArea(const TopoDS_Shape& shape) {
    GProp_GProps properties;
    BRepGProp::SurfaceProperties(shape, properties);
    return properties.Mass();
}

}  // namespace corvex::cadhost::occt
