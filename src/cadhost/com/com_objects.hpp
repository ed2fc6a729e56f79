#pragma once
// The host model over a desktop CAD application's automation objects: every operation is a
// late-bound call by name with the arguments exactly as the member passed them, and is
// journalled in the same line format as the embedded host's.
#include <windows.h>
#include <oaidl.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "cadhost/com/com_ref.hpp"
#include "cadhost/com/com_session.hpp"
#include "cadhost/com/dispatch_call.hpp"
#include "cadhost/model.hpp"

namespace corvex::cadhost::com {

// What every wrapper holds: the application's object and the session it came through.
class ComObject {
public:
    ComObject(std::shared_ptr<ComSession> session, ComRef<IDispatch> dispatch, std::string name)
        : session_(std::move(session)), dispatch_(std::move(dispatch)), name_(std::move(name)) {}
    virtual ~ComObject() = default;

    IDispatch* dispatch() const { return dispatch_.get(); }
    const std::string& name() const { return name_; }

protected:
    // A journalled call whose result is recorded; objects in it are wrapped as `kind`.
    Variant fetch(const char* member, CallKind call, std::initializer_list<Variant> arguments,
                  ObjectKind kind = ObjectKind::Entity, const std::string& groupName = {});
    // A journalled call whose result, if any, is not wanted.
    void perform(const char* member, CallKind call, std::initializer_list<Variant> arguments);

    template <typename T>
    std::shared_ptr<T> fetchObject(const char* member, std::initializer_list<Variant> arguments, ObjectKind kind,
                                   const std::string& groupName = {});

    std::shared_ptr<ComSession> session_;

private:
    ComRef<IDispatch> dispatch_;
    std::string name_;
};

class ComApplication : public Application, public ComObject {
public:
    using ComObject::ComObject;
    std::string typeName() const override { return "IAcadApplication"; }
    std::string describe() const override { return name(); }
    void putVisible(const Variant& visible) override;
    std::shared_ptr<Document> ActiveDocument() override;
};

class ComDocument : public Document, public ComObject {
public:
    using ComObject::ComObject;
    std::string typeName() const override { return "IAcadDocument"; }
    std::string describe() const override { return name(); }
    std::shared_ptr<cadhost::Application> Application() override;
    std::shared_ptr<cadhost::ModelSpace> ModelSpace() override;
    std::shared_ptr<cadhost::Groups> Groups() override;
    void SetVariable(const Variant& name, const Variant& value) override;
};

class ComGroups : public Groups, public ComObject {
public:
    using ComObject::ComObject;
    std::string typeName() const override { return "IAcadGroups"; }
    std::string describe() const override { return name(); }
    std::shared_ptr<Group> Item(const Variant& name) override;
};

class ComGroup : public Group, public ComObject {
public:
    using ComObject::ComObject;
    std::string typeName() const override { return "IAcadGroup"; }
    std::string describe() const override { return name(); }
    std::shared_ptr<Entity> Item(const Variant& index) override;
    std::int32_t Count() override;
};

class ComModelSpace : public ModelSpace, public ComObject {
public:
    using ComObject::ComObject;
    std::string typeName() const override { return "IAcadModelSpace"; }
    std::string describe() const override { return name(); }
    std::shared_ptr<Solid3D> AddCylinder(const Variant& centre, const Variant& radius, const Variant& height) override;
    std::shared_ptr<Polyline> AddPolyline(const Variant& vertices) override;
    std::shared_ptr<Line> AddLine(const Variant& start, const Variant& end) override;
    std::shared_ptr<Arc> AddArc(const Variant& centre, const Variant& radius, const Variant& startAngle,
                                const Variant& endAngle) override;
    std::shared_ptr<Circle> AddCircle(const Variant& centre, const Variant& radius) override;
    Variant AddRegion(const Variant& entities) override;
    std::shared_ptr<Solid3D> AddExtrudedSolid(const Variant& region, const Variant& height,
                                              const Variant& taperAngle) override;
    std::shared_ptr<Solid3D> AddExtrudedSolidAlongPath(const Variant& region, const Variant& path) override;
    std::shared_ptr<Solid3D> AddRevolvedSolid(const Variant& region, const Variant& axisPoint,
                                              const Variant& axisDirection, const Variant& angle) override;
};

// Any drawing entity; the kinds below add their own operations.
class ComEntity : public virtual Entity, public ComObject {
public:
    ComEntity(std::shared_ptr<ComSession> session, ComRef<IDispatch> dispatch, std::string kind, int id)
        : ComObject(std::move(session), std::move(dispatch), kind + "#" + std::to_string(id)), kind_(std::move(kind)) {}
    std::string typeName() const override { return "IAcad" + (kind_ == "Solid3D" ? std::string("3DSolid") : kind_); }
    std::string describe() const override { return name(); }
    std::string kind() const override { return kind_; }
    void putVisible(const Variant& visible) override;
    void Move(const Variant& from, const Variant& to) override;
    void Rotate3D(const Variant& point1, const Variant& point2, const Variant& angle) override;
    void Update() override;
    void Delete() override;

private:
    std::string kind_;
};

class ComSolid : public Solid3D, public ComEntity {
public:
    using ComEntity::ComEntity;
    void Boolean(const Variant& operation, const Variant& other) override;
    std::shared_ptr<Solid3D> CheckInterference(const Variant& other, const Variant& create) override;
    Variant Centroid() override;
};

class ComRegion : public Region, public ComEntity {
public:
    using ComEntity::ComEntity;
    void Boolean(const Variant& operation, const Variant& other) override;
};

class ComPolyline : public Polyline, public ComEntity {
public:
    using ComEntity::ComEntity;
    void SetBulge(const Variant& index, const Variant& bulge) override;
    void putElevation(const Variant& elevation) override;
    void putCoordinate(const Variant& index, const Variant& point) override;
};

class ComLine : public Line, public ComEntity {
public:
    using ComEntity::ComEntity;
};

class ComCircle : public Circle, public ComEntity {
public:
    using ComEntity::ComEntity;
};

class ComArc : public Arc, public ComEntity {
public:
    using ComEntity::ComEntity;
    Variant StartPoint() override;
    Variant EndPoint() override;
};

}  // namespace corvex::cadhost::com
