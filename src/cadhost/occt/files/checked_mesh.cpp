#include "cadhost/occt/files/checked_mesh.hpp"

#include <BRepAdaptor_Surface.hxx>
#include <BRepBuilderAPI_Copy.hxx>
#include <BRepGProp.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <IMeshTools_Parameters.hxx>
#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <GProp_GProps.hxx>
#include <Poly_Triangulation.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedDataMapOfShapeListOfShape.hxx>
#include <TopoDS.hxx>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <future>
#include <optional>
#include <unordered_map>
#include <vector>

#include "automation/error.hpp"
#include "automation/number_text.hpp"
#include "cadhost/occt/cutting/guarded_cut.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt {
namespace {

// The corners of a mesh welded: points within a weld distance of each other, directly or
// through a chain of such points, are one corner. The mesher gives the faces on either side
// of an edge points that agree only to the kernel's precision, and at a sliver of a face a few
// microns wide, points of its two ends that lie closer than that: compared bit for bit, or
// one point at a time, sound meshes had open edges there.
class WeldedCorners {
public:
    explicit WeldedCorners(double weld) : weld_(weld) {}
    std::uint32_t add(const gp_Pnt& p) {
        const auto id = static_cast<std::uint32_t>(points_.size());
        points_.push_back(p);
        parent_.push_back(id);
        const long cx = cell(p.X()), cy = cell(p.Y()), cz = cell(p.Z());
        for (long dx = -1; dx <= 1; ++dx)
            for (long dy = -1; dy <= 1; ++dy)
                for (long dz = -1; dz <= 1; ++dz) {
                    const auto found = cells_.find(key(cx + dx, cy + dy, cz + dz));
                    if (found == cells_.end()) continue;
                    for (std::uint32_t other : found->second)
                        if (points_[other].Distance(p) <= weld_) parent_[root(id)] = root(other);
                }
        cells_[key(cx, cy, cz)].push_back(id);
        return id;
    }
    const gp_Pnt& at(std::uint32_t id) const { return points_[id]; }
    std::uint32_t root(std::uint32_t id) {
        while (parent_[id] != id) id = parent_[id] = parent_[parent_[id]];
        return id;
    }

private:
    long cell(double v) const { return static_cast<long>(std::floor(v / weld_)); }
    static std::uint64_t key(long x, long y, long z) {
        return (static_cast<std::uint64_t>(x) * 73856093u) ^ (static_cast<std::uint64_t>(y) * 19349663u) ^
               (static_cast<std::uint64_t>(z) * 83492791u);
    }
    double weld_;
    std::vector<gp_Pnt> points_;
    std::vector<std::uint32_t> parent_;
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> cells_;
};

// A tenth of a micron: no file or viewer resolves less, and it closes the step of 1e-5 that a
// tool shifted by the guard's last retry leaves beside the wall it met.
constexpr double kWeld = 1e-4;

// Whether the shape's own boundary is closed: every edge between two faces, but seams and
// degenerate edges.
bool boundaryClosed(const TopoDS_Shape& shape) {
    TopTools_IndexedDataMapOfShapeListOfShape facesOfEdge;
    TopExp::MapShapesAndUniqueAncestors(shape, TopAbs_EDGE, TopAbs_FACE, facesOfEdge);
    for (int i = 1; i <= facesOfEdge.Extent(); ++i) {
        const TopoDS_Edge& edge = TopoDS::Edge(facesOfEdge.FindKey(i));
        const auto& faces = facesOfEdge(i);
        if (faces.Extent() != 1 || BRep_Tool::Degenerated(edge)) continue;
        if (!BRep_Tool::IsClosed(edge, TopoDS::Face(faces.First()))) return false;
    }
    return true;
}

// Whether a face is thinner than the weld distance: its area below that times its boundary.
bool thinnerThanWeld(const TopoDS_Face& face) {
    GProp_GProps area, length;
    BRepGProp::SurfaceProperties(face, area);
    BRepGProp::LinearProperties(face, length);
    return area.Mass() <= kWeld * length.Mass();
}

enum class ThinFaces { Kept, Unmeshed };

void mesh(const TopoDS_Shape& shape, double deflection, double angle, bool internalVertices = true,
          ThinFaces thin = ThinFaces::Kept) {
    IMeshTools_Parameters parameters;
    parameters.Deflection = deflection;
    parameters.Angle = angle;
    parameters.InParallel = Standard_True;
    parameters.InternalVerticesMode = internalVertices;
    BRepMesh_IncrementalMesh(shape, parameters);
    if (thin == ThinFaces::Kept) return;
    // A sliver of a lathe cut (a half annulus 1e-6 mm wide) was given triangles across a
    // whole half disc: a face no reader resolves is left without triangles, and judged by the
    // edges around it.
    BRep_Builder builder;
    for (TopExp_Explorer it(shape, TopAbs_FACE); it.More(); it.Next()) {
        const TopoDS_Face& face = TopoDS::Face(it.Current());
        TopLoc_Location location;
        if (!BRep_Tool::Triangulation(face, location).IsNull() && thinnerThanWeld(face))
            builder.UpdateFace(face, Handle(Poly_Triangulation)());
    }
}

}  // namespace

namespace {

// A triangle by its welded corners, and whether it is thinner than the weld distance.
struct CorneredTriangle {
    std::array<std::uint32_t, 3> id;
    bool thin;
};

// The directed edges taken more often one way than the other, each as often as it is in
// surplus: in a list, and by the corner each leaves.
struct SurplusEdges {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> list;
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> from;
    // Of `list`, the edges only thin triangles take: they may close a chain of real edges (the
    // top of a sliver fin met by the wall beside it in pieces), but are not open by themselves.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> thin;
};

// Each directed edge: how many triangles take it, and whether one that is not thinner than the
// weld distance does. A triangle that thin bounds nothing a reader resolves: one was seen alone,
// meeting no other, on a sliver 4e-6 mm thick where a ring's wall touched the block's side; its
// edges are open only where a real triangle meets them, and may close a chain of real edges.
SurplusEdges surplusEdgesOf(std::vector<CorneredTriangle> triangles, WeldedCorners& corners) {
    struct Use {
        int count = 0;
        bool real = false;
    };
    std::unordered_map<std::uint64_t, Use> edges;  // (from << 32 | to)
    for (auto& [id, thin] : triangles) {
        for (auto& corner : id) corner = corners.root(corner);
        // A triangle folded to a line or a point has no inside to bound.
        if (id[0] == id[1] || id[1] == id[2] || id[2] == id[0]) continue;
        for (int k = 0; k < 3; ++k) {
            Use& use = edges[std::uint64_t{id[k]} << 32 | id[(k + 1) % 3]];
            ++use.count;
            use.real = use.real || !thin;
        }
    }
    SurplusEdges surplus;
    for (const auto& [edge, use] : edges) {
        const auto back = edges.find(edge << 32 | edge >> 32);
        const int extra = use.count - (back == edges.end() ? 0 : back->second.count);
        if (extra <= 0) continue;
        const auto from = static_cast<std::uint32_t>(edge >> 32), to = static_cast<std::uint32_t>(edge & 0xffffffffu);
        const bool thin = !(use.real || (back != edges.end() && back->second.real));
        for (int k = 0; k < extra; ++k) {
            if (thin) surplus.thin.emplace_back(from, to);
            surplus.list.emplace_back(from, to);
            surplus.from[from].push_back(to);
        }
    }
    return surplus;
}

// How many surplus edges stay open once T-junctions are closed: where one face's edge met
// another's in more pieces (a sliver face without triangles between them), a surplus edge is
// matched by a chain of surplus edges back along it, each corner within the weld distance of
// it, with no gap.
std::size_t openAfterTJunctions(SurplusEdges& surplus, const WeldedCorners& corners) {
    auto& outsOf = surplus.from;
    const auto take = [&](std::uint32_t from, std::uint32_t to) {
        auto& outs = outsOf[from];
        const auto found = std::find(outs.begin(), outs.end(), to);
        if (found == outs.end()) return false;
        outs.erase(found);
        return true;
    };
    // The longest first: a chain along an edge is of shorter ones.
    std::sort(surplus.list.begin(), surplus.list.end(), [&](const auto& one, const auto& other) {
        return corners.at(one.first).SquareDistance(corners.at(one.second)) >
               corners.at(other.first).SquareDistance(corners.at(other.second));
    });
    for (const auto& [a, b] : surplus.list) {
        if (!take(a, b)) continue;  // used up by an earlier chain
        const gp_Pnt &pa = corners.at(a), &pb = corners.at(b);
        const gp_Vec along(pb, pa);
        const double length = along.Magnitude();
        // How far along the edge back from b a corner lies (0 at b, 1 at a).
        const auto alongOf = [&](std::uint32_t corner) {
            return gp_Vec(pb, corners.at(corner)).Dot(along) / (length * length);
        };
        std::vector<std::pair<std::uint32_t, std::uint32_t>> chain;
        std::uint32_t at = b;
        for (int step = 0; step < 1000 && at != a && length > 0; ++step) {
            const double done = alongOf(at);
            std::optional<std::uint32_t> next;
            for (std::uint32_t candidate : outsOf[at]) {
                const double t = alongOf(candidate);
                const double off = gp_Vec(pb, corners.at(candidate)).Crossed(along).Magnitude() / length;
                if (t > done && t <= 1 + kWeld / length && off <= kWeld) {
                    next = candidate;
                    break;
                }
            }
            if (!next) break;
            take(at, *next);
            chain.emplace_back(at, *next);
            at = *next;
        }
        if (at == a && !chain.empty()) continue;
        // No chain: the edges go back, for a longer edge's chain to use.
        for (const auto& [from, to] : chain) outsOf[from].push_back(to);
        outsOf[a].push_back(b);
    }
    std::size_t open = 0;
    for (const auto& [from, outs] : outsOf) open += outs.size();
    for (const auto& [from, to] : surplus.thin)
        if (take(from, to)) --open;
    return open;
}

}  // namespace

MeshFigures meshFigures(const TopoDS_Shape& shape) {
    MeshFigures figures;
    WeldedCorners corners(kWeld);
    std::vector<CorneredTriangle> cornered;
    for (TopExp_Explorer it(shape, TopAbs_FACE); it.More(); it.Next()) {
        const TopoDS_Face& face = TopoDS::Face(it.Current());
        const bool curved = BRepAdaptor_Surface(face, false).GetType() != GeomAbs_Plane;
        TopLoc_Location location;
        const Handle(Poly_Triangulation) triangles = BRep_Tool::Triangulation(face, location);
        if (triangles.IsNull()) {
            // A face thinner than the weld distance (a lens of 1e-5 mm2 between two arcs that
            // nearly meet) has no triangles to give; the edges around it tell whether the mesh
            // closed over it.
            if (!thinnerThanWeld(face)) ++figures.unmeshedFaces;
            continue;
        }
        const gp_Trsf place = location.Transformation();
        const bool reversed = face.Orientation() == TopAbs_REVERSED;
        // Each node welded once, not once for every triangle that has it.
        std::vector<std::uint32_t> nodeIds(static_cast<std::size_t>(triangles->NbNodes()) + 1);
        for (int node = 1; node <= triangles->NbNodes(); ++node)
            nodeIds[static_cast<std::size_t>(node)] = corners.add(triangles->Node(node).Transformed(place));
        for (int t = 1; t <= triangles->NbTriangles(); ++t) {
            int n[3];
            triangles->Triangle(t).Get(n[0], n[1], n[2]);
            if (reversed) std::swap(n[1], n[2]);
            gp_Pnt corner[3];
            std::array<std::uint32_t, 3> id;
            for (int k = 0; k < 3; ++k) {
                id[k] = nodeIds.at(static_cast<std::size_t>(n[k]));
                corner[k] = corners.at(id[k]);
            }
            // How thin the triangle is: its height over its longest side.
            const double longest = std::max({corner[0].Distance(corner[1]), corner[1].Distance(corner[2]),
                                             corner[2].Distance(corner[0])});
            const double doubleArea = gp_Vec(corner[0], corner[1]).Crossed(gp_Vec(corner[0], corner[2])).Magnitude();
            // A curved face's area as its triangles': short of the surface's by a share of the
            // order of the deflection squared, and far cheaper than integrating the surface.
            if (curved) figures.curvedArea += doubleArea / 2;
            cornered.push_back({id, longest > 0 && doubleArea / longest < kWeld});
            const gp_XYZ &a = corner[0].XYZ(), &b = corner[1].XYZ(), &c = corner[2].XYZ();
            figures.volume += a.Dot(b.Crossed(c)) / 6;
            ++figures.triangles;
        }
    }
    SurplusEdges surplus = surplusEdgesOf(std::move(cornered), corners);
    figures.openEdges = openAfterTJunctions(surplus, corners);
    return figures;
}

std::string meshFault(const TopoDS_Shape& shape, const MeshFigures& figures, double deflection,
                      std::optional<double> solidsVolume) {
    if (figures.unmeshedFaces > 0)
        return "the mesher left " + std::to_string(figures.unmeshedFaces) + " face(s) without triangles";
    if (!boundaryClosed(shape)) return {};
    if (figures.openEdges > 0) return "the mesh has " + std::to_string(figures.openEdges) + " open edges";
    // A mesh strays from a curved face by at most the deflection; a flat face's triangles lie on it.
    double volume = solidsVolume ? *solidsVolume : solidVolume(shape);
    const double allowed = deflection * figures.curvedArea + 1e-6 * std::fabs(volume) + 1e-9;
    // The kernel's integration has erred by 2e-4 of a turned part on its cylinder faces,
    // quick or adaptive, where fine meshes agreed to 2e-5 mm3: a volume apart is measured
    // again by a closed mesh of a tenth of the deflection, made on a copy, before the mesh is
    // blamed.
    if (std::fabs(figures.volume - volume) > allowed) {
        const TopoDS_Shape copy = BRepBuilderAPI_Copy(shape, true, false).Shape();
        mesh(copy, deflection / 10, 0.1);
        const MeshFigures fine = meshFigures(copy);
        if (fine.unmeshedFaces == 0 && fine.openEdges == 0) volume = fine.volume;
    }
    if (std::fabs(figures.volume - volume) > allowed)
        return "the mesh holds " + automation::shortestText(figures.volume) + " mm3 where the solids hold " +
               automation::shortestText(volume);
    return {};
}

TopoDS_Shape checkedMesh(const TopoDS_Shape& shape, double deflection, double angle, const std::string& path) {
    std::string firstFault;
    const auto passes = [&](const TopoDS_Shape& meshed, double used, double usedAngle = 0, bool internalVertices = true,
                            ThinFaces thin = ThinFaces::Kept) {
        std::string fault;
        try {
            mesh(meshed, used, usedAngle > 0 ? usedAngle : angle, internalVertices, thin);
            // The solids' volume is measured on the other core while the triangles are counted.
            auto volume = std::async(std::launch::async, [&meshed] { return solidVolume(meshed); });
            const MeshFigures figures = meshFigures(meshed);
            fault = meshFault(meshed, figures, used, volume.get());
        } catch (const Standard_Failure& failure) {
            fault = std::string("the mesher failed: ") + failure.GetMessageString();
        }
        if (firstFault.empty()) firstFault = fault;
        return fault.empty();
    };
    // Made afresh: a coarser mesh made earlier (for a picture, a glTF file) was seen to keep
    // some faces' triangles beside new ones that no longer met them.
    BRepTools::Clean(shape);
    if (passes(shape, deflection)) return shape;
    BRepTools::Clean(shape);
    if (passes(shape, deflection / 4)) return shape;
    // Where a wall only touches another (a ring tangent to the block's side), the mesher
    // joined faces with holes between them at every deflection, and none with fewer
    // triangles across their curves, or none inside its faces: the deflection still holds.
    BRepTools::Clean(shape);
    if (passes(shape, deflection, angle * 5)) return shape;
    BRepTools::Clean(shape);
    if (passes(shape, deflection, 0, false)) return shape;
    BRepTools::Clean(shape);
    if (passes(shape, deflection, 0, true, ThinFaces::Unmeshed)) return shape;
    PartShape merged{.shape = shape, .volume = solidVolume(shape)};
    if (unifyChecked(merged) && passes(merged.shape, deflection)) return merged.shape;
    throw automation::failure("Cannot write " + path + ": " + firstFault +
                              ", even when meshed finer, coarser across curves, without its slivers, and with the solids' faces merged");
}

}  // namespace corvex::cadhost::occt
