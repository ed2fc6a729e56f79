#pragma once
// Joining curves end to end into closed loops (internal).
#include <TopoDS_Shape.hxx>
#include <TopoDS_Wire.hxx>

#include <cstddef>
#include <vector>

namespace corvex::cadhost::occt {

struct CurveLoop {
    TopoDS_Wire wire;        // closed
    std::size_t firstCurve;  // position in the list of the earliest curve in the loop
};

// The closed loops that `curves` (edges and wires, null entries skipped) form: each closed curve
// on its own, and open curves chained end to end in either direction where their ends meet
// within `tolerance`. Curves that close no loop are left out. Loops come in the order of their
// earliest curve. Raises automation::invalidArgument for a shape that is not an edge or a wire.
std::vector<CurveLoop> closedLoops(const std::vector<TopoDS_Shape>& curves, double tolerance);

}  // namespace corvex::cadhost::occt
