#include "cadhost/occt/model/model_space.hpp"

#include <gp_Ax1.hxx>

#include <cmath>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/occt/geometry/curves.hpp"
#include "cadhost/occt/model/entities.hpp"
#include "cadhost/occt/model/entity_args.hpp"
#include "cadhost/occt/geometry/regions.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt {
namespace {

// Adds a new entity of the concrete kind `E` and hands it out as the model's kind `T`.
template <typename T, typename E>
std::shared_ptr<T> added(DrawingState& drawing, JournalEntry& entry, std::shared_ptr<E> entity) {
    drawing.add(entity);
    entry.result(Variant::object(entity));
    return entity;
}

std::shared_ptr<Solid3D> addSolid(DrawingState& drawing, JournalEntry& entry, TopoDS_Shape shape,
                                  std::optional<SweepOrigin> prism = std::nullopt) {
    if (countSolids(shape) == 0) throw automation::failure("the operation made no solid");
    return added<Solid3D>(drawing, entry, std::make_shared<SolidEntity>(std::move(shape), std::move(prism)));
}

std::vector<double> vertexList(const Variant& vertices) {
    if (!vertices.isArray())
        throw automation::typeMismatch("the vertex list must be an array of numbers");
    const auto& list = vertices.asArray();
    if (list.size() % 3 != 0)
        throw automation::invalidArgument("the vertex list must hold three numbers per vertex, got " +
                                          std::to_string(list.size()));
    if (list.size() < 6) throw automation::invalidArgument("a polyline needs at least two vertices");
    std::vector<double> numbers;
    numbers.reserve(list.size());
    for (const auto& item : list.items()) numbers.push_back(numberArg(item, "a vertex coordinate"));
    return numbers;
}

// The shape of a region argument, taken from an entity list element.
TopoDS_Shape regionShape(const Variant& region) {
    return entityArgOf<RegionEntity>(region, "the region")->shape();
}

}  // namespace

DrawingState& ModelSpaceImpl::drawing() { return *drawing_; }

std::shared_ptr<Solid3D> ModelSpaceImpl::AddCylinder(const Variant& centre, const Variant& radius,
                                                     const Variant& height) {
    return hostCall(journal(), describe(), "AddCylinder", {centre, radius, height},
                    [&](JournalEntry& entry) {
        gp_Pnt c = pointArg(centre, "the centre");
        double r = positiveArg(radius, "the radius"), h = positiveArg(height, "the height");
        return addSolid(drawing(), entry, makeCylinder(c, r, h), cylinderPrismOrigin(c, r, h));
    });
}

std::shared_ptr<Polyline> ModelSpaceImpl::AddPolyline(const Variant& vertices) {
    return hostCall(journal(), describe(), "AddPolyline", {vertices}, [&](JournalEntry& entry) {
        auto numbers = vertexList(vertices);
        PolylineGeometry geometry;
        geometry.elevation = numbers[2];
        for (std::size_t i = 0; i < numbers.size(); i += 3)
            geometry.vertices.emplace_back(numbers[i], numbers[i + 1]);
        geometry.bulges.assign(geometry.vertices.size(), 0.0);
        return added<Polyline>(drawing(), entry, std::make_shared<PolylineEntity>(geometry));
    });
}

std::shared_ptr<Line> ModelSpaceImpl::AddLine(const Variant& start, const Variant& end) {
    return hostCall(journal(), describe(), "AddLine", {start, end}, [&](JournalEntry& entry) {
        auto line = std::make_shared<LineEntity>(pointArg(start, "the start point"),
                                                 pointArg(end, "the end point"));
        return added<Line>(drawing(), entry, line);
    });
}

std::shared_ptr<Arc> ModelSpaceImpl::AddArc(const Variant& centre, const Variant& radius,
                                            const Variant& startAngle, const Variant& endAngle) {
    return hostCall(journal(), describe(), "AddArc", {centre, radius, startAngle, endAngle},
                    [&](JournalEntry& entry) {
        auto arc = std::make_shared<ArcEntity>(pointArg(centre, "the centre"),
                                               positiveArg(radius, "the radius"),
                                               numberArg(startAngle, "the start angle"),
                                               numberArg(endAngle, "the end angle"));
        return added<Arc>(drawing(), entry, arc);
    });
}

std::shared_ptr<Circle> ModelSpaceImpl::AddCircle(const Variant& centre, const Variant& radius) {
    return hostCall(journal(), describe(), "AddCircle", {centre, radius}, [&](JournalEntry& entry) {
        auto circle = std::make_shared<CircleEntity>(pointArg(centre, "the centre"),
                                                     positiveArg(radius, "the radius"));
        return added<Circle>(drawing(), entry, circle);
    });
}

Variant ModelSpaceImpl::AddRegion(const Variant& entities) {
    return hostCall(journal(), describe(), "AddRegion", {entities}, [&](JournalEntry& entry) {
        if (!entities.isArray())
            throw automation::typeMismatch("AddRegion needs an array of curves");
        std::vector<TopoDS_Shape> curves;
        for (const auto& item : entities.asArray().items()) {
            if (item.isEmpty()) {
                curves.emplace_back();  // Empty entries are skipped
                continue;
            }
            auto curve = entityArg(item, "a curve of the list");
            if (std::dynamic_pointer_cast<SolidEntity>(curve) || std::dynamic_pointer_cast<RegionEntity>(curve))
                throw automation::invalidArgument("AddRegion takes curves, not " + curve->describe());
            curves.push_back(curve->shape());
        }
        auto faces = regionsFromCurves(curves);
        std::vector<Variant> regions;
        for (const auto& face : faces) {
            auto region = std::make_shared<RegionEntity>(face);
            drawing().add(region);
            regions.push_back(Variant::object(region));
        }
        auto result = Variant::array(automation::Array(automation::VarType::Object, 0, std::move(regions)));
        entry.result(result);
        return result;
    });
}

std::shared_ptr<Solid3D> ModelSpaceImpl::AddExtrudedSolid(const Variant& region, const Variant& height,
                                                          const Variant& taperAngle) {
    return hostCall(journal(), describe(), "AddExtrudedSolid", {region, height, taperAngle},
                    [&](JournalEntry& entry) {
        auto shape = regionShape(region);
        double h = positiveArg(height, "the height");
        if (numberArg(taperAngle, "the taper angle") != 0)
            throw automation::invalidArgument("a tapered extrusion is not supported; pass a taper angle of 0");
        return addSolid(drawing(), entry, extrudeRegion(shape, h), verticalPrismOrigin(shape, h));
    });
}

std::shared_ptr<Solid3D> ModelSpaceImpl::AddExtrudedSolidAlongPath(const Variant& region,
                                                                   const Variant& path) {
    return hostCall(journal(), describe(), "AddExtrudedSolidAlongPath", {region, path},
                    [&](JournalEntry& entry) {
        auto shape = regionShape(region);
        auto curve = entityArg(path, "the path");
        if (!std::dynamic_pointer_cast<PolylineEntity>(curve) && !std::dynamic_pointer_cast<LineEntity>(curve) &&
            !std::dynamic_pointer_cast<ArcEntity>(curve))
            throw automation::invalidArgument("the path must be a polyline, a line or an arc, not " +
                                              curve->describe());
        return addSolid(drawing(), entry, sweepRegion(shape, curve->shape()));
    });
}

std::shared_ptr<Solid3D> ModelSpaceImpl::AddRevolvedSolid(const Variant& region, const Variant& axisPoint,
                                                          const Variant& axisDirection,
                                                          const Variant& angle) {
    return hostCall(journal(), describe(), "AddRevolvedSolid",
                    {region, axisPoint, axisDirection, angle}, [&](JournalEntry& entry) {
        auto shape = regionShape(region);
        gp_Ax1 axis(pointArg(axisPoint, "the axis point"),
                    gp_Dir(directionArg(axisDirection, "the axis direction")));
        const double radians = numberArg(angle, "the angle");
        return addSolid(drawing(), entry, revolveRegion(shape, axis, radians), fullTurnOrigin(shape, axis, radians));
    });
}

}  // namespace corvex::cadhost::occt
