// The revolved arc sweep: a circular move of a milling tool cut out of every member of
// "PART". A partial arc revolves the tool's cross-section (four points from the client) about
// the arc's centre and brings the tool to the arc's end; a full circle extrudes the disc or
// ring that a tool of the given diameter covers going once round.
#include "automation/arithmetic.hpp"
#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/take.hpp"
#include "mill/host_arguments.hpp"
#include "mill/mill_points.hpp"
#include "mill/workpiece.hpp"
#include "server/corvex4.hpp"
#include "server/late_bound.hpp"

namespace corvex {

using automation::Variant;
namespace checked = automation::checked;

namespace {

// This member's degree factor, coarser than the arc slot cut's: clients place the arc's end
// point with it, so the swept solid must end where theirs does.
constexpr double kDegreesToRadians = 0.01745;

void hide(const Variant& holder) {
    lateBound<cadhost::Entity>(holder, "Visible")->putVisible(Variant::boolean(false));
}

}  // namespace

void corvex4::ToolRevolveArc(const Variant& centerpoint, const Variant& vpoint1,
                             const Variant& vpoint2, const Variant& vpoint3,
                             const Variant& vpoint4, double sweep, const Variant& EndPoint,
                             double dia) {
    refreshDocument();
    const auto part = group("PART");

    if (sweep == 0) {
        const double r = automation::toDouble(
            distance(mill::coordinateValue(centerpoint, 0), mill::coordinateValue(centerpoint, 1),
                     mill::coordinateValue(EndPoint, 0), mill::coordinateValue(EndPoint, 1)));
        if (r == 0) return;
        const double h = checked::div(dia, 2);
        // The tool's centre circle of radius r widened by the tool's radius h on both sides:
        // a ring while the tool clears the centre, a disc once it covers it.
        std::shared_ptr<cadhost::Circle> inner, outer;
        Variant regions;
        if (h < r) {
            inner = modelSpace()->AddCircle(centerpoint, Variant::real(checked::sub(r, h)));
            outer = modelSpace()->AddCircle(centerpoint, Variant::real(checked::add(h, r)));
            regions = modelSpace()->AddRegion(mill::entityList({inner, outer}));
            // The host lists the enclosing region first: taking the second from it leaves the
            // ring, and the second is absorbed.
            lateBound<cadhost::Region>(mill::element(regions, 0), "Boolean")
                ->Boolean(mill::subtraction(), mill::element(regions, 1));
        } else {
            outer = modelSpace()->AddCircle(centerpoint, Variant::real(checked::add(h, r)));
            regions = modelSpace()->AddRegion(mill::entityList({outer}));
        }
        const Variant profile = mill::element(regions, 0);
        hide(profile);
        mill::forEachMember(*part, [&](const std::shared_ptr<cadhost::Solid3D>& member) {
            // A fresh solid per member: each subtraction absorbs the solid it is given.
            cutSolid = cadhost::take<cadhost::Solid3D>(
                modelSpace()->AddExtrudedSolid(profile, Variant::real(sweepHeight), Variant::int16(0)),
                "a 3D solid");
            member->Boolean(mill::subtraction(), Variant::object(cutSolid));
            member->Update();
        });
        mill::deleteHeld(profile);
        if (inner) inner->Delete();
        outer->Delete();
        return;
    }

    const auto line1 = modelSpace()->AddLine(vpoint1, vpoint2);
    const auto line2 = modelSpace()->AddLine(vpoint2, vpoint3);
    const auto line3 = modelSpace()->AddLine(vpoint3, vpoint4);
    const auto line4 = modelSpace()->AddLine(vpoint4, vpoint1);
    for (const auto& line : {line1, line2, line3, line4}) line->putVisible(Variant::boolean(false));
    const Variant regions = modelSpace()->AddRegion(mill::entityList({line1, line2, line3, line4}));
    const Variant profile = mill::element(regions, 0);
    const double angle = checked::mul(sweep, kDegreesToRadians);
    hide(profile);
    mill::forEachMember(*part, [&](const std::shared_ptr<cadhost::Solid3D>& member) {
        cutSolid = cadhost::take<cadhost::Solid3D>(
            modelSpace()->AddRevolvedSolid(profile, centerpoint, Variant::doubles({0, 0, 1}),
                                           Variant::real(angle)),
            "a 3D solid");
        member->Boolean(mill::subtraction(), Variant::object(cutSolid));
        member->Update();
    });
    mill::deleteHeld(profile);
    for (const auto& line : {line1, line2, line3, line4}) line->Delete();
    MoveTool(mill::coordinate(EndPoint, 0), mill::coordinate(EndPoint, 1),
             mill::coordinateValue(EndPoint, 2));
}

}  // namespace corvex
