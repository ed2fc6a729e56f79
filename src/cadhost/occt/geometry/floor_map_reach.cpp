// Whether a tool's reach holds any of a floor map's material: the map's exact edges read as
// doubles, which is far inside the kernel's tolerance that the answer allows for.
#include "cadhost/occt/geometry/floor_map_arrangement.hpp"

#include <algorithm>
#include <cmath>

namespace corvex::cadhost::occt {
namespace {

using namespace floor_map;

struct Vec {
    double x, y;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec operator*(double k, Vec a) { return {k * a.x, k * a.y}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
double cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
double length(Vec a) { return std::hypot(a.x, a.y); }

// A segment of a reach, or a straight edge of the map.
struct Segment {
    Vec p, q;
};

double pointSegment(Vec point, const Segment& s) {
    const Vec d = s.q - s.p;
    const double dd = dot(d, d);
    const double t = dd > 0 ? std::clamp(dot(point - s.p, d) / dd, 0.0, 1.0) : 0.0;
    return length(point - (s.p + t * d));
}

bool segmentsCross(const Segment& a, const Segment& b) {
    const double d1 = cross(a.q - a.p, b.p - a.p), d2 = cross(a.q - a.p, b.q - a.p);
    const double d3 = cross(b.q - b.p, a.p - b.p), d4 = cross(b.q - b.p, a.q - b.p);
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

double segmentSegment(const Segment& a, const Segment& b) {
    if (segmentsCross(a, b)) return 0;
    return std::min({pointSegment(a.p, b), pointSegment(a.q, b), pointSegment(b.p, a), pointSegment(b.q, a)});
}

// An arc of the map, walked counter-clockwise from `from` to `to` about `centre`.
struct Arc {
    Vec centre;
    double radius;
    Vec from, to;

    bool holdsDirection(Vec direction) const {
        const double start = std::atan2(from.y - centre.y, from.x - centre.x);
        auto turned = [&](double angle) {
            double a = angle - start;
            while (a < 0) a += 2 * M_PI;
            while (a >= 2 * M_PI) a -= 2 * M_PI;
            return a;
        };
        return turned(std::atan2(direction.y, direction.x)) <= turned(std::atan2(to.y - centre.y, to.x - centre.x));
    }
};

double pointArc(Vec point, const Arc& arc) {
    const Vec r = point - arc.centre;
    if (length(r) > 0 && arc.holdsDirection(r)) return std::fabs(length(r) - arc.radius);
    if (length(r) == 0) return arc.radius;
    return std::min(length(point - arc.from), length(point - arc.to));
}

// The least distance between a segment and an arc: at an end of one of them, where they
// cross, or where the arc's radius stands square to the segment.
double segmentArc(const Segment& s, const Arc& arc) {
    double least = std::min({pointSegment(arc.from, s), pointSegment(arc.to, s), pointArc(s.p, arc), pointArc(s.q, arc)});
    const Vec d = s.q - s.p;
    const double dd = dot(d, d);
    if (dd <= 0) return least;
    // Crossings: |p + t d - c| = radius for t in [0, 1].
    const Vec m = s.p - arc.centre;
    const double b = dot(m, d), c = dot(m, m) - arc.radius * arc.radius;
    const double discriminant = b * b - dd * c;
    if (discriminant >= 0) {
        for (double sign : {-1.0, 1.0}) {
            const double t = (-b + sign * std::sqrt(discriminant)) / dd;
            if (t >= 0 && t <= 1 && arc.holdsDirection(m + t * d)) return 0;
        }
    }
    const Vec normal{-d.y / std::sqrt(dd), d.x / std::sqrt(dd)};
    for (double sign : {-1.0, 1.0}) {
        const Vec direction = sign * normal;
        const Vec point = arc.centre + arc.radius * direction;
        const double t = dot(point - s.p, d) / dd;
        if (t >= 0 && t <= 1 && arc.holdsDirection(direction)) least = std::min(least, std::fabs(dot(point - s.p, normal)));
    }
    return least;
}

// An edge of the map with the highest material beside it.
struct NearEdge {
    Segment chord;
    std::optional<Arc> arc;
    double lowX, lowY, highX, highY;  // its box
    double material;                  // the higher top of the material either side
};

Vec pointOf(const MapPoint& p) { return {toDouble(p.x()), toDouble(p.y())}; }

}  // namespace

std::vector<bool> FloorMap::clearWithin(const std::vector<PlanReach>& reaches) const {
    const double bottom = bottom_, top = top_;
    auto materialTop = [&](const Map::Face_const_handle& face) {
        if (face->is_unbounded() || !face->data().stock) return -std::numeric_limits<double>::infinity();
        const double height = std::clamp(face->data().height, bottom, top);
        return height > bottom ? height : -std::numeric_limits<double>::infinity();
    };
    std::vector<NearEdge> edges;
    for (auto e = map_->map.edges_begin(); e != map_->map.edges_end(); ++e) {
        const double material = std::max(materialTop(e->face()), materialTop(e->twin()->face()));
        if (material == -std::numeric_limits<double>::infinity()) continue;
        const Piece& piece = e->curve();
        NearEdge edge{.chord = {pointOf(piece.source()), pointOf(piece.target())}, .material = material};
        edge.lowX = std::min(edge.chord.p.x, edge.chord.q.x), edge.highX = std::max(edge.chord.p.x, edge.chord.q.x);
        edge.lowY = std::min(edge.chord.p.y, edge.chord.q.y), edge.highY = std::max(edge.chord.p.y, edge.chord.q.y);
        if (piece.is_circular()) {
            const auto& circle = piece.supporting_circle();
            const Vec centre{CGAL::to_double(circle.center().x()), CGAL::to_double(circle.center().y())};
            const double radius = std::sqrt(CGAL::to_double(circle.squared_radius()));
            const bool ccw = piece.orientation() == CGAL::COUNTERCLOCKWISE;
            edge.arc = Arc{centre, radius, ccw ? edge.chord.p : edge.chord.q, ccw ? edge.chord.q : edge.chord.p};
            // An x-monotone arc's box: its ends', and the circle's top or bottom where it passes.
            edge.lowY = std::min(edge.lowY, centre.y - radius), edge.highY = std::max(edge.highY, centre.y + radius);
        }
        edges.push_back(edge);
    }
    std::vector<std::array<double, 2>> starts;
    for (const PlanReach& reach : reaches) starts.push_back(reach.from);
    const std::vector<double> startHeights = heightsAt(starts);
    std::vector<bool> clear;
    for (std::size_t i = 0; i < reaches.size(); ++i) {
        const PlanReach& reach = reaches[i];
        const double above = reach.bottom + kFloorTolerance, within = reach.radius - kFloorTolerance;
        // The region around the start: material above the reach's bottom there is in it. On
        // an edge (NaN), the regions beside it are asked with the edge below.
        if (!std::isnan(startHeights[i]) && startHeights[i] > std::max(above, bottom_ + kFloorTolerance)) {
            clear.push_back(false);
            continue;
        }
        const Segment axis{{reach.from[0], reach.from[1]}, {reach.to[0], reach.to[1]}};
        const double x0 = std::min(axis.p.x, axis.q.x) - reach.radius, x1 = std::max(axis.p.x, axis.q.x) + reach.radius;
        const double y0 = std::min(axis.p.y, axis.q.y) - reach.radius, y1 = std::max(axis.p.y, axis.q.y) + reach.radius;
        // Any region with material above the bottom that the reach enters has an edge in it.
        const bool entered = std::any_of(edges.begin(), edges.end(), [&](const NearEdge& edge) {
            if (edge.material <= above || edge.highX < x0 || edge.lowX > x1 || edge.highY < y0 || edge.lowY > y1)
                return false;
            const double distance = edge.arc ? segmentArc(axis, *edge.arc) : segmentSegment(axis, edge.chord);
            return distance < within;
        });
        clear.push_back(!entered);
    }
    return clear;
}

}  // namespace corvex::cadhost::occt
