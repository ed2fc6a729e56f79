#include "program_plan.hpp"

#include <algorithm>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>

#include "command_line.hpp"
#include "gcode/interpreter.hpp"

namespace corvex::runner {
namespace {

// One message per kind of refusal: a program that names a missing tool on every move says so
// once, with the lines it stands on.
constexpr int kRefusalsShown = 50;

}  // namespace

ProgramPlan planProgram(const std::string& path, const gcode::ToolSet& tools, double tolerance, bool lathe,
                        gcode::Refusals* refusals) {
    // One tool for the whole program, or a table of one tool: a program with no T word cuts with it.
    const int initialTool = tools.everyNumber ? 1 : tools.table.size() == 1 ? tools.table.begin()->first : 0;
    std::ifstream file(path);
    if (!file) throw BadInput("gcode: cannot read the program " + path);
    try {
        const auto statements = gcode::readProgram(file, refusals);
        if (file.bad()) throw BadInput("gcode: cannot read the program " + path);
        const auto program = gcode::interpret(statements, initialTool, lathe, &tools, refusals);
        for (const auto& note : program.notes) std::cerr << path << ": " << note << "\n";
        ProgramPlan plan{gcode::planCalls(program.motions, tools, initialTool, tolerance, lathe, refusals),
                         program.blocksRun, 0};
        for (const auto& motion : program.motions)
            plan.cuttingMoves += motion.kind == gcode::MotionKind::Feed || motion.kind == gcode::MotionKind::Arc;
        return plan;
    } catch (const gcode::ProgramError& error) {
        throw BadInput(path + ": " + error.what());
    }
}

int checkProgram(const std::string& path, const gcode::ToolSet& tools, double tolerance, bool lathe, std::ostream& out,
                 std::ostream& refused) {
    gcode::Refusals refusals;
    const ProgramPlan plan = planProgram(path, tools, tolerance, lathe, &refusals);
    out << path << ": " << plan.blocks << " lines run, " << plan.calls.moves << " moves (" << plan.cuttingMoves
        << " cutting), " << plan.calls.cuts << " cuts\n";
    out << "tools:";
    for (int number : plan.calls.toolsUsed) {
        const gcode::Tool* tool = tools.find(number);
        out << "\n  T" << number;
        if (tool) out << ": diameter " << tool->diameter << ", length " << tool->length << ", " << gcode::describe(*tool);
        else out << ": not in the table";
    }
    out << (plan.calls.toolsUsed.empty() ? " none\n" : "\n");
    if (const auto& box = plan.calls.cuttingBox) {
        out << std::setprecision(6) << "box swept by the cutting moves" << (lathe ? " (of the bar, in the drawing)" : "")
            << ": X " << (*box)[0] << " to " << (*box)[3] << ", Y " << (*box)[1] << " to " << (*box)[4] << ", Z "
            << (*box)[2] << " to " << (*box)[5] << "\n";
    } else {
        out << "no cutting move\n";
    }
    if (refusals.empty()) {
        out << "every line can run\n";
        return 0;
    }
    // Each kind once, with the other lines of its kind, in the order of their first lines.
    std::map<std::string, std::vector<int>> linesOf;
    std::vector<std::string> order;
    for (const auto& refusal : refusals) {
        auto& lines = linesOf[refusal.reason()];
        if (lines.empty()) order.push_back(refusal.reason());
        lines.push_back(refusal.line());
    }
    for (auto& [what, lines] : linesOf) std::sort(lines.begin(), lines.end());
    std::stable_sort(order.begin(), order.end(),
                     [&](const std::string& a, const std::string& b) { return linesOf[a].front() < linesOf[b].front(); });
    out << refusals.size() << (refusals.size() == 1 ? " line cannot run\n" : " lines cannot run\n");
    int shown = 0;
    for (const auto& what : order) {
        if (shown++ == kRefusalsShown) {
            refused << path << ": and " << order.size() - kRefusalsShown << " other kinds of refusal\n";
            break;
        }
        const auto& lines = linesOf[what];
        refused << path << ": program line " << lines.front() << ": " << what;
        if (lines.size() > 1) {
            refused << " (also on line" << (lines.size() > 2 ? "s " : " ");
            for (std::size_t i = 1; i < lines.size() && i <= 5; ++i) refused << (i > 1 ? ", " : "") << lines[i];
            if (lines.size() > 6) refused << " and " << lines.size() - 6 << " more";
            refused << ")";
        }
        refused << "\n";
    }
    return kExitBadInput;
}

}  // namespace corvex::runner
