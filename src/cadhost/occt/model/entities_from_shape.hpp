#pragma once
// Entities again from shapes read from a file (internal to the host). A file's shape says what
// it is only up to a point: a wire comes back as loose edges, a compound of one solid as the
// solid. The kind a file names the shape with settles what the shape alone cannot (a polyline
// of one straight segment, a solid with no lumps).
#include <TopoDS_Shape.hxx>

#include <memory>
#include <string>
#include <vector>

#include "cadhost/occt/model/entity_base.hpp"

namespace corvex::cadhost::occt {

// Whether `shape`, of an entity of `kind`, holds nothing of that kind: a Solid3D with no solid
// or a Region with no face. A file keeps no empty shape, so such an entity is written as a mark
// under its name, and read back as the empty entity it names.
bool holdsNothingOfItsKind(const TopoDS_Shape& shape, const std::string& kind);

// The entities `shape` holds: its solids as one Solid3D, its loose faces as one Region, and its
// loose edges as curves, each run of edges joined end to end as one Polyline (a lone edge as a
// Line, Arc or Circle unless `namedKind` is "Polyline"). An empty Solid3D or Region when the
// shape holds nothing of `namedKind` (see above), else nothing for an empty shape. Fails for a
// curve the drawing cannot hold (a spline, an ellipse).
std::vector<std::shared_ptr<EntityBase>> entitiesFromShape(const TopoDS_Shape& shape,
                                                           const std::string& namedKind);

}  // namespace corvex::cadhost::occt
