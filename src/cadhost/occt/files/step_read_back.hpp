#pragma once
// A written drawing read back before it replaces its target (internal): a drawing that lost a
// workpiece, a group or a member of one on its way to the disk is worse than no drawing.
#include <functional>
#include <string>
#include <vector>

#include "cadhost/occt/files/step_content.hpp"

namespace corvex::cadhost::occt {

// Reads the STEP file at `path` and fails with an automation error, saying what differs,
// unless it holds `written`: the same shapes in order with their names, as many solids each,
// of the same size of volume, valid wherever the written solids are, and the same layers with
// the same members. `isWhole` is the reader's (see readStepContent). `invalid`, when given,
// is told the items that read back invalid though written valid, and they are no error.
void checkStepReadsBack(const StepContent& written, const std::string& path,
                        const std::function<bool(const std::string& name)>& isWhole,
                        std::vector<std::size_t>* invalid = nullptr);

}  // namespace corvex::cadhost::occt
