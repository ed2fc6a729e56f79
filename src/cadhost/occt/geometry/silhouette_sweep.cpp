#include "cadhost/occt/geometry/silhouette_sweep.hpp"

#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRep_Tool.hxx>
#include <Geom_BSplineCurve.hxx>
#include <Geom_RectangularTrimmedSurface.hxx>
#include <Geom_SurfaceOfLinearExtrusion.hxx>
#include <Standard_Failure.hxx>
#include <TopoDS.hxx>

#include <cmath>
#include <string>
#include <vector>

#include "automation/error.hpp"
#include "cadhost/occt/geometry/body_bands.hpp"

namespace corvex::cadhost::occt {
namespace {

// An edge of the silhouette extruded along the move. The torus's curve keeps its extrusion
// and does not become the same surface as a spline surface: where a later cut's sweep touches
// the torus it came from, the kernel's Booleans met the extrusion forty times faster. Its
// volume is measured as the spline's (spline_extrusions.hpp).
TopoDS_Face extruded(const TopoDS_Edge& edge, const gp_Vec& move) {
    double first = 0, last = 0;
    const Handle(Geom_Curve) curve = BRep_Tool::Curve(edge, first, last);
    if (!curve->IsKind(STANDARD_TYPE(Geom_BSplineCurve))) return TopoDS::Face(BRepPrimAPI_MakePrism(edge, move).Shape());
    Handle(Geom_Surface) extrusion = new Geom_RectangularTrimmedSurface(
        new Geom_SurfaceOfLinearExtrusion(curve, gp_Dir(move)), first, last, 0, move.Magnitude());
    return BRepBuilderAPI_MakeFace(extrusion, 1e-7).Face();
}

}  // namespace

TopoDS_Shape silhouetteSweep(const CutterProfile& cutter, double length, const gp_Pnt& from, const gp_Pnt& to) {
    // The sweep is the same either way along the move: made going down.
    const gp_Pnt& high = from.Z() >= to.Z() ? from : to;
    const gp_Pnt& low = from.Z() >= to.Z() ? to : from;
    const double along = std::hypot(low.X() - high.X(), low.Y() - high.Y()), down = high.Z() - low.Z();
    if (!(along > 0) || !(down > 0)) throw automation::invalidArgument("a sloping move must change height and position");
    if (cutter.angle == 0 && cutter.corner >= cutter.radius)
        throw automation::invalidArgument("a ball's sloping sweep is made as a pass");
    cutterBody(cutter, high, length);  // the same checks of the cutter as its body's
    const MotionFrame frame(high, gp_Vec((low.X() - high.X()) / along, (low.Y() - high.Y()) / along, 0), along, down);
    const gp_Vec move(high, low);
    gp_Trsf shift;
    shift.SetTranslation(move);
    const TopLoc_Location atEnd(shift);
    try {
        const DividedBody body = bodyFacing(cutter, length, frame);
        std::vector<TopoDS_Face> faces = body.behind;
        for (const TopoDS_Face& face : body.ahead) faces.push_back(TopoDS::Face(face.Moved(atEnd)));
        for (const TopoDS_Edge& edge : body.silhouette) faces.push_back(extruded(edge, move));
        return sweepSolid(faces, body.tolerance);
    } catch (const Standard_Failure& failure) {
        throw automation::failure(std::string("making a cutter's sweep failed in OpenCASCADE: ") + failure.GetMessageString());
    }
}

}  // namespace corvex::cadhost::occt
