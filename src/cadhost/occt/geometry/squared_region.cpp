#include "cadhost/occt/geometry/squared_region.hpp"

#include <BRepAdaptor_Curve.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepTools.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <GeomAPI_ProjectPointOnCurve.hxx>
#include <Geom_Curve.hxx>
#include <Geom_Surface.hxx>
#include <Standard_Failure.hxx>
#include <gp_Trsf.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Wire.hxx>

#include <cmath>
#include <optional>
#include <vector>

#include "cadhost/occt/geometry/region_planes.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt {
namespace {

// How far from square or parallel, in radians, a line is squared: the client's degrees are
// 1.3e-7 rad off at 270, and a line meant to be slanted is slanted by far more.
constexpr double kNearlySquare = 1e-6;
// How far from square to a path, in radians, a swept region is turned square: the mill's path
// sweep stands its outline up 6.3e-6 rad short.
constexpr double kNearlySquarePath = 1e-5;

// A wire's edges in the order they join, and the point each starts at.
struct Loop {
    std::vector<TopoDS_Edge> edges;  // oriented as the wire runs
    std::vector<gp_Pnt> starts;
};

Loop loopOf(const TopoDS_Wire& wire, const TopoDS_Face& face) {
    Loop loop;
    for (BRepTools_WireExplorer it(wire, face); it.More(); it.Next()) {
        loop.edges.push_back(it.Current());
        loop.starts.push_back(BRep_Tool::Pnt(it.CurrentVertex()));
    }
    return loop;
}

// Squares the loop's nearly square or parallel lines by moving one end of each along the
// region's plane (`normal`): its end, or for the last line its start, which is the first
// line's start. True when any moved.
bool squareLines(Loop& loop, const gp_Ax1& axis, const gp_Dir& normal) {
    const gp_Vec along(axis.Direction());
    const std::size_t count = loop.edges.size();
    bool moved = false;
    for (std::size_t i = 0; i < count; ++i) {
        if (BRepAdaptor_Curve(loop.edges[i]).GetType() != GeomAbs_Line) continue;
        gp_Pnt& from = loop.starts[i];
        gp_Pnt& to = loop.starts[(i + 1) % count];
        const gp_Vec line(from, to);
        const double length = line.Magnitude();
        if (length <= 0) continue;
        const double axial = line.Dot(along);
        gp_Vec across = line - along * axial;
        across -= gp_Vec(normal) * across.Dot(gp_Vec(normal));  // within the plane only
        gp_Vec shift;
        if (axial != 0 && std::fabs(axial) < kNearlySquare * length)
            shift = along * -axial;
        else if (across.Magnitude() > 0 && across.Magnitude() < kNearlySquare * length)
            shift = -across;
        else
            continue;
        if (i + 1 < count)
            to.Translate(shift);
        else
            from.Translate(-shift);
        moved = true;
    }
    return moved;
}

// The parameter of `point` on `curve`, nearest `near` for a periodic curve; none when the point
// is off the curve.
std::optional<double> parameterOn(const Handle(Geom_Curve)& curve, const gp_Pnt& point, double near) {
    if (curve->Value(near).Distance(point) <= 1e-12) return near;
    GeomAPI_ProjectPointOnCurve projection(point, curve);
    if (projection.NbPoints() == 0 || projection.LowerDistance() > 1e-6) return std::nullopt;
    double parameter = projection.LowerDistanceParameter();
    if (curve->IsPeriodic()) {
        const double period = curve->Period();
        parameter += period * std::round((near - parameter) / period);
    }
    return parameter;
}

// The loop made again through its (moved) starts: lines anew, other curves trimmed afresh.
std::optional<TopoDS_Wire> wireThrough(const Loop& loop) {
    const std::size_t count = loop.edges.size();
    std::vector<TopoDS_Vertex> vertices;
    for (const auto& point : loop.starts) vertices.push_back(BRepBuilderAPI_MakeVertex(point).Vertex());
    BRepBuilderAPI_MakeWire wire;
    for (std::size_t i = 0; i < count; ++i) {
        const TopoDS_Vertex& from = vertices[i];
        const TopoDS_Vertex& to = vertices[(i + 1) % count];
        const TopoDS_Edge& old = loop.edges[i];
        TopoDS_Edge edge;
        if (BRepAdaptor_Curve(old).GetType() == GeomAbs_Line) {
            BRepBuilderAPI_MakeEdge line(from, to);
            if (!line.IsDone()) return std::nullopt;
            edge = line.Edge();
        } else {
            double first, last;
            const Handle(Geom_Curve) curve = BRep_Tool::Curve(old, first, last);
            if (curve.IsNull()) return std::nullopt;
            const bool forward = old.Orientation() != TopAbs_REVERSED;
            const gp_Pnt& start = loop.starts[i];
            const gp_Pnt& end = loop.starts[(i + 1) % count];
            const auto p0 = parameterOn(curve, forward ? start : end, first);
            const auto p1 = parameterOn(curve, forward ? end : start, last);
            if (!p0 || !p1 || *p1 <= *p0) return std::nullopt;
            BRepBuilderAPI_MakeEdge trimmed(curve, forward ? from : to, forward ? to : from, *p0, *p1);
            if (!trimmed.IsDone()) return std::nullopt;
            edge = trimmed.Edge();
            if (!forward) edge.Reverse();
        }
        wire.Add(edge);
        if (!wire.IsDone()) return std::nullopt;
    }
    return wire.Wire();
}

// The face with its lines squared, or none when nothing moved or it cannot be made.
std::optional<TopoDS_Face> squaredFace(const TopoDS_Face& given, const gp_Ax1& axis) {
    const TopoDS_Face face = TopoDS::Face(given.Oriented(TopAbs_FORWARD));
    BRepAdaptor_Surface surface(face, false);
    if (surface.GetType() != GeomAbs_Plane) return std::nullopt;
    const gp_Dir normal = surface.Plane().Axis().Direction();
    // Squared within the plane only when the axis lies in it, as a turned region's does.
    if (std::fabs(normal.Dot(axis.Direction())) > 1e-9) return std::nullopt;
    const TopoDS_Wire outer = BRepTools::OuterWire(face);
    std::vector<TopoDS_Wire> wires{outer};
    for (TopExp_Explorer it(face, TopAbs_WIRE); it.More(); it.Next())
        if (!it.Current().IsSame(outer)) wires.push_back(TopoDS::Wire(it.Current()));
    bool moved = false;
    std::vector<TopoDS_Wire> squared;
    for (const auto& wire : wires) {
        Loop loop = loopOf(wire, face);
        if (loop.edges.empty()) return std::nullopt;
        if (!squareLines(loop, axis, normal)) {
            squared.push_back(wire);
            continue;
        }
        moved = true;
        const auto made = wireThrough(loop);
        if (!made) return std::nullopt;
        squared.push_back(*made);
    }
    if (!moved) return std::nullopt;
    BRepBuilderAPI_MakeFace make(BRep_Tool::Surface(face), squared.front(), true);
    for (std::size_t k = 1; k < squared.size() && make.IsDone(); ++k) make.Add(squared[k]);
    if (!make.IsDone()) return std::nullopt;
    TopoDS_Face result = make.Face();
    const double before = faceArea(face);
    if (!isValidShape(result) || std::fabs(faceArea(result) - before) > 1e-6 * std::fabs(before))
        return std::nullopt;
    result.Orientation(given.Orientation());
    return result;
}

}  // namespace

TopoDS_Shape regionSquaredToAxis(const TopoDS_Shape& region, const gp_Ax1& axis) {
    try {
        BRep_Builder builder;
        TopoDS_Compound faces;
        builder.MakeCompound(faces);
        bool any = false;
        for (TopExp_Explorer it(region, TopAbs_FACE); it.More(); it.Next()) {
            const TopoDS_Face& face = TopoDS::Face(it.Current());
            const auto squared = squaredFace(face, axis);
            builder.Add(faces, squared ? *squared : face);
            any = any || squared.has_value();
        }
        if (!any) return region;
        // One face stays a face: the revolution of a face is a solid, of a compound a compound.
        TopoDS_Iterator only(faces);
        if (region.ShapeType() == TopAbs_FACE && only.More()) return only.Value();
        return faces;
    } catch (const Standard_Failure&) {
        return region;  // the region as given is exact too, only harder for the kernel
    }
}

TopoDS_Shape regionSquaredToPath(const TopoDS_Shape& region, const TopoDS_Wire& path) {
    try {
        TopExp_Explorer edges(path, TopAbs_EDGE);
        TopExp_Explorer faces(region, TopAbs_FACE);
        if (!edges.More() || !faces.More()) return region;
        BRepAdaptor_Curve curve(TopoDS::Edge(edges.Current()));
        BRepAdaptor_Surface surface(TopoDS::Face(faces.Current()), false);
        if (curve.GetType() != GeomAbs_Line || surface.GetType() != GeomAbs_Plane) return region;
        const gp_Dir along = curve.Line().Direction();
        const gp_Dir normal = surface.Plane().Axis().Direction();
        // The turn that brings the normal onto the path, or onto its reverse.
        const double off = normal.Angle(along);
        const double turn = off > M_PI / 2 ? off - M_PI : off;
        const gp_Vec axis = gp_Vec(normal).Crossed(gp_Vec(along));
        if (turn == 0 || std::fabs(turn) > kNearlySquarePath || axis.Magnitude() < 1e-15) return region;
        gp_Trsf rotation;
        rotation.SetRotation(gp_Ax1(curve.Value(curve.FirstParameter()), gp_Dir(axis)), turn);
        return BRepBuilderAPI_Transform(region, rotation, true).Shape();
    } catch (const Standard_Failure&) {
        return region;  // the region as given is exact too, only harder for the kernel
    }
}

}  // namespace corvex::cadhost::occt
