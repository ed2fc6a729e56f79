#pragma once
// Which region of one call encloses which, and the order that puts enclosing regions first
// (internal).
#include <TopoDS_Face.hxx>

#include <cstddef>
#include <vector>

namespace corvex::cadhost::occt {

// True when `inner` lies within `outer` (boundaries may touch) and is smaller: both in one plane,
// and every sampled point of inner's boundary inside or on outer. For simple loops that is
// enough: a boundary inside outer bounds an area inside outer. A region that sticks out of
// another anywhere (a circle centred on a corner of an outline) is not enclosed.
bool encloses(const TopoDS_Face& outer, const TopoDS_Face& inner);

// The positions of `faces` (given in list order) in the order to return them: list order,
// except that a face that encloses others is moved up to just before the earliest face it
// encloses. Faces it does not enclose keep their places relative to each other.
std::vector<std::size_t> enclosingFirstOrder(const std::vector<TopoDS_Face>& faces);

}  // namespace corvex::cadhost::occt
