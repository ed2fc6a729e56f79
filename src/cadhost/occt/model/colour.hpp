#pragma once
// The colour texts a desktop CAD user may type for CECOLOR.
#include <optional>
#include <string>

namespace corvex::cadhost::occt {

// The accepted spelling of `text` ("1", "BYLAYER", "red", "RGB:10,20,30"), or nothing when a
// user could not type it: a number 0-256 (0 is BYBLOCK, 256 BYLAYER), BYLAYER, BYBLOCK, one of
// the standard colour names, or RGB:r,g,b with each part 0-255.
std::optional<std::string> normalColour(const std::string& text);

}  // namespace corvex::cadhost::occt
