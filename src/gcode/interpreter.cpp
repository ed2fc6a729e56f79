#include "gcode/interpreter.hpp"

#include "cadhost/working_range.hpp"
#include "gcode/modal_groups.hpp"
#include "gcode/program_flow.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <set>

namespace corvex::gcode {
namespace {

constexpr double kInch = 25.4;
// How far the radius at an arc's end may differ from the radius at its start: 0.028 mm (0.0028
// inch in an inch program), or 0.1 % of the radius where that is more, as LinuxCNC allows (CAM
// output rounds its end points). The arc keeps its start's radius; the next move starts from the
// programmed end.
constexpr double kArcRadiusSlackMm = 0.028, kArcRadiusSlackInch = 0.0028;
constexpr double kArcRadiusSlackShare = 0.001;
// How far above the last peck a deep-hole cycle comes back down before it feeds on.
constexpr double kPeckClearance = 0.25;
constexpr int kMostPecks = 10000;
// Turns of one arc block (P): a bound so that one block cannot ask for endless motions, as
// the pecks of a cycle are bounded.
constexpr int kMostArcTurns = 10000;

// A G or M number in tenths (90.1 -> 901), the way the codes are told apart.
int tenths(double value) { return static_cast<int>(std::lround(value * 10)); }

class Machine {
public:
    Machine(int tool, bool lathe, const ToolSet* tools) : lathe_(lathe), plane_(lathe ? 1 : 2), tool_(tool), tools_(tools) {}

    bool run(const Block& block);  // false at the program's end
    Interpretation result{};

private:
    struct Words {
        std::vector<int> g, m;          // in tenths
        std::map<char, double> values;  // every other letter, once
        bool has(char letter) const { return values.count(letter) > 0; }
        bool anyAxis() const { return has('X') || has('Y') || has('Z'); }
    };
    Words wordsOf(const Block& block) const;
    void setModes(const Words& words);
    Point target(const Words& words, bool machineCoordinates) const;
    void rapid(const Point& to) { move(MotionKind::Rapid, to); }
    void feed(const Point& to) { move(MotionKind::Feed, to); }
    void move(MotionKind kind, const Point& to);
    void record(Motion motion);  // from where the tool is, on this block's line
    void load(int tool);         // into the spindle, where the tool stands
    void arc(const Words& words, const Point& to);
    void homeMove(const Words& words, bool machineCoordinates);
    void cannedCycle(const Words& words);
    void lengthOffset(const Words& words);
    double zShift() const;  // of the programmed point, from the tool length offset in force
    double lengthOf(int tool) const;
    [[noreturn]] void refuse(const std::string& what) const { throw ProgramError(line_, what); }

    int line_ = 0;
    bool lathe_ = false;
    bool diameter_ = false;    // G7: X words give diameters (lathe only)
    Point position_{0, 0, 0};
    int motion_ = 0;           // tenths: 0, 10, 20, 30, or a cycle's 730, 810, ...
    bool motionSet_ = false;   // a motion mode has been chosen (G0 is the default only once)
    int plane_ = 2;            // the normal's axis: 2 for G17, 1 for G18, 0 for G19
    double scale_ = 1;         // millimetres per program unit
    bool absolute_ = true, arcAbsolute_ = false;
    std::array<Point, 6> offsets_{};
    Point angles_{0, 0, 0};    // of the rotary axes A, B, C, in degrees
    int offset_ = 0;           // G54 .. G59
    int tool_ = 0, selected_ = 0;
    bool sawM6_ = false;  // then a T alone pre-selects the next tool
    const ToolSet* tools_ = nullptr;
    std::optional<int> lengthTool_;  // G43: the tool whose length the offset holds
    bool retractToInitial_ = true;  // G98
    std::optional<double> cycleR_, cycleZ_, cycleQ_;
    double cycleInitialZ_ = 0;
};

Machine::Words Machine::wordsOf(const Block& block) const {
    Words words;
    for (const Word& word : block.words) {
        if (word.letter == 'G') words.g.push_back(tenths(word.value));
        else if (word.letter == 'M') words.m.push_back(tenths(word.value));
        else if (!words.values.emplace(word.letter, word.value).second)
            refuse(std::string("the word ") + word.letter + " is given twice");
    }
    if (const auto conflict = modalConflict(words.g, words.m)) refuse(*conflict);
    return words;
}

Point Machine::target(const Words& words, bool machineCoordinates) const {
    Point to = position_;
    const char letters[] = {'X', 'Y', 'Z'};
    for (int axis = 0; axis < 3; ++axis) {
        if (!words.has(letters[axis])) continue;
        const double value = words.values.at(letters[axis]) * scale_ / (axis == 0 && diameter_ ? 2 : 1);
        if (machineCoordinates) to[axis] = value;
        else if (absolute_) to[axis] = value + offsets_[offset_][axis] + (axis == 2 ? zShift() : 0);
        else to[axis] = position_[axis] + value;
    }
    return to;
}

void Machine::move(MotionKind kind, const Point& to) {
    if (to == position_) return;
    Motion motion;
    motion.kind = kind;
    motion.to = to;
    record(motion);
}

void Machine::load(int tool) {
    tool_ = tool;
    result.motions.push_back({line_, MotionKind::ToolChange, position_, position_, {}, 2, false, tool_});
}

void Machine::record(Motion motion) {
    for (const Point* point : {&motion.to, &motion.centre})
        for (double value : *point)
            if (!(std::fabs(value) <= cadhost::kWorkingRange))
                refuse("the move leaves the working range of +-" + std::to_string(static_cast<int>(cadhost::kWorkingRange)) +
                       " mm");
    // CAM output for hobby controllers selects its tools with T alone, which those controllers
    // take as loaded. A program that writes M6 pre-selects with T: the spindle's tool cuts on.
    if (motion.kind != MotionKind::Rapid && selected_ != 0 && selected_ != tool_ && (tool_ == 0 || !sawM6_)) {
        load(selected_);
        if (result.notes.empty())
            result.notes.push_back("program line " + std::to_string(line_) + ": T" + std::to_string(tool_) +
                                   " was selected with no M6 after it: it is loaded for this cutting move, and"
                                   " so is every tool the program selects without M6");
    }
    if (motion.kind != MotionKind::Rapid && tool_ == 0)
        refuse("a cutting move with no tool in the spindle (give T... M6, or a tool for the whole program)");
    motion.line = line_;
    motion.from = position_;
    result.motions.push_back(motion);
    position_ = motion.to;
}

void Machine::setModes(const Words& words) {
    for (int g : words.g) {
        switch (g) {
            case 170: case 190:
                if (lathe_) refuse("a lathe program turns in the XZ plane (G18) only");
                plane_ = g == 170 ? 2 : 0;
                break;
            case 180: plane_ = 1; break;
            case 70: case 80:
                if (!lathe_) refuse("G7 and G8 (diameter and radius mode) are for lathe programs (--lathe)");
                diameter_ = g == 70;
                break;
            case 200: scale_ = kInch; break;
            case 210: scale_ = 1; break;
            case 900: absolute_ = true; break;
            case 910: absolute_ = false; break;
            case 901: arcAbsolute_ = true; break;
            case 911: arcAbsolute_ = false; break;
            case 980: retractToInitial_ = true; break;
            case 990: retractToInitial_ = false; break;
            case 540: case 550: case 560: case 570: case 580: case 590: offset_ = (g - 540) / 10; break;
            case 430: lengthOffset(words); break;
            case 490: lengthTool_.reset(); break;
            // Recorded or ignored: dwell, cutter compensation off, path control, feed modes.
            case 40: case 400: case 610: case 611: case 640: case 930: case 940: break;
            case 0: case 10: case 20: case 30: case 800:
            case 730: case 810: case 820: case 830: case 850: case 890:
            case 100: case 280: case 300: case 530: break;  // handled by the caller
            case 410: case 420: refuse("cutter radius compensation (G41, G42) is not supported");
            default: refuse(codeName('G', g) + " is not supported");
        }
    }
}

void Machine::arc(const Words& words, const Point& to) {
    // The plane's two axes, in the order that makes the normal point to +`plane_`.
    const int u = (plane_ + 1) % 3, v = (plane_ + 2) % 3;
    const char offsets[] = {'I', 'J', 'K'};
    Point centre = position_;
    const bool clockwise = motion_ == 20;
    if (words.has('R')) {
        if (words.has(offsets[u]) || words.has(offsets[v])) refuse("an arc takes R or I, J, K, not both");
        const double radius = words.values.at('R') * scale_;
        const double du = to[u] - position_[u], dv = to[v] - position_[v];
        const double chord = std::hypot(du, dv);
        if (chord < 1e-9) refuse("an arc by R cannot be a full circle");
        if (std::fabs(radius) * 2 < chord - kArcRadiusSlackMm) refuse("the arc's radius is shorter than half the way to its end");
        const double rise = std::sqrt(std::max(0.0, radius * radius - chord * chord / 4));
        // The centre lies to the left of the chord for a counter-clockwise arc of less than a
        // half turn; a negative R asks for more than a half turn.
        const double side = (clockwise ? -1 : 1) * (radius < 0 ? -1 : 1);
        centre[u] = position_[u] + du / 2 - side * dv / chord * rise;
        centre[v] = position_[v] + dv / 2 + side * du / chord * rise;
    } else {
        if (!words.has(offsets[u]) && !words.has(offsets[v])) refuse("an arc needs R, or its centre by I, J, K");
        for (int axis : {u, v}) {
            const double value = words.has(offsets[axis]) ? words.values.at(offsets[axis]) * scale_ : 0;
            centre[axis] = arcAbsolute_ ? value + offsets_[offset_][axis] + (axis == 2 ? zShift() : 0) : position_[axis] + value;
        }
        const double r0 = std::hypot(position_[u] - centre[u], position_[v] - centre[v]);
        const double r1 = std::hypot(to[u] - centre[u], to[v] - centre[v]);
        const double slack = scale_ == 1 ? kArcRadiusSlackMm : kArcRadiusSlackInch * kInch;
        if (std::fabs(r0 - r1) > std::max(slack, kArcRadiusSlackShare * r0))
            refuse("the arc's end is not on its circle: its radius there differs from the start's by " +
                   std::to_string(std::fabs(r0 - r1)) + " mm");
        if (r0 < 1e-9) refuse("the arc has no radius");
    }
    Motion motion;
    motion.kind = MotionKind::Arc;
    motion.centre = centre;
    motion.normal = plane_;
    motion.clockwise = clockwise;
    // P counts the turns (RS-274/NGC): the first P - 1 are full turns about the centre, the
    // last ends where the block says; along a helix each rises by its share of the angle.
    const double turns = words.has('P') ? words.values.at('P') : 1;
    if (!(turns >= 1 && turns <= kMostArcTurns) || turns != std::floor(turns))
        refuse("an arc's P (its turns) must be a whole number from 1 to " + std::to_string(kMostArcTurns));
    if (turns > 1) {
        const auto angleOf = [&](const Point& p) { return std::atan2(p[v] - centre[v], p[u] - centre[u]); };
        double last = clockwise ? angleOf(position_) - angleOf(to) : angleOf(to) - angleOf(position_);
        last = std::fmod(last + 4 * M_PI, 2 * M_PI);
        if (std::hypot(to[u] - position_[u], to[v] - position_[v]) < kSame) last = 2 * M_PI;
        const double total = 2 * M_PI * (turns - 1) + last, start = position_[plane_];
        for (int turn = 1; turn < static_cast<int>(turns); ++turn) {
            motion.to = position_;
            motion.to[plane_] = start + (to[plane_] - start) * (2 * M_PI * turn / total);
            record(motion);
        }
    }
    motion.to = to;
    record(motion);
}

void Machine::homeMove(const Words& words, bool machineCoordinates) {
    // Through the point the block gives, then to the machine's home, its origin.
    if (words.anyAxis()) rapid(target(words, machineCoordinates));
    Point home = position_;
    const char letters[] = {'X', 'Y', 'Z'};
    for (int axis = 0; axis < 3; ++axis)
        if (!words.anyAxis() || words.has(letters[axis])) home[axis] = 0;
    rapid(home);
}

void Machine::cannedCycle(const Words& words) {
    if (plane_ != 2) refuse("canned cycles are supported in the XY plane (G17) only");
    if (words.has('R')) cycleR_ = words.values.at('R') * scale_;
    if (words.has('Z')) cycleZ_ = words.values.at('Z') * scale_;
    if (words.has('Q')) {
        if (words.values.at('Q') <= 0) refuse("a peck (Q) must be above 0");
        cycleQ_ = words.values.at('Q') * scale_;
    }
    if (!cycleR_ || !cycleZ_) refuse("a canned cycle needs its R and Z");
    if ((motion_ == 730 || motion_ == 830) && !cycleQ_) refuse("a peck cycle needs its Q");
    if (cycleQ_ && (motion_ == 730 || motion_ == 830) && std::fabs(*cycleZ_ - *cycleR_) / *cycleQ_ > kMostPecks)
        refuse("a peck cycle may take at most " + std::to_string(kMostPecks) + " pecks a hole");
    const double times = words.has('L') ? words.values.at('L') : 1;
    if (!(times >= 0 && times <= 10000) || times != std::floor(times))
        refuse("a canned cycle's L must be a whole number from 0 to 10000");
    const int repeats = static_cast<int>(times);
    // R and Z in machine Z: absolute through the work offset; incremental, R from the
    // initial level and Z from R.
    const double r = absolute_ ? *cycleR_ + offsets_[offset_][2] + zShift() : cycleInitialZ_ + *cycleR_;
    const double bottom = absolute_ ? *cycleZ_ + offsets_[offset_][2] + zShift() : r + *cycleZ_;
    if (bottom > r) refuse("a canned cycle's Z lies above its R");
    const double clear = retractToInitial_ ? std::max(cycleInitialZ_, r) : r;
    for (int n = 0; n < repeats; ++n) {
        const Point hole = target(words, false);  // its X and Y; the cycle's Z is its bottom
        if (position_[2] < r) rapid({position_[0], position_[1], r});
        rapid({hole[0], hole[1], position_[2]});
        rapid({hole[0], hole[1], r});
        auto at = [&](double z) { return Point{hole[0], hole[1], z}; };
        if (motion_ == 830 || motion_ == 730) {
            for (double depth = r; depth > bottom;) {
                const double next = std::max(bottom, depth - *cycleQ_);
                if (depth < r) rapid(at(motion_ == 830 ? std::min(r, depth + kPeckClearance) : depth));
                feed(at(next));
                depth = next;
                if (depth > bottom) rapid(at(motion_ == 830 ? r : std::min(r, depth + kPeckClearance)));
            }
        } else {
            feed(at(bottom));
            if (motion_ == 850 || motion_ == 890) feed(at(r));
        }
        rapid(at(clear));
    }
}

double Machine::lengthOf(int tool) const {
    const Tool* found = tools_ ? tools_->find(tool) : nullptr;
    if (!found) refuse("G43 H" + std::to_string(tool) + ": tool " + std::to_string(tool) + " is not in the tool table");
    return found->length;
}

void Machine::lengthOffset(const Words& words) {
    const double h = words.has('H') ? words.values.at('H') : tool_;
    if (!(h >= 0 && h <= 99999) || h != std::floor(h)) refuse("G43's H must be a tool number, a whole number from 0 to 99999");
    if (h == 0) return lengthTool_.reset();
    if (tools_) lengthOf(static_cast<int>(h));  // refused now when the table lacks it
    lengthTool_ = static_cast<int>(h);
}

double Machine::zShift() const {
    if (!lengthTool_ || !tools_ || *lengthTool_ == tool_ || tool_ == 0) return 0;
    return lengthOf(*lengthTool_) - lengthOf(tool_);
}

bool Machine::run(const Block& block) {
    line_ = block.line;
    const Words words = wordsOf(block);
    if (lathe_) {
        for (char letter : {'Y', 'J', 'A', 'B', 'C'})
            if (words.has(letter)) refuse(std::string("a lathe program has no ") + letter + " word");
        for (int g : words.g)
            if (g >= 730 && g <= 890 && g != 800) refuse("canned cycles are not supported in lathe programs");
    }
    for (int m : words.m)
        if (m == 20 || m == 300) return false;
    if (words.has('T')) {
        const double t = words.values.at('T');
        if (t < 0 || t != std::floor(t) || t > 99999) refuse("a tool number must be a whole number from 0 to 99999");
        selected_ = static_cast<int>(t);
    }
    for (int m : words.m) {
        switch (m) {
            case 60:
                sawM6_ = true;
                if (selected_ == 0 && tool_ != 0) break;  // keeps the tool of the whole program
                if (selected_ == 0) refuse("M6 with no tool selected (T...)");
                load(selected_);
                break;
            case 0: case 10: case 30: case 40: case 50: case 70: case 80: case 90: break;
            default: refuse("M" + std::to_string(m / 10) + " is not supported");
        }
    }
    setModes(words);
    auto hasG = [&](int g) { return std::find(words.g.begin(), words.g.end(), g) != words.g.end(); };
    const bool machineCoordinates = hasG(530);
    if (hasG(100)) {
        if (!words.has('L') || words.values.at('L') != 2) refuse("G10 is supported as G10 L2 (work offsets) only");
        const double p = words.has('P') ? words.values.at('P') : 0;
        if (p < 1 || p > 6 || p != std::floor(p)) refuse("G10 L2 needs P1 to P6 (G54 to G59)");
        const char letters[] = {'X', 'Y', 'Z'};
        for (int axis = 0; axis < 3; ++axis)
            if (words.has(letters[axis])) offsets_[static_cast<int>(p) - 1][axis] = words.values.at(letters[axis]) * scale_;
        return true;
    }
    if (hasG(40)) {
        // The dwell changes no cut, but a program that asks for none, or for a negative one,
        // is in error on the controllers.
        if (!words.has('P')) refuse("G4 (dwell) needs its time as P");
        if (words.values.at('P') < 0) refuse("a dwell (G4 P) cannot be negative");
    }
    if (hasG(280) || hasG(300)) {
        homeMove(words, machineCoordinates);
        return true;
    }
    std::optional<int> motion;
    for (int g : words.g)
        if (g == 0 || g == 10 || g == 20 || g == 30 || g == 730 || g == 810 || g == 820 || g == 830 || g == 850 ||
            g == 890)
            motion = g;
    // G80 beside a motion code, as post-processors write a safety block (G0 G17 G21 G40 G49
    // G80 G90): the canned cycle is cancelled, and the motion code is the block's mode.
    if (hasG(800)) {
        cycleR_.reset(), cycleZ_.reset(), cycleQ_.reset();
        if (!motion) motion = 800;
    }
    if (motion) {
        const bool enteringCycle = *motion >= 730 && (motion_ < 730 || !motionSet_);
        motion_ = *motion;
        motionSet_ = true;
        if (enteringCycle) cycleInitialZ_ = position_[2];
        if (*motion == 800) {
            if (words.anyAxis()) refuse("axis words after G80 need a motion code");
            return true;
        }
    }
    const bool arcWords = words.has('I') || words.has('J') || words.has('K') || words.has('R');
    if (words.has('A') || words.has('B') || words.has('C')) {
        // Indexing: the table turns while the tool stands still.
        if (words.anyAxis() || arcWords || motion_ >= 20)
            refuse("a rotary axis (A, B, C) turns alone here: simultaneous rotary motion is not supported");
        for (int axis = 0; axis < 3; ++axis) {
            const char letter = static_cast<char>('A' + axis);
            if (!words.has(letter)) continue;
            const double target = absolute_ ? words.values.at(letter) : angles_[axis] + words.values.at(letter);
            if (!(std::fabs(target) <= cadhost::kWorkingRange)) refuse("a rotary angle must lie within +-1000000 degrees");
            Motion turn;
            turn.line = line_;
            turn.kind = MotionKind::Turn;
            turn.from = turn.to = position_;
            turn.axis = axis + 1;
            turn.degrees = target - angles_[axis];
            angles_[axis] = target;
            if (turn.degrees != 0) result.motions.push_back(turn);
        }
        return true;
    }
    if (!words.anyAxis() && !(motion && motion_ >= 730 && arcWords)) {
        if (motion && (motion_ == 20 || motion_ == 30) && arcWords) refuse("an arc needs its end (X, Y, Z)");
        return true;
    }
    if (!motionSet_ || motion_ == 800) refuse("axis words with no motion mode (G0, G1, G2, G3 or a cycle)");
    if (motion_ >= 730) {
        if (machineCoordinates) refuse("G53 does not go with a canned cycle");
        cannedCycle(words);
        return true;
    }
    const Point to = target(words, machineCoordinates);
    if (motion_ == 0) rapid(to);
    else if (motion_ == 10) feed(to);
    else {
        if (machineCoordinates) refuse("G53 goes with G0 or G1 only");
        arc(words, to);
    }
    return true;
}

}  // namespace

Interpretation interpret(const std::vector<Statement>& program, int initialTool, bool lathe, const ToolSet* tools,
                         Refusals* refusals) {
    Machine machine(initialTool, lathe, tools);
    try {
        runProgram(program, [&](const Block& block) {
            ++machine.result.blocksRun;
            return machine.run(block);
        }, refusals);
    } catch (const ProgramError& error) {
        if (!refusals) throw;
        refusals->push_back(error);  // the flow cannot go on
    }
    return std::move(machine.result);
}

}  // namespace corvex::gcode
