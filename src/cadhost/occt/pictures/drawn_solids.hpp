#pragma once
// What pictures and glTF files show of a drawing (internal to the host): the visible solids
// in drawing order, each in the colour it was made with.
#include <TopoDS_Shape.hxx>

#include <string>
#include <vector>

#include "cadhost/occt/model/embedded_host.hpp"
#include "cadhost/occt/files/step_colour.hpp"

namespace corvex::cadhost::occt {

// BYLAYER and BYBLOCK have no layer or block to take a colour from here: a light neutral
// grey, as a desktop CAD host shows an uncoloured solid on its default layer.
inline constexpr Rgb kNeutralSolidColour{205, 205, 200};

struct DrawnSolid {
    TopoDS_Shape shape;  // in drawing coordinates
    Rgb colour;
    std::string name;    // "Solid3D 7"
};

// Solids with no lumps have nothing to draw and are left out.
std::vector<DrawnSolid> drawnSolids(const Drawing& drawing);

// Triangulates `shape` (kept with it) finely enough that a drilled hole looks round and a
// feature of a thousandth of the part's size shows: within displayDeflection(shape) of it and
// turning by at most kDisplayAngle between triangles.
void meshForDisplay(const TopoDS_Shape& shape);
inline constexpr double kDisplayAngle = 12.0 * 3.14159265358979323846 / 180.0;
double displayDeflection(const TopoDS_Shape& shape);

}  // namespace corvex::cadhost::occt
