#include "cadhost/occt/model/host_calls.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "automation/error.hpp"
#include "cadhost/occt/model/arguments.hpp"
#include "cadhost/occt/model/entities.hpp"
#include "cadhost/occt/geometry/cutter_sweep.hpp"

namespace corvex::cadhost::occt {
namespace {

constexpr std::string_view kCutterSweep = "host:CutterSweep";
constexpr std::string_view kCutterArc = "host:CutterArc";
constexpr std::string_view kCutterHelix = "host:CutterHelix";

std::array<double, 3> pointOf(const automation::Variant& value, const char* what) {
    const gp_Pnt p = pointArg(value, what);
    return {p.X(), p.Y(), p.Z()};
}

// No material of the solid lies as high as `top`: a sweep cut off level there cuts it alike.
bool holdsNothingAbove(const std::shared_ptr<Entity>& member, double top) {
    const auto entity = std::dynamic_pointer_cast<SolidEntity>(member);
    return entity && entity->highestMaterial() < top - kSweepFlatness;
}

// Takes `cut` from the member (a fresh solid each: a subtraction absorbs the solid it is given).
void subtract(const std::shared_ptr<Entity>& member, const std::shared_ptr<Solid3D>& cut) {
    const auto solid = std::dynamic_pointer_cast<Solid3D>(member);
    if (!solid) throw automation::typeMismatch("a member of the group PART is not a 3D solid");
    solid->Boolean(automation::Variant::int32(static_cast<std::int32_t>(BooleanOp::Subtraction)),
                   automation::Variant::object(cut));
    solid->Update();
}

// The cutter's five numbers, from `first` on.
CutterShape cutterOf(const std::vector<automation::Variant>& arguments, std::size_t first) {
    return {numberArg(arguments[first], "the cutter's diameter"), numberArg(arguments[first + 1], "its length"),
            numberArg(arguments[first + 2], "its corner radius"), numberArg(arguments[first + 3], "its angle"),
            numberArg(arguments[first + 4], "its tip diameter")};
}

void cutterArc(Drawing& drawing, const std::vector<automation::Variant>& arguments) {
    const auto from = pointOf(arguments[0], "the arc's start");
    const auto centre = pointOf(arguments[1], "the arc's centre");
    const double turn = numberArg(arguments[2], "the arc's turn") * M_PI / 180;
    const CutterShape cutter = cutterOf(arguments, 3);
    for (const auto& member : drawing.groupMembers("PART")) subtract(member, drawing.addCutterArc(cutter, from, centre, turn));
}

void cutterHelix(Drawing& drawing, const std::vector<automation::Variant>& arguments) {
    const auto from = pointOf(arguments[0], "the helix's start");
    const auto centre = pointOf(arguments[1], "the helix's centre");
    const double turn = numberArg(arguments[2], "the helix's turn") * M_PI / 180;
    const double rise = numberArg(arguments[3], "the helix's rise");
    const CutterShape cutter = cutterOf(arguments, 4);
    for (const auto& member : drawing.groupMembers("PART"))
        subtract(member, drawing.addCutterHelix(cutter, from, centre, turn, rise));
}

void cutterSweep(Drawing& drawing, const std::vector<automation::Variant>& arguments) {
    const auto from = pointOf(arguments[0], "the sweep's start");
    const auto to = pointOf(arguments[1], "the sweep's end");
    const CutterShape cutter = cutterOf(arguments, 2);
    // The sweep's top is at least the lower end's top.
    const double lowTop = std::min(from[2], to[2]) + cutter.length;
    for (const auto& member : drawing.groupMembers("PART"))
        subtract(member, drawing.addCutterSweep(cutter, from, to,
                                                holdsNothingAbove(member, lowTop) ? std::optional(lowTop) : std::nullopt));
}

}  // namespace

bool isHostCallName(std::string_view name) { return name.substr(0, 5) == "host:"; }

std::size_t hostCallArity(std::string_view name) {
    if (name == kCutterSweep) return 7;
    if (name == kCutterArc) return 8;
    if (name == kCutterHelix) return 9;
    throw automation::invalidArgument("the host has no call \"" + std::string(name) + "\"");
}

void invokeHostCall(Drawing& drawing, std::string_view name, const std::vector<automation::Variant>& arguments) {
    if (arguments.size() != hostCallArity(name))
        throw automation::invalidArgument(std::string(name) + " takes " + std::to_string(hostCallArity(name)) +
                                          " arguments");
    if (name == kCutterArc) return cutterArc(drawing, arguments);
    if (name == kCutterHelix) return cutterHelix(drawing, arguments);
    cutterSweep(drawing, arguments);
}

}  // namespace corvex::cadhost::occt
