#include "cadhost/occt/cutting/local_validity.hpp"

#include <BRepCheck_Analyzer.hxx>
#include <BRep_Tool.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedDataMapOfShapeListOfShape.hxx>
#include <TopoDS.hxx>

#include <algorithm>

namespace corvex::cadhost::occt {

bool validWhereChanged(const TopoDS_Shape& shape, const std::vector<TopoDS_Face>& newFaces) {
    if (shape.IsNull()) return false;
    for (const auto& face : newFaces)
        if (!BRepCheck_Analyzer(face).IsValid()) return false;
    for (TopExp_Explorer shells(shape, TopAbs_SHELL); shells.More(); shells.Next()) {
        // No free edge: each edge bounds two faces, or is the seam of a closed face.
        TopTools_IndexedDataMapOfShapeListOfShape facesOfEdge;
        TopExp::MapShapesAndUniqueAncestors(shells.Current(), TopAbs_EDGE, TopAbs_FACE, facesOfEdge);
        for (int i = 1; i <= facesOfEdge.Extent(); ++i) {
            const TopoDS_Edge& edge = TopoDS::Edge(facesOfEdge.FindKey(i));
            const auto& faces = facesOfEdge(i);
            if (faces.Extent() >= 2 || BRep_Tool::Degenerated(edge)) continue;
            if (faces.IsEmpty() || !BRep_Tool::IsClosed(edge, TopoDS::Face(faces.First()))) return false;
        }
    }
    // Faces that belong to no shell are no part of a valid solid.
    for (TopExp_Explorer loose(shape, TopAbs_FACE, TopAbs_SHELL); loose.More(); loose.Next()) return false;
    return true;
}

double loosestEdgeTolerance(const std::vector<TopoDS_Face>& newFaces) {
    double loosest = 0;
    for (const auto& face : newFaces)
        for (TopExp_Explorer edges(face, TopAbs_EDGE); edges.More(); edges.Next())
            loosest = std::max(loosest, BRep_Tool::Tolerance(TopoDS::Edge(edges.Current())));
    return loosest;
}

}  // namespace corvex::cadhost::occt
