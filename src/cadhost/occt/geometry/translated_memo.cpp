#include "cadhost/occt/geometry/translated_memo.hpp"

#include <BRepAdaptor_Curve.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <BRepBuilderAPI_Copy.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRep_Tool.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Vertex.hxx>
#include <gp_Trsf.hxx>

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace corvex::cadhost::occt {
namespace {

// Enough for every tool of a job; a job that makes more distinct shapes starts over.
constexpr std::size_t kRemembered = 256;

struct Remembered {
    TopoDS_Shape shape;
    double number = 0;
    gp_Pnt reference;
};

struct Memo {
    std::atomic<bool> enabled{true};
    std::mutex mutex;
    std::unordered_map<std::string, Remembered> results;
};

Memo& memo() {
    static Memo instance;
    return instance;
}

// The regions written out exactly (every number's bits), positions taken from `reference`.
class KeyWriter {
public:
    explicit KeyWriter(const gp_Pnt& reference) : reference_(reference) {}

    void number(double value) { bytes_.append(reinterpret_cast<const char*>(&value), sizeof value); }
    void tag(char value) { bytes_.push_back(value); }
    void vector(double x, double y, double z) {
        number(x);
        number(y);
        number(z);
    }
    void direction(const gp_Dir& d) { vector(d.X(), d.Y(), d.Z()); }
    void position(const gp_Pnt& p) { vector(p.X() - reference_.X(), p.Y() - reference_.Y(), p.Z() - reference_.Z()); }
    // False when a face or an edge is of a kind not written.
    bool region(const TopoDS_Shape& region) {
        tag('[');
        for (TopExp_Explorer faces(region, TopAbs_FACE); faces.More(); faces.Next()) {
            const TopoDS_Face& face = TopoDS::Face(faces.Current());
            BRepAdaptor_Surface surface(face, false);
            if (surface.GetType() != GeomAbs_Plane) return false;
            tag(face.Orientation() == TopAbs_REVERSED ? 'r' : 'f');
            direction(surface.Plane().Axis().Direction());
            for (TopExp_Explorer wires(face, TopAbs_WIRE); wires.More(); wires.Next()) {
                tag('w');
                for (TopExp_Explorer edges(wires.Current(), TopAbs_EDGE); edges.More(); edges.Next())
                    if (!edge(TopoDS::Edge(edges.Current()))) return false;
            }
        }
        tag(']');
        return true;
    }
    std::string take() { return std::move(bytes_); }

private:
    bool edge(const TopoDS_Edge& edge) {
        if (BRep_Tool::Degenerated(edge)) return false;
        BRepAdaptor_Curve curve(edge);
        tag(edge.Orientation() == TopAbs_REVERSED ? 'R' : 'F');
        switch (curve.GetType()) {
        case GeomAbs_Line:
            tag('l');
            break;
        case GeomAbs_Circle:
            tag('c');
            position(curve.Circle().Location());
            direction(curve.Circle().Axis().Direction());
            number(curve.Circle().Radius());
            break;
        default:
            return false;
        }
        position(curve.Value(curve.FirstParameter()));
        position(curve.Value(curve.LastParameter()));
        return true;
    }

    gp_Pnt reference_;
    std::string bytes_;
};

std::vector<TopoDS_Shape> shapesOf(const std::vector<TopoDS_Face>& faces) { return {faces.begin(), faces.end()}; }

// A point the regions carry along when they move: their first vertex.
std::optional<gp_Pnt> referenceOf(const std::vector<TopoDS_Shape>& regions) {
    if (regions.empty()) return std::nullopt;
    TopExp_Explorer vertices(regions.front(), TopAbs_VERTEX);
    if (!vertices.More()) return std::nullopt;
    return BRep_Tool::Pnt(TopoDS::Vertex(vertices.Current()));
}

}  // namespace

std::optional<TranslationKey> translationKey(char kind, const std::vector<TopoDS_Shape>& regions,
                                             std::initializer_list<double> numbers) {
    const auto reference = referenceOf(regions);
    if (!reference) return std::nullopt;
    KeyWriter writer(*reference);
    writer.tag(kind);
    for (double n : numbers) writer.number(n);
    for (const auto& region : regions)
        if (!writer.region(region)) return std::nullopt;
    return TranslationKey{writer.take(), *reference};
}

void setTranslatedMemoEnabled(bool enabled) {
    memo().enabled = enabled;
    std::lock_guard lock(memo().mutex);
    memo().results.clear();
}

std::optional<RememberedResult> recall(const TranslationKey& key) {
    if (!memo().enabled) return std::nullopt;
    Remembered found;
    {
        std::lock_guard lock(memo().mutex);
        auto it = memo().results.find(key.text);
        if (it == memo().results.end()) return std::nullopt;
        found = it->second;
    }
    gp_Trsf shift;
    shift.SetTranslation(found.reference, key.reference);
    // A copy with geometry of its own: the caller's shape may be touched up by later work.
    return RememberedResult{BRepBuilderAPI_Transform(found.shape, shift, true).Shape(), found.number};
}

void keep(const TranslationKey& key, const TopoDS_Shape& shape, double number) {
    if (shape.IsNull() || !memo().enabled) return;
    TopoDS_Shape own = BRepBuilderAPI_Copy(shape, true).Shape();
    std::lock_guard lock(memo().mutex);
    if (memo().results.size() >= kRemembered) memo().results.clear();
    memo().results[key.text] = Remembered{own, number, key.reference};
}

std::optional<TranslationKey> booleanKey(const std::vector<TopoDS_Face>& a, const std::vector<TopoDS_Face>& b,
                                         BooleanOp operation) {
    std::vector<TopoDS_Shape> regions = shapesOf(a);
    regions.insert(regions.end(), b.begin(), b.end());
    // The number of faces of `a` tells where `b` begins.
    return translationKey('b', regions, {static_cast<double>(operation), static_cast<double>(a.size())});
}

// The key holds where the axis runs seen from the region, less any offset along it.
std::optional<TranslationKey> revolutionKey(const std::vector<TopoDS_Face>& region, const gp_Ax1& axis,
                                            double angle) {
    const std::vector<TopoDS_Shape> regions = shapesOf(region);
    const auto reference = referenceOf(regions);
    if (!reference) return std::nullopt;
    const gp_Vec d(axis.Direction());
    const gp_Vec toAxis(*reference, axis.Location());
    const gp_Vec across = toAxis - d * toAxis.Dot(d);
    return translationKey('v', regions, {d.X(), d.Y(), d.Z(), across.X(), across.Y(), across.Z(), angle});
}

}  // namespace corvex::cadhost::occt
