#pragma once
// Turned solids with their arcs' faces written as tori (internal). A revolution sweeps every arc
// of a profile into a general surface of revolution, though the face is a torus; every Boolean
// with such a face is then solved by marching instead of in closed form, and on a turning job
// that was four fifths of the time of a cut. ShapeCustom::SweptToElementary, made for this,
// crashes on these solids in OpenCASCADE 7.6, so the faces are rewritten here.
#include <TopoDS_Shape.hxx>

namespace corvex::cadhost::occt {

// `revolved` with each face that is an arc turned about a coplanar axis on a torus of the same
// points and parameters. The solid is returned unchanged when any face cannot be rewritten
// exactly, or the rewritten one is invalid or differs in faces or volume.
TopoDS_Shape withToroidalFaces(const TopoDS_Shape& revolved);

}  // namespace corvex::cadhost::occt
