#include "cadhost/occt/pictures/drawn_solids.hpp"

#include <BRepBndLib.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <Bnd_Box.hxx>
#include <TopExp_Explorer.hxx>

#include <algorithm>
#include <cmath>

#include "cadhost/occt/model/drawing_state.hpp"
#include "cadhost/occt/model/entity_base.hpp"

namespace corvex::cadhost::occt {
namespace {

bool hasFaces(const TopoDS_Shape& shape) {
    return !shape.IsNull() && TopExp_Explorer(shape, TopAbs_FACE).More();
}

}  // namespace

std::vector<DrawnSolid> drawnSolids(const Drawing& drawing) {
    std::vector<DrawnSolid> solids;
    for (const auto& [id, entity] : drawing.state().entities) {
        if (entity->kind() != "Solid3D" || !entity->visible() || entity->deleted()) continue;
        TopoDS_Shape shape = entity->shape();
        if (!hasFaces(shape)) continue;
        solids.push_back({std::move(shape), colourOfText(entity->colour()).value_or(kNeutralSolidColour),
                          entity->kind() + " " + std::to_string(id)});
    }
    return solids;
}

double displayDeflection(const TopoDS_Shape& shape) {
    Bnd_Box box;
    BRepBndLib::Add(shape, box);
    const double size = box.IsVoid() ? 1.0 : std::sqrt(box.SquareExtent());
    return std::max(size * 1e-3, 1e-4);
}

void meshForDisplay(const TopoDS_Shape& shape) {
    BRepMesh_IncrementalMesh(shape, displayDeflection(shape), Standard_False, kDisplayAngle, Standard_True);
}

}  // namespace corvex::cadhost::occt
