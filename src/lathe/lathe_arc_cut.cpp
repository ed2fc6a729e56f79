// The lathe arc cut: one circular turning move. The swept area is the ring sector between two
// concentric arcs, closed by two lines; it is revolved about the spindle axis and cut from
// the workpiece, and the tool solid follows to the end point.
#include "automation/arithmetic.hpp"
#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/take.hpp"
#include "lathe/lathe_support.hpp"
#include "server/corvex4.hpp"

namespace corvex {

using automation::Variant;

namespace {

// The client's degrees-to-radians factor: a decimal, not the exact pi/180. Keeping it keeps
// the arcs where the client computed its moves.
constexpr double kDegreesToRadians = 0.017453293;

Variant radiansOf(const Variant& arc, std::int16_t index, const char* name) {
    return Variant::real(automation::checked::mul(lathe::number(arc, index, name), kDegreesToRadians));
}

}  // namespace

void corvex4::LatheArc(const Variant& Arc1, const Variant& Arc2, const Variant& /*Line1*/,
                       const Variant& /*Line2*/, const Variant& EndPoint) {
    // The second arc always turns about the first one's centre.
    const double centreX = lathe::number(Arc1, 0, "Arc1");
    const double centreY = lathe::number(Arc1, 1, "Arc1");
    const Variant centre = Variant::point(centreX, centreY, 0);

    const Variant& radius1 = lathe::element(Arc1, 2, "Arc1");
    const Variant start1 = radiansOf(Arc1, 3, "Arc1");
    const Variant end1 = radiansOf(Arc1, 4, "Arc1");
    const auto arc1 = cadhost::take<cadhost::Arc>(modelSpace()->AddArc(centre, radius1, start1, end1),
                                                  "an arc");
    const Variant& radius2 = lathe::element(Arc2, 2, "Arc2");
    const Variant start2 = radiansOf(Arc2, 3, "Arc2");
    const Variant end2 = radiansOf(Arc2, 4, "Arc2");
    const auto arc2 = cadhost::take<cadhost::Arc>(modelSpace()->AddArc(centre, radius2, start2, end2),
                                                  "an arc");

    // The lines take their ends from the host's arcs, so that the four curves close exactly.
    // The model space first, then the arcs' ends: the order in which the call is evaluated.
    auto space = modelSpace();
    const Variant arc1Start = arc1->StartPoint();
    const Variant arc2Start = arc2->StartPoint();
    const auto line1 = cadhost::take<cadhost::Line>(space->AddLine(arc1Start, arc2Start), "a line");
    space = modelSpace();
    const Variant arc1End = arc1->EndPoint();
    const Variant arc2End = arc2->EndPoint();
    const auto line2 = cadhost::take<cadhost::Line>(space->AddLine(arc1End, arc2End), "a line");

    const Variant regions = modelSpace()->AddRegion(Variant::variants(
        {Variant::object(arc1), Variant::object(arc2), Variant::object(line1), Variant::object(line2)}));
    const Variant region = lathe::regionAt(regions, 0);
    cutSolid = lathe::revolveAboutSpindle(*modelSpace(), region);
    SubtractToolFromGroup();

    lathe::deleteHeld(region);
    arc1->Delete();
    arc2->Delete();
    line1->Delete();
    line2->Delete();

    MoveTool(lathe::element(EndPoint, 0, "EndPoint"), lathe::element(EndPoint, 1, "EndPoint"), 0.0);
}

}  // namespace corvex
