#include "cadhost/occt/translated_memo.hpp"

#include <BRepAdaptor_Curve.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <BRepBuilderAPI_Copy.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRep_Tool.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Vertex.hxx>
#include <gp_Trsf.hxx>

#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

namespace corvex::cadhost::occt {
namespace {

// Enough for every tool of a job; a job that makes more distinct shapes starts over.
constexpr std::size_t kRemembered = 256;

struct Remembered {
    TopoDS_Shape result;
    gp_Pnt reference;
};

struct Memo {
    std::mutex mutex;
    std::unordered_map<std::string, Remembered> results;
};

Memo& memo() {
    static Memo instance;
    return instance;
}

// The regions written out exactly (every number's bits), positions taken from `reference`, so
// that two translations of the same regions give the same key.
class KeyWriter {
public:
    explicit KeyWriter(const gp_Pnt& reference) : reference_(reference) {}

    void number(double value) { bytes_.append(reinterpret_cast<const char*>(&value), sizeof value); }
    void tag(char value) { bytes_.push_back(value); }
    void direction(const gp_Dir& d) {
        number(d.X());
        number(d.Y());
        number(d.Z());
    }
    void position(const gp_Pnt& p) {
        number(p.X() - reference_.X());
        number(p.Y() - reference_.Y());
        number(p.Z() - reference_.Z());
    }
    // False when a face or an edge is of a kind not written.
    bool faces(const std::vector<TopoDS_Face>& faces) {
        tag('[');
        for (const auto& face : faces) {
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
    const std::string& key() const { return bytes_; }

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

using Key = std::optional<std::pair<std::string, gp_Pnt>>;

std::optional<gp_Pnt> referenceOf(const std::vector<TopoDS_Face>& faces) {
    if (faces.empty()) return std::nullopt;
    TopExp_Explorer vertices(faces.front(), TopAbs_VERTEX);
    if (!vertices.More()) return std::nullopt;
    return BRep_Tool::Pnt(TopoDS::Vertex(vertices.Current()));
}

Key booleanKey(const std::vector<TopoDS_Face>& a, const std::vector<TopoDS_Face>& b, BooleanOp operation) {
    const auto reference = referenceOf(a);
    if (!reference) return std::nullopt;
    KeyWriter writer(*reference);
    writer.tag('b');
    writer.tag(static_cast<char>('0' + static_cast<int>(operation)));
    if (!writer.faces(a) || !writer.faces(b)) return std::nullopt;
    return std::make_pair(writer.key(), *reference);
}

// Only a translation along the axis leaves a turn the same solid moved: the key holds where
// the axis runs seen from the region, less any offset along it, and only such moves are hits.
Key revolutionKey(const std::vector<TopoDS_Face>& region, const gp_Ax1& axis, double angle) {
    const auto reference = referenceOf(region);
    if (!reference) return std::nullopt;
    const gp_Dir& d = axis.Direction();
    const gp_Vec toAxis(*reference, axis.Location());
    const gp_Vec across = toAxis - gp_Vec(d) * toAxis.Dot(gp_Vec(d));
    KeyWriter writer(*reference);
    writer.tag('v');
    writer.direction(d);
    writer.number(across.X());
    writer.number(across.Y());
    writer.number(across.Z());
    writer.number(angle);
    if (!writer.faces(region)) return std::nullopt;
    return std::make_pair(writer.key(), *reference);
}

std::optional<TopoDS_Shape> recall(const Key& key) {
    if (!key) return std::nullopt;
    Remembered found;
    {
        std::lock_guard lock(memo().mutex);
        auto it = memo().results.find(key->first);
        if (it == memo().results.end()) return std::nullopt;
        found = it->second;
    }
    gp_Trsf shift;
    shift.SetTranslation(found.reference, key->second);
    // A copy with geometry of its own: the caller's region may be touched up by later work.
    return BRepBuilderAPI_Transform(found.result, shift, true).Shape();
}

void keep(const Key& key, const TopoDS_Shape& result) {
    if (!key || result.IsNull()) return;
    TopoDS_Shape own = BRepBuilderAPI_Copy(result, true).Shape();
    std::lock_guard lock(memo().mutex);
    if (memo().results.size() >= kRemembered) memo().results.clear();
    memo().results[key->first] = Remembered{own, key->second};
}

}  // namespace

std::optional<TopoDS_Shape> rememberedBoolean(const std::vector<TopoDS_Face>& a,
                                              const std::vector<TopoDS_Face>& b, BooleanOp operation) {
    return recall(booleanKey(a, b, operation));
}

void rememberBoolean(const std::vector<TopoDS_Face>& a, const std::vector<TopoDS_Face>& b,
                     BooleanOp operation, const TopoDS_Shape& result) {
    keep(booleanKey(a, b, operation), result);
}

std::optional<TopoDS_Shape> rememberedRevolution(const std::vector<TopoDS_Face>& region, const gp_Ax1& axis,
                                                 double angle) {
    return recall(revolutionKey(region, axis, angle));
}

void rememberRevolution(const std::vector<TopoDS_Face>& region, const gp_Ax1& axis, double angle,
                        const TopoDS_Shape& solid) {
    keep(revolutionKey(region, axis, angle), solid);
}

}  // namespace corvex::cadhost::occt
