#pragma once
// The order of one call's regions: a region that encloses others comes before them
// (internal).
#include <TopoDS_Face.hxx>

#include <cstddef>
#include <vector>

namespace corvex::cadhost::occt {

// The positions of `faces` (given in list order) in the order to return them: list order,
// except that a face that encloses others is moved up to just before the earliest face it
// encloses. Faces it does not enclose keep their places relative to each other.
//
// A face encloses another when both lie in one plane, every sampled point of the other's
// boundary is inside or on it, and not the other way round as well (that would be the same
// region twice). For simple loops that is enough: a boundary inside a region bounds an area
// inside it. A region that sticks out of another anywhere (a circle centred on a corner of an
// outline) is not enclosed, and both keep their list order.
std::vector<std::size_t> enclosingFirstOrder(const std::vector<TopoDS_Face>& faces);

}  // namespace corvex::cadhost::occt
