#pragma once
// Volumes measured right on faces that lie on an extrusion of a spline (a bull-nose's sweep
// along a slope has one, see silhouette_sweep.hpp). The kernel integrates such a surface over
// its whole length as one span, whatever the spline's many spans: a sweep's volume came out
// 3 % off, and the same measure with an adaptive rule no better. Such a face is measured as the
// spline surface with the same parameters (its curves on the surface hold unchanged); the
// kernel's Booleans keep meeting the extrusion itself, forty times faster where it touches the
// torus it came from. Faces on spline surfaces (a helix's sweep, see screw_sweep.hpp), on which
// the quick rule strays by 1e-4, and on extrusions of other curves (a circle's, 0.94 mm3 off
// on one face of a part a flat end mill's ramp had cut), are measured adaptively too. Faces on
// other surfaces are measured as the kernel measures them.
#include <GProp_GProps.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Pnt.hxx>

namespace corvex::cadhost::occt {

// The face's share of a volume (the signed cone from `origin` over it), as the kernel
// integrates it (adaptively to `accuracy` when above 0), a face on a spline surface or a
// spline's extrusion always adaptively.
GProp_GProps faceVolumeProperties(const TopoDS_Face& face, const gp_Pnt& origin, double accuracy = 0);

// BRepGProp::VolumeProperties of the shape (adaptive to `accuracy` when above 0), with every
// face measurable.
GProp_GProps volumeProperties(const TopoDS_Shape& shape, double accuracy = 0);

}  // namespace corvex::cadhost::occt
