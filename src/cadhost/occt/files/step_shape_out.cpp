#include "cadhost/occt/files/step_shape_out.hpp"

#include <BRepTools.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Tool.hxx>
#include <Geom_Curve.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>

namespace corvex::cadhost::occt {
namespace {

using Out = StepTextOut;

bool madeOf(const TopoDS_Shape& shape, bool (*leaf)(const TopoDS_Shape&)) {
    if (shape.IsNull()) return false;
    if (shape.ShapeType() != TopAbs_COMPOUND) return leaf(shape);
    bool any = false;
    for (TopoDS_Iterator it(shape); it.More(); it.Next()) {
        if (!madeOf(it.Value(), leaf)) return false;
        any = true;
    }
    return any;
}

// An edge's 3-D curve where the edge lies, and its parameter range.
Handle(Geom_Curve) placedCurve(const TopoDS_Edge& edge, double& first, double& last) {
    TopLoc_Location location;
    Handle(Geom_Curve) curve = BRep_Tool::Curve(edge, location, first, last);
    if (curve.IsNull()) throw NotWritableFast("an edge with no 3-D curve");
    if (!location.IsIdentity()) curve = Handle(Geom_Curve)::DownCast(curve->Transformed(location.Transformation()));
    return curve;
}

}  // namespace

bool isMadeOfSolids(const TopoDS_Shape& shape) {
    return madeOf(shape, [](const TopoDS_Shape& leaf) { return leaf.ShapeType() == TopAbs_SOLID; });
}

bool isMadeOfEdges(const TopoDS_Shape& shape) {
    return madeOf(shape, [](const TopoDS_Shape& leaf) {
        return leaf.ShapeType() == TopAbs_EDGE || leaf.ShapeType() == TopAbs_WIRE;
    });
}

std::vector<int> StepShapeOut::solids(const TopoDS_Shape& shape) {
    std::vector<int> items;
    for (TopExp_Explorer solid(shape, TopAbs_SOLID); solid.More(); solid.Next()) {
        int shells = 0;
        for (TopoDS_Iterator it(solid.Current()); it.More(); it.Next()) {
            if (it.Value().ShapeType() != TopAbs_SHELL || !BRep_Tool::IsClosed(it.Value()))
                throw NotWritableFast("a solid that is not one closed shell");
            ++shells;
        }
        if (shells != 1) throw NotWritableFast("a solid of other than one shell");
        std::vector<int> faces;
        // The explorer gives each face its orientation in the solid, shell's and solid's included.
        for (TopExp_Explorer it(solid.Current(), TopAbs_FACE); it.More(); it.Next()) faces.push_back(face(it.Current()));
        const int closedShell = out_.add("CLOSED_SHELL", {"''", StepRefs{faces}});
        items.push_back(out_.add("MANIFOLD_SOLID_BREP", {"''", StepRef{closedShell}}));
    }
    return items;
}

// A face as STEP has it: its bounds traversed as the kernel's forward face traverses them,
// with the face's own orientation in `same_sense`; a reversed face's bounds are reversed too,
// since in STEP a face's orientation does not turn its loops.
int StepShapeOut::face(const TopoDS_Shape& shape) {
    const TopoDS_Face& oriented = TopoDS::Face(shape);
    if (oriented.Orientation() != TopAbs_FORWARD && oriented.Orientation() != TopAbs_REVERSED)
        throw NotWritableFast("a face inside a solid");
    const bool reversedFace = oriented.Orientation() == TopAbs_REVERSED;
    const TopoDS_Face forward = TopoDS::Face(oriented.Oriented(TopAbs_FORWARD));
    std::vector<int> bounds;
    for (TopExp_Explorer wires(forward, TopAbs_WIRE); wires.More(); wires.Next()) {
        const TopoDS_Wire& wire = TopoDS::Wire(wires.Current());
        std::vector<int> edges;
        for (BRepTools_WireExplorer it(TopoDS::Wire(wire.Oriented(TopAbs_FORWARD)), forward); it.More(); it.Next()) {
            const TopoDS_Edge& edge = it.Current();
            if (BRep_Tool::Degenerated(edge)) continue;  // STEP has no edge at a pole
            const int curve = this->edge(edge);
            edges.push_back(out_.add("ORIENTED_EDGE",
                                     {"''", "*", "*", StepRef{curve}, Out::boolean(edge.Orientation() == TopAbs_FORWARD)}));
        }
        bool bounding = false;  // an edge of the wire bounds the face: not all lie inside it
        for (TopExp_Explorer it(wire, TopAbs_EDGE); it.More(); it.Next())
            bounding = bounding || (it.Current().Orientation() != TopAbs_INTERNAL &&
                                    it.Current().Orientation() != TopAbs_EXTERNAL);
        // Edges inside a face (a Boolean leaves them where a cut only touched a floor) bound
        // nothing, and a STEP face has no place for them: the face is the same without them.
        if (!bounding) continue;
        if (edges.empty()) throw NotWritableFast("a face bound made of degenerate edges alone");
        const int loop = out_.add("EDGE_LOOP", {"''", StepRefs{edges}});
        const bool forwardWire = wire.Orientation() == TopAbs_FORWARD;
        bounds.push_back(out_.add("FACE_BOUND", {"''", StepRef{loop}, Out::boolean(reversedFace ? !forwardWire : forwardWire)}));
    }
    if (bounds.empty()) throw NotWritableFast("a face with no bounds");
    TopLoc_Location location;
    Handle(Geom_Surface) surface = BRep_Tool::Surface(forward, location);
    if (!location.IsIdentity()) surface = Handle(Geom_Surface)::DownCast(surface->Transformed(location.Transformation()));
    const StepGeometryOut::Surface written = geometry_.surface(surface);
    return out_.add("ADVANCED_FACE", {"''", StepRefs{bounds}, StepRef{written.id}, Out::boolean(reversedFace == written.reversed)});
}

// An edge from its forward vertex to its reversed one, along its curve.
int StepShapeOut::edge(const TopoDS_Shape& shape) {
    if (const int* found = edges_.Seek(shape)) return *found;
    const TopoDS_Edge forward = TopoDS::Edge(shape.Oriented(TopAbs_FORWARD));
    TopoDS_Vertex start, end;
    TopExp::Vertices(forward, start, end);
    if (start.IsNull() || end.IsNull()) throw NotWritableFast("an edge without two vertices");
    double first = 0, last = 0;
    const int curve = geometry_.curve(placedCurve(forward, first, last));
    const int from = vertex(start), to = vertex(end);
    const int id = out_.add("EDGE_CURVE", {"''", StepRef{from}, StepRef{to}, StepRef{curve}, ".T."});
    edges_.Bind(shape, id);
    return id;
}

int StepShapeOut::vertex(const TopoDS_Shape& shape) {
    if (const int* found = vertices_.Seek(shape)) return *found;
    const int point = geometry_.point(BRep_Tool::Pnt(TopoDS::Vertex(shape)));
    const int id = out_.add("VERTEX_POINT", {"''", StepRef{point}});
    vertices_.Bind(shape, id);
    return id;
}

// Each edge as its curve trimmed by parameter to the edge, in the edge's own direction.
int StepShapeOut::curveSet(const TopoDS_Shape& shape) {
    std::vector<int> curves;
    for (TopExp_Explorer it(shape, TopAbs_EDGE); it.More(); it.Next()) {
        const TopoDS_Edge& edge = TopoDS::Edge(it.Current());
        if (BRep_Tool::Degenerated(edge)) continue;
        double first = 0, last = 0;
        const Handle(Geom_Curve) curve = placedCurve(edge, first, last);
        const bool forward = edge.Orientation() != TopAbs_REVERSED;
        const double from = forward ? first : last, to = forward ? last : first;
        const int basis = geometry_.curve(curve);
        const int start = geometry_.point(curve->Value(from)), end = geometry_.point(curve->Value(to));
        // A trim is (point, PARAMETER_VALUE(t)).
        const auto trim = [](int point, double parameter) {
            std::string text = "(";
            Out::ref(text, point);
            text += ",PARAMETER_VALUE(";
            Out::real(text, parameter);
            return text + "))";
        };
        const std::string startTrim = trim(start, from), endTrim = trim(end, to);
        curves.push_back(out_.add("TRIMMED_CURVE", {"''", StepRef{basis}, startTrim, endTrim, Out::boolean(forward), ".PARAMETER."}));
    }
    if (curves.empty()) throw NotWritableFast("curves with no edge");
    return out_.add("GEOMETRIC_CURVE_SET", {"''", StepRefs{curves}});
}

}  // namespace corvex::cadhost::occt
