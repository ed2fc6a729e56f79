#include "cadhost/occt/files/step_shape_out.hpp"

#include <BRepTools.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Tool.hxx>
#include <Geom_Curve.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Iterator.hxx>

namespace corvex::cadhost::occt {
namespace {

using Out = StepTextOut;

void refs(std::string& body, const std::vector<int>& ids) {
    body += '(';
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i) body += ',';
        Out::ref(body, ids[i]);
    }
    body += ')';
}

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
        std::string body = "CLOSED_SHELL('',";
        refs(body, faces);
        body += ')';
        const int closedShell = out_.add(body);
        body = "MANIFOLD_SOLID_BREP('',";
        Out::ref(body, closedShell);
        body += ')';
        items.push_back(out_.add(body));
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
            std::string body = "ORIENTED_EDGE('',*,*,";
            Out::ref(body, this->edge(edge));
            body += ',';
            Out::boolean(body, edge.Orientation() == TopAbs_FORWARD);
            body += ')';
            edges.push_back(out_.add(body));
        }
        if (edges.empty()) throw NotWritableFast("a face bound made of degenerate edges alone");
        std::string body = "EDGE_LOOP('',";
        refs(body, edges);
        body += ')';
        const int loop = out_.add(body);
        const bool forwardWire = wire.Orientation() == TopAbs_FORWARD;
        body = "FACE_BOUND('',";
        Out::ref(body, loop);
        body += ',';
        Out::boolean(body, reversedFace ? !forwardWire : forwardWire);
        body += ')';
        bounds.push_back(out_.add(body));
    }
    if (bounds.empty()) throw NotWritableFast("a face with no bounds");
    TopLoc_Location location;
    Handle(Geom_Surface) surface = BRep_Tool::Surface(forward, location);
    if (!location.IsIdentity()) surface = Handle(Geom_Surface)::DownCast(surface->Transformed(location.Transformation()));
    const StepGeometryOut::Surface written = geometry_.surface(surface);
    std::string body = "ADVANCED_FACE('',";
    refs(body, bounds);
    body += ',';
    Out::ref(body, written.id);
    body += ',';
    Out::boolean(body, reversedFace == written.reversed);
    body += ')';
    return out_.add(body);
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
    std::string body = "EDGE_CURVE('',";
    Out::ref(body, vertex(start));
    body += ',';
    Out::ref(body, vertex(end));
    body += ',';
    Out::ref(body, curve);
    body += ",.T.)";
    const int id = out_.add(body);
    edges_.Bind(shape, id);
    return id;
}

int StepShapeOut::vertex(const TopoDS_Shape& shape) {
    if (const int* found = vertices_.Seek(shape)) return *found;
    std::string body = "VERTEX_POINT('',";
    Out::ref(body, geometry_.point(BRep_Tool::Pnt(TopoDS::Vertex(shape))));
    body += ')';
    const int id = out_.add(body);
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
        std::string body = "TRIMMED_CURVE('',";
        Out::ref(body, basis);
        body += ",(";
        Out::ref(body, start);
        body += ",PARAMETER_VALUE(";
        Out::real(body, from);
        body += ")),(";
        Out::ref(body, end);
        body += ",PARAMETER_VALUE(";
        Out::real(body, to);
        body += ")),";
        Out::boolean(body, forward);
        body += ",.PARAMETER.)";
        curves.push_back(out_.add(body));
    }
    if (curves.empty()) throw NotWritableFast("curves with no edge");
    std::string body = "GEOMETRIC_CURVE_SET('',";
    refs(body, curves);
    body += ')';
    return out_.add(body);
}

}  // namespace corvex::cadhost::occt
