#pragma once
// A written drawing read back before it replaces its target (internal): a drawing that lost a
// workpiece, a group or a member of one on its way to the disk is worse than no drawing.
#include <functional>
#include <string>

#include "cadhost/occt/files/step_content.hpp"

namespace corvex::cadhost::occt {

// Reads the STEP file at `path` and fails with an automation error, saying what differs,
// unless it holds `written`: the same shapes in order with their names, as many solids each,
// of the same size of volume, and the same layers with the same members.
// `isWhole` is the reader's (see readStepContent).
void checkStepReadsBack(const StepContent& written, const std::string& path,
                        const std::function<bool(const std::string& name)>& isWhole);

}  // namespace corvex::cadhost::occt
