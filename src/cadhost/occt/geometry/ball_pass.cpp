#include "cadhost/occt/geometry/ball_pass.hpp"

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepLib.hxx>
#include <BRep_Builder.hxx>
#include <Geom2d_Line.hxx>
#include <Geom_CylindricalSurface.hxx>
#include <Geom_Plane.hxx>
#include <Geom_SphericalSurface.hxx>
#include <Precision.hxx>
#include <ShapeFix_Face.hxx>
#include <ShapeFix_Shell.hxx>
#include <Standard_Failure.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shell.hxx>
#include <TopoDS_Solid.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Ax3.hxx>
#include <gp_Circ.hxx>
#include <gp_Elips.hxx>
#include <gp_Pln.hxx>

#include <algorithm>
#include <utility>
#include <cmath>
#include <string>

#include "automation/error.hpp"
#include "cadhost/occt/geometry/cutter_sweep.hpp"
#include "cadhost/occt/geometry/pass_outline.hpp"

namespace corvex::cadhost::occt {
namespace {

gp_Pnt operator+(const gp_Pnt& p, const gp_Vec& v) { return p.Translated(v); }

// The pass's frame: `forward` level along the plane, `left` level across it, and the 3-D
// direction of a point (s, z) of the plane's own coordinates.
struct PassFrame {
    gp_Pnt origin;  // the first centre, at s = 0
    gp_Vec forward, left;
    gp_Pnt at(const Planar& p) const { return gp_Pnt(origin.X() + p.s * forward.X(), origin.Y() + p.s * forward.Y(), p.z); }
    gp_Vec along(const Planar& d) const { return d.s * forward + gp_Vec(0, 0, d.z); }
};

TopoDS_Edge line(const TopoDS_Vertex& a, const TopoDS_Vertex& b) { return BRepBuilderAPI_MakeEdge(a, b).Edge(); }

// Half of the circle of `radius` about `centre` square to `axis`, from `right` through the side
// `down` to `left` (`right` and `left` the ends of its diameter across the pass).
TopoDS_Edge halfCircle(const gp_Pnt& centre, const gp_Vec& axis, const gp_Vec& leftward, double radius,
                       const TopoDS_Vertex& right, const TopoDS_Vertex& left) {
    // About `axis`, from -left, a quarter turn reaches axis x -left: below for a pass's axis.
    const gp_Circ circle(gp_Ax2(centre, gp_Dir(axis), gp_Dir(leftward.Reversed())), radius);
    return BRepBuilderAPI_MakeEdge(circle, right, left).Edge();
}

// Half of the ellipse where two pipes of `radius` about axes meeting at `centre` cross: in the
// plane square to `normal` (halfway between the axes), from `right` below to `left`.
TopoDS_Edge halfEllipse(const gp_Pnt& centre, const gp_Vec& normal, const gp_Vec& axis, const gp_Vec& leftward,
                        double radius, const TopoDS_Vertex& right, const TopoDS_Vertex& left) {
    gp_Vec down = normal.Crossed(leftward);
    if (down.Z() > 0) down.Reverse();
    const double major = radius / std::fabs(axis.Dot(normal) / (axis.Magnitude() * normal.Magnitude()));
    if (major - radius <= 1e-12 * radius) return halfCircle(centre, normal, leftward, radius, right, left);
    // The minor axis runs across the pass; the major one down the plane. Turned so that a
    // quarter turn from the lowest point reaches the left.
    gp_Dir z(normal);
    if (gp_Vec(z).Crossed(down).Dot(leftward) < 0) z.Reverse();
    const gp_Elips ellipse(gp_Ax2(centre, z, gp_Dir(down)), major, radius);
    return BRepBuilderAPI_MakeEdge(ellipse, right, left).Edge();
}

// A face of `surface` bounded by `edges` (in order round it), with its curves on the surface.
TopoDS_Face faceOf(const Handle(Geom_Surface) & surface, const std::vector<TopoDS_Edge>& edges) {
    BRepBuilderAPI_MakeWire wire;
    for (const auto& edge : edges) wire.Add(edge);
    if (!wire.IsDone()) throw automation::failure("the edges of a pass's face do not form one wire");
    TopoDS_Face face;
    BRep_Builder builder;
    builder.MakeFace(face, surface, Precision::Confusion());
    builder.Add(face, wire.Wire());
    ShapeFix_Face fix(face);
    fix.SetPrecision(Precision::Confusion());
    fix.Perform();
    return fix.Face();
}

// The piece of the sphere of `radius` about `centre` between two of its half great circles from
// the right pole to the left (the poles a radius either side of the pass), each passing
// through the point in direction `towardsA` or `towardsB` halfway: the lune between them, made
// by its parameters (a wire alone leaves the kernel to guess which side of it is meant).
TopoDS_Face lune(const gp_Pnt& centre, double radius, const gp_Vec& leftward, const gp_Vec& towardsA,
                 const TopoDS_Edge& edgeA, const gp_Vec& towardsB, const TopoDS_Edge& edgeB,
                 const TopoDS_Vertex& rightPole, const TopoDS_Vertex& leftPole) {
    // The seam opposite the lune's middle, so that the lune lies within one turn.
    const gp_Vec middle = towardsA.Normalized() + towardsB.Normalized();
    Handle(Geom_SphericalSurface) sphere =
        new Geom_SphericalSurface(gp_Ax3(centre, gp_Dir(leftward), gp_Dir(middle.Reversed())), radius);
    const gp_Ax3& frame = sphere->Position();
    auto longitude = [&](const gp_Vec& d) {
        const double angle = std::atan2(d.Dot(gp_Vec(frame.YDirection())), d.Dot(gp_Vec(frame.XDirection())));
        return angle < 0 ? angle + 2 * M_PI : angle;
    };
    double ua = longitude(towardsA), ub = longitude(towardsB);
    const TopoDS_Edge* low = &edgeA;
    const TopoDS_Edge* high = &edgeB;
    if (ua > ub) std::swap(ua, ub), std::swap(low, high);
    BRep_Builder builder;
    TopoDS_Face face;
    builder.MakeFace(face, sphere, Precision::Confusion());
    // Each half circle runs from the right pole (latitude -pi/2) at its parameter 0 to the
    // left pole at pi, along a meridian.
    for (const auto& [edge, u] : {std::pair{low, ua}, std::pair{high, ub}})
        builder.UpdateEdge(*edge, new Geom2d_Line(gp_Pnt2d(u, -M_PI / 2), gp_Dir2d(0, 1)), face, Precision::Confusion());
    auto pole = [&](const TopoDS_Vertex& at, double v, double from, double to) {
        TopoDS_Edge edge;
        builder.MakeEdge(edge);
        builder.Degenerated(edge, true);
        builder.UpdateEdge(edge, new Geom2d_Line(gp_Pnt2d(from, v), gp_Dir2d(to > from ? 1 : -1, 0)), face,
                           Precision::Confusion());
        builder.Range(edge, 0, std::fabs(to - from));
        builder.Add(edge, at.Oriented(TopAbs_FORWARD));
        builder.Add(edge, at.Oriented(TopAbs_REVERSED));
        return edge;
    };
    // Round the parameters' rectangle: along the right pole, up the higher meridian, back
    // along the left pole, down the lower one.
    TopoDS_Wire wire;
    builder.MakeWire(wire);
    builder.Add(wire, pole(rightPole, -M_PI / 2, ua, ub));
    builder.Add(wire, high->Oriented(TopAbs_FORWARD));
    builder.Add(wire, pole(leftPole, M_PI / 2, ub, ua));
    builder.Add(wire, low->Oriented(TopAbs_REVERSED));
    builder.Add(face, wire);
    return face;
}

}  // namespace

std::optional<TopoDS_Shape> ballPass(double radius, double top, const std::vector<gp_Pnt>& tips) {
    const double r = radius;
    if (tips.size() < 2 || !(r > 0)) return std::nullopt;
    const gp_Pnt& first = tips.front();
    const gp_Pnt& last = tips.back();
    const double across = std::hypot(last.X() - first.X(), last.Y() - first.Y());
    if (across <= kSweepFlatness) return std::nullopt;
    PassFrame frame{gp_Pnt(first.X(), first.Y(), 0), gp_Vec((last.X() - first.X()) / across, (last.Y() - first.Y()) / across, 0),
                    gp_Vec()};
    frame.left = gp_Vec(-frame.forward.Y(), frame.forward.X(), 0);
    std::vector<Planar> centres;
    for (const gp_Pnt& tip : tips) {
        const gp_Vec offset(frame.origin, gp_Pnt(tip.X(), tip.Y(), 0));
        if (std::fabs(offset.Dot(frame.left)) > kPassPlaneTolerance) return std::nullopt;
        centres.push_back({offset.Dot(frame.forward), tip.Z() + r});
        if (!(top > centres.back().z + kSweepFlatness)) return std::nullopt;
    }
    const auto outline = passOutline(centres, r);
    if (!outline) return std::nullopt;
    const std::size_t n = centres.size() - 1;
    try {
        // Where the pipe's sides and the walls meet: left and right of each centre; and the
        // top's corners above the ends.
        std::vector<TopoDS_Vertex> left, right;
        for (const Planar& c : centres) {
            left.push_back(BRepBuilderAPI_MakeVertex(frame.at(c) + r * frame.left).Vertex());
            right.push_back(BRepBuilderAPI_MakeVertex(frame.at(c) + (-r) * frame.left).Vertex());
        }
        auto above = [&](const TopoDS_Vertex& v) {
            gp_Pnt p = BRep_Tool::Pnt(v);
            p.SetZ(top);
            return BRepBuilderAPI_MakeVertex(p).Vertex();
        };
        const TopoDS_Vertex leftTop0 = above(left[0]), rightTop0 = above(right[0]);
        const TopoDS_Vertex leftTopN = above(left[n]), rightTopN = above(right[n]);
        std::vector<TopoDS_Edge> leftSide, rightSide;
        for (std::size_t i = 0; i < n; ++i) {
            leftSide.push_back(line(left[i], left[i + 1]));
            rightSide.push_back(line(right[i], right[i + 1]));
        }
        // The curves that end each move's half cylinder, at its start and at its end.
        std::vector<TopoDS_Edge> starts(n), ends(n);
        std::vector<TopoDS_Face> faces;
        for (std::size_t i = 0; i <= n; ++i) {
            const gp_Pnt c = frame.at(centres[i]);
            if (i == 0 || i == n) {
                const gp_Vec axis = frame.along(outline->directions[i == 0 ? 0 : n - 1]);
                (i == 0 ? starts[0] : ends[n - 1]) = halfCircle(c, axis, frame.left, r, right[i], left[i]);
                continue;
            }
            const gp_Vec before = frame.along(outline->directions[i - 1]), after = frame.along(outline->directions[i]);
            if (outline->joints[i] == Joint::Sphere) {
                ends[i - 1] = halfCircle(c, before, frame.left, r, right[i], left[i]);
                starts[i] = halfCircle(c, after, frame.left, r, right[i], left[i]);
                // The sphere about the corner, between the two moves' lower normals.
                const Planar& a = outline->directions[i - 1];
                const Planar& b = outline->directions[i];
                faces.push_back(lune(c, r, frame.left, frame.along({a.z, -a.s}), ends[i - 1], frame.along({b.z, -b.s}),
                                     starts[i], right[i], left[i]));
            } else {
                starts[i] = ends[i - 1] = halfEllipse(c, before + after, after, frame.left, r, right[i], left[i]);
            }
        }
        for (std::size_t i = 0; i < n; ++i) {
            const gp_Vec axis = frame.along(outline->directions[i]);
            const gp_Vec upward = axis.Crossed(frame.left);
            Handle(Geom_Surface) cylinder =
                new Geom_CylindricalSurface(gp_Ax3(frame.at(centres[i]), gp_Dir(axis), gp_Dir(upward)), r);
            faces.push_back(faceOf(cylinder, {rightSide[i], ends[i], leftSide[i], starts[i]}));
        }
        // The walls, and at each end the body beyond the end's circle: the sphere from that
        // circle to the half of the equator beyond it, the shank's half cylinder above, and the
        // top's half disc, which is one face with the top between the walls.
        const TopoDS_Edge leftUp0 = line(left[0], leftTop0), rightUp0 = line(right[0], rightTop0);
        const TopoDS_Edge leftUpN = line(left[n], leftTopN), rightUpN = line(right[n], rightTopN);
        const TopoDS_Edge leftTop = line(leftTop0, leftTopN), rightTop = line(rightTop0, rightTopN);
        auto wall = [&](std::vector<TopoDS_Edge> edges, const TopoDS_Edge& up0, const TopoDS_Edge& upN,
                        const TopoDS_Edge& topEdge, const TopoDS_Vertex& corner) {
            edges.insert(edges.end(), {upN, topEdge, up0});
            faces.push_back(faceOf(new Geom_Plane(gp_Pln(BRep_Tool::Pnt(corner), gp_Dir(frame.left))), edges));
        };
        wall(leftSide, leftUp0, leftUpN, leftTop, left[0]);
        wall(rightSide, rightUp0, rightUpN, rightTop, right[0]);
        TopoDS_Edge topHalves[2];
        for (const bool atEnd : {false, true}) {
            const std::size_t i = atEnd ? n : 0;
            const gp_Pnt c = frame.at(centres[i]);
            const gp_Vec outward = atEnd ? frame.forward : frame.forward.Reversed();
            const gp_Vec up = atEnd ? gp_Vec(0, 0, 1) : gp_Vec(0, 0, -1);  // a quarter turn from the right: outward
            const TopoDS_Edge equator = halfCircle(c, up, frame.left, r, right[i], left[i]);
            topHalves[atEnd] = halfCircle(gp_Pnt(c.X(), c.Y(), top), up, frame.left, r, atEnd ? rightTopN : rightTop0,
                                          atEnd ? leftTopN : leftTop0);
            const Planar& u = outline->directions[atEnd ? n - 1 : 0];
            faces.push_back(lune(c, r, frame.left, frame.along({u.z, -u.s}), atEnd ? ends[n - 1] : starts[0], outward,
                                 equator, right[i], left[i]));
            Handle(Geom_Surface) shank = new Geom_CylindricalSurface(gp_Ax3(c, gp::DZ(), gp_Dir(outward.Reversed())), r);
            faces.push_back(faceOf(shank, {equator, atEnd ? leftUpN : leftUp0, topHalves[atEnd], atEnd ? rightUpN : rightUp0}));
        }
        faces.push_back(faceOf(new Geom_Plane(gp_Pln(BRep_Tool::Pnt(leftTop0), gp::DZ())),
                               {leftTop, topHalves[1], rightTop, topHalves[0]}));
        BRep_Builder builder;
        TopoDS_Shell shell;
        builder.MakeShell(shell);
        for (const auto& face : faces) builder.Add(shell, face);
        ShapeFix_Shell orient(shell);
        orient.Perform();
        if (orient.NbShells() != 1) throw automation::failure("the faces of a pass do not close one shell");
        TopoDS_Solid core;
        builder.MakeSolid(core);
        builder.Add(core, orient.Shell());
        BRepLib::OrientClosedSolid(core);
        return core;
    } catch (const Standard_Failure& failure) {
        throw automation::failure(std::string("making a ball's pass failed in OpenCASCADE: ") + failure.GetMessageString());
    }
}

}  // namespace corvex::cadhost::occt
