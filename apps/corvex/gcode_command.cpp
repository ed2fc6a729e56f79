#include "gcode_command.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "automation/error.hpp"
#include "cadhost/occt/files/drawing_file.hpp"
#include "cadhost/occt/model/tool_collision.hpp"
#include "command_line.hpp"
#include "gcode/call_mapping.hpp"
#include "program_plan.hpp"
#include "session_runner.hpp"

namespace corvex::runner {
namespace {

namespace occt = cadhost::occt;

// The time spent on what corvex run does not do: reading and planning the program, measuring
// the stock and the part, and checking rapids (with the queued cuts that checking makes first).
class OwnTime {
public:
    template <class Work>
    decltype(auto) operator()(Work&& work) {
        const auto started = std::chrono::steady_clock::now();
        struct Add {
            OwnTime& own;
            std::chrono::steady_clock::time_point started;
            ~Add() { own.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(); }
        } add{*this, started};
        return work();
    }
    double seconds = 0;
};

// The tools: the table, or one tool that every T number stands for.
gcode::ToolSet toolsFor(const std::string& tablePath, const std::string& oneTool) {
    try {
        if (!oneTool.empty()) return {{}, gcode::toolFromText(oneTool)};
        std::ifstream file(tablePath);
        if (!file) throw BadInput("gcode: cannot read the tool table " + tablePath);
        return {gcode::readToolTable(file, tablePath), std::nullopt};
    } catch (const gcode::ToolTableError& error) {
        throw BadInput(std::string("gcode: ") + error.what());
    }
}

// The calls as a session `corvex run` replays, written whole or not at all.
void writeSession(const gcode::CallPlan& plan, const std::string& path) {
    const std::filesystem::path target(path), partial(path + ".partial");
    {
        std::ofstream file(partial);
        for (const auto& call : plan.calls) file << call.call.dump() << '\n';
        file.flush();
        if (!file) {
            std::filesystem::remove(partial);
            throw BadInput("gcode: cannot write the session " + path);
        }
    }
    std::filesystem::rename(partial, target);
}

// Warns of rapid moves that pass through the part, checked against the part as it is then
// (queued cuts are made first, which costs their merging). The part only loses material, so a
// rapid that stays clear of the stock's box (or, once the table has turned, of the sphere the
// stock turns within), or goes straight up, is not checked further.
class RapidCheck {
public:
    RapidCheck(const gcode::CallPlan& plan, occt::Drawing& drawing, std::optional<std::array<double, 6>> stockBounds,
               OwnTime& own)
        : plan_(plan), drawing_(drawing), bounds_(stockBounds), own_(own) {}

    std::string operator()(std::size_t index) {
        return own_([&] { return check(index); });
    }
    int collisions = 0;

private:
    std::string check(std::size_t index) {
        const auto& call = plan_.calls[index];
        if (call.member() == "RotateAxis" && bounds_) turnedBounds();
        if (!call.rapid || !bounds_ || clear(*call.rapid)) return {};
        try {
            const auto& rapid = *call.rapid;
            const occt::MillShape shape{rapid.tool.diameter / 2, rapid.tool.length, rapid.tool.corner};
            const auto at = rapid.turning
                                ? occt::materialOnTheTurnedWay(drawing_, "PART", rapid.from, rapid.to, shape.radius)
                                : occt::materialOnTheWay(drawing_, "PART", rapid.from, rapid.to, shape);
            if (!at) return {};
            ++collisions;
            std::ostringstream warning;
            warning << std::setprecision(6) << "program line " << call.line
                    << ": warning: the rapid move passes through the part (at " << (*at)[0] << " " << (*at)[1] << " "
                    << (*at)[2] << ")";
            return warning.str();
        } catch (const automation::Error&) {
            return {};  // a queued cut that cannot be made is reported by the calls themselves
        }
    }
    bool clear(const gcode::RapidMove& rapid) const {
        if (rapid.turning) return clearOfTheBar(rapid);
        // Straight up, the tool passes through the column it stands in.
        if (rapid.from[0] == rapid.to[0] && rapid.from[1] == rapid.to[1] && rapid.to[2] >= rapid.from[2]) return true;
        const auto& b = *bounds_;
        const double r = rapid.tool.diameter / 2;
        for (int axis = 0; axis < 3; ++axis) {
            const double low = std::min(rapid.from[axis], rapid.to[axis]) - (axis < 2 ? r : 0);
            const double high = std::max(rapid.from[axis], rapid.to[axis]) + (axis < 2 ? r : rapid.tool.length);
            if (high < b[axis] || low > b[axis + 3]) return true;
        }
        return false;
    }
    // Beside the bar's ends, or farther from its axis than the stock reaches.
    bool clearOfTheBar(const gcode::RapidMove& rapid) const {
        const auto& b = *bounds_;
        const double r = rapid.tool.diameter / 2;
        if (std::max(rapid.from[0], rapid.to[0]) + r < b[0] || std::min(rapid.from[0], rapid.to[0]) - r > b[3]) return true;
        const double reach = std::max({std::hypot(b[1], b[2]), std::hypot(b[1], b[5]), std::hypot(b[4], b[2]),
                                       std::hypot(b[4], b[5])});
        const double nearest = rapid.from[1] * rapid.to[1] <= 0 ? 0 : std::min(std::fabs(rapid.from[1]), std::fabs(rapid.to[1]));
        return nearest - r > reach;
    }
    void turnedBounds() {
        double reach = 0;
        for (int corner = 0; corner < 8; ++corner) {
            const auto& b = *bounds_;
            reach = std::max(reach, std::hypot(b[corner & 1 ? 3 : 0], b[corner & 2 ? 4 : 1], b[corner & 4 ? 5 : 2]));
        }
        bounds_ = std::array<double, 6>{-reach, -reach, -reach, reach, reach, reach};
    }

    const gcode::CallPlan& plan_;
    occt::Drawing& drawing_;
    std::optional<std::array<double, 6>> bounds_;
    OwnTime& own_;
};

double partVolume(const occt::Drawing& drawing) {
    double volume = 0;
    for (const auto& member : drawing.groupMembers("PART"))
        if (member->kind() == "Solid3D") volume += occt::measureVolume(*member);
    return volume;
}

}  // namespace

void GcodeCommand::addTo(CLI::App& app) {
    command_ = app.add_subcommand("gcode", "Machine an NC program (G-code) on a drawing's stock");
    command_->add_option("program", program_, "The NC program")->required();
    auto* drawing = command_->add_option("-d,--drawing", input_,
                                         "The drawing that holds the stock in group PART (STEP, or corvex's own .cvx)");
    auto* box = command_->add_option("--box", box_, "Or a new box of stock between two corners: X0 Y0 Z0 X1 Y1 Z1")
                    ->expected(6)
                    ->allow_extra_args(false);
    auto* cylinder = command_->add_option("--cylinder", cylinder_,
                                          "Or a new cylinder of stock from its base centre along --axis: CX CY CZ RADIUS LENGTH")
                         ->expected(5)
                         ->allow_extra_args(false);
    auto* axis = command_->add_option("--axis", axis_, "The cylinder's axis")
                     ->check(CLI::IsMember({"x", "y", "z"}, CLI::ignore_case));
    auto* automatic = command_->add_option("--stock", stockAuto_,
                                           "auto: a box of stock around the cutting moves' sweep, 1 mm wider every way (a bar with --lathe)")
                          ->check(CLI::IsMember({"auto"}));
    cylinder->needs(axis);
    axis->needs(cylinder);
    drawing->excludes(box, cylinder, automatic);
    box->excludes(cylinder, automatic);
    cylinder->excludes(automatic);
    command_->add_option("-o,--output", output_,
                         "Where to write the drawing afterwards (STEP; a name ending in .cvx: corvex's own file, fast "
                         "for large parts)");
    command_->add_option("--stl", stl_, "Where to write the solids of the group PART (binary STL)");
    auto* table = command_->add_option("--tools", tools_, "The tool table: T1 P1 D6 Z30 lines, or JSON");
    auto* one = command_->add_option("--tool", tool_,
                                     "One tool for the whole program: DIA,LENGTH[,CORNER], or a V-bit "
                                     "DIA,LENGTH,vANGLE[,TIP] (6,30,v60)");
    table->excludes(one);
    command_->add_option("--session", session_, "Also write the calls made, as a session for corvex run");
    command_->add_option("--tolerance", tolerance_, "How far an arc's chords may stray from it (mm)")
        ->check(CLI::Range(1e-6, 10.0));
    command_->add_flag("--lathe", lathe_,
                       "A turning program: XZ plane, X a radius (G8) or diameter (G7), a round insert of the tool's "
                       "diameter centred on the programmed point, the bar along the drawing's X as the program's Z");
    command_->add_flag("--trace", trace_, "Print every host operation on standard error");
    command_->add_flag("--progress", progress_, "Show a progress bar (on a terminal only)");
    addStillRunningOption(*command_, stillRunning_);
    pictures_.addTo(*command_);
    command_->add_flag("--check", check_,
                       "Only read and plan the program, cutting nothing: print its moves, tools and the box they "
                       "sweep, and every line that cannot run (exit status 2 when there is one)");
    command_->add_flag("--eager", eager_,
                       "Carry out every subtraction at its call (slower; a failing cut fails its own call)");
}

void GcodeCommand::addStock(occt::Drawing& drawing, const gcode::CallPlan& plan) const {
    std::vector<double> box = box_, cylinder = cylinder_;
    std::string axis = axis_;
    if (!stockAuto_.empty()) {
        if (!plan.cuttingBox) throw BadInput("gcode: --stock auto: the program makes no cutting move");
        const auto& cut = *plan.cuttingBox;
        if (lathe_) {
            cylinder = {cut[0] - 1, 0, 0, cut[4] + 1, cut[3] - cut[0] + 2};  // a bar along X
            axis = "x";
        } else {
            box = {cut[0] - 1, cut[1] - 1, cut[2] - 1, cut[3] + 1, cut[4] + 1, cut[5] + 1};
        }
    }
    if (auto stock = addStockSolid(drawing, box, cylinder, axis, "gcode: the stock: ")) drawing.addToGroup("PART", stock);
}

int GcodeCommand::run() const {
    const auto started = std::chrono::steady_clock::now();
    if (check_) {
        if (tools_.empty() && tool_.empty()) throw BadInput("gcode: give the tools with --tools or --tool");
        return checkProgram(program_, toolsFor(tools_, tool_), tolerance_, lathe_, std::cout, std::cerr);
    }
    // Everything is checked, and every call planned, before the first one runs.
    if (input_.empty() && box_.empty() && cylinder_.empty() && stockAuto_.empty())
        throw BadInput("gcode: give the stock with -d, --box, --cylinder or --stock auto");
    if (tools_.empty() && tool_.empty()) throw BadInput("gcode: give the tools with --tools or --tool");
    OwnTime own;
    const ProgramPlan plan = own([&] { return planProgram(program_, toolsFor(tools_, tool_), tolerance_, lathe_); });
    if (!output_.empty()) checkWritableFile("-o", output_);
    if (!stl_.empty()) checkWritableFile("--stl", stl_);
    if (!session_.empty()) checkWritableFile("--session", session_);
    pictures_.prepare();
    const auto journal = sessionJournal(trace_);
    // The stock's box and volume are measured on a copy of its own, so that nothing looks at
    // the part the calls cut but the calls themselves.
    std::optional<std::array<double, 6>> stockBounds;
    const double before = own([&] {
        const auto unworked = openDrawing(input_);
        addStock(*unworked, plan.calls);
        stockBounds = occt::groupBounds(*unworked, "PART");
        return partVolume(*unworked);
    });
    auto stock = openDrawing(input_, journal);
    addStock(*stock, plan.calls);
    if (!session_.empty()) writeSession(plan.calls, session_);

    SessionHost host(stock, journal);
    host.drawing().setEagerSubtraction(eager_);
    std::vector<SessionCall> calls;
    for (const auto& call : plan.calls.calls)
        calls.push_back({call.line, call.member(), std::vector<nlohmann::json>(call.call.begin() + 1, call.call.end())});
    pictures_.watch(host.drawing());
    StillRunningNotice notice(stillRunning_);
    RapidCheck rapids(plan.calls, host.drawing(), stockBounds, own);
    bool allWorked = runCalls(calls, host, notice, false, progress_, "program line", std::ref(rapids));
    const occt::Drawing& drawing = host.drawing();
    allWorked &= writeOutput(output_, notice, [&] { occt::writeDrawing(drawing, output_); });
    allWorked &= writeOutput(stl_, notice, [&] { occt::writeStl(solidsOfGroup(drawing, "PART"), stl_); });
    allWorked &= pictures_.write(drawing);

    std::string tools;
    for (int number : plan.calls.toolsUsed) tools += (tools.empty() ? "T" : " T") + std::to_string(number);
    const double removed = before - own([&] { return partVolume(drawing); });
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::cerr << "corvex gcode: " << plan.blocks << " lines, " << plan.calls.moves << " moves, " << plan.calls.cuts
              << " cuts, tools " << (tools.empty() ? "none" : tools) << ", " << rapids.collisions
              << (rapids.collisions == 1 ? " collision" : " collisions") << ", removed " << std::fixed
              << std::setprecision(3) << removed << " mm3 in " << std::setprecision(2) << seconds << " s ("
              << std::setprecision(3) << own.seconds << " s reading, planning, measuring and checking rapids)"
              << std::endl;
    return allWorked ? 0 : kExitFailed;
}

}  // namespace corvex::runner
