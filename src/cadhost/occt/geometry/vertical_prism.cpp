#include "cadhost/occt/geometry/vertical_prism.hpp"

#include <BRepAdaptor_Curve.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Tool.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Wire.hxx>

#include <algorithm>
#include <cmath>
#include <vector>

namespace corvex::cadhost::occt {
namespace {

constexpr double kAngular = 1e-12;  // how far from vertical or horizontal a direction may be

// Circles are kept to 2^-30 mm: a tool's disc and the ends of the slots it cuts, whose centres
// the kernel computes each its own way, then lie on one circle, as the map needs.
double grid(double value) { return std::ldexp(std::round(std::ldexp(value, 30)), -30); }

bool vertical(const gp_Dir& d) { return std::fabs(std::fabs(d.Z()) - 1) <= kAngular; }
bool horizontal(const gp_Dir& d) { return std::fabs(d.Z()) <= kAngular; }

// The face's height when it is a horizontal plane.
std::optional<double> flatHeight(const TopoDS_Face& face) {
    const BRepAdaptor_Surface surface(face, false);
    if (surface.GetType() != GeomAbs_Plane || !vertical(surface.Plane().Axis().Direction())) return std::nullopt;
    return surface.Plane().Location().Z();
}

// Whether the face stands upright: a plane with a horizontal normal, or a cylinder about a
// vertical axis.
bool upright(const TopoDS_Face& face) {
    const BRepAdaptor_Surface surface(face, false);
    if (surface.GetType() == GeomAbs_Plane) return horizontal(surface.Plane().Axis().Direction());
    return surface.GetType() == GeomAbs_Cylinder && vertical(surface.Cylinder().Axis().Direction());
}

// A wire of the bottom face as an outline, walked as the wire runs.
struct Walk {
    Outline outline;
    double area = 0;  // signed, seen from above
};

std::optional<Walk> walk(const TopoDS_Face& face, const TopoDS_Wire& wire) {
    Walk result;
    for (BRepTools_WireExplorer it(wire, face); it.More(); it.Next()) {
        const TopoDS_Edge& edge = it.Current();
        const BRepAdaptor_Curve curve(edge);
        const gp_Pnt start = BRep_Tool::Pnt(it.CurrentVertex());
        const gp_Pnt end = curve.Value(edge.Orientation() == TopAbs_REVERSED ? curve.FirstParameter() : curve.LastParameter());
        result.area += (start.X() * end.Y() - end.X() * start.Y()) / 2;
        result.outline.corners.push_back({start.X(), start.Y()});
        if (curve.GetType() == GeomAbs_Line) {
            result.outline.arcs.push_back(std::nullopt);
            continue;
        }
        if (curve.GetType() != GeomAbs_Circle || !vertical(curve.Circle().Axis().Direction())) return std::nullopt;
        const gp_Circ circle = curve.Circle();
        const bool ccw = (circle.Axis().Direction().Z() > 0) == (edge.Orientation() != TopAbs_REVERSED);
        const double turn = std::fabs(curve.LastParameter() - curve.FirstParameter());
        const double segment = circle.Radius() * circle.Radius() / 2 * (turn - std::sin(turn));
        result.area += ccw ? segment : -segment;
        result.outline.arcs.push_back(
            OutlineArc{grid(circle.Location().X()), grid(circle.Location().Y()), grid(circle.Radius()), !ccw});
    }
    if (result.outline.corners.empty()) return std::nullopt;
    if (result.outline.corners.size() == 1 && !result.outline.arcs[0]) return std::nullopt;
    return result;
}

// The outline walked the other way: the piece from corner k to k+1 becomes the piece from k+1
// to k, its arc turning back.
Outline turnedRound(const Outline& outline) {
    const std::size_t n = outline.corners.size();
    Outline turned;
    for (std::size_t k = n; k-- > 0;) {
        turned.corners.push_back(outline.corners[(k + 1) % n]);
        auto arc = outline.arcs[k];
        if (arc) arc->clockwise = !arc->clockwise;
        turned.arcs.push_back(arc);
    }
    return turned;
}

}  // namespace

std::optional<VerticalPrism> verticalPrismOf(const TopoDS_Shape& shape) {
    int solids = 0;
    for (TopExp_Explorer it(shape, TopAbs_SOLID); it.More(); it.Next()) ++solids;
    if (solids != 1) return std::nullopt;
    std::optional<TopoDS_Face> bottomFace;
    std::optional<double> bottom, top;
    for (TopExp_Explorer it(shape, TopAbs_FACE); it.More(); it.Next()) {
        const TopoDS_Face& face = TopoDS::Face(it.Current());
        if (const auto height = flatHeight(face)) {
            if (!bottom) {
                bottom = height, bottomFace = face;
            } else if (!top) {
                top = height;
            } else {
                return std::nullopt;  // a third flat face: a step
            }
            if (top && *top < *bottom) {
                std::swap(*top, *bottom);
                bottomFace = face;
            }
        } else if (!upright(face)) {
            return std::nullopt;
        }
    }
    if (!top || !(*top > *bottom)) return std::nullopt;
    std::vector<Walk> walks;
    for (TopExp_Explorer it(*bottomFace, TopAbs_WIRE); it.More(); it.Next()) {
        auto walked = walk(*bottomFace, TopoDS::Wire(it.Current()));
        if (!walked) return std::nullopt;
        walks.push_back(std::move(*walked));
    }
    if (walks.empty()) return std::nullopt;
    // The outline encloses the most; the others are its holes. Seen from above the outline
    // runs counter-clockwise and its holes clockwise, walked the other way they are turned.
    std::swap(walks.front(), *std::max_element(walks.begin(), walks.end(), [](const Walk& a, const Walk& b) {
        return std::fabs(a.area) < std::fabs(b.area);
    }));
    VerticalPrism prism{{}, {}, *bottom, *top};
    for (std::size_t k = 0; k < walks.size(); ++k) {
        const bool turn = k == 0 ? walks[k].area < 0 : walks[k].area > 0;
        Outline outline = turn ? turnedRound(walks[k].outline) : std::move(walks[k].outline);
        if (k == 0) prism.outline = std::move(outline);
        else prism.holes.push_back(std::move(outline));
    }
    return prism;
}

}  // namespace corvex::cadhost::occt
