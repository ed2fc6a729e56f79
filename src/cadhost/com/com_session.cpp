#include "cadhost/com/com_session.hpp"

#include "automation/error.hpp"
#include "cadhost/com/com_objects.hpp"
#include "cadhost/com/dispatch_call.hpp"

namespace corvex::cadhost::com {
namespace {

// The application's class names for the entity kinds the host model knows.
ObjectKind kindOfClass(const std::string& objectName) {
    if (objectName == "AcDb3dSolid") return ObjectKind::Solid3D;
    if (objectName == "AcDbRegion") return ObjectKind::Region;
    if (objectName == "AcDb2dPolyline" || objectName == "AcDbPolyline" || objectName == "AcDb3dPolyline")
        return ObjectKind::Polyline;
    if (objectName == "AcDbLine") return ObjectKind::Line;
    if (objectName == "AcDbArc") return ObjectKind::Arc;
    if (objectName == "AcDbCircle") return ObjectKind::Circle;
    return ObjectKind::Entity;
}

}  // namespace

std::shared_ptr<ComSession> ComSession::create(std::shared_ptr<Journal> journal) {
    return std::shared_ptr<ComSession>(new ComSession(journal ? std::move(journal) : std::make_shared<Journal>()));
}

automation::ObjectRef ComSession::wrap(IDispatch* dispatch, ObjectKind kind, const std::string& groupName) {
    // COM's rule: the IUnknown of an object is the same pointer every time it is asked for.
    ComRef<IUnknown> identity;
    if (FAILED(dispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.put()))) || !identity)
        throw automation::typeMismatch("an object of the CAD application without an identity");
    auto found = known_.find(identity.get());
    if (found != known_.end()) {
        Known& known = found->second;
        if (auto wrapper = known.wrapper.lock()) return wrapper;
        auto wrapper = make(ComRef<IDispatch>::share(dispatch), known.kind, known.id, known.groupName);
        known.wrapper = wrapper;
        return wrapper;
    }
    if (kind == ObjectKind::Entity) kind = entityKindOf(dispatch);
    const bool entity = kind >= ObjectKind::Entity;
    const int id = entity ? nextEntityId_++ : 0;
    auto wrapper = make(ComRef<IDispatch>::share(dispatch), kind, id, groupName);
    known_[identity.get()] = Known{identity, wrapper, kind, id, groupName};
    return wrapper;
}

ObjectMapping ComSession::mapping(ObjectKind kindOfResults, const std::string& groupName) {
    ObjectMapping mapping;
    mapping.fromDispatch = [this, kindOfResults, groupName](IDispatch* dispatch) {
        return wrap(dispatch, kindOfResults, groupName);
    };
    mapping.toDispatch = [](const automation::ObjectRef& object) -> IDispatch* {
        auto* ours = dynamic_cast<ComObject*>(object.get());
        if (!ours) throw automation::typeMismatch(object->describe() + " is not an object of the CAD application");
        ours->dispatch()->AddRef();
        return ours->dispatch();
    };
    return mapping;
}

ObjectKind ComSession::entityKindOf(IDispatch* dispatch) {
    // Not journalled: it is how the adapter learns what it holds, not an operation a member asked for.
    const auto name = callByName(dispatch, "an entity", "ObjectName", CallKind::PropertyGet, {}, mapping(ObjectKind::Entity));
    return name.type() == automation::VarType::String ? kindOfClass(name.asString()) : ObjectKind::Entity;
}

automation::ObjectRef ComSession::make(const ComRef<IDispatch>& dispatch, ObjectKind kind, int id,
                                       const std::string& groupName) {
    auto self = shared_from_this();
    switch (kind) {
        case ObjectKind::Application: return std::make_shared<ComApplication>(self, dispatch, "Application");
        case ObjectKind::Document: return std::make_shared<ComDocument>(self, dispatch, "Document");
        case ObjectKind::ModelSpace: return std::make_shared<ComModelSpace>(self, dispatch, "ModelSpace");
        case ObjectKind::Groups: return std::make_shared<ComGroups>(self, dispatch, "Groups");
        case ObjectKind::Group: return std::make_shared<ComGroup>(self, dispatch, "Group(\"" + groupName + "\")");
        case ObjectKind::Entity: return std::make_shared<ComEntity>(self, dispatch, "Entity", id);
        case ObjectKind::Solid3D: return std::make_shared<ComSolid>(self, dispatch, "Solid3D", id);
        case ObjectKind::Region: return std::make_shared<ComRegion>(self, dispatch, "Region", id);
        case ObjectKind::Polyline: return std::make_shared<ComPolyline>(self, dispatch, "Polyline", id);
        case ObjectKind::Line: return std::make_shared<ComLine>(self, dispatch, "Line", id);
        case ObjectKind::Arc: return std::make_shared<ComArc>(self, dispatch, "Arc", id);
        case ObjectKind::Circle: return std::make_shared<ComCircle>(self, dispatch, "Circle", id);
    }
    throw automation::typeMismatch("an object of an unknown kind");
}

}  // namespace corvex::cadhost::com
