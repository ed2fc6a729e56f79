#pragma once
// Meshes checked before they are written (internal). The kernel's mesher gave up on one floor
// face of a part whose faces eager cuts had split, and the STL went out with that face left
// out: 506 open edges, and the file's own volume 315 mm3 too large, with exit 0. So a mesh is
// checked as a drawing is: every face triangulated, the triangles closed and consistently
// oriented, and their volume the solids' own within what the mesh's deflection allows.
#include <TopoDS_Shape.hxx>

#include <cstddef>
#include <optional>
#include <string>

namespace corvex::cadhost::occt {

struct MeshFigures {
    std::size_t triangles = 0;
    std::size_t unmeshedFaces = 0;  // with no triangles, and wider than the weld distance
    // Directed edges not matched by as many going the other way: a hole, or two triangles that
    // disagree on which side is out.
    std::size_t openEdges = 0;
    double volume = 0;  // by the divergence theorem over the triangles
    double curvedArea = 0;  // of the faces that are not planes, where the mesh leaves the surface
};

// The figures of the triangulation the faces of `shape` hold now.
MeshFigures meshFigures(const TopoDS_Shape& shape);

// What is wrong with `figures` as the mesh of `shape`, made with `deflection`; empty when
// nothing is. A shape whose own boundary is open (a failed turn leaves such a solid) is only
// asked to have every face meshed. `solidsVolume`: the shape's volume when already measured.
std::string meshFault(const TopoDS_Shape& shape, const MeshFigures& figures, double deflection,
                      std::optional<double> solidsVolume = std::nullopt);

// Triangulates `shape` afresh with `deflection` (mm) and `angle` (rad) and checks it. When it
// fails, meshes it again with a quarter of the deflection, then a copy of it with its
// same-domain faces merged. Returns the shape whose triangulation passed: `shape` or that
// copy. Fails with an automation error that names `path` and says what was wrong.
TopoDS_Shape checkedMesh(const TopoDS_Shape& shape, double deflection, double angle, const std::string& path);

}  // namespace corvex::cadhost::occt
