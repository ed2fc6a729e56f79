#pragma once
// Making and combining solids (internal). Every function fails with an automation::Error.
#include <TopoDS_Shape.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Ax1.hxx>
#include <gp_Pnt.hxx>
#include <gp_Trsf.hxx>

#include <vector>

#include "cadhost/model.hpp"

namespace corvex::cadhost::occt {

TopoDS_Shape makeCylinder(const gp_Pnt& centre, double radius, double height);
TopoDS_Shape makeBox(const gp_Pnt& corner0, const gp_Pnt& corner1);

// The region's faces moved along their plane normal (the one with a non-negative Z).
TopoDS_Shape extrudeRegion(const TopoDS_Shape& region, double height);
// A full turn when |angle| >= 2*pi; otherwise the signed angle by the right-hand rule. Lines
// within 1e-6 rad of square or parallel to the axis are turned as exactly so (see
// squared_region.hpp).
TopoDS_Shape revolveRegion(const TopoDS_Shape& region, const gp_Ax1& axis, double angle);
TopoDS_Shape sweepRegion(const TopoDS_Shape& region, const TopoDS_Shape& path);

// The number of solids in a shape and its volume (0 for none).
int countSolids(const TopoDS_Shape& shape);
double solidVolume(const TopoDS_Shape& shape);
bool isValidShape(const TopoDS_Shape& shape);

int countFaces(const TopoDS_Shape& shape);

// The shape after a rigid motion, placed by one transformation. Moving a shape by composing
// locations makes a chain one link longer per move, and every later look at a face walks it:
// after two thousand tool moves that was 3 ms a move.
TopoDS_Shape movedShape(const TopoDS_Shape& shape, const gp_Trsf& motion);

// The union of `solids` in one attempt of the kernel's fuse; a null shape when the kernel reports
// failure or runs longer than booleanSeconds() (see kernel_time_limit.hpp). `glued`: the solids
// meet only on whole faces they share (the kernel's glue option, which skips intersecting their
// surfaces). `keepSolids`: the solids are not modified in place.
TopoDS_Shape fusedSolids(const std::vector<TopoDS_Shape>& solids, bool glued, bool keepSolids);

// One attempt of the kernel's Boolean of `arguments` with `tools` (a subtraction takes every
// tool from every argument); a null shape when the kernel reports failure or runs longer than
// booleanSeconds(), which then sets `ranOutOfTime` when it is given. Unguarded.
TopoDS_Shape runBoolean(const std::vector<TopoDS_Shape>& arguments, const std::vector<TopoDS_Shape>& tools,
                        BooleanOp operation, double fuzzy, bool* ranOutOfTime = nullptr);

}  // namespace corvex::cadhost::occt
