#include <BRepGProp.hxx>
#include <GProp_GProps.hxx>
#include <TopLoc_Location.hxx>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/occt/entities.hpp"
#include "cadhost/occt/entity_args.hpp"
#include "cadhost/occt/regions.hpp"
#include "cadhost/occt/solid_ops.hpp"

namespace corvex::cadhost::occt {

void SolidEntity::Boolean(const Variant& operation, const Variant& other) {
    hostCall(journal(), describe(), "Boolean", {operation, other}, [&](JournalEntry&) {
        auto& drawing = live();
        auto op = booleanOpArg(operation);
        auto tool = entityArgOf<SolidEntity>(other, "the other solid");
        if (tool.get() == this) throw automation::invalidArgument("a solid cannot be combined with itself");
        if (op == BooleanOp::Subtraction) {
            subtractFrom(tool->shape());
        } else {
            replaceShape(solidBoolean(shape_, tool->shape(), op));
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
        TopoDS_Shape common = solidCommon(shape_, tool->shape());
        if (common.IsNull() || !makeSolid) {
            entry.result(Variant::object(nullptr));
            return nullptr;
        }
        auto solid = std::make_shared<SolidEntity>(common);
        drawing.add(solid);
        entry.result(Variant::object(solid));
        return solid;
    });
}

Variant SolidEntity::Centroid() {
    return hostCall(journal(), describe(), "Centroid", {}, [&](JournalEntry& entry) {
        live();
        GProp_GProps properties;
        BRepGProp::VolumeProperties(shape_, properties);
        if (properties.Mass() <= 0)
            throw automation::failure(describe() + " has no volume, so it has no centroid");
        gp_Pnt c = properties.CentreOfMass();
        auto point = Variant::point(c.X(), c.Y(), c.Z());
        entry.result(point);
        return point;
    });
}

void SolidEntity::transform(const gp_Trsf& motion) { shape_ = shape_.Moved(TopLoc_Location(motion)); }

void SolidEntity::replaceShape(TopoDS_Shape shape) {
    shape_ = std::move(shape);
    volume_ = -1;
    facesAtLastMerge_ = -1;
}

double SolidEntity::volume() const {
    if (volume_ < 0) volume_ = solidVolume(shape_);
    return volume_;
}

void SolidEntity::subtractFrom(const TopoDS_Shape& tool) {
    auto cut = subtractGuarded(shape_, volume(), tool);
    // Every cut splits the faces it crosses; merging them back costs about as much as a cut,
    // so it is done once the part has gained a few dozen faces since the last merge.
    constexpr int kFacesBeforeMerge = 30;
    int faces = countFaces(cut.shape);
    if (facesAtLastMerge_ < 0) facesAtLastMerge_ = countFaces(shape_);
    if (faces >= facesAtLastMerge_ + kFacesBeforeMerge) {
        cut.shape = unifyFacesGuarded(cut.shape, cut.volume);
        facesAtLastMerge_ = countFaces(cut.shape);
    }
    shape_ = cut.shape;
    volume_ = cut.volume;
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

void RegionEntity::transform(const gp_Trsf& motion) { faces_ = faces_.Moved(TopLoc_Location(motion)); }

}  // namespace corvex::cadhost::occt
