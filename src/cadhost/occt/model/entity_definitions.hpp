#pragma once
// A curve entity stated in its drawing file's name where its shape cannot give it back
// (internal to the host). A polyline with zero-length segments came back as two lines, one
// under an id the drawing never had, and a path polyline with no length at all was left out of
// the file: the name then carries the entity's own definition, exactly, and the reader makes
// the entity from it rather than from the shape.
#include <memory>
#include <optional>
#include <string>

#include "cadhost/occt/model/entity_base.hpp"

namespace corvex::cadhost::occt {

// The definition of a curve entity whose shape does not give it back whole (a polyline with
// a segment of no length, or with no length at all; a line of no length); none otherwise.
std::optional<std::string> definitionForFile(const EntityBase& entity);

// The entity of `kind` a definition states; fails with an automation error for a definition
// that states none.
std::shared_ptr<EntityBase> entityFromDefinition(const std::string& kind, const std::string& definition);

}  // namespace corvex::cadhost::occt
