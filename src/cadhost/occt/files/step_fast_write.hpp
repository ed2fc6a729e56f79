#pragma once
// corvex's own STEP writer, for large drawings (internal to the host). The kernel's writer
// spent most of the time of writing a large part in per-entity work and in curves on faces;
// this one writes the same AP214 structure the kernel's reader takes back (one product
// per item, its name, its colour and visibility as styles, groups as layers) straight from the
// shapes. It writes items made of solids or of edges; for anything else it returns nothing and
// the drawing is written by the kernel's writer.
#include <optional>
#include <string>

#include "cadhost/occt/files/step_content.hpp"

namespace corvex::cadhost::occt {

// The whole file's text, or nothing when some item is beyond this writer. `description`
// goes in the header.
std::optional<std::string> fastStepText(const StepContent& content, const std::string& description);

// The colour the file styles an item with: its own; white for a hidden item without one, since
// STEP hides only styled items; none for a shown item without one.
std::optional<Rgb> styledColour(const StepItem& item);

}  // namespace corvex::cadhost::occt
