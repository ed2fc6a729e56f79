#pragma once
// How a drawing file names an entity: its kind and id, "Solid3D 7", and, when the file's
// colour alone would not give back the entity's colour text, that text: "Solid3D 7 (colour
// BYBLOCK)"; and when its shape would not give back the entity, its definition in numbers
// (see entity_definitions.hpp): "Line 9 [1 2 0 1 2 0]" (internal to the host).
#include <optional>
#include <string>

namespace corvex::cadhost::occt {

struct EntityName {
    std::string kind;
    int id = 0;
    std::optional<std::string> colour;
    std::optional<std::string> definition;
};

std::string formatEntityName(const EntityName& name);
// Nothing for a name this system did not write (a part named in another CAD program).
std::optional<EntityName> parseEntityName(const std::string& text);

}  // namespace corvex::cadhost::occt
