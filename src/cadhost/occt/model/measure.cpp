// Measurements of entities for tests, the runner and benchmarks.
#include <BRepBndLib.hxx>
#include <BRepGProp.hxx>
#include <Bnd_Box.hxx>
#include <GProp_GProps.hxx>
#include <TopExp_Explorer.hxx>

#include "automation/error.hpp"
#include "cadhost/occt/model/embedded_host.hpp"
#include "cadhost/occt/model/entities.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"
#include "cadhost/occt/geometry/spline_extrusions.hpp"

namespace corvex::cadhost::occt {
namespace {

const EntityBase& base(const Entity& entity) {
    auto* b = dynamic_cast<const EntityBase*>(&entity);
    if (!b) throw automation::typeMismatch("not an entity of the embedded host");
    return *b;
}

BoundingBox boxOf(const TopoDS_Shape& shape) {
    BoundingBox result;
    if (shape.IsNull()) return result;
    Bnd_Box box;
    BRepBndLib::AddOptimal(shape, box, false, false);
    if (box.IsVoid()) return result;
    box.Get(result.min[0], result.min[1], result.min[2], result.max[0], result.max[1], result.max[2]);
    return result;
}

}  // namespace

SolidMeasure measureSolid(const Entity& entity) {
    auto* solid = dynamic_cast<const SolidEntity*>(&entity);
    if (!solid) throw automation::typeMismatch(entity.describe() + " is not a solid of the embedded host");
    SolidMeasure m;
    TopoDS_Shape shape = solid->shape();
    const GProp_GProps properties = volumeProperties(shape);
    m.volume = properties.Mass();
    if (m.volume > 0) {
        gp_Pnt c = properties.CentreOfMass();
        m.centroid = {c.X(), c.Y(), c.Z()};
    }
    m.box = boxOf(shape);
    m.solids = countSolids(shape);
    m.faces = countFaces(shape);
    m.valid = isValidShape(shape);
    return m;
}

double measureVolume(const Entity& entity) {
    auto* solid = dynamic_cast<const SolidEntity*>(&entity);
    if (!solid) throw automation::typeMismatch(entity.describe() + " is not a solid of the embedded host");
    return solid->volume();
}

RegionMeasure measureRegion(const Entity& entity) {
    auto* region = dynamic_cast<const RegionEntity*>(&entity);
    if (!region) throw automation::typeMismatch(entity.describe() + " is not a region of the embedded host");
    RegionMeasure m;
    GProp_GProps properties;
    BRepGProp::SurfaceProperties(region->shape(), properties);
    m.area = properties.Mass();
    if (m.area > 0) {
        gp_Pnt c = properties.CentreOfMass();
        m.centroid = {c.X(), c.Y(), c.Z()};
    }
    m.box = boxOf(region->shape());
    m.faces = countFaces(region->shape());
    return m;
}

BoundingBox boundingBox(const Entity& entity) { return boxOf(base(entity).shape()); }
int entityId(const Entity& entity) { return base(entity).id(); }
bool entityVisible(const Entity& entity) { return base(entity).visible(); }
bool entityDeleted(const Entity& entity) { return base(entity).deleted(); }
std::string entityColour(const Entity& entity) { return base(entity).colour(); }

}  // namespace corvex::cadhost::occt
