#include "cadhost/occt/geometry/cutter_body.hpp"

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepPrimAPI_MakeRevol.hxx>
#include <GC_MakeArcOfCircle.hxx>
#include <Standard_Failure.hxx>
#include <gp_Ax1.hxx>
#include <gp_Circ.hxx>

#include <cmath>
#include <string>
#include <vector>

#include "automation/error.hpp"

namespace corvex::cadhost::occt {
namespace {

// Shorter than this, a piece of the profile is left out: its ends are one point.
constexpr double kPoint = 1e-7;

}  // namespace

TopoDS_Shape cutterBody(const CutterProfile& cutter, const gp_Pnt& tip, double height) {
    const double r = cutter.radius, c = cutter.corner;
    if (!(r > 0) || !(height > 0) || !(c >= 0 && c <= r) || !(cutter.angle >= 0 && cutter.angle < 180) ||
        !(cutter.tip >= 0 && cutter.tip / 2 < r))
        throw automation::invalidArgument("a cutter needs a radius and a height above 0, a corner from 0 to its radius, "
                                          "and a V-bit an angle below 180 degrees and a tip narrower than it");
    if (c > height) throw automation::invalidArgument("a cutter's corner cannot be taller than its body");
    // The profile in the plane through the axis, along +X from it; (across, up) from the tip.
    const double x0 = tip.X(), y0 = tip.Y(), z0 = tip.Z();
    auto at = [&](double across, double up) { return gp_Pnt(x0 + across, y0, z0 + up); };
    BRepBuilderAPI_MakeWire wire;
    auto line = [&](double a0, double u0, double a1, double u1) {
        if (std::hypot(a1 - a0, u1 - u0) > kPoint) wire.Add(BRepBuilderAPI_MakeEdge(at(a0, u0), at(a1, u1)).Edge());
    };
    try {
        double across = 0, up = 0;  // where the profile has reached on the cutter's side
        if (cutter.angle > 0) {
            const double flank = (r - cutter.tip / 2) / std::tan(cutter.angle / 2 * M_PI / 180);
            line(0, 0, cutter.tip / 2, 0);
            // A cone taller than the body ends where the body does.
            const double top = std::min(flank, height);
            line(cutter.tip / 2, 0, cutter.tip / 2 + (r - cutter.tip / 2) * top / flank, top);
            across = cutter.tip / 2 + (r - cutter.tip / 2) * top / flank, up = top;
        } else if (c > kPoint) {
            line(0, 0, r - c, 0);
            // A quarter circle about (r - c, c), from below its centre to beside it.
            const gp_Circ circle(gp_Ax2(at(r - c, c), gp_Dir(0, -1, 0), gp_Dir(1, 0, 0)), c);
            wire.Add(BRepBuilderAPI_MakeEdge(GC_MakeArcOfCircle(circle, at(r - c, 0), at(r, c), true).Value()).Edge());
            across = r, up = c;
        } else {
            line(0, 0, r, 0);
            across = r;
        }
        // Up the side to the top; a V-bit whose cone is taller than the body has no side.
        const double side = up < height ? r : across;
        line(across, up, side, height);
        line(side, height, 0, height);
        line(0, height, 0, 0);
        if (!wire.IsDone()) throw automation::failure("the cutter's profile is not one closed wire");
        BRepBuilderAPI_MakeFace face(wire.Wire(), true);
        if (!face.IsDone()) throw automation::failure("the cutter's profile encloses no plane region");
        BRepPrimAPI_MakeRevol body(face.Face(), gp_Ax1(tip, gp_Dir(0, 0, 1)), 2 * M_PI);
        if (!body.IsDone()) throw automation::failure("the cutter's profile could not be turned into a body");
        return body.Shape();
    } catch (const Standard_Failure& failure) {
        throw automation::failure(std::string("making a cutter's body failed in OpenCASCADE: ") +
                                  failure.GetMessageString());
    }
}

}  // namespace corvex::cadhost::occt
