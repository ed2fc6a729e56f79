// The lathe line cut: one straight turning move. The area the insert sweeps over is revolved
// about the spindle axis and cut from the workpiece; then the insert's own shape is cut at
// the end point, and the tool solid follows there.
#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/take.hpp"
#include "lathe/lathe_support.hpp"
#include "server/corvex4.hpp"
#include "server/late_bound.hpp"

namespace corvex {

using automation::Variant;

namespace {

// The swept area is given by five vertices, the last repeating the first.
constexpr std::int32_t kPathVertices = 5;

// A path vertex below the axis is lifted onto it, so that the region never crosses the axis
// it is revolved about.
Variant pathLiftedOntoAxis(const Variant& PathPoints) {
    automation::Array points = lathe::ownCopy(PathPoints, "PathPoints");
    for (std::int32_t i = 0; i < kPathVertices; ++i) {
        const std::int16_t yIndex = lathe::tripleIndex(i, 1);
        if (automation::toDouble(points.at(yIndex)) < 0) points.set(yIndex, Variant::int16(0));
    }
    return Variant::array(std::move(points));
}

}  // namespace

void corvex4::LatheLine(std::int16_t NumPoints, std::int16_t NumRad, const Variant& ToolPoints,
                        const Variant& ToolRadii, const Variant& PathPoints,
                        const Variant& StartPoint, const Variant& EndPoint, const Variant& sp) {
    const Variant pathVertices = pathLiftedOntoAxis(PathPoints);
    const auto path = cadhost::take<cadhost::Polyline>(modelSpace()->AddPolyline(pathVertices),
                                                       "a polyline");
    path->putVisible(Variant::boolean(false));
    const Variant regions = modelSpace()->AddRegion(Variant::variants({Variant::object(path)}));
    const Variant region = lathe::regionAt(regions, 0);
    lateBound<cadhost::Entity>(region, "Visible")->putVisible(Variant::boolean(false));

    cutSolid = lathe::revolveAboutSpindle(*modelSpace(), region);
    SubtractToolFromGroup();

    lathe::deleteHeld(region);
    path->Delete();

    // A move that ends on the axis (facing to the centre) leaves no insert shape to turn.
    if (lathe::number(EndPoint, 1, "EndPoint") > 0)
        LatheInsert(NumPoints, NumRad, ToolPoints, ToolRadii, StartPoint, EndPoint, sp);

    const Variant& endX = lathe::element(EndPoint, 0, "EndPoint");
    const Variant& endY = lathe::element(EndPoint, 1, "EndPoint");
    MoveTool(endX, endY, lathe::number(EndPoint, 2, "EndPoint"));
}

}  // namespace corvex
