// The utility members: a region from a closed polyline, a distance in the plane, and the
// colour of new entities.
#include <cmath>

#include "automation/arithmetic.hpp"
#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "server/corvex4.hpp"

namespace corvex {

using automation::Variant;
namespace checked = automation::checked;

Variant corvex4::MakeRegion(const Variant& PolyLine) {
    // Always a list of three, the curve first: the host skips the Empty entries, and whatever
    // the argument holds reaches the host unchanged for it to accept or refuse.
    const Variant entities = Variant::variants({PolyLine, Variant(), Variant()});
    return modelSpace()->AddRegion(entities);
}

Variant corvex4::distance(double x1, double y1, double x2, double y2) {
    const double dy = std::fabs(checked::sub(y2, y1));
    const double dx = std::fabs(checked::sub(x2, x1));
    return Variant::real(checked::sqrt(checked::add(checked::mul(dx, dx), checked::mul(dy, dy))));
}

void corvex4::setcolor(const Variant& color) {
    // The host judges the value, as a user typing it would be judged; only a value that has
    // no text at all fails here, before the host is asked.
    const std::string text = automation::toText(color);
    documentFor("SetVariable")->SetVariable(Variant::string("CECOLOR"), Variant::string(text));
}

}  // namespace corvex
