#include <gp_Ax2.hxx>

#include <algorithm>
#include <cmath>

#include <BRepPrimAPI_MakeCylinder.hxx>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/occt/model/colour.hpp"
#include "cadhost/occt/model/embedded_host.hpp"
#include "cadhost/occt/model/entities.hpp"
#include "cadhost/occt/model/groups.hpp"
#include "cadhost/occt/model/guard.hpp"
#include "cadhost/occt/model/model_space.hpp"
#include "cadhost/occt/geometry/ball_pass.hpp"
#include "cadhost/occt/geometry/cutter_sweep.hpp"
#include "cadhost/occt/geometry/screw_sweep.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"
#include "cadhost/working_range.hpp"

namespace corvex::cadhost::occt {

Drawing::Drawing() : state_(std::make_shared<DrawingState>()) {}
Drawing::~Drawing() = default;

std::shared_ptr<Drawing> Drawing::create(std::shared_ptr<Journal> journal) {
    std::shared_ptr<Drawing> drawing(new Drawing());
    drawing->state_->journal = journal ? std::move(journal) : std::make_shared<Journal>();
    return drawing;
}

void Drawing::setEagerSubtraction(bool eager) {
    state_->eagerSubtraction = eager;
    if (eager) settle();
}
bool Drawing::eagerSubtraction() const { return state_->eagerSubtraction; }
void Drawing::setFloorMap(bool on) { state_->floorMap = on; }
void Drawing::setCurrentCall(std::string label) { state_->currentCall = std::move(label); }

void Drawing::settle() {
    for (const auto& [id, entity] : state_->entities)
        if (auto* solid = dynamic_cast<SolidEntity*>(entity.get())) solid->shape();
}

Journal& Drawing::journal() { return *state_->journal; }
std::shared_ptr<Journal> Drawing::sharedJournal() const { return state_->journal; }

void Drawing::attachTo(const std::shared_ptr<cadhost::Application>& application) {
    application_ = application;
}

std::shared_ptr<cadhost::Application> Drawing::Application() {
    return hostCall(state_->journal.get(), describe(), "Application", {}, [&](JournalEntry& entry) {
        auto application = application_.lock();
        if (!application) throw automation::failure("the drawing is not open in an application");
        entry.result(Variant::object(application));
        return application;
    });
}

std::shared_ptr<cadhost::ModelSpace> Drawing::ModelSpace() {
    return hostCall(state_->journal.get(), describe(), "ModelSpace", {}, [&](JournalEntry& entry) {
        auto space = std::make_shared<ModelSpaceImpl>(state_);
        entry.result(Variant::object(space));
        return std::shared_ptr<cadhost::ModelSpace>(space);
    });
}

std::shared_ptr<cadhost::Groups> Drawing::Groups() {
    return hostCall(state_->journal.get(), describe(), "Groups", {}, [&](JournalEntry& entry) {
        auto groups = std::make_shared<GroupsImpl>(state_);
        entry.result(Variant::object(groups));
        return std::shared_ptr<cadhost::Groups>(groups);
    });
}

void Drawing::SetVariable(const Variant& name, const Variant& value) {
    hostCall(state_->journal.get(), describe(), "SetVariable", {name, value}, [&](JournalEntry&) {
        if (name.type() != automation::VarType::String)
            throw automation::typeMismatch("a system variable is named by text");
        std::string upper = name.asString();
        for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (upper != "CECOLOR")
            throw automation::invalidArgument("unknown system variable \"" + name.asString() + "\"");
        if (value.type() != automation::VarType::String)
            throw automation::typeMismatch("CECOLOR takes text");
        auto colour = normalColour(value.asString());
        if (!colour)
            throw automation::invalidArgument("\"" + value.asString() +
                                              "\" is not a colour: use 0-256, BYLAYER, BYBLOCK, a colour name or RGB:r,g,b");
        state_->variables[upper] = *colour;
    });
}

std::vector<std::shared_ptr<Entity>> Drawing::entities() const {
    std::vector<std::shared_ptr<Entity>> result;
    result.reserve(state_->entities.size());
    for (const auto& [id, entity] : state_->entities) result.push_back(entity);
    return result;
}

std::vector<std::string> Drawing::groupNames() const {
    std::vector<std::string> names;
    for (const auto& group : state_->groups) names.push_back(group.name);
    return names;
}

std::vector<std::shared_ptr<Entity>> Drawing::groupMembers(const std::string& name) const {
    std::vector<std::shared_ptr<Entity>> members;
    if (auto* group = state_->findGroup(name))
        members.assign(group->members.begin(), group->members.end());
    return members;
}

void Drawing::addToGroup(const std::string& name, const std::shared_ptr<Entity>& entity) {
    auto base = std::dynamic_pointer_cast<EntityBase>(entity);
    if (!base || base->deleted() || !state_->entities.count(base->id()) ||
        state_->entities.at(base->id()) != base)
        throw automation::invalidArgument("only a live entity of this drawing can join a group");
    if (name.empty()) throw automation::invalidArgument("a group needs a name");
    state_->group(name).members.push_back(base);
}

std::string Drawing::variable(const std::string& name) const {
    std::string upper = name;
    for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto it = state_->variables.find(upper);
    return it == state_->variables.end() ? std::string() : it->second;
}

std::shared_ptr<Solid3D> Drawing::addBox(const std::array<double, 3>& corner0,
                                         const std::array<double, 3>& corner1) {
    auto solid = std::make_shared<SolidEntity>(
        makeBox(gp_Pnt(corner0[0], corner0[1], corner0[2]), gp_Pnt(corner1[0], corner1[1], corner1[2])));
    state_->add(solid);
    return solid;
}

std::shared_ptr<Solid3D> Drawing::addAxisCylinder(const std::array<double, 3>& base, double radius,
                                                  double length, int axis) {
    if (!(radius > 0) || !(length > 0))
        throw automation::invalidArgument("a cylinder needs a radius and a length greater than 0");
    if (axis < 0 || axis > 2) throw automation::invalidArgument("the axis must be x, y or z");
    static const gp_Dir directions[] = {gp::DX(), gp::DY(), gp::DZ()};
    gp_Ax2 frame(gp_Pnt(base[0], base[1], base[2]), directions[axis]);
    auto solid = std::make_shared<SolidEntity>(BRepPrimAPI_MakeCylinder(frame, radius, length).Shape());
    state_->add(solid);
    return solid;
}

namespace {

// The cutter's profile, once its points lie within the working range and it has a length.
CutterProfile checkedCutter(const CutterShape& cutter, std::initializer_list<const std::array<double, 3>*> points) {
    for (const auto* point : points)
        for (double value : *point)
            if (!std::isfinite(value) || std::fabs(value) > kWorkingRange)
                throw automation::invalidArgument("a cutter's move must lie within the working range");
    if (!(cutter.length > 0) || !(cutter.length <= kWorkingRange))
        throw automation::invalidArgument("a cutter needs a length above 0");
    return {cutter.diameter / 2, cutter.corner, cutter.angle, cutter.tip};
}

gp_Pnt pointOf(const std::array<double, 3>& p) { return gp_Pnt(p[0], p[1], p[2]); }

// The host's solid made, kept in the drawing and journalled as the call's result.
std::shared_ptr<Solid3D> added(DrawingState& state, JournalEntry& entry, const TopoDS_Shape& shape) {
    auto solid = std::make_shared<SolidEntity>(shape);
    state.add(solid);
    entry.result(automation::Variant::object(solid));
    return solid;
}

}  // namespace

std::shared_ptr<Solid3D> Drawing::addCutterSweep(const CutterShape& cutter, const std::array<double, 3>& from,
                                                 const std::array<double, 3>& to, std::optional<double> levelTop) {
    using automation::Variant;
    const std::initializer_list<Variant> arguments{
        Variant::point(from[0], from[1], from[2]), Variant::point(to[0], to[1], to[2]), Variant::real(cutter.diameter),
        Variant::real(cutter.length), Variant::real(cutter.corner), Variant::real(cutter.angle), Variant::real(cutter.tip)};
    return hostCall(&journal(), "Document", "AddCutterSweep", arguments, [&](JournalEntry& entry) {
        const CutterProfile profile = checkedCutter(cutter, {&from, &to});
        // A ball's pass is made face by face, ten times faster than the divided body's pieces.
        std::optional<TopoDS_Shape> pass;
        if (levelTop && profile.angle == 0 && profile.corner == profile.radius)
            pass = ballPass(profile.radius, *levelTop, {pointOf(from), pointOf(to)});
        auto solid = added(*state_, entry, pass ? *pass : straightSweep(profile, cutter.length, pointOf(from), pointOf(to)));
        // Every point of the cutter lies within its radius of its axis and above its tip.
        VerticalPrism shadow;
        shadow.outline = Outline::slot({from[0], from[1]}, {to[0], to[1]}, profile.radius - kShadowInset);
        shadow.bottom = std::min(from[2], to[2]);
        shadow.top = std::max(from[2], to[2]) + cutter.length;
        std::static_pointer_cast<SolidEntity>(solid)->setShadow(std::move(shadow));
        return solid;
    });
}

std::shared_ptr<Solid3D> Drawing::addCutterArc(const CutterShape& cutter, const std::array<double, 3>& from,
                                               const std::array<double, 3>& centre, double turn) {
    using automation::Variant;
    const std::initializer_list<Variant> arguments{
        Variant::point(from[0], from[1], from[2]), Variant::point(centre[0], centre[1], centre[2]), Variant::real(turn),
        Variant::real(cutter.diameter), Variant::real(cutter.length), Variant::real(cutter.corner),
        Variant::real(cutter.angle), Variant::real(cutter.tip)};
    return hostCall(&journal(), "Document", "AddCutterArc", arguments, [&](JournalEntry& entry) {
        const CutterProfile profile = checkedCutter(cutter, {&from, &centre});
        cutterBody(profile, pointOf(from), cutter.length);  // the cutter's own checks first
        return added(*state_, entry, arcSweep(profile, cutter.length, pointOf(from), pointOf(centre), turn));
    });
}

std::shared_ptr<Solid3D> Drawing::addCutterHelix(const CutterShape& cutter, const std::array<double, 3>& from,
                                                 const std::array<double, 3>& centre, double turn, double rise) {
    using automation::Variant;
    const std::initializer_list<Variant> arguments{
        Variant::point(from[0], from[1], from[2]), Variant::point(centre[0], centre[1], centre[2]), Variant::real(turn),
        Variant::real(rise), Variant::real(cutter.diameter), Variant::real(cutter.length), Variant::real(cutter.corner),
        Variant::real(cutter.angle), Variant::real(cutter.tip)};
    return hostCall(&journal(), "Document", "AddCutterHelix", arguments, [&](JournalEntry& entry) {
        const std::array<double, 3> end{from[0], from[1], from[2] + rise};
        const CutterProfile profile = checkedCutter(cutter, {&from, &centre, &end});
        // screwSweep checks the cutter first, as its body does.
        return added(*state_, entry, screwSweep(profile, cutter.length, pointOf(from), pointOf(centre), turn, rise));
    });
}

}  // namespace corvex::cadhost::occt
