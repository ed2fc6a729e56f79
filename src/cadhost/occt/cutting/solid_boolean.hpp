#pragma once
// Booleans of whole solids as the host's members ask for them: a subtraction guarded like
// every cut of a workpiece, and the common volume of two solids.
#include <TopoDS_Shape.hxx>

#include <functional>

#include "cadhost/model.hpp"

namespace corvex::cadhost::occt {

// a (op) b. A subtraction is guarded: the volume may only shrink, by no more than b's
// volume, and the result must be valid; failing that it is retried with a fuzzy value and
// then with b shifted by 1e-6, and otherwise fails, leaving nothing changed.
TopoDS_Shape solidBoolean(const TopoDS_Shape& a, const TopoDS_Shape& b, BooleanOp operation);
// The common volume, or a null shape when the two do not share any volume.
TopoDS_Shape solidCommon(const TopoDS_Shape& a, const TopoDS_Shape& b);
// For tests: sees (and may replace) every common volume the kernel makes.
void setCommonHookForTesting(std::function<TopoDS_Shape(const TopoDS_Shape&)> hook);

}  // namespace corvex::cadhost::occt
