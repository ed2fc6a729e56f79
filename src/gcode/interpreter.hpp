#pragma once
// The modal machine that turns a program's blocks, as its flow runs them (program_flow.hpp),
// into motions: motion modes G0-G3 and the canned cycles G73 G81 G82 G83 G85 G89 (G80 ends
// them; G98/G99 choose the retract), planes G17-G19, units G20/G21, G90/G91 and G90.1/G91.1,
// work offsets G54-G59 set by G10 L2, G53 for one block, G28/G30 home moves, T... M6, G43 H with
// the tools' lengths, and A, B, C words alone (the rotary table indexes). A block holds one code
// of each modal group, as RS-274/NGC rules (G80 beside a motion code excepted: post-processors
// write it so). F, S, dwell and path-control words and the spindle, coolant and stop codes are
// recorded or ignored. Anything else is refused with its line before anything runs: a program
// that means something this machine does not do must not pass as a different part.
#include <string>
#include <vector>

#include "gcode/motions.hpp"
#include "gcode/program_reader.hpp"
#include "gcode/tool_table.hpp"

namespace corvex::gcode {

struct Interpretation {
    std::vector<Motion> motions;
    int blocksRun = 0;  // up to M2 or M30
    std::vector<std::string> notes;  // how the program was read where it left a choice, each with its line
};

// `initialTool`: the tool in the spindle before the first M6 (0: none). `lathe`: a turning
// program, in the XZ plane (G18) from the start, X a radius (G8) or a diameter (G7); Y, rotary
// words and canned cycles are refused. `tools`: where G43 H finds the tools' lengths (none: every
// tool has one length).
//
// The program's coordinates are those of the tip of the tool in the spindle: the tools are
// touched off, their lengths in the controller's offsets. So G43 with no H, or with the H of
// the tool in the spindle, moves the tip where the program says, as G49 does; G43 H of another
// tool leaves the tip that tool's length less the spindle tool's above the programmed point,
// as the controller then places it; H0 is G49.
//
// With `refusals`, a block that cannot run is added there and the rest goes on (a check).
Interpretation interpret(const std::vector<Statement>& program, int initialTool = 0, bool lathe = false,
                         const ToolSet* tools = nullptr, Refusals* refusals = nullptr);

}  // namespace corvex::gcode
