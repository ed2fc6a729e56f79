// Tool motion: the tool solid follows the machine position the client commands. The solid is
// never placed at absolute coordinates; it is moved by the difference between the new
// position and the one last recorded, so the fields and the solid must change together.
#include "automation/arithmetic.hpp"
#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "server/corvex4.hpp"

namespace corvex {

using automation::Variant;

Variant corvex4::MoveTool(const Variant& x, const Variant& y, double z) {
    // x and y are whatever the client sent: Variant subtraction gives Empty its 0, parses
    // numeric text and fails on Null or objects before anything moves.
    const Variant dx = x - Variant::real(toolX);
    const Variant dy = y - Variant::real(toolY);
    const double dz = automation::checked::sub(z, toolZ);

    const Variant from = Variant::point(0, 0, 0);
    const Variant to = Variant::point(automation::toDouble(dx), automation::toDouble(dy), dz);
    if (!toolSolid) throw automation::objectRequired("MoveTool: there is no tool solid");
    toolSolid->Move(from, to);

    toolX = automation::toDouble(x);
    toolY = automation::toDouble(y);
    toolZ = z;
    toolSolid->Update();
    return Variant();
}

}  // namespace corvex
