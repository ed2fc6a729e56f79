#include "cadhost/occt/cutting/solid_boolean.hpp"

#include <BRepBndLib.hxx>
#include <Bnd_Box.hxx>

#include "automation/error.hpp"
#include "cadhost/occt/cutting/guarded_cut.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt {

TopoDS_Shape solidBoolean(const TopoDS_Shape& a, const TopoDS_Shape& b, BooleanOp operation) {
    if (operation == BooleanOp::Subtraction) {
        PartShape part{.shape = a, .volume = solidVolume(a)};
        Bnd_Box box;
        BRepBndLib::Add(a, box, false);
        if (!subtractChecked(part, {CutTool{.shape = b, .volume = solidVolume(b)}}, evidenceOf(a, box, {b})))
            throw automation::failure("the subtraction was refused: " + part.refusal +
                                      ", even when retried; the solid was left as it was");
        return part.shape;
    }
    TopoDS_Shape result = runBoolean({a}, {b}, operation, 0);
    if (result.IsNull() || !isValidShape(result))
        throw automation::failure("the Boolean operation failed in the geometry kernel");
    return result;
}

namespace {
std::function<TopoDS_Shape(const TopoDS_Shape&)>& commonHook() {
    static std::function<TopoDS_Shape(const TopoDS_Shape&)> hook;
    return hook;
}
}  // namespace

void setCommonHookForTesting(std::function<TopoDS_Shape(const TopoDS_Shape&)> hook) { commonHook() = std::move(hook); }

TopoDS_Shape solidCommon(const TopoDS_Shape& a, const TopoDS_Shape& b) {
    TopoDS_Shape result = runBoolean({a}, {b}, BooleanOp::Intersection, 0);
    if (commonHook() && !result.IsNull()) result = commonHook()(result);
    if (result.IsNull()) throw automation::failure("the interference check failed in the geometry kernel");
    // Solids that only touch give a common part with no volume: that is no interference.
    if (countSolids(result) == 0 || solidVolume(result) <= 1e-12) return {};
    return result;
}

}  // namespace corvex::cadhost::occt
