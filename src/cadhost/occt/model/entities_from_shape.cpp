#include "cadhost/occt/model/entities_from_shape.hpp"

#include <BRep_Builder.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>

#include "cadhost/occt/geometry/curve_pieces.hpp"
#include "cadhost/occt/model/entities.hpp"

namespace corvex::cadhost::occt {
namespace {

constexpr double kJoin = 1e-6;  // ends this close are joined

// One shape of what the explorer finds: the shape itself when it is alone, else a compound.
TopoDS_Shape gather(const TopoDS_Shape& shape, TopAbs_ShapeEnum kind, TopAbs_ShapeEnum avoid) {
    BRep_Builder builder;
    TopoDS_Compound compound;
    builder.MakeCompound(compound);
    TopoDS_Shape only;
    int count = 0;
    for (TopExp_Explorer explorer(shape, kind, avoid); explorer.More(); explorer.Next()) {
        builder.Add(compound, explorer.Current());
        only = explorer.Current();
        ++count;
    }
    if (count == 0) return {};
    return count == 1 ? only : TopoDS_Shape(compound);
}

// Edges in the order the file gives them, joined into runs wherever one ends where the next
// begins (either way round).
std::vector<std::vector<CurveSegment>> runsOfEdges(const TopoDS_Shape& shape) {
    std::vector<std::vector<CurveSegment>> runs;
    for (TopExp_Explorer explorer(shape, TopAbs_EDGE, TopAbs_FACE); explorer.More(); explorer.Next()) {
        CurveSegment segment = curveSegment(TopoDS::Edge(explorer.Current()));
        if (!runs.empty() && !segment.closed && !runs.back().back().closed) {
            auto& run = runs.back();
            auto touches = [&](const gp_Pnt& point) {
                return point.Distance(segment.start) < kJoin || point.Distance(segment.end) < kJoin;
            };
            // A run of one edge may have been read the wrong way round.
            if (run.size() == 1 && !touches(run.front().end) && touches(run.front().start))
                run.front() = reversed(run.front());
            const gp_Pnt& end = run.back().end;
            if (end.Distance(segment.start) < kJoin) {
                run.push_back(segment);
                continue;
            }
            if (end.Distance(segment.end) < kJoin) {
                run.push_back(reversed(segment));
                continue;
            }
        }
        runs.push_back({segment});
    }
    return runs;
}

std::shared_ptr<EntityBase> curveEntity(const SingleCurve& curve) {
    switch (curve.kind) {
    case SingleCurve::Kind::Line:
        return std::make_shared<LineEntity>(curve.start, curve.end);
    case SingleCurve::Kind::Circle:
        return std::make_shared<CircleEntity>(curve.centre, curve.radius, curve.placement);
    case SingleCurve::Kind::Arc:
        break;
    }
    return std::make_shared<ArcEntity>(curve.centre, curve.radius, curve.startAngle, curve.endAngle, curve.placement);
}

void addCurves(const std::vector<CurveSegment>& run, const std::string& namedKind,
               std::vector<std::shared_ptr<EntityBase>>& entities) {
    const bool lone = run.size() == 1 && (namedKind != "Polyline" || run.front().closed);
    if (!lone) {
        if (auto geometry = polylineThrough(run)) {
            entities.push_back(std::make_shared<PolylineEntity>(std::move(*geometry)));
            return;
        }
    }
    // Edges that do not make one flat polyline stay curves of their own.
    for (const CurveSegment& segment : run) entities.push_back(curveEntity(singleCurve(segment)));
}

}  // namespace

bool holdsNothingOfItsKind(const TopoDS_Shape& shape, const std::string& kind) {
    if (kind == "Solid3D") return !TopExp_Explorer(shape, TopAbs_SOLID).More();
    if (kind == "Region") return !TopExp_Explorer(shape, TopAbs_FACE).More();
    return false;
}

std::vector<std::shared_ptr<EntityBase>> entitiesFromShape(const TopoDS_Shape& shape,
                                                           const std::string& namedKind) {
    std::vector<std::shared_ptr<EntityBase>> entities;
    const bool empty = holdsNothingOfItsKind(shape, namedKind);
    if (!shape.IsNull() && !empty) {
        if (TopoDS_Shape solids = gather(shape, TopAbs_SOLID, TopAbs_SHAPE); !solids.IsNull())
            entities.push_back(std::make_shared<SolidEntity>(solids));
        if (TopoDS_Shape faces = gather(shape, TopAbs_FACE, TopAbs_SOLID); !faces.IsNull())
            entities.push_back(std::make_shared<RegionEntity>(faces));
        for (const auto& run : runsOfEdges(shape)) addCurves(run, namedKind, entities);
    }
    // A solid whose every lump was cut away, or a region whose every face was, is still an
    // entity of the drawing.
    if (entities.empty() && empty) {
        TopoDS_Compound nothing;
        BRep_Builder().MakeCompound(nothing);
        if (namedKind == "Solid3D") entities.push_back(std::make_shared<SolidEntity>(nothing));
        else entities.push_back(std::make_shared<RegionEntity>(nothing));
    }
    return entities;
}

}  // namespace corvex::cadhost::occt
