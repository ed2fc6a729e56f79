// The path sweep: the solid the current milling tool sweeps on a straight move, left in
// cutSolid for the arc tool subtraction to take out of the workpiece. The tool's side outline
// is stood up at the start, turned square to the move and swept along a two-point path; a
// half-cylindrical cap, revolved from half the outline, is made at the end separately.
#include <numbers>

#include "automation/arithmetic.hpp"
#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/take.hpp"
#include "mill/host_arguments.hpp"
#include "server/corvex4.hpp"

namespace corvex {

using automation::Variant;
namespace checked = automation::checked;

namespace {

// The stand-up angle: a hair short of a right angle, which leaves the outlines tilted by a few
// micro-radians. Kept as it has always been, so that the swept solids do not change under
// clients who compare results from one release to the next.
constexpr double kStandUp = 1.57079;
constexpr double kCornerBulge = 0.5;
constexpr double kHalfTurnClockwise = -3.14159265;

// The direction of the move in plan, between -pi/2 and pi/2. A move parallel to Y has no
// finite slope: take the arctangent's limit on the side the move goes.
double directionAngle(const automation::Point3& s, const automation::Point3& e) {
    if (e.x == s.x) {
        if (e.y == s.y)
            throw automation::invalidArgument(
                "ToolExtrudePath: StartPoint and EndPoint have the same X and Y, so the move has "
                "no length to sweep along");
        return e.y > s.y ? std::numbers::pi / 2 : -std::numbers::pi / 2;
    }
    return checked::atan(checked::div(checked::sub(e.y, s.y), checked::sub(e.x, s.x)));
}

}  // namespace

void corvex4::ToolExtrudePath(const Variant& StartPoint, const Variant& EndPoint) {
    const double R = toolRadius;
    const double C = toolCornerRadius;
    const double H = sweepHeight;
    const auto s = automation::toPoint(StartPoint);
    const auto e = automation::toPoint(EndPoint);

    const auto path = cadhost::take<cadhost::Polyline>(
        modelSpace()->AddPolyline(Variant::doubles({s.x, s.y, s.z, e.x, e.y, e.z})), "a polyline");
    path->putElevation(Variant::real(s.z));
    const double a = directionAngle(s, e);

    // The tool's silhouette lying flat: X along the tool axis from the tip, Y across it.
    using checked::add;
    using checked::sub;
    const double tipX = add(s.x, C), endX = add(s.x, H);
    const double low = sub(s.y, R), high = add(s.y, R);
    const auto outline = cadhost::take<cadhost::Polyline>(
        modelSpace()->AddPolyline(Variant::doubles({tipX, low, 0,  endX, low, 0,  endX, high, 0,
                                                    tipX, high, 0,  s.x, sub(high, C), 0,
                                                    s.x, add(low, C), 0,  tipX, low, 0})),
        "a polyline");
    slotOutline = outline;
    outline->SetBulge(Variant::int16(3), Variant::real(kCornerBulge));
    outline->SetBulge(Variant::int16(5), Variant::real(kCornerBulge));
    outline->putElevation(Variant::real(s.z));
    outline->Rotate3D(StartPoint, Variant::point(s.x, sub(s.y, 1.0), s.z), Variant::real(kStandUp));
    outline->Rotate3D(StartPoint, Variant::point(s.x, s.y, add(s.z, 1.0)), Variant::real(a));
    const Variant regions = modelSpace()->AddRegion(mill::entityList({outline}));
    cutSolid = cadhost::take<cadhost::Solid3D>(
        modelSpace()->AddExtrudedSolidAlongPath(mill::element(regions, 0), Variant::object(path)),
        "a 3D solid");

    // Half the silhouette, from the axis out to +Y, revolved half a turn about the tool axis
    // at the end point: the rounded end of the slot.
    const double capTipX = add(e.x, C), capEndX = add(e.x, H), side = add(e.y, R);
    const auto half = cadhost::take<cadhost::Polyline>(
        modelSpace()->AddPolyline(Variant::doubles({e.x, e.y, 0,  capEndX, e.y, 0,  capEndX, side, 0,
                                                    capTipX, side, 0,  e.x, sub(side, C), 0,
                                                    e.x, e.y, 0})),
        "a polyline");
    half->putElevation(Variant::real(e.z));
    half->SetBulge(Variant::int16(3), Variant::real(kCornerBulge));
    const double axisY = add(e.y, 0.005);
    half->Rotate3D(Variant::point(e.x, add(axisY, 1.0), e.z), Variant::point(e.x, axisY, e.z),
                   Variant::real(kStandUp));
    half->Rotate3D(EndPoint, Variant::point(e.x, e.y, add(e.z, 1.0)), Variant::real(a));
    const Variant capRegions = modelSpace()->AddRegion(mill::entityList({half}));
    cadhost::take<cadhost::Solid3D>(
        modelSpace()->AddRevolvedSolid(mill::element(capRegions, 0), EndPoint,
                                       Variant::doubles({0, 0, 1}), Variant::real(kHalfTurnClockwise)),
        "a 3D solid");
    half->Delete();
}

}  // namespace corvex
