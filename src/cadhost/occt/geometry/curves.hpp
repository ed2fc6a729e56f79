#pragma once
// Curve geometry: polyline wires with bulges, lines, arcs and circles as OpenCASCADE edges.
#include <TopoDS_Edge.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Pnt.hxx>
#include <gp_Trsf.hxx>

#include <gp_XY.hxx>

#include <vector>

namespace corvex::cadhost::occt {

// A polyline lives in its own plane: vertices and bulges there, at `elevation` above the
// plane's origin, and `placement` takes that plane into the drawing.
struct PolylineGeometry {
    std::vector<gp_XY> vertices;
    std::vector<double> bulges;  // one per vertex; bulge i belongs to segment i -> i+1
    double elevation = 0;
    gp_Trsf placement;
};

// Points closer than this are one point (a polyline's closing vertex, a zero-length segment).
inline constexpr double kPointTolerance = 1e-9;

// The polyline as a wire in drawing coordinates; zero-length segments are left out.
// Fails when no segment has a length.
TopoDS_Wire polylineWire(const PolylineGeometry& geometry);
bool polylineClosed(const PolylineGeometry& geometry);

// Segment i of the polyline, in the polyline's own plane (before placement).
TopoDS_Edge bulgeSegment(const gp_Pnt& start, const gp_Pnt& end, double bulge);

// Counter-clockwise in the XY plane through `centre`; equal angles give the full circle.
TopoDS_Edge arcEdge(const gp_Pnt& centre, double radius, double startAngle, double endAngle);
TopoDS_Edge circleEdge(const gp_Pnt& centre, double radius);

}  // namespace corvex::cadhost::occt
