#pragma once
// The floor map's arrangement: CGAL's exact arrangement of line segments and circular arcs,
// each face labelled with its floor (only floor_map.cpp and floor_solid.cpp see it). Include
// it before any OpenCASCADE header: their macro Handle breaks CGAL's headers.
#include <CGAL/Arr_circle_segment_traits_2.h>
#include <CGAL/Arr_extended_dcel.h>
#include <CGAL/Arrangement_2.h>
#include <CGAL/Exact_predicates_exact_constructions_kernel.h>

#include <cmath>

#include "cadhost/occt/geometry/floor_map.hpp"

namespace corvex::cadhost::occt {

namespace floor_map {

using Kernel = CGAL::Exact_predicates_exact_constructions_kernel;
using Traits = CGAL::Arr_circle_segment_traits_2<Kernel>;
using Curve = Traits::Curve_2;
using Piece = Traits::X_monotone_curve_2;
using MapPoint = Traits::Point_2;

struct Floor {
    bool stock = false;      // inside the stock's footprint
    double height = 0;       // the top of the material here (the stock's top where uncut)
};

using Dcel = CGAL::Arr_face_extended_dcel<Traits, Floor>;
using Map = CGAL::Arrangement_2<Traits, Dcel>;
using Halfedge = Map::Halfedge_handle;
using Face = Map::Face_handle;
using Vertex = Map::Vertex_handle;

inline double toDouble(const Traits::CoordNT& value) { return CGAL::to_double(value); }

// Whether walking the halfedge goes counter-clockwise about its arc's centre.
template <class HalfedgeHandle>
bool counterClockwise(const HalfedgeHandle& h) {
    const Piece& piece = h->curve();
    const bool alongPiece = piece.is_directed_right() == (h->direction() == CGAL::ARR_LEFT_TO_RIGHT);
    return (piece.orientation() == CGAL::COUNTERCLOCKWISE) == alongPiece;
}

// What a halfedge adds to the area of the cycle it is in, its face on the left: its chord's
// share of the shoelace, and for an arc the circular segment between chord and arc, which the
// face holds when the arc bulges away from it (walked counter-clockwise about its centre).
template <class HalfedgeHandle>
double areaAlong(const HalfedgeHandle& h) {
    const double sx = toDouble(h->source()->point().x()), sy = toDouble(h->source()->point().y());
    const double tx = toDouble(h->target()->point().x()), ty = toDouble(h->target()->point().y());
    double area = (sx * ty - tx * sy) / 2;
    if (h->curve().is_circular()) {
        // The angle the arc turns through, from the sides' cross and dot products, which stay
        // precise where the arc is nearly a half circle.
        const auto& circle = h->curve().supporting_circle();
        const double cx = CGAL::to_double(circle.center().x()), cy = CGAL::to_double(circle.center().y());
        const double r2 = CGAL::to_double(circle.squared_radius());
        const bool ccw = counterClockwise(h);
        const double cross = (sx - cx) * (ty - cy) - (sy - cy) * (tx - cx), dot = (sx - cx) * (tx - cx) + (sy - cy) * (ty - cy);
        double theta = std::atan2(ccw ? cross : -cross, dot);
        if (theta < 0) theta += 2 * M_PI;
        const double segment = r2 / 2 * (theta - std::sin(theta));
        area += ccw ? segment : -segment;
    }
    return area;
}

}  // namespace floor_map

struct FloorMap::Arrangement {
    floor_map::Traits traits;
    floor_map::Map map{&traits};
};

}  // namespace corvex::cadhost::occt
