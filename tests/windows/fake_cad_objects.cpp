#include "fake_cad_objects.hpp"

#include <cmath>
#include <fstream>
#include <sstream>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/com/com_text.hpp"

namespace corvex::fakecad {

namespace {

using automation::VarType;

FakeObject* objectOf(const Variant& value, const char* what) {
    if (value.isObject() && value.asObject())
        if (auto* handle = dynamic_cast<Handle*>(value.asObject().get())) return handle->target.get();
    throw automation::typeMismatch(std::string(what) + " must be an object of this application");
}

FakeEntity& entityOf(const Variant& value, const char* what) {
    auto* entity = dynamic_cast<FakeEntity*>(objectOf(value, what));
    if (!entity) throw automation::typeMismatch(std::string(what) + " must be an entity");
    return *entity;
}

Point pointOf(const Variant& value) {
    const auto p = automation::toPoint(value);
    return {p.x, p.y, p.z};
}

Variant pointValue(const Point& p) { return Variant::point(p[0], p[1], p[2]); }

void expectArguments(const std::vector<Variant>& arguments, std::size_t count, const std::string& member) {
    if (arguments.size() != count)
        throw automation::badParamCount(member + " takes " + std::to_string(count) + " argument(s)");
}

// Turns `p` about the axis from `a` to `b` by `angle` (right-hand rule).
Point rotated(const Point& p, const Point& a, const Point& b, double angle) {
    Point k{b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const double length = std::sqrt(k[0] * k[0] + k[1] * k[1] + k[2] * k[2]);
    if (length == 0) throw automation::invalidArgument("the rotation axis needs two different points");
    for (auto& c : k) c /= length;
    const Point v{p[0] - a[0], p[1] - a[1], p[2] - a[2]};
    const double c = std::cos(angle), s = std::sin(angle);
    const double dot = k[0] * v[0] + k[1] * v[1] + k[2] * v[2];
    const Point cross{k[1] * v[2] - k[2] * v[1], k[2] * v[0] - k[0] * v[2], k[0] * v[1] - k[1] * v[0]};
    Point result;
    for (int i = 0; i < 3; ++i) result[i] = a[i] + v[i] * c + cross[i] * s + k[i] * dot * (1 - c);
    return result;
}

class FakeGroup : public FakeObject {
public:
    FakeGroup(std::shared_ptr<Drawing> drawing, std::string name) : FakeObject(std::move(drawing)), name_(std::move(name)) {}
    std::string describe() const override { return "Group(\"" + name_ + "\")"; }
    Variant call(const std::string& member, bool, const std::vector<Variant>& arguments) override {
        Group* group = drawing_->group(name_);
        if (!group) throw automation::invalidArgument("the group \"" + name_ + "\" no longer exists");
        if (member == "Count") return Variant::int32(static_cast<std::int32_t>(group->members.size()));
        if (member == "Item") {
            expectArguments(arguments, 1, member);
            const double index = automation::toDouble(arguments[0]);
            if (index < 0 || index >= static_cast<double>(group->members.size()) || index != std::floor(index))
                throw automation::invalidArgument("index outside the group \"" + name_ + "\"");
            return ref(group->members[static_cast<std::size_t>(index)].get());
        }
        throw automation::memberNotFound(describe() + " has no " + member);
    }

private:
    std::string name_;
};

class FakeGroups : public FakeObject {
public:
    using FakeObject::FakeObject;
    std::string describe() const override { return "Groups"; }
    Variant call(const std::string& member, bool, const std::vector<Variant>& arguments) override {
        if (member != "Item") throw automation::memberNotFound(describe() + " has no " + member);
        expectArguments(arguments, 1, member);
        if (arguments[0].type() != VarType::String) throw automation::typeMismatch("a group is named by text");
        const std::string name = arguments[0].asString();
        if (!drawing_->group(name)) throw automation::invalidArgument("there is no group named \"" + name + "\"");
        ComRef<FakeObject> group = ComRef<FakeObject>::adopt(new FakeGroup(drawing_, name));
        return ref(group.get());
    }
};

class FakeModelSpace : public FakeObject {
public:
    using FakeObject::FakeObject;
    std::string describe() const override { return "ModelSpace"; }
    Variant call(const std::string& member, bool, const std::vector<Variant>& arguments) override;

private:
    Variant added(const ComRef<FakeEntity>& entity) { return ref(entity.get()); }
};

Variant FakeModelSpace::call(const std::string& member, bool, const std::vector<Variant>& arguments) {
    if (member == "AddCylinder") {
        expectArguments(arguments, 3, member);
        auto solid = drawing_->add("Solid3D");
        solid->centroid = pointOf(arguments[0]);
        return added(solid);
    }
    if (member == "AddPolyline") {
        expectArguments(arguments, 1, member);
        const auto& items = arguments[0].asArray().items();
        auto polyline = drawing_->add("Polyline");
        const std::size_t n = items.size();
        polyline->closed = n >= 6 && items[0] == items[n - 3] && items[1] == items[n - 2];
        return added(polyline);
    }
    if (member == "AddLine") {
        expectArguments(arguments, 2, member);
        return added(drawing_->add("Line"));
    }
    if (member == "AddCircle") {
        expectArguments(arguments, 2, member);
        auto circle = drawing_->add("Circle");
        circle->centre = pointOf(arguments[0]);
        circle->radius = automation::toDouble(arguments[1]);
        return added(circle);
    }
    if (member == "AddArc") {
        expectArguments(arguments, 4, member);
        auto arc = drawing_->add("Arc");
        arc->centre = pointOf(arguments[0]);
        arc->radius = automation::toDouble(arguments[1]);
        arc->startAngle = automation::toDouble(arguments[2]);
        arc->endAngle = automation::toDouble(arguments[3]);
        return added(arc);
    }
    if (member == "AddRegion") {
        // One region per closed polyline or circle; lines and arcs together close one loop.
        expectArguments(arguments, 1, member);
        int loops = 0;
        bool openCurves = false;
        for (const auto& item : arguments[0].asArray().items()) {
            if (item.isEmpty()) continue;
            const auto& entity = entityOf(item, "a curve of the list");
            if (entity.kind == "Line" || entity.kind == "Arc") openCurves = true;
            else if (entity.kind == "Circle" || (entity.kind == "Polyline" && entity.closed)) ++loops;
        }
        if (openCurves) ++loops;
        if (loops == 0) throw automation::invalidArgument("the curves form no closed loop");
        std::vector<Variant> regions;
        for (int i = 0; i < loops; ++i) regions.push_back(added(drawing_->add("Region")));
        return Variant::array(automation::Array(VarType::Object, 0, std::move(regions)));
    }
    if (member == "AddExtrudedSolid" || member == "AddExtrudedSolidAlongPath" || member == "AddRevolvedSolid") {
        entityOf(arguments.at(0), "the region");
        return added(drawing_->add("Solid3D"));
    }
    throw automation::memberNotFound(describe() + " has no " + member);
}

class FakeDocument : public FakeObject {
public:
    using FakeObject::FakeObject;
    std::string describe() const override { return "Document"; }
    Variant call(const std::string& member, bool, const std::vector<Variant>& arguments) override {
        if (member == "Application") return ref(drawing_->application.get());
        if (member == "ModelSpace") {
            if (!modelSpace_) modelSpace_ = ComRef<FakeObject>::adopt(new FakeModelSpace(drawing_));
            return ref(modelSpace_.get());
        }
        if (member == "Groups") {
            if (!groups_) groups_ = ComRef<FakeObject>::adopt(new FakeGroups(drawing_));
            return ref(groups_.get());
        }
        if (member == "SetVariable") {
            expectArguments(arguments, 2, member);
            return Variant();
        }
        throw automation::memberNotFound(describe() + " has no " + member);
    }

private:
    ComRef<FakeObject> modelSpace_;
    ComRef<FakeObject> groups_;
};

class FakeApplication : public FakeObject {
public:
    using FakeObject::FakeObject;
    std::string describe() const override { return "Application"; }
    Variant call(const std::string& member, bool put, const std::vector<Variant>& arguments) override {
        if (member == "Visible" && put) return Variant();
        if (member == "ActiveDocument") return ref(drawing_->document.get());
        if (member == "EntityById") {
            expectArguments(arguments, 1, member);
            const double id = automation::toDouble(arguments[0]);
            FakeEntity* entity = id == std::floor(id) ? drawing_->entityById(static_cast<int>(id)) : nullptr;
            if (!entity) throw automation::invalidArgument("the drawing has no entity #" + arguments[0].toDebugString());
            return ref(entity);
        }
        throw automation::memberNotFound(describe() + " has no " + member);
    }
};

}  // namespace

// --- Entities -------------------------------------------------------------------------------

Variant FakeEntity::call(const std::string& member, bool, const std::vector<Variant>& arguments) {
    if (deleted) throw automation::invalidArgument(describe() + " has been deleted");
    if (member == "Visible" || member == "Update" || member == "SetBulge" || member == "Elevation" ||
        member == "Coordinate")
        return Variant();
    if (member == "Delete") {
        drawing_->erase(*this);
        return Variant();
    }
    if (member == "Move") {
        expectArguments(arguments, 2, member);
        const Point from = pointOf(arguments[0]), to = pointOf(arguments[1]);
        for (int i = 0; i < 3; ++i) {
            centroid[i] += to[i] - from[i];
            centre[i] += to[i] - from[i];
        }
        return Variant();
    }
    if (member == "Rotate3D") {
        expectArguments(arguments, 3, member);
        const Point a = pointOf(arguments[0]), b = pointOf(arguments[1]);
        const double angle = automation::toDouble(arguments[2]);
        centroid = rotated(centroid, a, b, angle);
        centre = rotated(centre, a, b, angle);
        return Variant();
    }
    if ((kind == "Solid3D" || kind == "Region") && member == "Boolean") {
        expectArguments(arguments, 2, member);
        auto& other = entityOf(arguments[1], "the other object");
        if (other.kind != kind) throw automation::typeMismatch("Boolean needs another " + kind);
        drawing_->erase(other);
        return Variant();
    }
    if (kind == "Solid3D" && member == "CheckInterference") {
        expectArguments(arguments, 2, member);
        entityOf(arguments[0], "the other solid");
        // Without geometry every pair is taken to meet.
        return ref(drawing_->add("Solid3D").get());
    }
    if (kind == "Solid3D" && member == "Centroid") return pointValue(centroid);
    if (kind == "Arc" && (member == "StartPoint" || member == "EndPoint")) {
        const double angle = member == "StartPoint" ? startAngle : endAngle;
        return Variant::point(centre[0] + radius * std::cos(angle), centre[1] + radius * std::sin(angle), centre[2]);
    }
    throw automation::memberNotFound(describe() + " has no " + member);
}

// --- The drawing ----------------------------------------------------------------------------

ComRef<FakeEntity> Drawing::add(const std::string& kind) {
    auto entity = ComRef<FakeEntity>::adopt(new FakeEntity(shared_from_this(), kind, nextId++));
    entities.push_back(entity);
    return entity;
}

FakeEntity* Drawing::entityById(int id) const {
    for (const auto& entity : entities)
        if (entity->id == id && !entity->deleted) return entity.get();
    return nullptr;
}

Group* Drawing::group(const std::string& name) {
    for (auto& group : groups)
        if (group.name == name) return &group;
    return nullptr;
}

void Drawing::erase(FakeEntity& entity) {
    entity.deleted = true;
    for (auto& group : groups)
        std::erase_if(group.members, [&](const ComRef<FakeEntity>& member) { return member.get() == &entity; });
}

void Drawing::note(const std::string& line) {
    if (!record) return;
    std::fprintf(record, "%s\n", line.c_str());
    std::fflush(record);
}

namespace {

std::string environment(const wchar_t* name) {
    wchar_t value[2048];
    const DWORD length = GetEnvironmentVariableW(name, value, 2048);
    return length && length < 2048 ? cadhost::com::narrow(value, static_cast<int>(length)) : std::string();
}

}  // namespace

ComRef<FakeObject> createApplication() {
    auto drawing = std::make_shared<Drawing>();
    const std::string recordPath = environment(L"CORVEX_FAKE_CAD_RECORD");
    if (!recordPath.empty()) drawing->record = _wfopen(cadhost::com::widen(recordPath).c_str(), L"a");
    drawing->application = ComRef<FakeObject>::adopt(new FakeApplication(drawing));
    drawing->document = ComRef<FakeObject>::adopt(new FakeDocument(drawing));

    std::ifstream setup(cadhost::com::widen(environment(L"CORVEX_FAKE_CAD_DRAWING")).c_str());
    std::string line;
    while (std::getline(setup, line)) {
        std::istringstream words(line);
        std::string shape;
        Point low{}, high{};
        if (!(words >> shape) || shape != "box") continue;
        words >> low[0] >> low[1] >> low[2] >> high[0] >> high[1] >> high[2];
        auto box = drawing->add("Solid3D");
        for (int i = 0; i < 3; ++i) box->centroid[i] = (low[i] + high[i]) / 2;
        std::string groupName;
        while (words >> groupName) {
            if (!drawing->group(groupName)) drawing->groups.push_back({groupName, {}});
            drawing->group(groupName)->members.push_back(box);
        }
    }
    return drawing->application;
}

}  // namespace corvex::fakecad
