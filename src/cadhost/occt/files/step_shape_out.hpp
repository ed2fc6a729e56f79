#pragma once
// The kernel's solids and curves as STEP topology (internal to the host): a solid as a
// MANIFOLD_SOLID_BREP of one closed shell of ADVANCED_FACEs, each edge and vertex written
// once and shared by the faces that meet there, and loose curves as a GEOMETRIC_CURVE_SET.
// Edges carry their 3-D curves alone: a reader makes the curves on the faces itself.
// Anything else (a solid with a void, an open shell, a face on its own) throws
// NotWritableFast.
#include <NCollection_DataMap.hxx>
#include <TopTools_ShapeMapHasher.hxx>
#include <TopoDS_Shape.hxx>

#include <vector>

#include "cadhost/occt/files/step_geometry_out.hpp"

namespace corvex::cadhost::occt {

class StepShapeOut {
public:
    explicit StepShapeOut(StepTextOut& out) : out_(out), geometry_(out) {}

    // The representation items of a shape made of solids (a solid, a compound of solids):
    // one MANIFOLD_SOLID_BREP each.
    std::vector<int> solids(const TopoDS_Shape& shape);
    // The representation item of a shape made of edges (an edge, a wire, a compound of them):
    // a GEOMETRIC_CURVE_SET of their trimmed curves.
    int curveSet(const TopoDS_Shape& shape);
    StepGeometryOut& geometry() { return geometry_; }
    // Starts the next item: no edge or vertex is shared between two items' representations,
    // even where their shapes share them (a shape drawn twice).
    void nextItem() {
        edges_.Clear();
        vertices_.Clear();
    }

private:
    int face(const TopoDS_Shape& face);
    int edge(const TopoDS_Shape& edge);
    int vertex(const TopoDS_Shape& vertex);

    StepTextOut& out_;
    StepGeometryOut geometry_;
    NCollection_DataMap<TopoDS_Shape, int, TopTools_ShapeMapHasher> edges_, vertices_;
};

// Whether the shape is made of solids alone, or of edges alone, down through compounds.
bool isMadeOfSolids(const TopoDS_Shape& shape);
bool isMadeOfEdges(const TopoDS_Shape& shape);

}  // namespace corvex::cadhost::occt
