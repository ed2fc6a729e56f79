#include "cadhost/occt/model/entity_names.hpp"

#include <regex>

namespace corvex::cadhost::occt {

std::string formatEntityName(const EntityName& name) {
    std::string text = name.kind + " " + std::to_string(name.id);
    if (name.colour) text += " (colour " + *name.colour + ")";
    if (name.definition) text += " [" + *name.definition + "]";
    return text;
}

std::optional<EntityName> parseEntityName(const std::string& text) {
    static const std::regex pattern(
        R"((Solid3D|Region|Polyline|Line|Arc|Circle) ([1-9][0-9]{0,8})(?: \(colour ([^()]+)\))?(?: \[([-+0-9.eEinfa ]*)\])?)");
    std::smatch parts;
    if (!std::regex_match(text, parts, pattern)) return {};
    EntityName name{parts[1], std::stoi(parts[2]), {}};
    if (parts[3].matched) name.colour = parts[3];
    if (parts[4].matched) name.definition = parts[4];
    return name;
}

}  // namespace corvex::cadhost::occt
