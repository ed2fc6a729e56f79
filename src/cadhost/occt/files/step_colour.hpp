#pragma once
// Drawing colours as files carry them. An entity keeps the CECOLOR text it was made with
// ("1", "red", "BYLAYER", "RGB:10,20,30"); a file carries a plain RGB colour or none. These
// functions map one to the other; what a file cannot say (BYBLOCK, "red" rather than "1") the
// drawing file keeps beside the entity's name.
#include <optional>
#include <string>

namespace corvex::cadhost::occt {

struct Rgb {
    int red = 0, green = 0, blue = 0;  // 0..255
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The colour that a CECOLOR text stands for: the AutoCAD Color Index for 1..255, the seven
// standard names, RGB:r,g,b exactly; nothing for BYLAYER, BYBLOCK, 0, 256 or text that names
// no colour.
std::optional<Rgb> colourOfText(const std::string& text);

// The text a colour read from a file becomes: the lowest colour index of exactly that colour,
// otherwise RGB:r,g,b; BYLAYER when there is no colour.
std::string textOfColour(const std::optional<Rgb>& colour);

// The colour of index 1..255 of the AutoCAD Color Index.
Rgb indexColour(int index);

// STEP's name for a colour it has a name for (DRAUGHTING_PRE_DEFINED_COLOUR: "red", ...),
// which every reader knows; and the colour of such a name.
std::optional<std::string> predefinedColourName(const Rgb& colour);
std::optional<Rgb> predefinedColour(const std::string& name);

}  // namespace corvex::cadhost::occt
