#pragma once
// A test-only CAD application for the adapter: it serves, by name and late-bound only, the
// object model members corvex asks of a desktop CAD application, keeps just enough
// bookkeeping to answer like one (groups and their members, counts, one region per closed
// loop, centroids of boxes and cylinders carried along by Move and Rotate3D, arc end
// points), and records every call it receives in the host journal's line format.
#include <windows.h>
#include <oaidl.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "automation/object.hpp"
#include "automation/variant.hpp"
#include "cadhost/com/com_ref.hpp"

namespace corvex::fakecad {

using automation::Variant;
using cadhost::com::ComRef;
using Point = std::array<double, 3>;

// {793dc360-1d0d-45c5-a9d1-66479684dd98}: how the application knows its own objects when
// they come back as arguments.
extern const IID IID_FakeObject;

struct Drawing;

class FakeObject : public IDispatch {
public:
    explicit FakeObject(std::shared_ptr<Drawing> drawing) : drawing_(std::move(drawing)) {}
    virtual ~FakeObject() = default;

    // The name journal lines use for this object ("Solid3D#7", "Group(\"PART\")").
    virtual std::string describe() const = 0;
    // One call by name; `put` for a property put. Throws automation errors.
    virtual Variant call(const std::string& member, bool put, const std::vector<Variant>& arguments) = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispId, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

protected:
    std::shared_ptr<Drawing> drawing_;

private:
    LONG references_ = 1;
};

// An object of ours inside a Variant.
struct Handle : automation::Object {
    explicit Handle(ComRef<FakeObject> target) : target(std::move(target)) {}
    std::string typeName() const override { return "FakeObject"; }
    std::string describe() const override { return target->describe(); }
    ComRef<FakeObject> target;
};

inline Variant ref(FakeObject* object) {
    return Variant::object(std::make_shared<Handle>(ComRef<FakeObject>::share(object)));
}

// Members that ask about the drawing without acting on it: the host journal has no line for
// them, so they are answered without being recorded. ObjectName is how the adapter learns
// what it holds; EntityById (on the application, test-only) is how a session client hands
// back an entity a session names by its number.
bool isQuery(const std::string& member);

class FakeEntity : public FakeObject {
public:
    FakeEntity(std::shared_ptr<Drawing> drawing, std::string kind, int id) : FakeObject(std::move(drawing)), kind(std::move(kind)), id(id) {}
    std::string describe() const override { return kind + "#" + std::to_string(id); }
    Variant call(const std::string& member, bool put, const std::vector<Variant>& arguments) override;

    std::string kind;
    int id;
    bool deleted = false;
    Point centroid{};          // solids
    Point centre{};            // arcs and circles
    double radius = 0, startAngle = 0, endAngle = 0;
    bool closed = false;       // polylines
};

struct Group {
    std::string name;
    std::vector<ComRef<FakeEntity>> members;
};

// What every object of one application shares.
// Entities and the drawing refer to each other; a test process ends before that matters.
struct Drawing : std::enable_shared_from_this<Drawing> {
    std::vector<ComRef<FakeEntity>> entities;
    std::vector<Group> groups;
    int nextId = 1;
    std::FILE* record = nullptr;
    ComRef<FakeObject> application;
    ComRef<FakeObject> document;

    ComRef<FakeEntity> add(const std::string& kind);
    FakeEntity* entityById(int id) const;
    Group* group(const std::string& name);
    void erase(FakeEntity& entity);
    void note(const std::string& line);
};

// A new application with one open drawing, set up from the file named by
// CORVEX_FAKE_CAD_DRAWING and recording to the file named by CORVEX_FAKE_CAD_RECORD.
ComRef<FakeObject> createApplication();

}  // namespace corvex::fakecad
