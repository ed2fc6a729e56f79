// The linear slot cut: one reusable construction outline, reshaped for every straight move
// into a slot (two straight sides, two half circles), extruded and subtracted from every
// member of the workpiece group "PART".
#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/take.hpp"
#include "server/corvex4.hpp"
#include "server/late_bound.hpp"

namespace corvex {

using automation::Variant;

void corvex4::ToolPolyCreate() {
    refreshDocument();
    // A closed unit square out of the way of any workpiece; ToolExtrudeLine reshapes it.
    const Variant vertices = Variant::doubles({-100, 0, 0,  -100, 1, 0,  -101, 1, 0,
                                               -101, 0, 0,  -100, 0, 0});
    slotOutline = cadhost::take<cadhost::Polyline>(modelSpace()->AddPolyline(vertices),
                                                   "a polyline");
}

Variant corvex4::ToolExtrudeLine(const Variant& point1, const Variant& point2,
                                 const Variant& point3, const Variant& point4,
                                 const Variant& point5, double z) {
    refreshDocument();
    if (!slotOutline)
        throw automation::objectRequired("there is no slot outline (StartAcad makes it)");
    slotOutline->putVisible(Variant::boolean(false));
    const Variant* points[] = {&point1, &point2, &point3, &point4, &point5};
    for (std::int16_t index = 0; index < 5; ++index)
        slotOutline->putCoordinate(Variant::int16(index), *points[index]);
    // Segments 1 and 3 become the half circles of the cutter's two ends; 0 and 2 keep theirs.
    slotOutline->SetBulge(Variant::int16(1), Variant::real(1.0));
    slotOutline->SetBulge(Variant::int16(3), Variant::real(1.0));
    slotOutline->putElevation(Variant::real(z));

    const auto part = group("PART");
    const std::int16_t count = automation::toInt16(Variant::int32(part->Count()));
    for (std::int16_t i = 0; i < count; ++i) {
        // A fresh region and cut solid per member: each subtraction absorbs its own solid.
        const Variant entities = Variant::variants({Variant::object(slotOutline)});
        const Variant regions = modelSpace()->AddRegion(entities);
        const Variant region = regions.asArray().at(0);
        cutSolid = cadhost::take<cadhost::Solid3D>(
            modelSpace()->AddExtrudedSolid(region, Variant::real(sweepHeight), Variant::int16(0)),
            "a 3D solid");
        lateBound<cadhost::Entity>(region, "Delete")->Delete();
        const auto member = cadhost::take<cadhost::Solid3D>(part->Item(Variant::int16(i)),
                                                            "a 3D solid");
        // The operation reaches the host as its enumeration value, a 32-bit integer.
        member->Boolean(Variant::int32(2), Variant::object(cutSolid));
        member->Update();
    }
    return Variant::int16(1);
}

}  // namespace corvex
