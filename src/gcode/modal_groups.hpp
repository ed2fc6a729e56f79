#pragma once
// The modal groups of RS-274/NGC: a block may hold one code of each (one motion, one plane, one
// unit, ...). Codes are in tenths (G90.1 is 901). G80 beside a motion code is let through: the
// safety block post-processors write first (G0 G17 G21 G40 G49 G80 G90) means "cancel the cycle,
// then move in G0", and the controllers run it so. M7 and M8 (mist and flood) may go together.
#include <optional>
#include <string>
#include <vector>

namespace corvex::gcode {

// What breaks the rule in a block, said for a message ("G0 and G1 are both motion codes"), or
// nothing. Codes no group holds are left to the caller.
std::optional<std::string> modalConflict(const std::vector<int>& gTenths, const std::vector<int>& mTenths);

// "G90.1" from 901, "M6" from 60.
std::string codeName(char letter, int tenths);

}  // namespace corvex::gcode
