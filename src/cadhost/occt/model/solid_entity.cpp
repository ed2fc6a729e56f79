#include <BRepGProp.hxx>
#include <GProp_GProps.hxx>
#include <TopLoc_Location.hxx>
#include <gp.hxx>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/occt/model/entities.hpp"
#include "cadhost/occt/model/entity_args.hpp"
#include "cadhost/occt/geometry/regions.hpp"
#include "cadhost/occt/cutting/solid_boolean.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"
#include "cadhost/occt/geometry/spline_extrusions.hpp"

namespace corvex::cadhost::occt {

SolidEntity::SolidEntity(TopoDS_Shape shape, std::optional<SweepOrigin> sweep)
    : cuts_(shape), sweep_(std::move(sweep)) {
    if (cutLedgerEnabled()) {
        ledger_.stock = std::move(shape);
        ledger_.complete = true;
    }
}

void SolidEntity::Boolean(const Variant& operation, const Variant& other) {
    hostCall(journal(), describe(), "Boolean", {operation, other}, [&](JournalEntry&) {
        auto& drawing = live();
        auto op = booleanOpArg(operation);
        auto tool = entityArgOf<SolidEntity>(other, "the other solid");
        if (tool.get() == this) throw automation::invalidArgument("a solid cannot be combined with itself");
        if (op == BooleanOp::Subtraction) {
            subtract(*tool, drawing);
        } else {
            replaceShape(solidBoolean(shape(), tool->shape(), op));
        }
        drawing.erase(*tool);
    });
}

std::shared_ptr<Solid3D> SolidEntity::CheckInterference(const Variant& other, const Variant& create) {
    return hostCall(journal(), describe(), "CheckInterference", {other, create},
                    [&](JournalEntry& entry) -> std::shared_ptr<Solid3D> {
        auto& drawing = live();
        auto tool = entityArgOf<SolidEntity>(other, "the other solid");
        bool makeSolid = automation::toBoolean(create);
        TopoDS_Shape common = solidCommon(shape(), tool->shape());
        if (common.IsNull() || !makeSolid) {
            entry.result(Variant::object(nullptr));
            return nullptr;
        }
        auto solid = std::make_shared<SolidEntity>(common);
        solid->interference_ = InterferenceOrigin{cuts_.stamp(), cuts_.cutsAsked(), tool->shape()};
        drawing.add(solid);
        entry.result(Variant::object(solid));
        return solid;
    });
}

Variant SolidEntity::Centroid() {
    return hostCall(journal(), describe(), "Centroid", {}, [&](JournalEntry& entry) {
        live();
        const GProp_GProps properties = volumeProperties(shape());
        if (properties.Mass() <= 0)
            throw automation::failure(describe() + " has no volume, so it has no centroid");
        gp_Pnt c = properties.CentreOfMass();
        auto point = Variant::point(c.X(), c.Y(), c.Z());
        entry.result(point);
        return point;
    });
}

void SolidEntity::transform(const gp_Trsf& motion) {
    cuts_.transform(motion);
    interference_.reset();
    ledger_.placement = motion * ledger_.placement;
    if (sweep_) sweep_ = movedSweep(*sweep_, motion);
    shadow_.reset();  // kept only for the solid where it was made
}

void SolidEntity::replaceShape(TopoDS_Shape shape) {
    cuts_.replace(std::move(shape));
    interference_.reset();
    ledger_.complete = false;
    sweep_.reset();
    shadow_.reset();
}

void SolidEntity::subtract(const SolidEntity& tool, DrawingState& drawing) {
    QueuedCut cut;
    cut.tool = tool.shape();
    cut.sweep = tool.sweepOrigin();
    cut.shadow = tool.shadow_;
    cut.toolVolume = tool.volume();
    if (tool.interference_ && tool.interference_->workpiece == cuts_.stamp()) {
        cut.sameCut = tool.interference_->with;
        cut.removesAll = tool.interference_->cutsAsked == cuts_.cutsAsked();
    }
    interference_.reset();
    // Cut, the solid is no longer the region it was swept from: merged by that region, a ring
    // made as a disc less a hole would cut the whole disc.
    sweep_.reset();
    // The ledger keeps the whole solid a common part was taken from: it leaves the same part,
    // and it is the client's own, not a Boolean's.
    if (ledger_.complete) ledger_.tools.push_back(movedShape(cut.askedSolid(), ledger_.placement.Inverted()));
    cut.call = drawing.currentCall.empty() ? describe() + ".Boolean with " + tool.describe() : drawing.currentCall;
    cuts_.subtract(std::move(cut), drawing.eagerSubtraction, drawing.floorMap);
}

void RegionEntity::Boolean(const Variant& operation, const Variant& other) {
    hostCall(journal(), describe(), "Boolean", {operation, other}, [&](JournalEntry&) {
        auto& drawing = live();
        auto op = booleanOpArg(operation);
        auto region = entityArgOf<RegionEntity>(other, "the other region");
        if (region.get() == this) throw automation::invalidArgument("a region cannot be combined with itself");
        faces_ = regionBoolean(faces_, region->shape(), op);
        drawing.erase(*region);
    });
}

void RegionEntity::transform(const gp_Trsf& motion) { faces_ = movedShape(faces_, motion); }

}  // namespace corvex::cadhost::occt
