// The probe: its radius, and zeroing and moving the probe group. Whoever prepares the drawing
// puts the probe's entities in the group "PROBESOLID"; member 1 is the probe solid, whose
// centroid is the probe's reference point. The probe moves with the machine position it
// shares with the tool (toolX, toolY, toolZ), and cuts nothing.
#include <cstdint>
#include <memory>

#include "automation/arithmetic.hpp"
#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/take.hpp"
#include "server/corvex4.hpp"
#include "server/sixteen_bit_group_loop.hpp"

namespace corvex {

using automation::Variant;

namespace {

constexpr const char* kProbeGroup = "PROBESOLID";

// Moves every member of `group` (of any kind) by from -> to, then redraws the one moved
// last. An empty group moves nothing and then fails, as there is no member to redraw.
void moveMembers(cadhost::Group& group, const Variant& from, const Variant& to) {
    const auto moved = eachMemberOn16BitCounter(group, [&](cadhost::Entity& member) { member.Move(from, to); });
    if (!moved)
        throw automation::objectRequired(std::string("Update called on Nothing: the group \"") +
                                         kProbeGroup + "\" has no member to redraw");
    moved->Update();
}

}  // namespace

Variant corvex4::ProbeRadius(double r) {
    // -1 asks for the radius without changing it; the system itself never reads it.
    if (r == -1.0) return Variant::real(probeRadius);
    probeRadius = r;
    return Variant::real(r);
}

void corvex4::ProbeToZero() {
    rereadActiveDocument();
    const auto probe = group(kProbeGroup);
    const auto probeSolid =
        cadhost::take<cadhost::Solid3D>(probe->Item(Variant::int16(1)), "a 3D solid");
    // The centroid is asked for once per coordinate, as the probe's own statements do.
    const double cx = -automation::toDouble(probeSolid->Centroid().asArray().at(0));
    const double cy = -automation::toDouble(probeSolid->Centroid().asArray().at(1));
    const double cz = -automation::toDouble(probeSolid->Centroid().asArray().at(2));
    const Variant to = Variant::point(cx, cy, cz);
    const Variant from = Variant::point(0, 0, 0);
    // Zeroing moves the probe without touching the machine position.
    moveMembers(*probe, from, to);
}

Variant corvex4::MoveProbe(const Variant& x, const Variant& y, double z) {
    rereadActiveDocument();
    const auto probe = group(kProbeGroup);
    const Variant dx = x - Variant::real(toolX);
    const Variant dy = y - Variant::real(toolY);
    const double dz = automation::checked::sub(z, toolZ);
    // Unlike MoveTool, the position is taken before anything moves: a failure further on
    // leaves the machine at the new position with the probe only partly moved.
    toolX = automation::toDouble(x);
    toolY = automation::toDouble(y);
    toolZ = z;
    const Variant from = Variant::point(0, 0, 0);
    const Variant to = Variant::point(automation::toDouble(dx), automation::toDouble(dy), dz);
    moveMembers(*probe, from, to);
    return {};
}

}  // namespace corvex
