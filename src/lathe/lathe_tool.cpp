// The lathe tool solid: a flat insert 0.1 thick on the XY plane, either a closed profile with
// rounded corners (cylinders united into the extruded profile) or a single circle.
#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "automation/number_text.hpp"
#include "cadhost/take.hpp"
#include "lathe/lathe_support.hpp"
#include "server/corvex4.hpp"

namespace corvex {

using automation::Variant;

namespace {

constexpr double kInsertThickness = 0.1;
// AddCylinder centres the cylinder on its axis's mid-point: half the thickness puts every
// corner (and the circular insert) between Z = 0 and 0.1, like the extruded profile.
constexpr double kCylinderCentreZ = 0.05;

Variant cylinderCentre(const Variant& ToolRadii, std::int16_t xIndex, std::int16_t yIndex) {
    const double x = lathe::number(ToolRadii, xIndex, "ToolRadii");
    const double y = lathe::number(ToolRadii, yIndex, "ToolRadii");
    return Variant::point(x, y, kCylinderCentreZ);
}

// A circular insert of no size would leave the drawing without a tool: refused before the old
// tool is touched, so that a bad call costs nothing.
void refuseEmptyCircularInsert(const Variant& ToolRadii) {
    const double radius = lathe::number(ToolRadii, 2, "ToolRadii");
    if (!(radius > 0))
        throw automation::invalidArgument("the insert radius must be greater than 0, got " +
                                          automation::shortestText(radius));
}

}  // namespace

std::shared_ptr<cadhost::Solid3D> corvex4::MakeToolLathe(std::int16_t NumPoints, std::int16_t NumRad,
                                                        const Variant& ToolPoints,
                                                        const Variant& ToolRadii) {
    const bool circular = NumPoints == 0;
    if (circular) refuseEmptyCircularInsert(ToolRadii);
    refreshDocument();

    if (circular) {
        const Variant centre = cylinderCentre(ToolRadii, 0, 1);
        cutSolid = cadhost::take<cadhost::Solid3D>(
            modelSpace()->AddCylinder(centre, lathe::element(ToolRadii, 2, "ToolRadii"),
                                      Variant::real(kInsertThickness)),
            "a 3D solid");
    } else {
        const auto outline = cadhost::take<cadhost::Polyline>(modelSpace()->AddPolyline(ToolPoints),
                                                              "a polyline");
        const Variant regions = modelSpace()->AddRegion(Variant::variants({Variant::object(outline)}));
        const Variant region = lathe::regionAt(regions, 0);
        cutSolid = cadhost::take<cadhost::Solid3D>(
            modelSpace()->AddExtrudedSolid(region, Variant::real(kInsertThickness), Variant::int16(0)),
            "a 3D solid");
        const std::int16_t lastCorner = lathe::int16Of(NumRad - 1);
        for (std::int32_t k = 0; k <= lastCorner; ++k) {
            const Variant centre = cylinderCentre(ToolRadii, lathe::tripleIndex(k, 0),
                                                  lathe::tripleIndex(k, 1));
            const Variant& radius = lathe::element(ToolRadii, lathe::tripleIndex(k, 2), "ToolRadii");
            if (!(automation::toDouble(radius) > 0)) continue;  // a sharp corner
            const auto corner = modelSpace()->AddCylinder(centre, radius, Variant::real(kInsertThickness));
            cutSolid->Boolean(Variant::int32(static_cast<std::int32_t>(cadhost::BooleanOp::Union)),
                              Variant::object(corner));
        }
        outline->Delete();
        lathe::deleteHeld(region);
    }

    // Only now that the new tool exists does the old one go.
    if (!toolSolid) throw automation::objectRequired("there is no tool to replace (StartAcad makes one)");
    toolSolid->Delete();
    toolSolid = cutSolid;
    toolX = 0;
    toolY = 0;
    toolZ = 0;
    MoveTool(Variant::int16(0), Variant::int16(0), 0.0);
    return toolSolid;
}

}  // namespace corvex
