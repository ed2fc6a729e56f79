#pragma once
// The other side of the removal check (internal): what a cut leaves of the part's boundary.
// A face of the part that the result no longer holds as it was has been cut by a tool, so each
// of its points lies in a tool or on a face the result made. A point on neither marks material
// the Boolean put back (a hole next to the tool filled in: seen on a turned part, while the
// tool took more elsewhere and the volume added up) or took where no tool was.
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Pnt.hxx>

#include <optional>
#include <vector>

namespace corvex::cadhost::occt {

// The first point, of at most `count` judged, on a face of `part` that `result` no longer
// holds, that lies clear of every one of `tools` and on none of `newFaces` (the faces of
// `result` that `part` did not have).
std::optional<gp_Pnt> boundaryLostOutsideTools(const TopoDS_Shape& part, const TopoDS_Shape& result,
                                               const std::vector<TopoDS_Face>& newFaces,
                                               const std::vector<TopoDS_Shape>& tools, std::size_t count);

}  // namespace corvex::cadhost::occt
