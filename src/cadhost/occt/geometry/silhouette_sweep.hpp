#pragma once
// The exact solid a flat, bull-nose or V-bit cutter sweeps along a straight sloping move, made
// face by face with no Boolean. The cutter is convex, so its sweep is bounded by the part of its
// body that faces backwards (along the move) at the start, the part that faces forwards at the
// end, and the silhouette between the two, seen along the move, extruded along it. The body is
// a stack of bands of revolution (the tip's disc, a cone, a quarter torus, the shank's cylinder,
// the top's disc); each band is cut at the angles round the axis where a band's facing turns,
// and each piece goes to the start or to the end. The silhouette is then made of circle arcs
// where two bands meet facing different ways, straight lines along a cone or cylinder where it
// turns, and on a bull-nose the curve of the torus where its normal is square to the move: that
// curve alone has no closed form, and is interpolated through exact points of it to within
// 1e-6 mm (torus_silhouette.hpp). A ball's sweep is made elsewhere (cutter_sweep.hpp). Fails
// with an automation::Error.
#include <TopoDS_Shape.hxx>
#include <gp_Pnt.hxx>

#include "cadhost/occt/geometry/cutter_body.hpp"

namespace corvex::cadhost::occt {

// The sweep of a cutter (not a ball) of `length` whose tip moves from `from` to `to`; the move
// must change height and position both (straightSweep takes plunges and level moves).
TopoDS_Shape silhouetteSweep(const CutterProfile& cutter, double length, const gp_Pnt& from, const gp_Pnt& to);

}  // namespace corvex::cadhost::occt
