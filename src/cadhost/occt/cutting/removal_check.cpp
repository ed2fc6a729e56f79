#include "cadhost/occt/cutting/removal_check.hpp"

#include <BRepAdaptor_Surface.hxx>
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepClass3d_SolidClassifier.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRepGProp_Face.hxx>
#include <BRepTools.hxx>
#include <BRepTopAdaptor_FClass2d.hxx>
#include <BRep_Builder.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>

#include <algorithm>
#include <cmath>
#include <memory>

#include "cadhost/occt/cutting/ray_caster.hpp"

namespace corvex::cadhost::occt {
namespace {

// A grid across each face's parameters is offset by irrational fractions so that no sample
// falls on a seam, an edge or a face's middle, where machined faces meet most often.
constexpr double kOffsetU = 0.3819660112501051;  // 2 - golden ratio
constexpr double kOffsetV = 0.6180339887498949;
// How far inside a tool its points are taken. On the face itself a point proves little: a
// result that kept the tool's material as a lump of its own beside the part has the tool's
// faces on its boundary, and passed.
constexpr double kInwards = 1e-4;
// The points beside a tool: a finer grid on each face, of which only those where the tool
// meets the part count; taken in this stride through it, and at most this many tried for each
// point wanted (each costs rays through the part and the tools near it: beside the early
// passes of a turned batch every point lies in a later pass).
constexpr int kBesideGrid = 5;
constexpr std::size_t kBesideStride = 53;  // a prime above the grid's count: every point once
constexpr std::size_t kBesideTries = 2;
constexpr std::size_t kBesideTriesAtOnce = 2;  // of a face, before the next face's turn

// Points in the order they are judged: the deepest first, then, among those at least half as
// deep, each farthest from the ones taken (a floor's nine points tie on depth, and three of
// them side by side once missed the half of a cut that was not made), then the rest by depth.
std::vector<gp_Pnt> spreadDeepestFirst(std::vector<std::pair<double, gp_Pnt>> found) {
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<gp_Pnt> order;
    if (found.empty()) return order;
    std::size_t deep = 0;
    while (deep < found.size() && found[deep].first >= 0.5 * found.front().first) ++deep;
    std::vector<double> nearest(deep, 1e300);  // distance of each deep point to the ones taken
    std::vector<bool> taken(deep, false);
    for (std::size_t next = 0; order.size() < deep;) {
        taken[next] = true;
        order.push_back(found[next].second);
        double farthest = -1;
        for (std::size_t k = 0; k < deep; ++k) {
            if (taken[k]) continue;
            nearest[k] = std::min(nearest[k], found[k].second.Distance(order.back()));
            if (nearest[k] > farthest) farthest = nearest[k], next = k;
        }
    }
    for (std::size_t k = deep; k < found.size(); ++k) order.push_back(found[k].second);
    return order;
}

}  // namespace

std::vector<FacePoint> gridOnFace(const TopoDS_Face& face, int grid) {
    double u0, u1, v0, v1;
    BRepTools::UVBounds(face, u0, u1, v0, v1);
    BRepAdaptor_Surface surface(face);
    BRepTopAdaptor_FClass2d inFace(face, 1e-9);
    std::vector<FacePoint> points;
    for (int i = 0; i < grid; ++i) {
        for (int j = 0; j < grid; ++j) {
            const gp_Pnt2d uv(u0 + (u1 - u0) * (i + kOffsetU) / grid, v0 + (v1 - v0) * (j + kOffsetV) / grid);
            if (inFace.Perform(uv) == TopAbs_IN) points.push_back({uv, surface.Value(uv.X(), uv.Y())});
        }
    }
    return points;
}

namespace {

// The points of a grid across the face moved `offset` along its outward normal (inwards when
// negative); none where the normal vanishes (an apex or a pole).
std::vector<gp_Pnt> pointsOffFace(const TopoDS_Face& face, int grid, double offset) {
    BRepGProp_Face surface(face);  // its normals follow the face's orientation: outwards
    std::vector<gp_Pnt> points;
    for (const FacePoint& on : gridOnFace(face, grid)) {
        gp_Pnt p;
        gp_Vec outwards;
        surface.Normal(on.uv.X(), on.uv.Y(), p, outwards);
        if (outwards.Magnitude() <= 1e-12) continue;
        points.push_back(p.Translated(outwards.Normalized() * offset));
    }
    return points;
}

}  // namespace

double distanceToFaces(const TopoDS_Shape& shape, const gp_Pnt& point) {
    BRep_Builder builder;
    TopoDS_Compound faces;
    builder.MakeCompound(faces);
    for (TopExp_Explorer it(shape, TopAbs_FACE); it.More(); it.Next()) builder.Add(faces, it.Current());
    BRepExtrema_DistShapeShape distance(BRepBuilderAPI_MakeVertex(point).Vertex(), faces);
    return distance.IsDone() ? distance.Value() : 0.0;
}

std::vector<gp_Pnt> pointsWithinTool(const TopoDS_Shape& tool, const Bnd_Box& within, std::size_t count,
                                     RayCaster* material) {
    if (within.IsVoid()) return {};
    double x0, y0, z0, x1, y1, z1;
    within.Get(x0, y0, z0, x1, y1, z1);
    // A tool in several lumps (the common part of a workpiece and a path that crosses earlier
    // cuts) is sampled a lump at a time, the largest first: a path cut that removed 0.19 of
    // 1029 mm3 passed when every point fell in a sliver of a lump, which it had cut.
    struct Lump {
        TopoDS_Shape solid;
        double size;                // its box's volume
        std::vector<gp_Pnt> order;  // its points, in the order they are judged
        std::size_t next = 0;
        std::unique_ptr<RayCaster> rays;
    };
    std::vector<Lump> lumps;
    for (TopExp_Explorer solids(tool, TopAbs_SOLID); solids.More(); solids.Next()) {
        std::vector<std::pair<double, gp_Pnt>> found;  // how deep in the box, and where
        for (TopExp_Explorer it(solids.Current(), TopAbs_FACE); it.More(); it.Next()) {
            for (const gp_Pnt& p : pointsOffFace(TopoDS::Face(it.Current()), kFaceGrid, -kInwards)) {
                const double depth = std::min({p.X() - x0, x1 - p.X(), p.Y() - y0, y1 - p.Y(), p.Z() - z0, z1 - p.Z()});
                if (depth > 0) found.emplace_back(depth, p);
            }
        }
        if (found.empty()) continue;
        Bnd_Box box;
        BRepBndLib::Add(solids.Current(), box, false);
        double a0, b0, c0, a1, b1, c1;
        box.Get(a0, b0, c0, a1, b1, c1);
        lumps.push_back({solids.Current(), (a1 - a0) * (b1 - b0) * (c1 - c0), spreadDeepestFirst(std::move(found)), 0, nullptr});
    }
    std::sort(lumps.begin(), lumps.end(), [](const Lump& a, const Lump& b) { return a.size > b.size; });
    auto odd = [](const RayCaster::Crossings& crossed) {
        return crossed.decided && !crossed.onSurface && crossed.count % 2 == 1;
    };
    std::vector<gp_Pnt> points, inAir;
    for (bool more = true; more && points.size() < count;) {
        more = false;
        for (auto& lump : lumps) {
            // A tool thinner than twice the step has no inside there: each point must be in it.
            while (lump.next < lump.order.size() && points.size() < count) {
                const gp_Pnt& p = lump.order[lump.next++];
                if (!lump.rays) lump.rays = std::make_unique<RayCaster>(lump.solid);
                if (!odd(lump.rays->cast(p))) continue;
                if (material && !odd(material->cast(p))) {
                    inAir.push_back(p);
                    continue;
                }
                points.push_back(p);
                more = true;
                break;
            }
        }
    }
    for (std::size_t k = 0; k < inAir.size() && points.size() < count; ++k) points.push_back(inAir[k]);
    return points;
}

std::vector<SolidRays> solidsWithRays(const TopoDS_Shape& shape) {
    std::vector<SolidRays> solids;
    if (shape.IsNull()) return solids;
    for (TopExp_Explorer it(shape, TopAbs_SOLID); it.More(); it.Next()) solids.push_back({it.Current(), RayCaster(it.Current())});
    return solids;
}

namespace {

// Whether the point lies in one of the tools' solids by the kernel's classifier.
bool inTools(const std::vector<TopoDS_Shape>& tools, const gp_Pnt& point) {
    for (const auto& tool : tools) {
        for (TopExp_Explorer it(tool, TopAbs_SOLID); it.More(); it.Next()) {
            BRepClass3d_SolidClassifier classifier(it.Current(), point, kSurfaceBand);
            if (classifier.State() == TopAbs_IN) return true;
        }
    }
    return false;
}

// Whether the first ray finds the point inside the solid, the kernel's classifier deciding
// where the ray cannot; none on its surface.
std::optional<bool> insideByRay(SolidRays& solid, const gp_Pnt& point) {
    const RayCaster::Crossings crossed = solid.rays.cast(point);
    if (crossed.onSurface) return std::nullopt;
    if (crossed.decided) return crossed.count % 2 == 1;
    BRepClass3d_SolidClassifier classifier(solid.solid, point, kSurfaceBand);
    if (classifier.State() == TopAbs_ON) return std::nullopt;
    return classifier.State() == TopAbs_IN;
}

}  // namespace

std::optional<gp_Pnt> pointLeftInside(std::vector<SolidRays>& result, const std::vector<gp_Pnt>& points,
                                      const std::vector<TopoDS_Shape>& tools) {
    if (points.empty()) return std::nullopt;
    for (SolidRays& solid : result) {
        for (const gp_Pnt& point : points) {
            // Believed only when the point is also clear of every face, inside by most rays
            // of three more, and in a tool by the classifier: asked only of a point the result
            // holds, which a sound cut never does (classifying every point would cost each cut
            // as much again).
            if (insideByRay(solid, point).value_or(false) && distanceToFaces(solid.solid, point) > kSurfaceBand &&
                oddRaysFrom(solid.solid, point) >= 2 && inTools(tools, point))
                return point;
        }
    }
    return std::nullopt;
}

struct ToolSolids::Solid {
    TopoDS_Shape shape;
    Bnd_Box box;
    std::unique_ptr<RayCaster> rays;
    std::unique_ptr<BRepClass3d_SolidClassifier> classifier;
};

ToolSolids::ToolSolids(const std::vector<TopoDS_Shape>& tools) {
    for (const auto& tool : tools) {
        for (TopExp_Explorer it(tool, TopAbs_SOLID); it.More(); it.Next()) {
            Solid solid{it.Current(), {}, nullptr, nullptr};
            BRepBndLib::Add(solid.shape, solid.box, false);
            solid.box.Enlarge(kSurfaceBand);
            solids_.push_back(std::move(solid));
        }
    }
}

ToolSolids::~ToolSolids() = default;

bool ToolSolids::hold(const gp_Pnt& point) {
    for (auto& solid : solids_) {
        if (solid.box.IsOut(point)) continue;
        if (!solid.rays) solid.rays = std::make_unique<RayCaster>(solid.shape);
        const RayCaster::Crossings crossed = solid.rays->cast(point);
        if (crossed.onSurface) return true;
        if (crossed.decided) {
            if (crossed.count % 2 == 1) return true;
            continue;
        }
        if (!solid.classifier) solid.classifier = std::make_unique<BRepClass3d_SolidClassifier>(solid.shape);
        solid.classifier->Perform(point, kSurfaceBand);
        if (solid.classifier->State() != TopAbs_OUT) return true;
    }
    return false;
}

bool ToolSolids::clearOf(const gp_Pnt& point) const {
    for (const auto& solid : solids_) {
        if (solid.box.IsOut(point)) continue;
        if (distanceToFaces(solid.shape, point) <= kSurfaceBand) return false;
        if (oddRaysFrom(solid.shape, point) > 0) return false;
    }
    return true;
}

std::vector<gp_Pnt> pointsBesideTool(const TopoDS_Shape& tool, const Bnd_Box& within, std::size_t count,
                                     ToolSolids& tools, RayCaster& material) {
    if (within.IsVoid() || count == 0) return {};
    std::vector<std::vector<gp_Pnt>> faces;  // each face's candidates, in the order they are tried
    for (TopExp_Explorer it(tool, TopAbs_FACE); it.More(); it.Next()) {
        std::vector<gp_Pnt> candidates;
        for (const gp_Pnt& p : pointsOffFace(TopoDS::Face(it.Current()), kBesideGrid, kInwards))
            if (!within.IsOut(p)) candidates.push_back(p);
        // Taken in a stride through the grid, so that the first few lie apart.
        std::vector<gp_Pnt> strided;
        for (std::size_t k = 0, n = candidates.size(); k < n; ++k) strided.push_back(candidates[(k * kBesideStride) % n]);
        if (!strided.empty()) faces.push_back(std::move(strided));
    }
    // Points in a tool (round a ring's hole, or in the next slot of a pocket) or in the air
    // prove nothing.
    std::vector<gp_Pnt> points;
    std::vector<std::size_t> next(faces.size(), 0);
    std::size_t tries = kBesideTries * count;
    for (bool more = true; more && points.size() < count && tries > 0;) {
        more = false;
        for (std::size_t f = 0; f < faces.size() && points.size() < count && tries > 0; ++f) {
            for (std::size_t tried = 0; tried < kBesideTriesAtOnce && tries > 0 && next[f] < faces[f].size(); ++tried) {
                --tries;
                const gp_Pnt& p = faces[f][next[f]++];
                if (tools.hold(p)) continue;
                const RayCaster::Crossings crossed = material.cast(p);
                if (!crossed.decided || crossed.onSurface || crossed.count % 2 == 0) continue;
                points.push_back(p);
                more = true;
                break;
            }
        }
    }
    return points;
}

std::optional<gp_Pnt> pointTakenBeside(const TopoDS_Shape& part, std::vector<SolidRays>& result,
                                       const std::vector<gp_Pnt>& points, const std::vector<TopoDS_Shape>& tools) {
    // Asked only of a point the result lost.
    std::optional<ToolSolids> cutters;
    std::optional<TopoDS_Compound> solids;
    for (const gp_Pnt& point : points) {
        bool held = false;
        for (SolidRays& solid : result) {
            const std::optional<bool> inside = insideByRay(solid, point);
            if (!inside || *inside) {
                held = true;  // on a face counts as held
                break;
            }
        }
        if (held) continue;
        if (!solids) {
            BRep_Builder builder;
            builder.MakeCompound(solids.emplace());
            for (const SolidRays& solid : result) builder.Add(*solids, solid.solid);
        }
        const bool clearOfResult =
            result.empty() || (distanceToFaces(*solids, point) > kSurfaceBand && oddRaysFrom(*solids, point) <= 1);
        if (!clearOfResult || oddRaysFrom(part, point) < 2) continue;
        if (!cutters) cutters.emplace(tools);
        if (cutters->clearOf(point)) return point;
    }
    return std::nullopt;
}

bool madeWithin(const std::vector<TopoDS_Face>& newFaces, const Bnd_Box& partBox) {
    if (partBox.IsVoid()) return true;
    Bnd_Box allowed = partBox;
    allowed.Enlarge(1e-4);
    double x0, y0, z0, x1, y1, z1;
    allowed.Get(x0, y0, z0, x1, y1, z1);
    for (const auto& face : newFaces) {
        Bnd_Box box;
        BRepBndLib::Add(face, box, false);
        if (box.IsVoid()) continue;
        double a0, b0, c0, a1, b1, c1;
        box.Get(a0, b0, c0, a1, b1, c1);
        if (a0 >= x0 && b0 >= y0 && c0 >= z0 && a1 <= x1 && b1 <= y1 && c1 <= z1) continue;
        // The quick box of a curved face can be loose; the tight one decides.
        Bnd_Box tight;
        BRepBndLib::AddOptimal(face, tight, false, false);
        tight.Get(a0, b0, c0, a1, b1, c1);
        if (a0 < x0 || b0 < y0 || c0 < z0 || a1 > x1 || b1 > y1 || c1 > z1) return false;
    }
    return true;
}

}  // namespace corvex::cadhost::occt
