#include "cadhost/occt/cutting/removal_check.hpp"

#include <BRepAdaptor_Surface.hxx>
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepClass3d_SolidClassifier.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRepGProp_Face.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepTools.hxx>
#include <BRepTopAdaptor_FClass2d.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <Geom_Surface.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

#include "cadhost/occt/cutting/ray_caster.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

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
// How deep in a tool a point of the part's kept surface must lie to be called material left:
// ten times the band, well above the kernel's own tolerances on a face's inside.
constexpr double kKeptDepth = 1e-3;
// The points beside a tool: a finer grid on each face, of which only those where the tool
// meets the part count; taken in this stride through it, and at most this many tried for each
// point wanted (each costs rays through the part and the tools near it: beside the early
// passes of a turned batch every point lies in a later pass).
constexpr int kBesideGrid = 5;
constexpr std::size_t kBesideStride = 53;  // a prime above the grid's count: every point once
constexpr std::size_t kBesideTries = 2;
constexpr std::size_t kBesideTriesAtOnce = 2;  // of a face, before the next face's turn

// The longest side of a face's grid, in points: a long slot's wall is sampled along its
// length as densely as across it, up to this many.
constexpr int kLongestGrid = 24;

}  // namespace

std::vector<FacePoint> gridOnFace(const TopoDS_Face& face, int grid) { return gridOnFace(face, grid, grid); }

std::vector<FacePoint> gridOnFace(const TopoDS_Face& face, int across, int along) {
    double u0, u1, v0, v1;
    BRepTools::UVBounds(face, u0, u1, v0, v1);
    BRepAdaptor_Surface surface(face);
    BRepTopAdaptor_FClass2d inFace(face, 1e-9);
    std::vector<FacePoint> points;
    for (int i = 0; i < across; ++i) {
        for (int j = 0; j < along; ++j) {
            const gp_Pnt2d uv(u0 + (u1 - u0) * (i + kOffsetU) / across, v0 + (v1 - v0) * (j + kOffsetV) / along);
            if (inFace.Perform(uv) == TopAbs_IN) points.push_back({uv, surface.Value(uv.X(), uv.Y())});
        }
    }
    return points;
}

namespace {

// A grid of `grid` points across a face's shorter side and as many more along its longer one
// as keep them about as far apart (see kLongestGrid). The sides are measured through the
// middle of the parameters, in three pieces each, which follows a curved side well enough.
std::vector<FacePoint> gridAlongFace(const TopoDS_Face& face, int grid) {
    double u0, u1, v0, v1;
    BRepTools::UVBounds(face, u0, u1, v0, v1);
    BRepAdaptor_Surface surface(face);
    auto length = [&](bool alongU) {
        double total = 0;
        gp_Pnt last;
        for (int k = 0; k <= 3; ++k) {
            const double t = k / 3.0;
            const gp_Pnt p = alongU ? surface.Value(u0 + (u1 - u0) * t, (v0 + v1) / 2)
                                    : surface.Value((u0 + u1) / 2, v0 + (v1 - v0) * t);
            if (k > 0) total += p.Distance(last);
            last = p;
        }
        return total;
    };
    const double lu = length(true), lv = length(false);
    auto stretched = [&](double longer, double shorter) {
        const double ratio = shorter > 0 ? longer / shorter : kLongestGrid;
        return static_cast<int>(std::clamp(std::ceil(grid * ratio), double(grid), double(kLongestGrid)));
    };
    return lu >= lv ? gridOnFace(face, stretched(lu, lv), grid) : gridOnFace(face, grid, stretched(lv, lu));
}

// The points of a grid across the face moved `offset` along its outward normal (inwards when
// negative); none where the normal vanishes (an apex or a pole).
std::vector<gp_Pnt> pointsOffFace(const TopoDS_Face& face, int grid, double offset, bool stretched = false) {
    BRepGProp_Face surface(face);  // its normals follow the face's orientation: outwards
    std::vector<gp_Pnt> points;
    for (const FacePoint& on : stretched ? gridAlongFace(face, grid) : gridOnFace(face, grid)) {
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

namespace {

// Points in a lump of a tool, offered in the order they are judged: the deepest first, then
// each farthest from the ones accepted (a floor's nine points tie on depth, and three of them
// side by side once missed the half of a cut that was not made). Farthest from the accepted
// ones only: points in the air (an earlier plunge where a slot starts) prove nothing, and the
// next point goes beside them, where an eager slot once left 48 mm3 uncut between the plunge
// and a crossing slot. However shallow: a ring sector from a plunge, running out of the block
// by its side, left 19 mm3 uncut between the plunge and the side, where no point was half as
// deep in the block as the deepest.
class SpreadPoints {
public:
    explicit SpreadPoints(std::vector<std::pair<double, gp_Pnt>> found) : found_(std::move(found)) {
        std::sort(found_.begin(), found_.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        nearest_.assign(found_.size(), 1e300);
        tested_.assign(found_.size(), false);
    }
    std::optional<std::size_t> next() const {
        std::optional<std::size_t> best;
        for (std::size_t k = 0; k < found_.size(); ++k)
            if (!tested_[k] && (!best || nearest_[k] > nearest_[*best])) best = k;
        return best;
    }
    const gp_Pnt& point(std::size_t k) const { return found_[k].second; }
    void rejected(std::size_t k) { tested_[k] = true; }
    void accepted(std::size_t k) {
        tested_[k] = true;
        for (std::size_t j = 0; j < found_.size(); ++j) nearest_[j] = std::min(nearest_[j], found_[j].second.Distance(found_[k].second));
    }

private:
    std::vector<std::pair<double, gp_Pnt>> found_;  // how deep in the box, and where
    std::vector<double> nearest_;  // of each point, the distance to the accepted ones
    std::vector<bool> tested_;
};

// At most this many points of a tool are asked where they lie (a ray each through the tool
// and the part), for each point wanted: a tool mostly in the air is not tried everywhere.
constexpr std::size_t kTriesPerPoint = 16;
// The grid a tool is sampled again by when too few of its points lie in the material.
constexpr int kFineGrid = 12;
// How far a tool may reach out of the part's box across its sides before it is sampled as its
// common part with the box.
constexpr double kOutOfBox = 1e-3;

}  // namespace

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
        double size;  // its box's volume
        SpreadPoints points;
        std::unique_ptr<RayCaster> rays;
    };
    // A tool that runs out of the part's box across its sides may meet the part in pieces that
    // the grids over its faces miss (a ring sector from a plunge, in the block for 5 degrees
    // before it left by the side, left those 19 mm3 uncut): it is sampled as its common part
    // with the box, a lump at a time.
    TopoDS_Shape sampled = tool;
    Bnd_Box toolBox;
    BRepBndLib::Add(tool, toolBox, false);
    if (!toolBox.IsVoid()) {
        double a0, b0, c0, a1, b1, c1;
        toolBox.Get(a0, b0, c0, a1, b1, c1);
        if (a0 < x0 - kOutOfBox || b0 < y0 - kOutOfBox || a1 > x1 + kOutOfBox || b1 > y1 + kOutOfBox) {
            try {
                const TopoDS_Shape clipped = runBoolean(
                    {tool}, {BRepPrimAPI_MakeBox(gp_Pnt(x0, y0, z0), gp_Pnt(x1, y1, z1)).Shape()}, BooleanOp::Intersection, 0);
                if (!clipped.IsNull() && countSolids(clipped) > 0) sampled = clipped;
            } catch (const Standard_Failure&) {
                // The tool's own faces are sampled.
            }
        }
    }
    auto lumpsOnGrid = [&](int grid) {
        std::vector<Lump> lumps;
        for (TopExp_Explorer solids(sampled, TopAbs_SOLID); solids.More(); solids.Next()) {
            std::vector<std::pair<double, gp_Pnt>> found;
            for (TopExp_Explorer it(solids.Current(), TopAbs_FACE); it.More(); it.Next()) {
                for (const gp_Pnt& p : pointsOffFace(TopoDS::Face(it.Current()), grid, -kInwards, true)) {
                    const double depth = std::min({p.X() - x0, x1 - p.X(), p.Y() - y0, y1 - p.Y(), p.Z() - z0, z1 - p.Z()});
                    if (depth > 0) found.emplace_back(depth, p);
                }
            }
            if (found.empty()) continue;
            Bnd_Box box;
            BRepBndLib::Add(solids.Current(), box, false);
            double a0, b0, c0, a1, b1, c1;
            box.Get(a0, b0, c0, a1, b1, c1);
            lumps.push_back({solids.Current(), (a1 - a0) * (b1 - b0) * (c1 - c0), SpreadPoints(std::move(found)), nullptr});
        }
        std::sort(lumps.begin(), lumps.end(), [](const Lump& a, const Lump& b) { return a.size > b.size; });
        return lumps;
    };
    auto odd = [](const RayCaster::Crossings& crossed) {
        return crossed.decided && !crossed.onSurface && crossed.count % 2 == 1;
    };
    std::vector<gp_Pnt> points, inAir;
    auto choose = [&](std::vector<Lump>& lumps) {
        std::size_t tries = kTriesPerPoint * count;
        for (bool more = true; more && points.size() < count && tries > 0;) {
            more = false;
            for (auto& lump : lumps) {
                // A tool thinner than twice the step has no inside there: each point must be in it.
                while (points.size() < count && tries > 0) {
                    const auto k = lump.points.next();
                    if (!k) break;
                    --tries;
                    const gp_Pnt& p = lump.points.point(*k);
                    if (!lump.rays) lump.rays = std::make_unique<RayCaster>(lump.solid);
                    if (!odd(lump.rays->cast(p))) {
                        lump.points.rejected(*k);
                        continue;
                    }
                    if (material && !odd(material->cast(p))) {
                        lump.points.rejected(*k);
                        inAir.push_back(p);
                        continue;
                    }
                    lump.points.accepted(*k);
                    points.push_back(p);
                    more = true;
                    break;
                }
            }
        }
    };
    auto coarse = lumpsOnGrid(kFaceGrid);
    choose(coarse);
    // Too few points in the material, and the tool is sampled again finer: a ring sector from a
    // plunge, most of it beyond the block, took 0.3 of its 40 mm3 unchecked, every point of its
    // grids in the block lying in the plunge's hole (and the kernel's common part of the two was
    // as wrong as the cut).
    if (material && points.size() < count) {
        auto fine = lumpsOnGrid(kFineGrid);
        choose(fine);
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

bool ToolSolids::holdDeeperThan(const gp_Pnt& point, double depth) {
    for (auto& solid : solids_) {
        if (solid.box.IsOut(point)) continue;
        if (!solid.rays) solid.rays = std::make_unique<RayCaster>(solid.shape);
        const RayCaster::Crossings crossed = solid.rays->cast(point);
        if (crossed.onSurface || !crossed.decided || crossed.count % 2 == 0) continue;
        if (distanceToFaces(solid.shape, point) > depth) return true;
    }
    return false;
}

bool faceKeptInsideTools(const std::vector<TopoDS_Face>& newFaces, const std::vector<TopoDS_Shape>& cutters,
                         ToolSolids& asked) {
    // The surfaces of the cutters' faces: a face of the result on one of them is the cut's own.
    std::set<const Standard_Transient*> cut;
    for (const auto& cutter : cutters)
        for (TopExp_Explorer it(cutter, TopAbs_FACE); it.More(); it.Next())
            cut.insert(BRep_Tool::Surface(TopoDS::Face(it.Current())).get());
    for (const auto& face : newFaces) {
        if (cut.count(BRep_Tool::Surface(face).get())) continue;
        for (const FacePoint& at : gridOnFace(face))
            if (asked.holdDeeperThan(at.point, kKeptDepth)) return true;
    }
    return false;
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
