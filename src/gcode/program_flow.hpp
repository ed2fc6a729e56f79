#pragma once
// A program's statements run in their flow: subroutines (`o100 sub` ... `endsub`, `call` with
// arguments #1 to #30, `return` with a value left in #<_value>), `if`/`elseif`/`else`/`endif`,
// `while`/`endwhile`, `do`/`while`, `repeat`/`endrepeat`, `break` and `continue`, and the
// parameters each line sets, which take effect once the whole line is read (its words see the
// values from before it). Each block goes to the machine with its values worked out.
//
// The structure is checked before anything runs: every construct closed by its own label, no
// subroutine inside another, every call to a subroutine the program defines. Running is bounded:
// a program may turn its loops and call its subroutines kMostRepeats times in all, and nest
// calls kDeepestCalls deep; past that it is refused with the line of the loop or call, as a
// program that does not end (a real program that needs more is far beyond what can be cut).
#include <functional>
#include <vector>

#include "gcode/program_reader.hpp"

namespace corvex::gcode {

inline constexpr long kMostRepeats = 1'000'000;
inline constexpr int kDeepestCalls = 100;

// `run` takes each block in the order the program runs it and returns false to end the program
// (M2, M30). ProgramError, with its line, for a program that cannot run; with `refusals`, a block
// that cannot run (its values, or `run` refusing it) is added there and the program goes on, so a
// check finds every such line. Its flow it cannot go on without.
void runProgram(const std::vector<Statement>& statements, const std::function<bool(const Block&)>& run,
                Refusals* refusals = nullptr);

}  // namespace corvex::gcode
