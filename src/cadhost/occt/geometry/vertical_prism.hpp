#pragma once
// Whether a solid is a vertical prism the floor map can take: an outline of straight pieces and
// arcs in a horizontal plane, swept straight up (a slot, a tool's disc, a ring's sector, a box). The cut
// solids of the 3-axis members are such prisms, and so is box stock (internal to the embedded
// host).
#include <TopoDS_Shape.hxx>

#include <optional>
#include <vector>

#include "cadhost/occt/geometry/floor_map.hpp"

namespace corvex::cadhost::occt {

struct VerticalPrism {
    Outline outline;  // counter-clockwise seen from above
    std::vector<Outline> holes;  // clockwise: a ring's inner circle
    double bottom = 0, top = 0;
};

// The prism's outline, holes and heights; none for any other solid (tilted, curved on top or
// bottom, or not one solid).
std::optional<VerticalPrism> verticalPrismOf(const TopoDS_Shape& shape);

}  // namespace corvex::cadhost::occt
