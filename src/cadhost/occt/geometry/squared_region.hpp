#pragma once
// A region to be revolved, with its lines that lie within a millionth of a radian of square or
// parallel to the axis made exactly so (internal). A client turns by degrees times a decimal
// factor, so a quarter ring's side ends up 1.3e-7 rad off square: revolved, it is a cone 1.3e-7
// rad from a plane (or, off parallel, one whose apex lies 5e7 mm away), and the kernel's line
// intersections with such a cone are ill-conditioned. A point 1.17 mm inside a turned part was
// classified outside or inside as its tenth digit changed, and the guard's rays and Booleans
// on such parts have gone wrong. Squared, the side revolves into an exact plane or cylinder; no
// point moves by more than a millionth of the line's length.
#include <TopoDS_Shape.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Ax1.hxx>

namespace corvex::cadhost::occt {

// `region` (planar faces) with such lines squared, or `region` itself when it has none or
// when the squared faces cannot be made.
TopoDS_Shape regionSquaredToAxis(const TopoDS_Shape& region, const gp_Ax1& axis);

// A planar region to be swept along a straight path, turned square to it about the path's start
// when it is within 1e-5 rad of square (else `region` itself). The mill's path sweep stands its
// outline up by 1.57079 rad, 6.3e-6 short of square, so the sweep's end face met a block's face
// it ended on at that angle; the kernel left edges 0.047 mm from the faces they bound there, and
// the written drawing differed from the part by 2.5 mm3. Square, no point of a 30 mm tool moves
// by more than 0.2 micrometres.
TopoDS_Shape regionSquaredToPath(const TopoDS_Shape& region, const TopoDS_Wire& path);

}  // namespace corvex::cadhost::occt
