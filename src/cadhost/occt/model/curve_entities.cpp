// Polylines, lines, arcs and circles of the embedded host.
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <TopLoc_Location.hxx>

#include <cmath>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "automation/number_text.hpp"
#include "cadhost/occt/model/arguments.hpp"
#include "cadhost/occt/geometry/curves.hpp"
#include "cadhost/occt/model/entities.hpp"

namespace corvex::cadhost::occt {
namespace {

std::size_t indexArg(const Variant& value, std::size_t count, const char* what) {
    double index = numberArg(value, what);
    if (index != std::floor(index) || index < 0 || index >= static_cast<double>(count))
        throw automation::invalidArgument(std::string(what) + " " + automation::shortestText(index) +
                                          " is outside 0.." + std::to_string(count - 1));
    return static_cast<std::size_t>(index);
}

Variant pointVariant(const gp_Pnt& p) { return Variant::point(p.X(), p.Y(), p.Z()); }

}  // namespace

void PolylineEntity::SetBulge(const Variant& index, const Variant& bulge) {
    hostCall(journal(), describe(), "SetBulge", {index, bulge}, [&](JournalEntry&) {
        live();
        auto i = indexArg(index, geometry_.bulges.size(), "the segment index");
        geometry_.bulges[i] = numberArg(bulge, "the bulge");
    });
}

void PolylineEntity::putElevation(const Variant& elevation) {
    hostCall(journal(), describe(), "Elevation", {elevation}, [&](JournalEntry&) {
        live();
        geometry_.elevation = numberArg(elevation, "the elevation");
    });
}

void PolylineEntity::putCoordinate(const Variant& index, const Variant& point) {
    hostCall(journal(), describe(), "Coordinate", {index, point}, [&](JournalEntry&) {
        live();
        auto i = indexArg(index, geometry_.vertices.size(), "the vertex index");
        gp_Pnt p = pointArg(point, "the vertex");
        geometry_.vertices[i] = gp_XY(p.X(), p.Y());
    });
}

bool PolylineEntity::closed() const { return polylineClosed(geometry_); }

TopoDS_Shape PolylineEntity::shape() const { return polylineWire(geometry_); }

void PolylineEntity::transform(const gp_Trsf& motion) {
    geometry_.placement = motion * geometry_.placement;
}

TopoDS_Shape LineEntity::shape() const {
    if (start_.Distance(end_) <= kPointTolerance) return {};
    return BRepBuilderAPI_MakeEdge(start_, end_).Edge();
}

void LineEntity::transform(const gp_Trsf& motion) {
    start_.Transform(motion);
    end_.Transform(motion);
}

gp_Pnt ArcEntity::pointAt(double angle) const {
    gp_Pnt p(centre_.X() + radius_ * std::cos(angle), centre_.Y() + radius_ * std::sin(angle),
             centre_.Z());
    return p.Transformed(placement_);
}

Variant ArcEntity::StartPoint() {
    return hostCall(journal(), describe(), "StartPoint", {}, [&](JournalEntry& entry) {
        live();
        auto point = pointVariant(pointAt(startAngle_));
        entry.result(point);
        return point;
    });
}

Variant ArcEntity::EndPoint() {
    return hostCall(journal(), describe(), "EndPoint", {}, [&](JournalEntry& entry) {
        live();
        auto point = pointVariant(pointAt(endAngle_));
        entry.result(point);
        return point;
    });
}

TopoDS_Shape ArcEntity::shape() const {
    return arcEdge(centre_, radius_, startAngle_, endAngle_).Moved(TopLoc_Location(placement_));
}

void ArcEntity::transform(const gp_Trsf& motion) { placement_ = motion * placement_; }

TopoDS_Shape CircleEntity::shape() const {
    return circleEdge(centre_, radius_).Moved(TopLoc_Location(placement_));
}

void CircleEntity::transform(const gp_Trsf& motion) { placement_ = motion * placement_; }

}  // namespace corvex::cadhost::occt
