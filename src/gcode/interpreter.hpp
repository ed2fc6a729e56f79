#pragma once
// The modal machine that turns blocks into motions: motion modes G0-G3 and the canned cycles
// G73 G81 G82 G83 G85 G89 (G80 ends them; G98/G99 choose the retract), planes G17-G19, units
// G20/G21, G90/G91 and G90.1/G91.1, work offsets G54-G59 set by G10 L2, G53 for one block,
// G28/G30 home moves, T... M6, and A, B, C words alone (the rotary table indexes). F, S,
// dwell, tool length and path-control words and the spindle, coolant and stop codes are
// recorded or ignored. Anything else is refused with its line before anything runs: a program
// that means something this machine does not do must not pass as a different part.
#include <string>
#include <vector>

#include "gcode/motions.hpp"
#include "gcode/program_reader.hpp"

namespace corvex::gcode {

struct Interpretation {
    std::vector<Motion> motions;
    int blocksRun = 0;  // up to M2 or M30
    std::vector<std::string> notes;  // how the program was read where it left a choice, each with its line
};

// `initialTool`: the tool in the spindle before the first M6 (0: none). `lathe`: a turning
// program, in the XZ plane (G18) from the start, X a radius (G8) or a diameter (G7); Y, rotary
// words and canned cycles are refused.
Interpretation interpret(const std::vector<Block>& blocks, int initialTool = 0, bool lathe = false);

}  // namespace corvex::gcode
