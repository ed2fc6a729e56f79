#pragma once
// Booleans of whole solids as the host's members ask for them: a subtraction guarded like
// every cut of a workpiece, and the common volume of two solids.
#include <TopoDS_Shape.hxx>

#include <functional>

#include "cadhost/model.hpp"

namespace corvex::cadhost::occt {

// a (op) b. A subtraction is guarded as every cut of a workpiece is (see guarded_cut.hpp):
// a result the checks refuse is retried, and otherwise it fails, leaving nothing changed.
TopoDS_Shape solidBoolean(const TopoDS_Shape& a, const TopoDS_Shape& b, BooleanOp operation);
// The common volume, or a null shape when the two do not share any volume.
TopoDS_Shape solidCommon(const TopoDS_Shape& a, const TopoDS_Shape& b);
// For tests: sees (and may replace) every common volume the kernel makes.
void setCommonHookForTesting(std::function<TopoDS_Shape(const TopoDS_Shape&)> hook);

}  // namespace corvex::cadhost::occt
