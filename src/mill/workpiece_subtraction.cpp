// Workpiece subtraction and drilling: taking a cut solid out of the members of "PART".
#include <cstdint>

#include "automation/arithmetic.hpp"
#include "automation/error.hpp"
#include "cadhost/take.hpp"
#include "mill/workpiece.hpp"
#include "server/corvex4.hpp"

namespace corvex {

using automation::Variant;

void corvex4::SubtractToolFromGroup() {
    const auto part = group("PART");
    // Only member 0: the arc and lathe cuts build one cut solid, and a Boolean absorbs it.
    const auto member = cadhost::take<cadhost::Solid3D>(part->Item(Variant::int16(0)), "a 3D solid");
    member->Boolean(mill::subtraction(), Variant::object(cutSolid));
    member->Update();
}

void corvex4::subtract(std::shared_ptr<cadhost::Solid3D> tool) {
    // Accepted and released: the member stays in the interface for clients that call it.
    (void)tool;
}

void corvex4::drill_path(double x, double y, double z, double height, double radius) {
    // The host takes a cylinder's centre at mid-height, so the hole spans z .. z + height.
    const Variant centre =
        Variant::point(x, y, automation::checked::add(automation::checked::div(height, 2), z));
    const auto part = group("PART");
    mill::forEachMember(*part, [&](const std::shared_ptr<cadhost::Solid3D>& member) {
        // A cylinder per member: each subtraction absorbs the solid it is given.
        cutSolid = cadhost::take<cadhost::Solid3D>(
            modelSpace()->AddCylinder(centre, Variant::real(radius), Variant::real(height)),
            "a 3D solid");
        member->Boolean(mill::subtraction(), Variant::object(cutSolid));
        member->Update();
    });
}

}  // namespace corvex
