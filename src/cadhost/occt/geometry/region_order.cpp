#include "cadhost/occt/geometry/region_order.hpp"

#include <BRepAdaptor_Curve.hxx>
#include <BRepBndLib.hxx>
#include <BRepTopAdaptor_FClass2d.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <ElSLib.hxx>
#include <Geom_Plane.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <gp_Pnt2d.hxx>
#include <gp_Trsf.hxx>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <utility>

#include "cadhost/occt/geometry/region_planes.hpp"
#include "cadhost/occt/geometry/regions.hpp"

namespace corvex::cadhost::occt {

namespace {

// Points sampled along each edge of a region to test whether it lies within another. Enough to
// see an arc or a line leave a region anywhere but in a sliver thinner than 1/16 of the edge.
constexpr int kSamplesPerEdge = 16;

// What the enclosure test needs of a face, worked out once per face rather than once per pair:
// the box of its boundary (exact for lines and arcs, unlike a face's box, which may be the box
// of its plane's parameter range) and, when it is first asked to hold another face, a
// classifier. BRepClass_FaceClassifier costs some 80 us a point; BRepTopAdaptor_FClass2d costs
// about that once to set up and a fraction of a microsecond a point, and it still finds points
// on an arc ON it and points just inside it IN (tried on circles of radius 5 to 50,000).
class FaceFacts {
public:
    explicit FaceFacts(const TopoDS_Face& face) : face_(face), plane_(facePlane(face)) {
        for (TopExp_Explorer explorer(face, TopAbs_EDGE); explorer.More(); explorer.Next()) {
            BRepBndLib::Add(explorer.Current(), box_);
        }
    }

    const TopoDS_Face& face() const { return face_; }
    const std::optional<gp_Pln>& plane() const { return plane_; }

    // True when `other`'s box lies in this face's box (with room for tolerances).
    bool boxHolds(const FaceFacts& other) const {
        if (box_.IsVoid() || other.box_.IsVoid()) {
            return false;
        }
        const double room = kJoinTolerance + 1e-9 * std::sqrt(box_.SquareExtent());
        double x0, y0, z0, x1, y1, z1, u0, v0, w0, u1, v1, w1;
        box_.Get(x0, y0, z0, x1, y1, z1);
        other.box_.Get(u0, v0, w0, u1, v1, w1);
        return u0 >= x0 - room && v0 >= y0 - room && w0 >= z0 - room && u1 <= x1 + room &&
               v1 <= y1 + room && w1 <= z1 + room;
    }

    // True when `point` (on the face's plane) is inside the face or on its boundary.
    bool holds(const gp_Pnt& point) {
        if (!classifier_) {
            classifier_ = std::make_unique<BRepTopAdaptor_FClass2d>(face_, kJoinTolerance);
            TopLoc_Location location;
            Handle(Geom_Plane) surface =
                Handle(Geom_Plane)::DownCast(BRep_Tool::Surface(face_, location));
            surfacePlane_ = surface->Pln();
            toSurface_ = location.Transformation().Inverted();
        }
        double u = 0;
        double v = 0;
        ElSLib::Parameters(surfacePlane_, point.Transformed(toSurface_), u, v);
        return classifier_->Perform(gp_Pnt2d(u, v)) != TopAbs_OUT;
    }

private:
    TopoDS_Face face_;
    std::optional<gp_Pln> plane_;
    Bnd_Box box_;
    std::unique_ptr<BRepTopAdaptor_FClass2d> classifier_;
    gp_Pln surfacePlane_;
    gp_Trsf toSurface_;
};

// True when every sampled point of inner's boundary is inside or on outer: the cheap refusals
// first, since most pairs of one call (a tool outline and its corner circles, pockets side by
// side) fail on the box before any point is classified.
bool boundaryWithin(FaceFacts& outer, const FaceFacts& inner) {
    if (!outer.boxHolds(inner) || !outer.plane() || !inner.plane() ||
        !samePlane(*outer.plane(), *inner.plane(), kJoinTolerance)) {
        return false;
    }
    for (TopExp_Explorer explorer(inner.face(), TopAbs_EDGE); explorer.More(); explorer.Next()) {
        BRepAdaptor_Curve curve(TopoDS::Edge(explorer.Current()));
        const double first = curve.FirstParameter();
        const double step = (curve.LastParameter() - first) / kSamplesPerEdge;
        for (int sample = 0; sample <= kSamplesPerEdge; ++sample) {
            if (!outer.holds(curve.Value(first + sample * step))) {
                return false;
            }
        }
    }
    return true;
}

// The enclosure relation of a call: enclosing[a][b] when a encloses b. Two faces whose
// boundaries each lie within the other are the same region twice, and neither encloses the
// other; that also spares the test an area computation to tell the larger one.
std::vector<std::vector<bool>> enclosureOf(std::vector<FaceFacts>& facts) {
    const std::size_t count = facts.size();
    std::vector<std::vector<bool>> within(count, std::vector<bool>(count, false));
    for (std::size_t outer = 0; outer < count; ++outer) {
        for (std::size_t inner = 0; inner < count; ++inner) {
            within[outer][inner] = inner != outer && boundaryWithin(facts[outer], facts[inner]);
        }
    }
    std::vector<std::vector<bool>> enclosing(count, std::vector<bool>(count, false));
    for (std::size_t outer = 0; outer < count; ++outer) {
        for (std::size_t inner = 0; inner < count; ++inner) {
            enclosing[outer][inner] = within[outer][inner] && !within[inner][outer];
        }
    }
    return enclosing;
}

}  // namespace

std::vector<std::size_t> enclosingFirstOrder(const std::vector<TopoDS_Face>& faces) {
    const std::size_t count = faces.size();
    std::vector<std::size_t> order;
    if (count < 2) {
        for (std::size_t index = 0; index < count; ++index) {
            order.push_back(index);
        }
        return order;
    }
    std::vector<FaceFacts> facts;
    facts.reserve(count);
    for (const TopoDS_Face& face : faces) {
        facts.emplace_back(face);
    }
    const std::vector<std::vector<bool>> enclosing = enclosureOf(facts);
    // A face's place in the list: its own, or that of the earliest face it encloses.
    std::vector<std::size_t> place(count);
    for (std::size_t outer = 0; outer < count; ++outer) {
        place[outer] = outer;
        for (std::size_t inner = 0; inner < count; ++inner) {
            if (enclosing[outer][inner]) {
                place[outer] = std::min(place[outer], inner);
            }
        }
    }
    // A stable topological order: repeatedly take, among the faces that no remaining face
    // encloses, the one with the earliest place (ties by list position: the encloser first).
    std::vector<bool> placed(count, false);
    while (order.size() < count) {
        std::optional<std::size_t> best;
        for (std::size_t candidate = 0; candidate < count; ++candidate) {
            if (placed[candidate]) {
                continue;
            }
            bool enclosedByRemaining = false;
            for (std::size_t other = 0; other < count && !enclosedByRemaining; ++other) {
                enclosedByRemaining = !placed[other] && enclosing[other][candidate];
            }
            if (enclosedByRemaining) {
                continue;
            }
            if (!best || std::pair(place[candidate], candidate) < std::pair(place[*best], *best)) {
                best = candidate;
            }
        }
        // Enclosure is a strict order, so some face is always free; the fallback only guards
        // against a cycle that sampling could make among three or more faces.
        if (!best) {
            for (std::size_t candidate = 0; candidate < count && !best; ++candidate) {
                if (!placed[candidate]) {
                    best = candidate;
                }
            }
        }
        placed[*best] = true;
        order.push_back(*best);
    }
    return order;
}

}  // namespace corvex::cadhost::occt
