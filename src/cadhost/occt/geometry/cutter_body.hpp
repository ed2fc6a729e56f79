#pragma once
// The exact body of a milling cutter, as a solid of revolution about its vertical axis: a
// cylinder of the cutter's radius whose tip is flat, rounded by a corner (a bull-nose; a ball
// when the corner is the radius) or pointed by a cone (a V-bit, with a flat tip of its own
// diameter or none). The profile is made of true lines and quarter circles, not the member's
// outline with its fixed bulge. Every function fails with an automation::Error.
#include <TopoDS_Shape.hxx>
#include <gp_Pnt.hxx>

namespace corvex::cadhost::occt {

struct CutterProfile {
    double radius = 0;
    double corner = 0;  // 0 flat, the radius a ball
    double angle = 0;   // a V-bit's included angle in degrees; 0 for the others
    double tip = 0;     // a V-bit's tip diameter, 0 pointed
};

// The cutter's body with the centre of its tip at `tip`, reaching `height` above it. A straight
// plunge or lift sweeps exactly this body, at the lower end, as tall as the cutter plus the move.
TopoDS_Shape cutterBody(const CutterProfile& cutter, const gp_Pnt& tip, double height);

}  // namespace corvex::cadhost::occt
