#include "cadhost/com/com_objects.hpp"

#include <vector>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/journal.hpp"
#include "cadhost/take.hpp"

namespace corvex::cadhost::com {

Variant ComObject::fetch(const char* member, CallKind call, std::initializer_list<Variant> arguments,
                         ObjectKind kind, const std::string& groupName) {
    JournalEntry entry(session_->journal(), name_, member, arguments);
    try {
        Variant result = callByName(dispatch_.get(), name_, member, call, std::vector<Variant>(arguments),
                                    session_->mapping(kind, groupName));
        entry.result(result);
        return result;
    } catch (const automation::Error& error) {
        entry.failed(error);
        throw;
    }
}

void ComObject::perform(const char* member, CallKind call, std::initializer_list<Variant> arguments) {
    JournalEntry entry(session_->journal(), name_, member, arguments);
    try {
        callByName(dispatch_.get(), name_, member, call, std::vector<Variant>(arguments),
                   session_->mapping(ObjectKind::Entity));
    } catch (const automation::Error& error) {
        entry.failed(error);
        throw;
    }
}

template <typename T>
std::shared_ptr<T> ComObject::fetchObject(const char* member, std::initializer_list<Variant> arguments,
                                          ObjectKind kind, const std::string& groupName) {
    const Variant result = fetch(member, CallKind::Method, arguments, kind, groupName);
    if (result.isObject() && !result.asObject()) return nullptr;  // the application said Nothing
    return take<T>(result, "an object of the CAD application");
}

// --- Application, document, groups ----------------------------------------------------------

void ComApplication::putVisible(const Variant& visible) { perform("Visible", CallKind::PropertyPut, {visible}); }

std::shared_ptr<Document> ComApplication::ActiveDocument() {
    return take<Document>(fetch("ActiveDocument", CallKind::PropertyGet, {}, ObjectKind::Document), "a document");
}

std::shared_ptr<cadhost::Application> ComDocument::Application() {
    return take<cadhost::Application>(fetch("Application", CallKind::PropertyGet, {}, ObjectKind::Application),
                                      "an application");
}

std::shared_ptr<cadhost::ModelSpace> ComDocument::ModelSpace() {
    return take<cadhost::ModelSpace>(fetch("ModelSpace", CallKind::PropertyGet, {}, ObjectKind::ModelSpace),
                                     "the model space");
}

std::shared_ptr<cadhost::Groups> ComDocument::Groups() {
    return take<cadhost::Groups>(fetch("Groups", CallKind::PropertyGet, {}, ObjectKind::Groups),
                                 "the groups collection");
}

void ComDocument::SetVariable(const Variant& name, const Variant& value) {
    perform("SetVariable", CallKind::Method, {name, value});
}

std::shared_ptr<Group> ComGroups::Item(const Variant& name) {
    // The group's name, for the journal; a name that is not text fails in the application.
    const std::string groupName = name.type() == automation::VarType::String ? name.asString() : name.toDebugString();
    return fetchObject<Group>("Item", {name}, ObjectKind::Group, groupName);
}

std::shared_ptr<Entity> ComGroup::Item(const Variant& index) {
    return fetchObject<Entity>("Item", {index}, ObjectKind::Entity);
}

std::int32_t ComGroup::Count() {
    return automation::toInt32(fetch("Count", CallKind::PropertyGet, {}));
}

// --- Model space ----------------------------------------------------------------------------

std::shared_ptr<Solid3D> ComModelSpace::AddCylinder(const Variant& centre, const Variant& radius,
                                                    const Variant& height) {
    return fetchObject<Solid3D>("AddCylinder", {centre, radius, height}, ObjectKind::Solid3D);
}

std::shared_ptr<Polyline> ComModelSpace::AddPolyline(const Variant& vertices) {
    return fetchObject<Polyline>("AddPolyline", {vertices}, ObjectKind::Polyline);
}

std::shared_ptr<Line> ComModelSpace::AddLine(const Variant& start, const Variant& end) {
    return fetchObject<Line>("AddLine", {start, end}, ObjectKind::Line);
}

std::shared_ptr<Arc> ComModelSpace::AddArc(const Variant& centre, const Variant& radius, const Variant& startAngle,
                                           const Variant& endAngle) {
    return fetchObject<Arc>("AddArc", {centre, radius, startAngle, endAngle}, ObjectKind::Arc);
}

std::shared_ptr<Circle> ComModelSpace::AddCircle(const Variant& centre, const Variant& radius) {
    return fetchObject<Circle>("AddCircle", {centre, radius}, ObjectKind::Circle);
}

Variant ComModelSpace::AddRegion(const Variant& entities) {
    return fetch("AddRegion", CallKind::Method, {entities}, ObjectKind::Region);
}

std::shared_ptr<Solid3D> ComModelSpace::AddExtrudedSolid(const Variant& region, const Variant& height,
                                                         const Variant& taperAngle) {
    return fetchObject<Solid3D>("AddExtrudedSolid", {region, height, taperAngle}, ObjectKind::Solid3D);
}

std::shared_ptr<Solid3D> ComModelSpace::AddExtrudedSolidAlongPath(const Variant& region, const Variant& path) {
    return fetchObject<Solid3D>("AddExtrudedSolidAlongPath", {region, path}, ObjectKind::Solid3D);
}

std::shared_ptr<Solid3D> ComModelSpace::AddRevolvedSolid(const Variant& region, const Variant& axisPoint,
                                                         const Variant& axisDirection, const Variant& angle) {
    return fetchObject<Solid3D>("AddRevolvedSolid", {region, axisPoint, axisDirection, angle}, ObjectKind::Solid3D);
}

// --- Entities -------------------------------------------------------------------------------

void ComEntity::putVisible(const Variant& visible) { perform("Visible", CallKind::PropertyPut, {visible}); }

void ComEntity::Move(const Variant& from, const Variant& to) { perform("Move", CallKind::Method, {from, to}); }

void ComEntity::Rotate3D(const Variant& point1, const Variant& point2, const Variant& angle) {
    perform("Rotate3D", CallKind::Method, {point1, point2, angle});
}

void ComEntity::Update() { perform("Update", CallKind::Method, {}); }

void ComEntity::Delete() { perform("Delete", CallKind::Method, {}); }

void ComSolid::Boolean(const Variant& operation, const Variant& other) {
    perform("Boolean", CallKind::Method, {operation, other});
}

std::shared_ptr<Solid3D> ComSolid::CheckInterference(const Variant& other, const Variant& create) {
    return fetchObject<Solid3D>("CheckInterference", {other, create}, ObjectKind::Solid3D);
}

Variant ComSolid::Centroid() { return fetch("Centroid", CallKind::PropertyGet, {}); }

void ComRegion::Boolean(const Variant& operation, const Variant& other) {
    perform("Boolean", CallKind::Method, {operation, other});
}

void ComPolyline::SetBulge(const Variant& index, const Variant& bulge) {
    perform("SetBulge", CallKind::Method, {index, bulge});
}

void ComPolyline::putElevation(const Variant& elevation) {
    perform("Elevation", CallKind::PropertyPut, {elevation});
}

void ComPolyline::putCoordinate(const Variant& index, const Variant& point) {
    perform("Coordinate", CallKind::PropertyPut, {index, point});
}

Variant ComArc::StartPoint() { return fetch("StartPoint", CallKind::PropertyGet, {}); }

Variant ComArc::EndPoint() { return fetch("EndPoint", CallKind::PropertyGet, {}); }

}  // namespace corvex::cadhost::com
