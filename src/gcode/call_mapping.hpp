#pragma once
// Motions turned into the corvex4 calls a client makes for them, with the tool from the table:
//   rapid                                   MoveTool (cuts nothing; checked for material in the way,
//                                            on a lathe as the bar turns)
//   feed at one Z, flat end mill            ToolExtrudeLine (a slot with round ends), MoveTool
//   feed straight down, flat end mill       drill_path (the tool's cylinder at the bottom), MoveTool
//   feed straight up                        MoveTool (the tool's own column is already clear)
//   any other feed                          host:CutterSweep (the exact solid the cutter sweeps,
//                                            one cut: no member makes these), MoveTool
//   arc in XY at one Z, flat end mill       ToolMillArc (the ring sector), drill_path at its end
//                                            (the end cap), MoveTool; a full circle: the ring
//   arc in XY at one Z, any other cutter,   host:CutterArc (the exact solid it sweeps), MoveTool
//     turning wider than its radius
//   helix in XY, turning at least twice     host:CutterHelix per half turn or less (the solid it
//     as wide as the cutter's radius         sweeps, its faces within 1e-6 mm), MoveTool
//   tighter helix, arc in G18/G19, a         chords within the tolerance, each a feed as above
//     tighter arc
//   tool change                             MakeToolMill at the tool's position (a V-bit cuts by
//                                            the host's sweeps alone; on a lathe it is refused)
//   A, B or C alone (indexing)              RotateAxis by the change of angle
#include <array>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "gcode/motions.hpp"
#include "gcode/program_reader.hpp"
#include "gcode/tool_table.hpp"

namespace corvex::gcode {

// One call: the program line it comes from, and the call as a session line holds it
// (["MoveTool", 10, 20, 5]).
// A rapid move, which cuts nothing: where the tool went, to check that no material was there.
// On a lathe, the round insert's centre in the lathe's drawing (see lathe_calls.hpp).
struct RapidMove {
    Point from{}, to{};
    Tool tool;
    bool turning = false;
};

struct ProgramCall {
    int line = 0;
    nlohmann::json call;
    std::optional<RapidMove> rapid;  // the MoveTool of a rapid
    std::string member() const { return call.at(0).get<std::string>(); }
};

struct CallPlan {
    std::vector<ProgramCall> calls;  // StartAcad first
    int moves = 0, cuts = 0;
    std::set<int> toolsUsed;
    // The box the cutting moves sweep with their tools (x0, y0, z0, x1, y1, z1), when any; on a
    // lathe, in the lathe's drawing, the box of the bar they reach into.
    std::optional<std::array<double, 6>> cuttingBox;
};

// `chordTolerance`: how far a chord may stray from the arc it stands for (mm). A motion whose
// tool is not in `tools` is refused with its line (ProgramError).
// `lathe`: the motions turn a bar with a round insert of the tool's diameter (see lathe_calls.hpp).
// With `refusals`, a motion that cannot be planned is added there and the rest planned (a check).
CallPlan planCalls(const std::vector<Motion>& motions, const ToolSet& tools, int initialTool, double chordTolerance,
                   bool lathe = false, Refusals* refusals = nullptr);

}  // namespace corvex::gcode
