#include "cadhost/occt/region_order.hpp"

#include <BRepAdaptor_Curve.hxx>
#include <BRepBndLib.hxx>
#include <BRepClass_FaceClassifier.hxx>
#include <Bnd_Box.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>

#include <optional>
#include <utility>

#include "cadhost/occt/region_planes.hpp"
#include "cadhost/occt/regions.hpp"

namespace corvex::cadhost::occt {

namespace {

// Points sampled along each edge of a region to test whether it lies within another. Enough to
// see an arc or a line leave a region anywhere but in a sliver thinner than 1/16 of the edge.
constexpr int kSamplesPerEdge = 16;

// What the enclosure test needs of a face, worked out once per face rather than once per pair.
struct FaceFacts {
    TopoDS_Face face;
    double area = 0;
    Bnd_Box box;
    std::optional<gp_Pln> plane;
};

FaceFacts factsOf(const TopoDS_Face& face) {
    FaceFacts facts;
    facts.face = face;
    facts.area = faceArea(face);
    BRepBndLib::Add(face, facts.box);
    facts.box.Enlarge(kJoinTolerance);
    facts.plane = facePlane(face);
    return facts;
}

bool boundaryWithin(const TopoDS_Face& outer, const TopoDS_Face& inner) {
    BRepClass_FaceClassifier classifier;
    for (TopExp_Explorer explorer(inner, TopAbs_EDGE); explorer.More(); explorer.Next()) {
        BRepAdaptor_Curve curve(TopoDS::Edge(explorer.Current()));
        const double first = curve.FirstParameter();
        const double step = (curve.LastParameter() - first) / kSamplesPerEdge;
        for (int sample = 0; sample <= kSamplesPerEdge; ++sample) {
            classifier.Perform(outer, curve.Value(first + sample * step), kJoinTolerance);
            if (classifier.State() == TopAbs_OUT) {
                return false;
            }
        }
    }
    return true;
}

bool enclosesFacts(const FaceFacts& outer, const FaceFacts& inner) {
    // The cheap refusals first: most pairs of one call (a tool outline and its corner circles,
    // side-by-side pockets) fail on area or box before any point is classified.
    if (inner.area >= outer.area * (1 - 1e-9) || outer.box.IsOut(inner.box)) {
        return false;
    }
    if (!outer.plane || !inner.plane || !samePlane(*outer.plane, *inner.plane, kJoinTolerance)) {
        return false;
    }
    return boundaryWithin(outer.face, inner.face);
}

}  // namespace

bool encloses(const TopoDS_Face& outer, const TopoDS_Face& inner) {
    return enclosesFacts(factsOf(outer), factsOf(inner));
}

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
        facts.push_back(factsOf(face));
    }
    std::vector<std::vector<bool>> enclosing(count, std::vector<bool>(count, false));
    // A face's place in the list: its own, or that of the earliest face it encloses.
    std::vector<std::size_t> place(count);
    for (std::size_t outer = 0; outer < count; ++outer) {
        place[outer] = outer;
        for (std::size_t inner = 0; inner < count; ++inner) {
            if (inner != outer && enclosesFacts(facts[outer], facts[inner])) {
                enclosing[outer][inner] = true;
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
        // Enclosure is strict in area, so some face is always free; the fallback only guards
        // against a cycle that rounding could make.
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
