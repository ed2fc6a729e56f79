#include "cadhost/occt/geometry/curves.hpp"

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <GC_MakeArcOfCircle.hxx>
#include <TopoDS.hxx>
#include <TopLoc_Location.hxx>
#include <gp_Ax2.hxx>
#include <gp_Circ.hxx>

#include <cmath>

#include "automation/error.hpp"

namespace corvex::cadhost::occt {

TopoDS_Edge bulgeSegment(const gp_Pnt& start, const gp_Pnt& end, double bulge) {
    if (std::fabs(bulge) < 1e-12) return BRepBuilderAPI_MakeEdge(start, end).Edge();
    // A positive bulge turns counter-clockwise from start to end, so the arc bows out to the
    // right of the chord; the sagitta is bulge * chord / 2.
    gp_Vec chord(start, end);
    double length = chord.Magnitude();
    gp_Vec right(chord.Y() / length, -chord.X() / length, 0.0);
    gp_Pnt middle = start.Translated(chord * 0.5).Translated(right * (bulge * length / 2.0));
    GC_MakeArcOfCircle arc(start, middle, end);
    if (!arc.IsDone()) throw automation::failure("cannot make the arc of a bulged polyline segment");
    return BRepBuilderAPI_MakeEdge(arc.Value()).Edge();
}

bool polylineClosed(const PolylineGeometry& g) {
    return g.vertices.size() > 2 &&
           g.vertices.front().IsEqual(g.vertices.back(), kPointTolerance);
}

TopoDS_Wire polylineWire(const PolylineGeometry& g) {
    BRepBuilderAPI_MakeWire wire;
    std::size_t segments = 0;
    for (std::size_t i = 0; i + 1 < g.vertices.size(); ++i) {
        gp_Pnt a(g.vertices[i].X(), g.vertices[i].Y(), g.elevation);
        gp_Pnt b(g.vertices[i + 1].X(), g.vertices[i + 1].Y(), g.elevation);
        if (a.Distance(b) <= kPointTolerance) continue;
        wire.Add(bulgeSegment(a, b, g.bulges[i]));
        if (!wire.IsDone())
            throw automation::failure("the segments of the polyline do not join into one curve");
        ++segments;
    }
    if (segments == 0) throw automation::invalidArgument("the polyline has no segment of any length");
    TopoDS_Wire result = wire.Wire();
    if (polylineClosed(g)) result.Closed(true);
    return TopoDS::Wire(result.Moved(TopLoc_Location(g.placement)));
}

TopoDS_Edge arcEdge(const gp_Pnt& centre, double radius, double startAngle, double endAngle) {
    gp_Circ circle(gp_Ax2(centre, gp::DZ()), radius);
    double sweep = std::remainder(endAngle - startAngle, 2 * M_PI);
    if (std::fabs(sweep) < 1e-12) return BRepBuilderAPI_MakeEdge(circle).Edge();
    GC_MakeArcOfCircle arc(circle, startAngle, endAngle, true);
    if (!arc.IsDone()) throw automation::failure("cannot make the arc");
    return BRepBuilderAPI_MakeEdge(arc.Value()).Edge();
}

TopoDS_Edge circleEdge(const gp_Pnt& centre, double radius) {
    return BRepBuilderAPI_MakeEdge(gp_Circ(gp_Ax2(centre, gp::DZ()), radius)).Edge();
}

}  // namespace corvex::cadhost::occt
