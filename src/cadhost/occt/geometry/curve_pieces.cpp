#include "cadhost/occt/geometry/curve_pieces.hpp"

#include <BRepAdaptor_Curve.hxx>
#include <gp_Ax3.hxx>
#include <gp_Circ.hxx>

#include <cmath>

#include "automation/error.hpp"

namespace corvex::cadhost::occt {
namespace {

// Directions this close to Z count as Z: a drawing rotated and rotated back is still flat.
constexpr double kParallel = 1e-9;
// Points read back from a file this close are one point (STEP keeps about 15 digits).
constexpr double kSamePoint = 1e-6;

bool alongZ(const gp_Dir& direction) { return std::fabs(direction.Z()) > 1 - kParallel; }

// The angle of `point` about `centre` in the frame `toLocal` takes points into.
double angleIn(const gp_Trsf& toLocal, const gp_Pnt& centre, const gp_Pnt& point) {
    gp_Pnt c = centre.Transformed(toLocal), p = point.Transformed(toLocal);
    return std::atan2(p.Y() - c.Y(), p.X() - c.X());
}

// The frame with `normal` up and X towards `towards`, and the motion that takes local
// coordinates back to the drawing.
gp_Ax3 frameAt(const gp_Pnt& origin, const gp_Dir& normal, const gp_Vec& towards) {
    gp_Vec inPlane = towards - gp_Vec(normal) * towards.Dot(gp_Vec(normal));
    if (inPlane.Magnitude() < kSamePoint) return gp_Ax3(origin, normal);
    return gp_Ax3(origin, normal, gp_Dir(inPlane));
}

gp_Trsf localOf(const gp_Ax3& frame) {
    gp_Trsf toLocal;
    toLocal.SetTransformation(frame);
    return toLocal;
}

// Newell's normal of the points taken as a closed polygon; zero for points on a line.
gp_Vec newellNormal(const std::vector<gp_Pnt>& points) {
    gp_Vec sum(0, 0, 0);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const gp_Pnt& a = points[i];
        const gp_Pnt& b = points[(i + 1) % points.size()];
        sum += gp_Vec((a.Y() - b.Y()) * (a.Z() + b.Z()), (a.Z() - b.Z()) * (a.X() + b.X()),
                      (a.X() - b.X()) * (a.Y() + b.Y()));
    }
    return sum;
}

std::optional<gp_Dir> planeNormal(const std::vector<CurveSegment>& segments,
                                  const std::vector<gp_Pnt>& points) {
    for (const CurveSegment& segment : segments)
        if (!segment.straight) return segment.normal;
    gp_Vec newell = newellNormal(points);
    if (newell.Magnitude() > kSamePoint * kSamePoint) return gp_Dir(newell);
    // All on one line: any plane through it will do; prefer one that stands on the XY plane.
    gp_Vec along(points.front(), points.back());
    if (along.Magnitude() < kSamePoint) return {};
    if (std::fabs(along.Z()) < kSamePoint) return gp::DZ();
    gp_Vec across = along.Crossed(gp_Vec(gp::DZ()));
    if (across.Magnitude() < kSamePoint) across = along.Crossed(gp_Vec(gp::DX()));
    return gp_Dir(across.Crossed(along));
}

double bulgeOf(const CurveSegment& segment, const gp_Trsf& toLocal) {
    if (segment.straight) return 0;
    gp_Pnt s = segment.start.Transformed(toLocal), e = segment.end.Transformed(toLocal),
           m = segment.middle.Transformed(toLocal);
    double chordX = e.X() - s.X(), chordY = e.Y() - s.Y();
    double cross = chordX * (m.Y() - s.Y()) - chordY * (m.X() - s.X());
    // tan(angle / 4) is the sagitta over half the chord; it is positive counter-clockwise.
    return -2 * cross / (chordX * chordX + chordY * chordY);
}

}  // namespace

CurveSegment curveSegment(const TopoDS_Edge& edge) {
    BRepAdaptor_Curve curve(edge);
    const double first = curve.FirstParameter(), last = curve.LastParameter();
    const bool backwards = edge.Orientation() == TopAbs_REVERSED;
    CurveSegment segment;
    segment.edge = edge;
    segment.start = curve.Value(backwards ? last : first);
    segment.end = curve.Value(backwards ? first : last);
    switch (curve.GetType()) {
        case GeomAbs_Line:
            return segment;
        case GeomAbs_Circle: {
            gp_Circ circle = curve.Circle();
            segment.straight = false;
            segment.middle = curve.Value((first + last) / 2);
            segment.normal = circle.Axis().Direction();
            if (backwards) segment.normal.Reverse();
            segment.closed = last - first > 2 * M_PI - 1e-9;
            return segment;
        }
        default:
            throw automation::failure(
                "the file holds a curve that is neither a line nor an arc of a circle, which a "
                "drawing cannot hold");
    }
}

CurveSegment reversed(const CurveSegment& segment) {
    CurveSegment result = segment;
    std::swap(result.start, result.end);
    if (!result.straight) result.normal.Reverse();
    result.edge.Reverse();
    return result;
}

SingleCurve singleCurve(const CurveSegment& segment) {
    if (segment.straight) return {.kind = SingleCurve::Kind::Line, .start = segment.start, .end = segment.end};
    BRepAdaptor_Curve curve(segment.edge);
    const gp_Circ circle = curve.Circle();
    const gp_Pnt centre = circle.Location();
    const double radius = circle.Radius();
    if (alongZ(segment.normal)) {
        if (segment.closed) return {.kind = SingleCurve::Kind::Circle, .centre = centre, .radius = radius};
        // Counter-clockwise seen from +Z: an arc drawn about -Z runs from its end.
        const bool up = segment.normal.Z() > 0;
        const gp_Pnt& from = up ? segment.start : segment.end;
        const gp_Pnt& to = up ? segment.end : segment.start;
        double start = std::atan2(from.Y() - centre.Y(), from.X() - centre.X());
        double end = std::atan2(to.Y() - centre.Y(), to.X() - centre.X());
        if (end <= start) end += 2 * M_PI;
        return {.kind = SingleCurve::Kind::Arc, .centre = centre, .radius = radius, .startAngle = start, .endAngle = end};
    }
    // In a plane of its own: drawn about the origin of a frame centred on the circle, with
    // the arc starting on the frame's X axis.
    const gp_Ax3 frame = frameAt(centre, segment.normal, gp_Vec(centre, segment.start));
    const gp_Trsf toLocal = localOf(frame);
    const gp_Trsf placement = toLocal.Inverted();
    if (segment.closed)
        return {.kind = SingleCurve::Kind::Circle, .centre = gp::Origin(), .radius = radius, .placement = placement};
    double end = angleIn(toLocal, centre, segment.end);
    if (end <= 0) end += 2 * M_PI;
    return {.kind = SingleCurve::Kind::Arc, .centre = gp::Origin(), .radius = radius, .startAngle = 0.0, .endAngle = end,
            .placement = placement};
}

std::optional<PolylineGeometry> polylineThrough(const std::vector<CurveSegment>& segments) {
    if (segments.empty()) return {};
    std::vector<gp_Pnt> points{segments.front().start};
    for (const CurveSegment& segment : segments) {
        if (segment.closed) return {};
        points.push_back(segment.end);
    }
    auto normal = planeNormal(segments, points);
    if (!normal) return {};
    if (normal->Z() < 0) normal->Reverse();

    PolylineGeometry geometry;
    gp_Trsf toLocal;  // identity: flat polylines keep drawing coordinates and an elevation
    if (alongZ(*normal)) {
        geometry.elevation = points.front().Z();
    } else {
        toLocal = localOf(frameAt(points.front(), *normal, gp_Vec(points.front(), points[1])));
        geometry.placement = toLocal.Inverted();
    }
    for (const CurveSegment& segment : segments)
        if (!segment.straight && !segment.normal.IsParallel(*normal, kParallel)) return {};
    for (const gp_Pnt& point : points) {
        gp_Pnt local = point.Transformed(toLocal);
        if (std::fabs(local.Z() - geometry.elevation) > kSamePoint) return {};
        geometry.vertices.emplace_back(local.X(), local.Y());
    }
    // A closed polyline repeats its first vertex exactly.
    if (geometry.vertices.back().IsEqual(geometry.vertices.front(), kSamePoint))
        geometry.vertices.back() = geometry.vertices.front();
    for (const CurveSegment& segment : segments) geometry.bulges.push_back(bulgeOf(segment, toLocal));
    geometry.bulges.push_back(0);
    return geometry;
}

}  // namespace corvex::cadhost::occt
