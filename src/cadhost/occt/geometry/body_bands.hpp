#pragma once
// A cutter's body divided along its silhouette for a motion that moves it in a direction, at
// its start or at its end: the body is a stack of bands of revolution (the tip's disc, a cone,
// a quarter torus, the shank's cylinder, the top's disc); each band is cut at the angles round
// the axis where its facing turns, and each piece faces back (it bounds the sweep at the
// motion's start) or forwards (at its end). Between them the silhouette, seen along the motion:
// circle arcs where two bands meet facing different ways, straight lines along a cone or
// cylinder where it turns, on a bull-nose the curve of the torus where its normal is square to
// the motion (torus_silhouette.hpp), and on a ball the half of the great circle square to it. A sweep joins the back pieces at its start, the forward
// pieces at its end, and the silhouette carried along the motion between them: along a line
// (silhouette_sweep.hpp) or a helix (screw_sweep.hpp). Fails with an automation::Error.
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Ax3.hxx>
#include <gp_Pnt.hxx>
#include <gp_Vec.hxx>

#include <vector>

#include "cadhost/occt/geometry/cutter_body.hpp"

namespace corvex::cadhost::occt {

// The motion (going down) as the body sees it where it stands: `forward` and `left` level, an
// angle `theta` round the axis from forward towards left. The surfaces are the body's own (its
// axis, turned from the drawing's X as cutterBody turns them), so that where a sweep meets the
// hole of a plunge their faces lie on the very same surfaces: tori placed otherwise made
// subtractions that grew the part.
struct MotionFrame {
    gp_Pnt tip;
    gp_Vec forward, left;
    double along, down;  // the motion's level and downward speeds, both above 0

    MotionFrame(const gp_Pnt& tip, const gp_Vec& forward, double along, double down);
    // The surfaces' parameter round the axis at `theta`, from 0 to 2 pi.
    double turn(double theta) const;
    gp_Pnt at(double theta, double radius, double height) const;
    gp_Ax3 axes(double height) const;
};

struct DividedBody {
    std::vector<TopoDS_Face> behind, ahead;
    std::vector<TopoDS_Edge> silhouette;
    double tolerance = 0;  // how far the silhouette's edges may stray: the sewing's tolerance
};

// The body of `cutter`, `length` tall, where `frame` stands.
DividedBody bodyFacing(const CutterProfile& cutter, double length, const MotionFrame& frame);

// The solid the faces bound, sewn within `tolerance`, its pieces of one surface made one face
// where the kernel can, and checked valid.
TopoDS_Shape sweepSolid(const std::vector<TopoDS_Face>& faces, double tolerance);

}  // namespace corvex::cadhost::occt
