#pragma once
// The curve on a bull-nose's torus where its normal is square to a sloping move: where the
// torus turns from facing back to facing forwards, its silhouette seen along the move. On the
// back half of the lower outer quarter (for a move going down) tan(v) = h cos(theta) / w, h the
// move's level length and w its fall; the curve has no closed form in space, so it is
// interpolated through exact points of it, both in space and as (u, v) of the torus, and
// refined until neither strays more than kSilhouetteTolerance from the true curve. Fails with
// an automation::Error.
#include <Geom2d_BSplineCurve.hxx>
#include <Geom_BSplineCurve.hxx>
#include <Geom_ToroidalSurface.hxx>

namespace corvex::cadhost::occt {

// How far the interpolated silhouette may lie from the true one.
inline constexpr double kSilhouetteTolerance = 1e-6;

struct TorusSilhouette {
    Handle(Geom_BSplineCurve) curve;     // in space, by its length from 0 to `last`
    Handle(Geom2d_BSplineCurve) onTorus;  // the same, as (u, v) of the torus
    double last = 0;
    double tolerance = 0;  // how far the two may lie from each other and from the true curve
};

// On `torus` (the body's, its v from 3 pi / 2 at the bottom to 2 pi at the equator), from u =
// `first` (square to the move, on its left) round the back to `first` + pi, for a move of level
// length `along` and fall `down`.
TorusSilhouette torusSilhouette(const Handle(Geom_ToroidalSurface) & torus, double along, double down, double first);

}  // namespace corvex::cadhost::occt
