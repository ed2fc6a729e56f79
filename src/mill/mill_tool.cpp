// The milling tool solid: a cutter of given diameter, length and corner radius, revolved from
// its half outline, made the current tool and stood with the centre of its tip at the point
// the client gives.
#include "automation/arithmetic.hpp"
#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/take.hpp"
#include "mill/host_arguments.hpp"
#include "mill/mill_points.hpp"
#include "server/corvex4.hpp"

namespace corvex {

using automation::Variant;
namespace checked = automation::checked;

namespace {

struct CutterDimensions {
    double dia, length, cornerRad;
};

// Every cutter gets a rounded corner, never wider than the tool allows, and a length that
// leaves room for it; the revolution would otherwise meet degenerate edges.
CutterDimensions usableDimensions(double dia, double length, double cornerRad) {
    if (checked::div(dia, 2) < 0.01) dia = 1.0;
    if (cornerRad < 0.003) cornerRad = 0.003;
    const double widest = checked::sub(checked::div(dia, 2), 0.003);
    if (cornerRad > widest) cornerRad = widest;
    if (length == 0) length = 2.0;
    const double shortest = checked::add(cornerRad, 0.005);
    if (shortest > length) length = shortest;
    return {dia, length, cornerRad};
}

// Runs `step`, passing over an automation failure: the tail of MakeToolMill must hand the new
// tool back even when there is no old tool to delete or the move fails.
template <typename Step>
void passOverFailure(Step&& step) {
    try {
        step();
    } catch (const automation::Error&) {
    }
}

}  // namespace

std::shared_ptr<cadhost::Solid3D> corvex4::MakeToolMill(const Variant& centerpoint, double dia,
                                                       double length, double CornerRad) {
    refreshDocument();
    const auto size = usableDimensions(dia, length, CornerRad);
    sweepHeight = size.length;

    // Half the cutter's section: X along the axis, Y away from it. The outline keeps 0.005
    // off the axis (a thin bore) so the revolution never meets an edge on the axis itself.
    const double R = checked::div(size.dia, 2);
    const double c = size.cornerRad;
    const double L = size.length;
    const auto outline = cadhost::take<cadhost::Polyline>(
        modelSpace()->AddPolyline(Variant::doubles({0, 0.005, 0,  L, 0.005, 0,  L, R, 0,
                                                    c, R, 0,  0, checked::sub(R, c), 0,
                                                    0, 0.005, 0})),
        "a polyline");
    outline->SetBulge(Variant::int16(3), Variant::real(0.5));
    // About -Y by (nearly) a right angle: the axis becomes +Z with the tip at Z = 0.
    outline->Rotate3D(Variant::point(0, 1, 0), Variant::point(0, 0, 0), Variant::real(1.57079));

    const Variant regions = modelSpace()->AddRegion(mill::entityList({outline}));
    const Variant region = mill::element(regions, 0);
    const auto solid = cadhost::take<cadhost::Solid3D>(
        modelSpace()->AddRevolvedSolid(region, Variant::point(0, 0, checked::div(L, 2)),
                                       Variant::point(0, 0, 10.0), Variant::real(6.283)),
        "a 3D solid");
    outline->Delete();
    mill::deleteHeld(region);
    solid->Update();
    toolRadius = R;
    toolCornerRadius = c;

    // The old tool goes only now that the new one exists, and nothing from here on may cost
    // the client the new tool.
    passOverFailure([&] {
        if (!toolSolid) throw automation::objectRequired("there is no previous tool");
        toolSolid->Delete();
    });
    toolSolid = solid;
    toolX = toolY = toolZ = 0;
    passOverFailure([&] {
        MoveTool(mill::coordinate(centerpoint, 0), mill::coordinate(centerpoint, 1),
                 mill::coordinateValue(centerpoint, 2));
    });
    return solid;
}

}  // namespace corvex
