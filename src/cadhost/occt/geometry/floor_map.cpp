// CGAL first: OpenCASCADE's headers define a macro named Handle, which CGAL's own use.
#include "cadhost/occt/geometry/floor_map_arrangement.hpp"
#include "cadhost/occt/geometry/outline_geometry.hpp"

#include <CGAL/Arr_batched_point_location.h>
#include <CGAL/Arr_observer.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <queue>
#include <unordered_set>

namespace corvex::cadhost::occt {

using namespace floor_map;

namespace {

// Collects the edges made, split or changed while a cut's outline goes in, and gives a face
// split off another the other's floor.
class EdgeWatch : public CGAL::Arr_observer<Map> {
public:
    explicit EdgeWatch(Map& map) : CGAL::Arr_observer<Map>(map) {}
    std::vector<Halfedge> touched;
    void after_create_edge(Halfedge e) override { touched.push_back(e); }
    void after_split_edge(Halfedge e1, Halfedge e2) override {
        touched.push_back(e1);
        touched.push_back(e2);
    }
    void after_modify_edge(Halfedge e) override { touched.push_back(e); }
    void after_split_face(Face face, Face split, bool) override { split->set_data(face->data()); }
};

using Exact = Kernel::Point_2;

// A point on the circle about `centre` with `radius` (both exact as given), in the direction of
// `near`: `near` itself when it lies on the circle exactly (as a slot's corners along the axes
// do, keeping them on the very lines the stock's sides lie on), else from the circle's
// rational parametrisation.
Exact onCircle(const Exact& centre, double radius, const std::array<double, 2>& near) {
    const Exact given(near[0], near[1]);
    if (CGAL::squared_distance(centre, given) == Kernel::FT(radius) * radius) return given;
    const double angle = std::atan2(near[1] - CGAL::to_double(centre.y()), near[0] - CGAL::to_double(centre.x()));
    // tan of half the angle from the nearer of the axis' two ends, so that it stays within 1,
    // rounded to 2^-30: corners of slots that run the same way, whose angles differ in their
    // last bits, then sit at the very same place on their circles, and the slots' sides are
    // exactly parallel (no sliver between two that should lie on one line).
    const bool back = std::cos(angle) < 0;
    const double half = std::tan((back ? angle - M_PI : angle) / 2);
    const Kernel::FT t = std::ldexp(std::round(std::ldexp(half, 30)), -30), r = back ? -radius : radius;
    const Kernel::FT denominator = 1 + t * t;
    return Exact(centre.x() + r * (1 - t * t) / denominator, centre.y() + r * 2 * t / denominator);
}

// The outline's pieces as exact curves: an arc's corners put on its circle, and the straight
// pieces between them joining those very points.
std::vector<Curve> curvesOf(const Outline& outline) {
    const std::size_t n = outline.corners.size();
    auto arcOf = [&](std::size_t i) { return i < outline.arcs.size() ? outline.arcs[i] : std::nullopt; };
    if (n == 1 && arcOf(0)) {
        const OutlineArc arc = *arcOf(0);
        return {Curve(Kernel::Circle_2(Exact(arc.cx, arc.cy), Kernel::FT(arc.radius) * arc.radius,
                                       arc.clockwise ? CGAL::CLOCKWISE : CGAL::COUNTERCLOCKWISE))};
    }
    std::vector<Exact> corners;
    for (std::size_t i = 0; i < n; ++i) {
        const auto& corner = outline.corners[i];
        const auto arc = arcOf(i) ? arcOf(i) : arcOf((i + n - 1) % n);  // the arc it starts or ends
        corners.push_back(arc ? onCircle(Exact(arc->cx, arc->cy), arc->radius, corner) : Exact(corner[0], corner[1]));
    }
    std::vector<Curve> curves;
    for (std::size_t i = 0; i < n; ++i) {
        const Exact &start = corners[i], &end = corners[(i + 1) % n];
        if (start == end) continue;
        if (const auto arc = arcOf(i)) {
            const Kernel::Circle_2 circle(Exact(arc->cx, arc->cy), Kernel::FT(arc->radius) * arc->radius,
                                          arc->clockwise ? CGAL::CLOCKWISE : CGAL::COUNTERCLOCKWISE);
            curves.emplace_back(circle, MapPoint(start.x(), start.y()), MapPoint(end.x(), end.y()));
        } else {
            curves.emplace_back(Kernel::Segment_2(start, end));
        }
    }
    return curves;
}

bool upperArc(const Piece& arc) { return (arc.orientation() == CGAL::COUNTERCLOCKWISE) != arc.is_directed_right(); }

// Whether the edge lies along the piece: the same line or circle (the same half of it), and
// both its ends on the piece.
bool along(const Halfedge& edge, const Piece& piece) {
    if (!piece.has_same_supporting_curve(edge->curve())) return false;
    if (piece.is_circular() && upperArc(piece) != upperArc(edge->curve())) return false;
    for (const auto* end : {&edge->source()->point(), &edge->target()->point()})
        if (!piece.is_in_x_range(*end) || piece.point_position(*end) != CGAL::EQUAL) return false;
    return true;
}

// Every halfedge of the face's boundary cycles, its outline's and its holes'.
template <class FaceHandle, class Visit>
void forEachBoundary(const FaceHandle& face, Visit visit) {
    auto walk = [&](auto first) {
        auto h = first;
        do visit(h);
        while (++h != first);
    };
    for (auto o = face->outer_ccbs_begin(); o != face->outer_ccbs_end(); ++o) walk(*o);
    for (auto i = face->inner_ccbs_begin(); i != face->inner_ccbs_end(); ++i) walk(*i);
}

double faceArea(const Map::Face_const_handle& face) {
    double area = 0;
    forEachBoundary(face, [&](const auto& h) { area += areaAlong(h); });
    return area;
}

// Inserts the outlines and returns the faces inside them: those left of their pieces (an
// outline walked counter-clockwise, a hole in it clockwise) and every face reached from them
// without crossing an outline.
std::vector<Face> insertOutlines(FloorMap::Arrangement& arrangement, const std::vector<const Outline*>& outlines) {
    Map& map = arrangement.map;
    EdgeWatch watch(map);
    std::vector<Curve> curves;
    for (const Outline* outline : outlines)
        for (Curve& curve : curvesOf(*outline)) curves.push_back(std::move(curve));
    for (const Curve& curve : curves) CGAL::insert(map, curve);
    std::vector<Piece> pieces;
    for (const Curve& curve : curves) {
        std::vector<boost::variant<MapPoint, Piece>> parts;
        arrangement.traits.make_x_monotone_2_object()(curve, std::back_inserter(parts));
        for (auto& part : parts)
            if (auto* piece = boost::get<Piece>(&part)) pieces.push_back(*piece);
    }
    std::unordered_set<const void*> seen, outlineEdges;
    std::queue<Face> queue;
    for (const Halfedge& edge : watch.touched) {
        if (outlineEdges.count(&*edge)) continue;
        for (const Piece& piece : pieces) {
            if (!along(edge, piece)) continue;
            outlineEdges.insert(&*edge);
            outlineEdges.insert(&*edge->twin());
            // Every piece runs as the outline does, arcs either way about their centres.
            const bool alongPiece = (edge->direction() == CGAL::ARR_LEFT_TO_RIGHT) == piece.is_directed_right();
            const Face inside = (alongPiece ? edge : edge->twin())->face();
            if (seen.insert(&*inside).second) queue.push(inside);
            break;
        }
    }
    std::vector<Face> inside;
    while (!queue.empty()) {
        const Face face = queue.front();
        queue.pop();
        inside.push_back(face);
        forEachBoundary(face, [&](const Halfedge h) {
            if (outlineEdges.count(&*h)) return;
            const Face next = h->twin()->face();
            if (seen.insert(&*next).second) queue.push(next);
        });
    }
    return inside;
}

// Edges with the same floor on both sides bound nothing: they go, and so do the vertices they
// leave bare or joining two pieces of one curve.
void dropBoundlessEdges(FloorMap::Arrangement& arrangement, const std::vector<Face>& faces) {
    Map& map = arrangement.map;
    std::vector<Halfedge> boundless;
    std::unordered_set<const void*> checked;
    for (const Face& face : faces)
        forEachBoundary(face, [&](const Halfedge h) {
            const Face other = h->twin()->face();
            if (other == face || other->data().stock != face->data().stock ||
                other->data().height != face->data().height)
                return;
            if (checked.insert(&*h).second && checked.insert(&*h->twin()).second) boundless.push_back(h);
        });
    std::vector<Vertex> ends;
    std::unordered_set<const void*> endSeen;
    for (const Halfedge& h : boundless)
        for (const Vertex& v : {h->source(), h->target()})
            if (endSeen.insert(&*v).second) ends.push_back(v);
    for (const Halfedge& h : boundless) map.remove_edge(h, false, false);
    for (const Vertex& v : ends) {
        if (v->is_isolated()) {
            map.remove_isolated_vertex(v);
            continue;
        }
        if (v->degree() != 2) continue;
        auto around = v->incident_halfedges();
        const Halfedge into = around, other = ++around;
        if (!arrangement.traits.are_mergeable_2_object()(into->curve(), other->curve())) continue;
        Piece merged;
        arrangement.traits.merge_2_object()(into->curve(), other->curve(), merged);
        map.merge_edge(into, other->twin(), merged);
    }
}

}  // namespace

Outline Outline::polygon(std::vector<std::array<double, 2>> corners) {
    Outline outline{std::move(corners), {}};
    outline.arcs.resize(outline.corners.size());
    return outline;
}

Outline Outline::circle(double cx, double cy, double radius) { return {{{cx + radius, cy}}, {OutlineArc{cx, cy, radius}}}; }

Outline Outline::slot(const std::array<double, 2>& from, const std::array<double, 2>& to, double radius) {
    if (from == to) return circle(from[0], from[1], radius);
    const double length = std::hypot(to[0] - from[0], to[1] - from[1]);
    const double nx = -(to[1] - from[1]) / length * radius, ny = (to[0] - from[0]) / length * radius;  // left
    return {{{from[0] - nx, from[1] - ny}, {to[0] - nx, to[1] - ny}, {to[0] + nx, to[1] + ny}, {from[0] + nx, from[1] + ny}},
            {std::nullopt, OutlineArc{to[0], to[1], radius}, std::nullopt, OutlineArc{from[0], from[1], radius}}};
}

FloorMap::FloorMap(const Outline& footprint, double bottom, double top)
    : map_(std::make_unique<Arrangement>()), bottom_(bottom), top_(top), heights_{bottom, top} {
    for (const Face& face : insertOutlines(*map_, {&footprint})) face->set_data({true, top});
}

FloorMap::~FloorMap() = default;

void FloorMap::cut(const Outline& outline, double floor, const std::vector<Outline>& holes) {
    std::vector<const Outline*> outlines{&outline};
    for (const Outline& hole : holes) outlines.push_back(&hole);
    const auto near = heights_.lower_bound(floor - kFloorTolerance);
    if (near != heights_.end() && *near <= floor + kFloorTolerance) floor = *near;
    else heights_.insert(floor);
    const std::vector<Face> inside = insertOutlines(*map_, outlines);
    for (const Face& face : inside)
        if (face->data().stock && face->data().height > floor) face->set_data({true, floor});
    dropBoundlessEdges(*map_, inside);
}

bool FloorMap::holdsMaterialAbove(const Outline& outline, double floor) {
    const std::vector<Face> inside = insertOutlines(*map_, {&outline});
    const bool above = std::any_of(inside.begin(), inside.end(), [&](const Face& face) {
        return face->data().stock && face->data().height > floor + kFloorTolerance;
    });
    dropBoundlessEdges(*map_, inside);
    return above;
}

double FloorMap::removedVolume() const {
    double removed = 0;
    for (auto face = map_->map.faces_begin(); face != map_->map.faces_end(); ++face)
        if (face->data().stock && face->data().height < top_)
            removed += faceArea(face) * (top_ - std::max(bottom_, face->data().height));
    return removed;
}

double FloorMap::stockVolume() const {
    double area = 0;
    for (auto face = map_->map.faces_begin(); face != map_->map.faces_end(); ++face)
        if (face->data().stock) area += faceArea(face);
    return area * (top_ - bottom_);
}

std::vector<double> FloorMap::heightsAt(const std::vector<std::array<double, 2>>& points) const {
    std::vector<MapPoint> queries;
    queries.reserve(points.size());
    for (const auto& p : points) queries.emplace_back(Kernel::FT(p[0]), Kernel::FT(p[1]));
    using Location = std::pair<MapPoint, CGAL::Arr_point_location_result<Map>::Type>;
    std::vector<Location> located;
    CGAL::locate(map_->map, queries.begin(), queries.end(), std::back_inserter(located));
    // The sweep answers in its own order; the points came from doubles and go back to them.
    std::map<std::array<double, 2>, double> height;
    for (const auto& [point, where] : located) {
        double h = std::numeric_limits<double>::quiet_NaN();
        if (const auto* face = boost::get<Map::Face_const_handle>(&where)) {
            const Floor& floor = (*face)->data();
            h = floor.stock && !(*face)->is_unbounded() ? std::clamp(floor.height, bottom_, top_) : bottom_;
        }
        height[{toDouble(point.x()), toDouble(point.y())}] = h;
    }
    std::vector<double> heights;
    heights.reserve(points.size());
    for (const auto& p : points) heights.push_back(height.at(p));
    return heights;
}

std::vector<std::array<double, 2>> FloorMap::pointInEveryRegion() const {
    std::vector<std::array<double, 2>> points;
    for (auto face = map_->map.faces_begin(); face != map_->map.faces_end(); ++face) {
        if (face->is_unbounded() || !face->data().stock || !face->has_outer_ccb()) continue;
        // A step left of the middle of the face's longest edge, into the face.
        Map::Halfedge_const_handle longest;
        double most = -1;
        forEachBoundary(face, [&](const auto& h) {
            const double dx = toDouble(h->target()->point().x()) - toDouble(h->source()->point().x());
            const double dy = toDouble(h->target()->point().y()) - toDouble(h->source()->point().y());
            if (dx * dx + dy * dy > most) most = dx * dx + dy * dy, longest = h;
        });
        if (most <= 0) continue;
        const auto corner = [](const auto& vertex) {
            return std::array<double, 2>{toDouble(vertex->point().x()), toDouble(vertex->point().y())};
        };
        Outline edge = Outline::polygon({corner(longest->source()), corner(longest->target())});
        if (longest->curve().is_circular()) {
            const auto& circle = longest->curve().supporting_circle();
            edge.arcs[0] = OutlineArc{CGAL::to_double(circle.center().x()), CGAL::to_double(circle.center().y()),
                                      std::sqrt(CGAL::to_double(circle.squared_radius())), !counterClockwise(longest)};
        }
        points.push_back(besidePieces(edge, std::min(1e-3, std::sqrt(most) / 10)).front());
    }
    return points;
}

std::size_t FloorMap::regions() const { return map_->map.number_of_faces(); }

}  // namespace corvex::cadhost::occt
