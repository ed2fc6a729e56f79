// The lathe insert sweep: the insert's own outline, placed with its tool point at the end
// point, revolved about the spindle axis and turned out of the workpiece. A region that
// crosses the axis cannot be revolved, so the part below it is cut away with a rectangle and
// corner circles that reach the axis are left out. A corner radius of 0 or less is a sharp
// corner, as in the tool solid: no circle is drawn for it.
#include <vector>

#include "automation/arithmetic.hpp"
#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/take.hpp"
#include "lathe/lathe_support.hpp"
#include "server/corvex4.hpp"
#include "server/late_bound.hpp"

namespace corvex {

using automation::Variant;
namespace checked = automation::checked;

namespace {

// The clipping rectangle reaches this far beyond the insert (left, right and below).
constexpr double kClipMargin = 0.1;

constexpr std::int32_t kUnion = static_cast<std::int32_t>(cadhost::BooleanOp::Union);
constexpr std::int32_t kSubtraction = static_cast<std::int32_t>(cadhost::BooleanOp::Subtraction);

// Corner circle k of ToolRadii, placed at the end point.
struct PlacedCircle {
    double x, y, radius;
    // A circle that touches or crosses the axis cannot be revolved whole.
    bool aboveAxis() const { return y > radius; }
    // Drawn only when it has a size and can be revolved (not NaN either).
    bool drawn() const { return radius > 0 && aboveAxis(); }
};

PlacedCircle placedCircle(const Variant& ToolRadii, std::int32_t k, double endX, double endY) {
    const double x = lathe::number(ToolRadii, lathe::tripleIndex(k, 0), "ToolRadii");
    const double y = lathe::number(ToolRadii, lathe::tripleIndex(k, 1), "ToolRadii");
    const double radius = lathe::number(ToolRadii, lathe::tripleIndex(k, 2), "ToolRadii");
    return {checked::add(x, endX), checked::add(y, endY), radius};
}

// Moves vertices 0..lastVertex of `points` by the end point; true when one of them ends
// strictly below the axis.
bool moveOutline(automation::Array& points, std::int16_t lastVertex, double endX, double endY) {
    bool below = false;
    for (std::int32_t i = 0; i <= lastVertex; ++i) {
        const std::int16_t xIndex = lathe::tripleIndex(i, 0);
        const std::int16_t yIndex = lathe::tripleIndex(i, 1);
        points.set(xIndex, Variant::real(checked::add(automation::toDouble(points.at(xIndex)), endX)));
        points.set(yIndex, Variant::real(checked::add(automation::toDouble(points.at(yIndex)), endY)));
        if (automation::toDouble(points.at(yIndex)) < 0) below = true;
    }
    return below;
}

// From the axis down to kClipMargin below the insert's lowest point, and kClipMargin beyond
// it on both sides; `sp` holds the insert's least X, greatest X and least Y.
Variant clippingRectangle(const Variant& sp, double endX, double endY) {
    const double x0 = checked::sub(checked::add(endX, lathe::number(sp, 0, "sp")), kClipMargin);
    const double x1 = checked::add(checked::add(endX, lathe::number(sp, 1, "sp")), kClipMargin);
    const double y1 = checked::sub(checked::add(endY, lathe::number(sp, 2, "sp")), kClipMargin);
    return Variant::doubles({x0, 0, 0,  x1, 0, 0,  x1, y1, 0,  x0, y1, 0,  x0, 0, 0});
}

Variant circleCentre(const PlacedCircle& circle) { return Variant::point(circle.x, circle.y, 0); }

}  // namespace

void corvex4::LatheInsert(std::int16_t NumPoints, std::int16_t NumRad, const Variant& ToolPoints,
                          const Variant& ToolRadii, const Variant& /*StartPoint*/,
                          const Variant& EndPoint, const Variant& sp) {
    const double endX = lathe::number(EndPoint, 0, "EndPoint");
    const double endY = lathe::number(EndPoint, 1, "EndPoint");
    const bool circular = NumPoints <= 0;

    // A circular insert with NumPoints 0 still has vertex 0 moved and examined: it is what
    // tells whether the insert reaches below the axis.
    automation::Array outlinePoints(automation::VarType::Double, 0, {});
    bool below = false;
    if (NumPoints >= 0) {
        outlinePoints = lathe::ownCopy(ToolPoints, "ToolPoints");
        below = moveOutline(outlinePoints, NumPoints, endX, endY);
    }

    std::int16_t count = 0;
    if (!circular) {
        const std::int16_t lastCircle = lathe::int16Of(NumRad - 1);
        for (std::int32_t k = 0; k <= lastCircle; ++k)
            if (placedCircle(ToolRadii, k, endX, endY).drawn()) count = lathe::int16Of(count + 1);
    }

    const Variant rectangleVertices = below ? clippingRectangle(sp, endX, endY) : Variant();

    std::shared_ptr<cadhost::Circle> insertCircle;
    std::shared_ptr<cadhost::Polyline> outline;
    std::vector<std::shared_ptr<cadhost::Circle>> corners;
    Variant regions;
    if (circular) {
        const PlacedCircle circle = placedCircle(ToolRadii, 0, endX, endY);
        if (!circle.drawn()) return;  // no size, or nothing of it can be revolved: no cut
        insertCircle = modelSpace()->AddCircle(circleCentre(circle), Variant::real(circle.radius));
        regions = modelSpace()->AddRegion(Variant::variants({Variant::object(insertCircle)}));
    } else {
        outline = cadhost::take<cadhost::Polyline>(
            modelSpace()->AddPolyline(Variant::array(outlinePoints)), "a polyline");
        std::vector<Variant> entities(static_cast<std::size_t>(lathe::int16Of(count + 1)));
        entities[0] = Variant::object(outline);
        const std::int16_t lastCircle = lathe::int16Of(NumRad - 1);
        for (std::int32_t k = 0; k <= lastCircle; ++k) {
            const PlacedCircle circle = placedCircle(ToolRadii, k, endX, endY);
            if (!circle.drawn()) continue;
            corners.push_back(modelSpace()->AddCircle(circleCentre(circle), Variant::real(circle.radius)));
            entities.at(corners.size()) = Variant::object(corners.back());
        }
        regions = modelSpace()->AddRegion(Variant::variants(std::move(entities)));
        // The corners' regions are united into the outline's, which absorbs them.
        for (std::int32_t i = 1; i <= count; ++i)
            lateBound<cadhost::Region>(lathe::regionAt(regions, 0), "Boolean")
                ->Boolean(Variant::int32(kUnion), lathe::regionAt(regions, lathe::int16Of(i)));
    }
    const Variant region = lathe::regionAt(regions, 0);

    if (below) {
        // The rectangle stays in the drawing, hidden; its region is absorbed by the clip.
        const auto rectangle = cadhost::take<cadhost::Polyline>(
            modelSpace()->AddPolyline(rectangleVertices), "a polyline");
        rectangle->putVisible(Variant::boolean(false));
        const Variant clip = modelSpace()->AddRegion(Variant::variants({Variant::object(rectangle)}));
        lateBound<cadhost::Region>(region, "Boolean")
            ->Boolean(Variant::int32(kSubtraction), lathe::regionAt(clip, 0));
    }

    cutSolid = lathe::revolveAboutSpindle(*modelSpace(), region);
    SubtractToolFromGroup();

    lathe::deleteHeld(region);
    if (circular) {
        insertCircle->Delete();
    } else {
        outline->Delete();
        for (const auto& corner : corners) corner->Delete();
    }
}

}  // namespace corvex
