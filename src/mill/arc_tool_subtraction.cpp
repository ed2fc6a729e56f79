// Arc tool subtraction: the cut solid taken out of every member of "PART" it touches. Each
// member loses only its common volume with the cut, so the one cut solid serves every member
// and is deleted once at the end; members it does not touch are neither changed nor redrawn.
#include <cstdint>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/take.hpp"
#include "mill/workpiece.hpp"
#include "server/corvex4.hpp"

namespace corvex {

using automation::Variant;

void corvex4::SubtractArcToolFromGroup() {
    const auto part = group("PART");
    const std::int16_t count = automation::toInt16(Variant::int32(part->Count()));
    const std::int16_t last = static_cast<std::int16_t>(count - 1);
    for (std::int16_t i = 0; i <= last; ++i) {
        const auto member = cadhost::take<cadhost::Solid3D>(part->Item(Variant::int16(i)), "a 3D solid");
        const auto common = member->CheckInterference(Variant::object(cutSolid), Variant::boolean(true));
        if (!common) continue;
        member->Boolean(mill::subtraction(), Variant::object(common));
        member->Update();
    }
    if (!cutSolid) throw automation::objectRequired("SubtractArcToolFromGroup: there is no cut solid");
    cutSolid->Delete();
}

}  // namespace corvex
