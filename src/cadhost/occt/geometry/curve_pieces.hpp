#pragma once
// Loose edges read from a file, as the curves the drawing holds (internal to the host).
#include <TopoDS_Edge.hxx>
#include <gp_Pnt.hxx>

#include <optional>
#include <vector>

#include "cadhost/occt/geometry/curves.hpp"

namespace corvex::cadhost::occt {

// One edge as it is run through: straight, or an arc of a circle.
struct CurveSegment {
    TopoDS_Edge edge;
    gp_Pnt start, end;
    bool straight = true;
    gp_Pnt middle;  // halfway along an arc
    gp_Dir normal;  // an arc's axis (counter-clockwise about it)
    bool closed = false;  // a full circle
};

// Fails for an edge that is neither straight nor circular.
CurveSegment curveSegment(const TopoDS_Edge& edge);

// The same segment run the other way.
CurveSegment reversed(const CurveSegment& segment);

// A lone edge as the host draws one: a line between two points, or a circle or an arc
// counter-clockwise about Z in a plane of its own, which `placement` takes into the drawing.
struct SingleCurve {
    enum class Kind { Line, Arc, Circle } kind = Kind::Line;
    gp_Pnt start, end;  // a line's ends
    gp_Pnt centre;
    double radius = 0, startAngle = 0, endAngle = 0;
    gp_Trsf placement;
};
SingleCurve singleCurve(const CurveSegment& segment);

// Segments joined end to end, as a polyline in their common plane: the plane parallel to XY
// at their height when they lie in one, otherwise their own plane carried by a placement.
// Nothing when they lie in no one plane or one of them is a full circle.
std::optional<PolylineGeometry> polylineThrough(const std::vector<CurveSegment>& segments);

}  // namespace corvex::cadhost::occt
