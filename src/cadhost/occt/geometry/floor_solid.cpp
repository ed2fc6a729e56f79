// The solid a floor map stands for, built face by face: over each region of the map a column of
// material from the stock's bottom to the region's floor; a flat face on top of each column, one
// under each connected set of columns, and a wall along each edge between columns of different
// heights. Edges and vertices
// are made once and shared, so the faces close into a shell without sewing.
// CGAL first: OpenCASCADE's headers define a macro named Handle, which CGAL's own use.
#include "cadhost/occt/geometry/floor_map_arrangement.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <ElCLib.hxx>
#include <Geom2d_Line.hxx>
#include <Geom_Circle.hxx>
#include <Geom_CylindricalSurface.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedDataMapOfShapeListOfShape.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>
#include <TopoDS_Shell.hxx>
#include <TopoDS_Solid.hxx>
#include <gp_Pln.hxx>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <tuple>

namespace corvex::cadhost::occt {

using namespace floor_map;

namespace {

constexpr double kTolerance = 1e-7;
constexpr double kShortest = 1e-6;  // shorter edges are left out, their ends joined

// Disjoint sets of the map's records, each set named by one of its members.
struct Sets {
    std::map<const void*, const void*> parent;  // a record to one of its set, the set's own to itself
    const void* find(const void* f) {
        auto it = parent.try_emplace(f, f).first;
        return it->second == f ? f : it->second = find(it->second);
    }
    void join(const void* a, const void* b) { parent[find(a)] = find(b); }
};

// Whether a cycle runs counter-clockwise, as an outline does (a hole's runs clockwise).
bool isOutline(const std::vector<Halfedge>& cycle) {
    double area = 0;
    for (const Halfedge& h : cycle) area += areaAlong(h);
    return area > 0;
}

class SolidBuilder {
public:
    // The builder only reads the map; it walks it with CGAL's mutable handles, whose types the
    // map's other code shares.
    SolidBuilder(const Map& map, double bottom, double top) : map_(const_cast<Map&>(map)), bottom_(bottom), top_(top) {}

    FloorSolid build(bool check) {
        joinCloseEnds();
        std::vector<TopoDS_Face> faces;
        for (auto face = map_.faces_begin(); face != map_.faces_end(); ++face) {
            const double height = columnTop(face);
            if (height <= bottom_) continue;
            if (const auto top = flat(simpleCycles(face), height, true)) faces.push_back(*top);
        }
        bottoms(faces);
        for (auto edge = map_.edges_begin(); edge != map_.edges_end(); ++edge) {
            const Halfedge along = canonical(edge);
            if (collapsed(along)) continue;
            const double left = columnTop(along->face()), right = columnTop(along->twin()->face());
            if (left == right) continue;
            faces.push_back(wall(along, std::min(left, right), std::max(left, right), left > right));
        }
        if (faces.empty()) return {};
        const TopoDS_Shape solid = lumps(faces);
        return {solid, static_cast<int>(faces.size()), check && isValidShape(solid)};
    }

private:
    // The faces joined through their shared edges, a solid for each set: material that meets
    // itself only along a line (two corners of cuts touching) has an edge for each side, and
    // falls into lumps there. A compound when there is more than one.
    TopoDS_Shape lumps(const std::vector<TopoDS_Face>& faces) {
        TopoDS_Compound all;
        builder_.MakeCompound(all);
        for (const auto& face : faces) builder_.Add(all, face);
        TopTools_IndexedDataMapOfShapeListOfShape facesOfEdge;
        TopExp::MapShapesAndUniqueAncestors(all, TopAbs_EDGE, TopAbs_FACE, facesOfEdge);
        TopTools_IndexedMapOfShape placed;
        std::vector<TopoDS_Solid> solids;
        for (const auto& start : faces) {
            if (placed.Contains(start)) continue;
            TopoDS_Shell shell;
            builder_.MakeShell(shell);
            std::vector<TopoDS_Shape> queue{start};
            placed.Add(start);
            while (!queue.empty()) {
                const TopoDS_Shape face = queue.back();
                queue.pop_back();
                builder_.Add(shell, face);
                for (TopExp_Explorer edge(face, TopAbs_EDGE); edge.More(); edge.Next())
                    for (const auto& next : facesOfEdge.FindFromKey(edge.Current()))
                        if (!placed.Contains(next)) {
                            placed.Add(next);
                            queue.push_back(next);
                        }
            }
            shell.Closed(true);
            TopoDS_Solid solid;
            builder_.MakeSolid(solid);
            builder_.Add(solid, shell);
            solids.push_back(solid);
        }
        if (solids.size() == 1) return solids.front();
        TopoDS_Compound compound;
        builder_.MakeCompound(compound);
        for (const auto& solid : solids) builder_.Add(compound, solid);
        return compound;
    }

    // The top of a region's column; the bottom where it holds no material.
    double columnTop(const Face& face) const {
        if (face->is_unbounded() || !face->data().stock) return bottom_;
        return std::clamp(face->data().height, bottom_, top_);
    }
    // Each edge's halfedge that runs left to right, along which its walls and copies are made.
    static Halfedge canonical(Halfedge h) { return h->direction() == CGAL::ARR_LEFT_TO_RIGHT ? h : h->twin(); }
    static gp_Pnt at(const MapPoint& p, double z) { return gp_Pnt(toDouble(p.x()), toDouble(p.y()), z); }
    static double radius(const Halfedge& h) {
        return std::sqrt(CGAL::to_double(h->curve().supporting_circle().squared_radius()));
    }
    // The axes of an arc's circle at height z, turning as the halfedge runs.
    static gp_Ax2 arcAxes(const Halfedge& h, double z) {
        const auto circle = h->curve().supporting_circle();
        return gp_Ax2(gp_Pnt(CGAL::to_double(circle.center().x()), CGAL::to_double(circle.center().y()), z),
                      counterClockwise(h) ? gp::DZ() : -gp::DZ(), gp::DX());
    }

    // Ends of an edge shorter than the kernel's tolerance (where two of the exact map's
    // intersections lie nearly on top of each other) are one vertex in the solid, and the edge
    // is left out of it.
    void joinCloseEnds() {
        for (auto edge = map_.edges_begin(); edge != map_.edges_end(); ++edge)
            if (at(edge->source()->point(), 0).Distance(at(edge->target()->point(), 0)) < kShortest)
                join(edge->source(), edge->target());
    }
    const void* root(const void* v) const {
        auto it = joined_.find(v);
        while (it != joined_.end() && it->second != v) {
            v = it->second;
            it = joined_.find(v);
        }
        return v;
    }
    // Joins the groups of a and b, whatever each held before.
    void join(const Vertex& a, const Vertex& b) {
        const void *ra = root(&*a), *rb = root(&*b);
        if (ra == rb) return;
        std::vector<Vertex> members = membersOf(a), others = membersOf(b);
        members.insert(members.end(), others.begin(), others.end());
        joined_[ra] = rb;
        joined_.try_emplace(rb, rb);
        group_.erase(ra);
        group_[rb] = std::move(members);
    }
    // The map's vertices that are one vertex of the solid with v.
    std::vector<Vertex> membersOf(const Vertex& v) const {
        const auto group = group_.find(root(&*v));
        return group == group_.end() ? std::vector<Vertex>{v} : group->second;
    }
    bool collapsed(const Halfedge& h) const { return root(&*h->source()) == root(&*h->target()); }

    // The solid's vertex at v and height z. Vertices joined to v stand at one place at every
    // height, the first one's asked: a riser from a vertex at one member's place to one at
    // another's leaned off its walls by the distance between them (up to kShortest).
    TopoDS_Vertex vertex(const Vertex& v, double z) {
        auto [it, made] = vertices_.try_emplace({root(&*v), z});
        if (made) {
            const gp_Pnt& place = places_.try_emplace(root(&*v), at(v->point(), 0)).first->second;
            builder_.MakeVertex(it->second, gp_Pnt(place.X(), place.Y(), z), kTolerance);
        }
        return it->second;
    }
    // The copy of an edge at height z, running as its canonical halfedge does.
    TopoDS_Edge edgeAt(const Halfedge& along, double z) {
        auto [it, made] = horizontal_.try_emplace({&*along, z});
        if (!made) return it->second;
        const TopoDS_Vertex from = vertex(along->source(), z), to = vertex(along->target(), z);
        if (along->curve().is_linear()) return it->second = BRepBuilderAPI_MakeEdge(from, to);
        Handle(Geom_Circle) circle = new Geom_Circle(arcAxes(along, z), radius(along));
        const double first = ElCLib::Parameter(circle->Circ(), BRep_Tool::Pnt(from));
        double last = ElCLib::Parameter(circle->Circ(), BRep_Tool::Pnt(to));
        if (last <= first) last += 2 * M_PI;
        return it->second = BRepBuilderAPI_MakeEdge(circle, from, to, first, last);
    }
    // The heights at which a vertical edge at v starts or ends: the columns' tops around it.
    const std::vector<double>& heightsAt(const Vertex& v) {
        auto [it, made] = heights_.try_emplace(root(&*v));
        if (!made) return it->second;
        std::set<double> heights{bottom_};
        for (const Vertex& member : membersOf(v)) {
            auto first = member->incident_halfedges(), h = first;
            do heights.insert(columnTop(h->face()));
            while (++h != first);
        }
        it->second.assign(heights.begin(), heights.end());
        return it->second;
    }
    // The material around v between two heights, in sectors: regions whose columns reach past
    // `level`, joined across the edges that need no wall there. Each sector is bounded by two
    // walls, which share their vertical edge; where two sectors meet at v (crossing cuts), each
    // pair has its own, so that no edge bounds four faces. Worked out once for each vertex and
    // height, for all the walls standing there.
    const void* sector(const Vertex& v, const Halfedge& wallAlong, double level) {
        auto [sectors, made] = sectors_.try_emplace({root(&*v), level});
        Sets& regions = sectors->second;
        if (made)
            for (const Vertex& member : membersOf(v)) {
                auto first = member->incident_halfedges(), h = first;
                do {
                    const Face left = h->face(), right = h->twin()->face();
                    if (columnTop(left) > level && columnTop(right) > level) regions.join(&*left, &*right);
                } while (++h != first);
            }
        const Face left = wallAlong->face();
        return regions.find(&*(columnTop(left) > level ? left : wallAlong->twin()->face()));
    }
    // The upward pieces of the vertical line at v from `low` to `high` that the wall along
    // `wallAlong` stands on.
    std::vector<TopoDS_Edge> riser(const Vertex& v, double low, double high, const Halfedge& wallAlong) {
        std::vector<TopoDS_Edge> pieces;
        const auto& heights = heightsAt(v);
        for (std::size_t i = 0; i + 1 < heights.size(); ++i) {
            if (heights[i] < low || heights[i + 1] > high) continue;
            const void* material = sector(v, wallAlong, (heights[i] + heights[i + 1]) / 2);
            auto [it, made] = vertical_.try_emplace({root(&*v), heights[i], material});
            if (made) it->second = BRepBuilderAPI_MakeEdge(vertex(v, heights[i]), vertex(v, heights[i + 1]));
            pieces.push_back(it->second);
        }
        return pieces;
    }
    // A closed walk of halfedges cut where it meets itself at a vertex into simple cycles (a
    // hole touching the outline at a point becomes a hole of its own), too short edges left out.
    void splitIntoSimple(const std::vector<Halfedge>& walk, std::vector<std::vector<Halfedge>>& cycles) {
        std::vector<Halfedge> path;
        std::map<const void*, std::size_t> visited;  // vertex to where the path left it
        for (const Halfedge& edge : walk) {
            if (collapsed(edge)) continue;
            if (path.empty()) visited[root(&*edge->source())] = 0;
            path.push_back(edge);
            const void* end = root(&*edge->target());
            if (auto again = visited.find(end); again != visited.end()) {
                cycles.emplace_back(path.begin() + again->second, path.end());
                path.resize(again->second);
                for (auto it = visited.begin(); it != visited.end();)
                    it = it->second > again->second ? visited.erase(it) : std::next(it);
            } else {
                visited[end] = path.size();
            }
        }
    }
    // A face's boundary cycles, simple. Counter-clockwise cycles are outlines, clockwise ones holes.
    std::vector<std::vector<Halfedge>> simpleCycles(const Face& face) {
        std::vector<std::vector<Halfedge>> cycles;
        auto split = [&](Map::Ccb_halfedge_circulator first) {
            std::vector<Halfedge> walk;
            auto h = first;
            do walk.push_back(Halfedge(h));
            while (++h != first);
            splitIntoSimple(walk, cycles);
        };
        for (auto outer = face->outer_ccbs_begin(); outer != face->outer_ccbs_end(); ++outer) split(*outer);
        for (auto hole = face->inner_ccbs_begin(); hole != face->inner_ccbs_end(); ++hole) split(*hole);
        return cycles;
    }
    bool material(const Face& face) const { return columnTop(face) > bottom_; }
    // The faces under the columns: one under each set of columns joined side by side (the
    // stock's bottom, less the holes cut through it), whose boundary runs where material meets
    // none. A set whose boundary has more than one outline (material meeting itself at a point)
    // gets a face under each column instead, as the tops have.
    void bottoms(std::vector<TopoDS_Face>& faces) {
        Sets columns;
        for (auto edge = map_.edges_begin(); edge != map_.edges_end(); ++edge)
            if (material(edge->face()) && material(edge->twin()->face())) columns.join(&*edge->face(), &*edge->twin()->face());
        // Each set's boundary: halfedges with material on their left (their face) and none on
        // the right, walked on round each vertex through the set's own faces.
        std::map<const void*, std::vector<std::vector<Halfedge>>> cyclesOf;
        std::set<const void*> walked;
        auto boundary = [&](const Halfedge& h) { return material(h->face()) && !material(h->twin()->face()); };
        for (auto h = map_.halfedges_begin(); h != map_.halfedges_end(); ++h) {
            if (!boundary(h) || walked.count(&*h)) continue;
            std::vector<Halfedge> walk;
            Halfedge at = h;
            do {
                walked.insert(&*at);
                walk.push_back(at);
                Halfedge next = at->next();
                while (!boundary(next)) next = next->twin()->next();
                at = next;
            } while (at != Halfedge(h) && walk.size() <= map_.number_of_halfedges());
            splitIntoSimple(walk, cyclesOf[columns.find(&*h->face())]);
        }
        std::set<const void*> whole;  // sets that get one face
        for (const auto& [set, cycles] : cyclesOf) {
            if (std::count_if(cycles.begin(), cycles.end(), isOutline) != 1) continue;
            if (const auto face = flat(cycles, bottom_, false)) {
                faces.push_back(*face);
                whole.insert(set);
            }
        }
        for (auto face = map_.faces_begin(); face != map_.faces_end(); ++face)
            if (material(face) && !whole.count(columns.find(&*face)))
                if (const auto under = flat(simpleCycles(face), bottom_, false)) faces.push_back(*under);
    }
    TopoDS_Wire wire(const std::vector<Halfedge>& cycle, double z) {
        TopoDS_Wire made;
        builder_.MakeWire(made);
        for (const Halfedge& h : cycle) {
            const Halfedge along = canonical(h);
            const TopoDS_Edge edge = edgeAt(along, z);
            builder_.Add(made, along == h ? edge : TopoDS::Edge(edge.Reversed()));
        }
        made.Closed(true);
        return made;
    }
    // A flat face at height z bounded by `cycles` (a region's or a set's): its outline runs
    // counter-clockwise, so the face looks up;
    // `up` false turns it over (the bottom). None for a region narrower than the kernel's
    // tolerance; a region whose outline meets itself in two outlines is left whole (the
    // solid then fails the check, and the part is cut by Booleans).
    std::optional<TopoDS_Face> flat(const std::vector<std::vector<Halfedge>>& cycles, double z, bool up) {
        std::vector<TopoDS_Wire> outlines, holes;
        for (const auto& cycle : cycles) (isOutline(cycle) ? outlines : holes).push_back(wire(cycle, z));
        if (outlines.empty()) return std::nullopt;
        BRepBuilderAPI_MakeFace made(gp_Pln(gp_Pnt(0, 0, z), gp::DZ()), outlines.front(), true);
        for (std::size_t i = 1; i < outlines.size(); ++i) made.Add(outlines[i]);
        for (const auto& hole : holes) made.Add(hole);
        const TopoDS_Face result = made.Face();
        return up ? result : TopoDS::Face(result.Reversed());
    }
    // The wall along an edge from `low` to `high`; the higher column lies left of the canonical
    // halfedge when `leftHigh`. Its loop runs along the edge at the bottom, up at the edge's end,
    // back along the top and down at its start.
    TopoDS_Face wall(const Halfedge& along, double low, double high, bool leftHigh) {
        const TopoDS_Edge bottom = edgeAt(along, low), top = edgeAt(along, high);
        const auto up = riser(along->target(), low, high, along), down = riser(along->source(), low, high, along);
        TopoDS_Wire wire;
        builder_.MakeWire(wire);
        builder_.Add(wire, bottom);
        for (const auto& edge : up) builder_.Add(wire, edge);
        builder_.Add(wire, top.Reversed());
        for (auto edge = down.rbegin(); edge != down.rend(); ++edge) builder_.Add(wire, edge->Reversed());
        wire.Closed(true);
        if (along->curve().is_linear()) {
            // The plane's normal points right of the edge, where the lower column stands. It
            // passes through the solid's own vertices, which may be joined to a neighbour up
            // to kShortest away from the map's point: the uprights at them must lie in it.
            const gp_Pnt start = BRep_Tool::Pnt(TopExp::FirstVertex(bottom)), end = BRep_Tool::Pnt(TopExp::LastVertex(bottom));
            const gp_Dir direction(gp_Vec(start, end));
            const TopoDS_Face face =
                BRepBuilderAPI_MakeFace(gp_Pln(gp_Ax3(start, direction.Crossed(gp::DZ()), direction)), wire, true);
            return leftHigh ? face : TopoDS::Face(face.Reversed());
        }
        // A cylinder about the arc's axis: u the circle's parameter, v along the axis, which
        // points down when the edge turns clockwise.
        const gp_Ax2 axes = arcAxes(along, 0);
        const double sign = axes.Direction().Z();
        Handle(Geom_CylindricalSurface) surface = new Geom_CylindricalSurface(gp_Ax3(axes), radius(along));
        auto onSurface = [&](const TopoDS_Edge& edge, const Handle(Geom2d_Curve)& curve) {
            builder_.UpdateEdge(edge, curve, surface, TopLoc_Location(), kTolerance);
        };
        double first, last;
        BRep_Tool::Range(bottom, first, last);
        onSurface(bottom, new Geom2d_Line(gp_Pnt2d(0, sign * low), gp_Dir2d(1, 0)));
        onSurface(top, new Geom2d_Line(gp_Pnt2d(0, sign * high), gp_Dir2d(1, 0)));
        // A vertical edge's line starts at its lower vertex, its parameter the height above it.
        auto upright = [&](const TopoDS_Edge& edge, double u) {
            TopoDS_Vertex lower, upper;
            TopExp::Vertices(edge, lower, upper);
            onSurface(edge, new Geom2d_Line(gp_Pnt2d(u, sign * BRep_Tool::Pnt(lower).Z()), gp_Dir2d(0, sign)));
        };
        for (const auto& edge : up) upright(edge, last);
        for (const auto& edge : down) upright(edge, first);
        TopoDS_Face face;
        builder_.MakeFace(face, surface, kTolerance);
        // The loop runs counter-clockwise in (u, v) when v rises with z.
        builder_.Add(face, sign > 0 ? wire : TopoDS::Wire(wire.Reversed()));
        // The cylinder's normal points away from its axis: outward when the material lies
        // toward the axis, that is left of a counter-clockwise edge.
        return leftHigh == (sign > 0) ? face : TopoDS::Face(face.Reversed());
    }

    Map& map_;
    double bottom_, top_;
    BRep_Builder builder_;
    std::map<std::pair<const void*, double>, TopoDS_Vertex> vertices_;
    std::map<const void*, gp_Pnt> places_;  // where each set of joined vertices stands
    std::map<std::pair<const void*, double>, TopoDS_Edge> horizontal_;  // (canonical halfedge, z)
    std::map<std::tuple<const void*, double, const void*>, TopoDS_Edge> vertical_;  // (vertex, lower z, sector)
    std::map<const void*, std::vector<double>> heights_;
    std::map<const void*, const void*> joined_;          // vertex to the one it was joined to
    std::map<const void*, std::vector<Vertex>> group_;   // a root's joined vertices
    std::map<std::pair<const void*, double>, Sets> sectors_;  // the regions round a vertex at a level
};

}  // namespace

FloorSolid FloorMap::solid(bool check) const { return SolidBuilder(map_->map, bottom_, top_).build(check); }

}  // namespace corvex::cadhost::occt
