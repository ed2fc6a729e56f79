// Rotary axes: turning the groups of the A, B and C axes. Whatever is a member of an axis's
// group turns with that axis; nothing else moves. A and B turn about X and Y through the
// origin; C turns about the line from the origin through the centroid of the marker solid,
// member 0 of "CAXIS", so the C axis follows the marker wherever other axes carried it.
#include <cstdint>
#include <memory>
#include <string>

#include "automation/arithmetic.hpp"
#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/take.hpp"
#include "server/corvex4.hpp"
#include "server/sixteen_bit_group_loop.hpp"

namespace corvex {

using automation::Variant;

namespace {

// Not exactly pi/180: the rotary tables were set up with this factor, and a drawing turned
// to and fro by it must land where it always has.
constexpr double kDegreesToRadians = 0.017453293;

// Turns every member of `group` (of any kind) about point1 -> point2 by `radians`, and
// returns the member turned last (null when none was).
std::shared_ptr<cadhost::Entity> turnMembers(cadhost::Group& group, const Variant& point1,
                                             const Variant& point2, const Variant& radians) {
    return eachMemberOn16BitCounter(
        group, [&](cadhost::Entity& member) { member.Rotate3D(point1, point2, radians); });
}

}  // namespace

void corvex4::RotateAxis(std::int16_t Axis, double angle) {
    rereadActiveDocument();
    // A move to 0 or to a full turn is no move at all: nothing else is even looked at.
    if (angle == 0 || angle == 360) return;
    const Variant point1 = Variant::point(0, 0, 0);
    Variant point2;
    if (Axis == 1) point2 = Variant::point(1, 0, 0);
    if (Axis == 2) point2 = Variant::point(0, 1, 0);
    const auto groups = cadhost::take<cadhost::Groups>(documentFor("Groups")->Groups(),
                                                       "the groups collection");
    if (angle < 0) angle = automation::checked::add(angle, 360);
    // The drawing turns against the sign of the angle the machine is given.
    const Variant radians =
        Variant::real(automation::checked::mul(-angle, kDegreesToRadians));

    std::shared_ptr<cadhost::Entity> turned;
    const auto groupNamed = [&](const char* name) {
        return cadhost::take<cadhost::Group>(groups->Item(Variant::string(name)), "a group");
    };
    switch (Axis) {
        case 1:
            turned = turnMembers(*groupNamed("ROTARYA"), point1, point2, radians);
            break;
        case 2:
            turned = turnMembers(*groupNamed("ROTARYB"), point1, point2, radians);
            break;
        case 3: {
            const auto axisGroup = groupNamed("ROTARYC");
            const auto markerGroup = groupNamed("CAXIS");
            const auto marker = cadhost::take<cadhost::Solid3D>(
                markerGroup->Item(Variant::int16(0)), "a 3D solid");
            // Fixed before the loop: turning the marker with the group must not move the
            // axis halfway through the call. The centroid is asked for once per coordinate.
            const double cx = automation::toDouble(marker->Centroid().asArray().at(0));
            const double cy = automation::toDouble(marker->Centroid().asArray().at(1));
            const double cz = automation::toDouble(marker->Centroid().asArray().at(2));
            point2 = Variant::point(cx, cy, cz);
            turned = turnMembers(*axisGroup, point1, point2, radians);
            break;
        }
        default:
            break;  // no such axis: nothing is fetched and nothing turns
    }
    // One redraw for the whole group; with nothing turned there is nothing to redraw.
    if (!turned)
        throw automation::objectRequired("Update called on Nothing: axis " + std::to_string(Axis) +
                                         " turned no member");
    turned->Update();
}

}  // namespace corvex
