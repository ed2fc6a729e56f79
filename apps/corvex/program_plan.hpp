#pragma once
// An NC program read, run through its flow and planned into the calls a client makes, before
// anything is cut; and what `corvex gcode --check` prints of that without cutting: the lines
// run, the moves, the tools, the box the cutting moves sweep, and every line that cannot run.
#include <ostream>
#include <string>

#include "gcode/call_mapping.hpp"
#include "gcode/tool_table.hpp"

namespace corvex::runner {

struct ProgramPlan {
    gcode::CallPlan calls;
    int blocks = 0;         // run, up to M2 or M30
    int cuttingMoves = 0;   // feeds and arcs
};

// The program's calls, or BadInput naming the first line that cannot run. With `refusals`, every
// such line is added there instead, and the plan holds what could be planned.
ProgramPlan planProgram(const std::string& path, const gcode::ToolSet& tools, double tolerance, bool lathe,
                        gcode::Refusals* refusals = nullptr);

// Prints what the program holds on `out`; the lines that cannot run, each once, on `refused`.
// kExitBadInput when there is one, else 0.
int checkProgram(const std::string& path, const gcode::ToolSet& tools, double tolerance, bool lathe, std::ostream& out,
                 std::ostream& refused);

}  // namespace corvex::runner
