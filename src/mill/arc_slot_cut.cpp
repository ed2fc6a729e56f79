// The arc slot cut: a circular milling move in a plane parallel to XY. The client draws the
// plan of the cut as two concentric arcs closed by two lines (or one arc and two lines, or
// two concentric circles); the outline is extruded through the tool length and taken out of
// the first member of "PART".
#include "automation/arithmetic.hpp"
#include "automation/error.hpp"
#include "cadhost/take.hpp"
#include "mill/host_arguments.hpp"
#include "mill/workpiece.hpp"
#include "server/corvex4.hpp"
#include "server/late_bound.hpp"

namespace corvex {

using automation::Variant;

namespace {

// The client's angle factor: close to, but not exactly, pi / 180. Kept so that arcs end
// where the client computed its closing lines.
constexpr double kDegreesToRadians = 0.017453293;

}  // namespace

void corvex4::ToolMillArc(const Variant& centerpoint, const Variant& EndPoint,
                          const Variant& vpoint1, const Variant& vpoint2, const Variant& vpoint3,
                          const Variant& vpoint4, double r1, double r2, double startangle,
                          double endangle) {
    refreshDocument();
    const auto extrudeProfile = [&](const Variant& profile) {
        cutSolid = cadhost::take<cadhost::Solid3D>(
            modelSpace()->AddExtrudedSolid(profile, Variant::real(sweepHeight), Variant::int16(0)),
            "a 3D solid");
    };

    if (startangle != endangle) {
        const Variant a1 = Variant::real(automation::checked::mul(startangle, kDegreesToRadians));
        const Variant a2 = Variant::real(automation::checked::mul(endangle, kDegreesToRadians));
        const auto line1 = modelSpace()->AddLine(vpoint1, vpoint2);
        const auto line2 = modelSpace()->AddLine(vpoint3, vpoint4);
        const auto arc1 = modelSpace()->AddArc(centerpoint, Variant::real(r1), a1, a2);
        // Without a second radius the two lines and the one arc close the outline themselves.
        std::shared_ptr<cadhost::Arc> arc2;
        if (r2 > 0) arc2 = modelSpace()->AddArc(centerpoint, Variant::real(r2), a1, a2);
        const Variant regions = modelSpace()->AddRegion(
            arc2 ? mill::entityList({line1, line2, arc1, arc2}) : mill::entityList({line1, line2, arc1}));
        const Variant profile = mill::element(regions, 0);
        extrudeProfile(profile);
        mill::deleteHeld(profile);
        line1->Delete();
        line2->Delete();
        arc1->Delete();
        if (arc2) arc2->Delete();
        SubtractToolFromGroup();
        return;
    }

    // A full circle without an inner radius is left uncut.
    if (r2 <= 0) return;
    const auto inner = modelSpace()->AddCircle(centerpoint, Variant::real(r2));
    const auto outer = modelSpace()->AddCircle(centerpoint, Variant::real(r1));
    const Variant regions = modelSpace()->AddRegion(mill::entityList({inner, outer}));
    // The host lists an enclosing region first, so taking the second from the first leaves
    // the ring; the second region is absorbed by the subtraction.
    const Variant profile = mill::element(regions, 0);
    lateBound<cadhost::Region>(profile, "Boolean")->Boolean(mill::subtraction(), mill::element(regions, 1));
    extrudeProfile(profile);
    mill::deleteHeld(profile);
    inner->Delete();
    outer->Delete();
    SubtractToolFromGroup();
}

}  // namespace corvex
