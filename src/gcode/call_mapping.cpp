#include "gcode/call_mapping.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "gcode/lathe_calls.hpp"
#include "gcode/program_reader.hpp"

namespace corvex::gcode {
namespace {

// A bound on the calls one arc may become: a program is refused rather than run for hours.
constexpr int kMostChords = 100000;
// The shortest feed that is cut as a move of its own (0.1 um). CAM output rounds its points (to
// 1e-6 inch, say), and a slot 0.0254 um long is not a solid the kernel can build; a feed shorter
// than this is joined to the next one, which then starts where the short one started (when no
// feed follows, the tool moves and cuts nothing). Within it, too, a move counts as level or as
// straight down: the part differs from the program's by less than this.
constexpr double kShortestCut = 1e-4;

double distance(const Point& a, const Point& b) { return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]); }

using nlohmann::json;

json point(double x, double y, double z) { return json::array({x, y, z}); }
json point(const Point& p) { return point(p[0], p[1], p[2]); }

class Planner {
public:
    Planner(const ToolSet& tools, double tolerance, bool lathe) : tools_(tools), tolerance_(tolerance), lathe_(lathe) {}

    void load(int line, int number, const Point& at);
    void motion(const Motion& motion);
    CallPlan plan;

private:
    void add(int line, json call, bool cut = false) {
        plan.calls.push_back({line, std::move(call)});
        plan.cuts += cut;
    }
    void moveTool(int line, const Point& to) {
        add(line, lathe_ ? latheMove(to) : json::array({"MoveTool", to[0], to[1], to[2]}));
    }
    void feed(int line, const Point& from, const Point& to);
    void straight(int line, const Point& from, const Point& to);  // a feed, or joined to the next (kShortestCut)
    void helixPieces(const Motion& motion, double sweep);  // host:CutterHelix, half a turn at most each
    void sweeps(const Point& low, const Point& high, double radius);  // widens the cutting box
    void turns(const Point& a, const Point& b, double radius);         // the same on a lathe
    void arc(const Motion& motion);
    void chords(const Motion& motion, double sweep);
    const Tool& tool(int line) const;

    // A level move of a flat end mill straight on from the last one, in the same direction,
    // only lengthens the last slot: the union of the two is the one slot from the first's start
    // to this one's end. A program of 0.0004 mm steps made its floor map of thousands of slots
    // whose ends all crossed each other, and took the square of its moves in time.
    bool lengthensLastSlot(const Point& from, const Point& to, double r);
    void slot(int line, const Point& from, const Point& to, double r);
    void hostSweep(int line, const Point& from, const Point& to);  // host:CutterSweep, one cut
    struct LevelSlot {
        std::size_t call;  // the ToolExtrudeLine; its MoveTool follows
        Point from, to;
        double r;
        int tool;
    };
    std::optional<LevelSlot> lastSlot_;

    const ToolSet& tools_;
    double tolerance_;
    bool lathe_;
    int loaded_ = 0;
    std::optional<Point> startedAt_ = Point{0, 0, 0};  // until the program first moves the tool
    std::optional<Point> joinedFrom_;  // where the feeds too short to cut began
};

const Tool& Planner::tool(int line) const {
    const Tool* found = tools_.find(loaded_);
    if (!found) throw ProgramError(line, "tool " + std::to_string(loaded_) + " is not in the tool table");
    return *found;
}

void Planner::load(int line, int number, const Point& at) {
    loaded_ = number;
    const Tool& cutter = tool(line);
    // A lathe's tool is a round insert of the tool's diameter; a cone in its place would turn a
    // different part.
    if (lathe_ && cutter.shape() == Tool::Shape::VBit)
        throw ProgramError(line, "tool " + std::to_string(number) + " is " + describe(cutter) + ": a V-bit cannot turn");
    plan.toolsUsed.insert(number);
    if (lathe_) {
        add(line, latheTool(cutter.diameter / 2));
        return moveTool(line, at);
    }
    add(line, json::array({"MakeToolMill", point(at), cutter.diameter, cutter.length, cutter.corner}));
}

void Planner::sweeps(const Point& low, const Point& high, double radius) {
    auto& box = plan.cuttingBox;
    if (!box) box = std::array<double, 6>{low[0] - radius, low[1] - radius, low[2], high[0] + radius, high[1] + radius, high[2]};
    for (int axis = 0; axis < 3; ++axis) {
        const double grow = axis < 2 ? radius : 0;
        (*box)[axis] = std::min((*box)[axis], low[axis] - grow);
        (*box)[axis + 3] = std::max((*box)[axis + 3], high[axis] + grow);
    }
}

// On a lathe the box holds the bar that the insert's bands reach into: along the drawing's X
// (the program's Z), and as far from the axis as the program's X reaches.
void Planner::turns(const Point& a, const Point& b, double radius) {
    const double reach = std::max(std::fabs(a[0]), std::fabs(b[0])) + radius;
    const Point low{std::min(a[2], b[2]) - radius, -reach, -reach}, high{std::max(a[2], b[2]) + radius, reach, reach};
    sweeps(low, high, 0);
}

void Planner::feed(int line, const Point& from, const Point& to) {
    const Tool& cutter = tool(line);
    const double r = cutter.diameter / 2;
    if (lathe_) {
        turns(from, to, r);
        return add(line, latheLine(from, to, r), true);  // the member moves the tool
    }
    const double dx = to[0] - from[0], dy = to[1] - from[1], dz = to[2] - from[2];
    const bool inPlan = std::hypot(dx, dy) >= kShortestCut;
    if (inPlan || dz < 0)  // a lift rises into air the tool has cleared
        sweeps({std::min(from[0], to[0]), std::min(from[1], to[1]), std::min(from[2], to[2])},
               {std::max(from[0], to[0]), std::max(from[1], to[1]), std::max(from[2], to[2])}, r);
    if (!inPlan && dz > 0) {  // a lift
    } else if (cutter.flat() && !inPlan) {
        add(line, json::array({"drill_path", to[0], to[1], to[2], cutter.length, r}), true);
    } else if (cutter.flat() && std::fabs(dz) < kShortestCut) {
        if (lengthensLastSlot(from, to, r)) return;
        slot(line, from, to, r);
        lastSlot_ = LevelSlot{plan.calls.size() - 1, from, to, r, loaded_};
    } else {
        // No member sweeps a move that changes height, nor a rounded or pointed tip straight
        // down, nor any but a flat end mill exactly (the member's outline rounds its corners
        // with a fixed bulge): the host sweeps the cutter's exact body along the move, one cut
        // (a plunge: the body at the bottom with its column above; a level move: its section's
        // prism between its body's halves; a sloping one: see silhouette_sweep.hpp, and a
        // ball's, ball_pass.hpp).
        hostSweep(line, from, to);
    }
    moveTool(line, to);
}

void Planner::hostSweep(int line, const Point& from, const Point& to) {
    const Tool& cutter = tool(line);
    add(line, json::array({"host:CutterSweep", point(from), point(to), cutter.diameter, cutter.length, cutter.corner,
                           cutter.angle, cutter.tip}), true);
}

void Planner::slot(int line, const Point& from, const Point& to, double r) {
    const double dx = to[0] - from[0], dy = to[1] - from[1], length = std::hypot(dx, dy);
    const double rx = dy / length * r, ry = -dx / length * r;  // to the right of the move
    const json first = point(from[0] + rx, from[1] + ry, 0);
    add(line, json::array({"ToolExtrudeLine", first, point(to[0] + rx, to[1] + ry, 0), point(to[0] - rx, to[1] - ry, 0),
                           point(from[0] - rx, from[1] - ry, 0), first, to[2]}), true);
}

bool Planner::lengthensLastSlot(const Point& from, const Point& to, double r) {
    if (!lastSlot_ || plan.calls.size() != lastSlot_->call + 2 || lastSlot_->tool != loaded_ || lastSlot_->r != r ||
        lastSlot_->to != from)
        return false;
    const Point& start = lastSlot_->from;
    const double ax = from[0] - start[0], ay = from[1] - start[1], bx = to[0] - from[0], by = to[1] - from[1];
    // Straight on within 1e-9 of a radian: the middle point lies within a nanometre of the
    // merged slot's axis on a move of a metre.
    const double cross = ax * by - ay * bx, along = ax * bx + ay * by;
    if (!(along > 0) || std::fabs(cross) > 1e-9 * std::hypot(ax, ay) * std::hypot(bx, by)) return false;
    const int line = plan.calls[lastSlot_->call].line;
    plan.calls.resize(lastSlot_->call);
    --plan.cuts;
    slot(line, start, to, r);
    moveTool(line, to);
    lastSlot_->to = to;
    return true;
}

void Planner::chords(const Motion& motion, double sweep) {
    const int u = (motion.normal + 1) % 3, v = (motion.normal + 2) % 3;
    const double radius = std::hypot(motion.from[u] - motion.centre[u], motion.from[v] - motion.centre[v]);
    const double start = std::atan2(motion.from[v] - motion.centre[v], motion.from[u] - motion.centre[u]);
    // The largest step whose chord strays no more than the tolerance from the arc.
    const double step = tolerance_ < radius ? 2 * std::acos(1 - tolerance_ / radius) : M_PI / 2;
    const double chords = std::ceil(std::fabs(sweep) / step);
    if (!(chords <= kMostChords))
        throw ProgramError(motion.line, "the arc would take more than " + std::to_string(kMostChords) +
                                            " chords at this tolerance");
    const int count = std::max(1, static_cast<int>(chords));
    Point at = motion.from;
    for (int k = 1; k <= count; ++k) {
        Point next = motion.to;
        if (k < count) {
            const double angle = start + sweep * k / count;
            next[u] = motion.centre[u] + radius * std::cos(angle);
            next[v] = motion.centre[v] + radius * std::sin(angle);
            next[motion.normal] = motion.from[motion.normal] + (motion.to[motion.normal] - motion.from[motion.normal]) * k / count;
        }
        feed(motion.line, at, next);
        at = next;
    }
}

void Planner::arc(const Motion& motion) {
    const int u = (motion.normal + 1) % 3, v = (motion.normal + 2) % 3;
    const double a = std::atan2(motion.from[v] - motion.centre[v], motion.from[u] - motion.centre[u]);
    const double b = std::atan2(motion.to[v] - motion.centre[v], motion.to[u] - motion.centre[u]);
    const double chord = std::hypot(motion.to[u] - motion.from[u], motion.to[v] - motion.from[v]);
    // The turn from a to b in the arc's own sense, in (0, 2 pi]; negative when clockwise.
    double sweep = motion.clockwise ? a - b : b - a;
    while (sweep <= kSame) sweep += 2 * M_PI;
    // Ends closer than the shortest cut make a full turn the long way round, nothing the short way.
    const bool fullTurn = chord <= kSame || (chord < kShortestCut && sweep > M_PI);
    if (fullTurn) sweep = 2 * M_PI;
    if (motion.clockwise) sweep = -sweep;
    const double turnRadius = std::hypot(motion.from[u] - motion.centre[u], motion.from[v] - motion.centre[v]);
    if (std::fabs(sweep) * turnRadius + std::fabs(motion.to[motion.normal] - motion.from[motion.normal]) < kShortestCut)
        return straight(motion.line, motion.from, motion.to);
    joinedFrom_.reset();
    const Tool& cutter = tool(motion.line);
    if (lathe_) {
        const auto turned = latheArc(motion, cutter.diameter / 2);
        if (!turned) return chords(motion, sweep);
        const double reach = std::hypot(motion.from[0] - motion.centre[0], motion.from[2] - motion.centre[2]);
        const Point& c = motion.centre;
        turns({c[0] - reach, 0, c[2] - reach}, {c[0] + reach, 0, c[2] + reach}, cutter.diameter / 2);
        add(motion.line, turned->first, true);
        return add(motion.line, turned->second, true);
    }
    const bool helix = std::fabs(motion.to[motion.normal] - motion.from[motion.normal]) > kSame;
    const double r = cutter.diameter / 2, z = motion.from[2], radius = turnRadius;  // in XY here
    // A turn tighter than the cutter (its section would cross the axis) goes in chords, but for
    // a flat end mill's level arc (the members cut it); so do arcs in other planes, each chord
    // exact.
    const bool tight = radius <= r + kShortestCut;
    if (motion.normal != 2 || (tight && (helix || !cutter.flat()))) return chords(motion, sweep);
    // A helix turning within twice the cutter's radius goes in chords as well: random programs
    // found the kernel unable to write back a part cut by such a tight helix's exact sweep.
    if (helix && radius < 2 * r) return chords(motion, sweep);
    if (helix) return helixPieces(motion, sweep);
    // The whole circle's box: an arc's own reaches no further.
    sweeps({motion.centre[0] - radius, motion.centre[1] - radius, z}, {motion.centre[0] + radius, motion.centre[1] + radius, z}, r);
    if (!cutter.flat()) {  // no member turns a rounded or pointed cutter: the host's exact arc
        add(motion.line, json::array({"host:CutterArc", point(motion.from), point(motion.centre[0], motion.centre[1], z),
                                      sweep * 180 / M_PI, cutter.diameter, cutter.length, cutter.corner, cutter.angle,
                                      cutter.tip}), true);
        return moveTool(motion.line, motion.to);
    }
    const double outer = radius + r, inner = std::max(0.0, radius - r);
    const double cx = motion.centre[0], cy = motion.centre[1];
    if (fullTurn) {
        if (inner <= kSame) add(motion.line, json::array({"drill_path", cx, cy, z, cutter.length, outer}), true);
        else {
            const json c = point(cx, cy, z), edge = point(cx + radius, cy, z);
            add(motion.line, json::array({"ToolMillArc", c, edge, point(cx + inner, cy, z), point(cx + outer, cy, z),
                                          point(cx + outer, cy, z), point(cx + inner, cy, z), outer, inner, 0.0, 0.0}), true);
        }
        return moveTool(motion.line, motion.to);
    }
    // Counter-clockwise from `from` degrees to `to` degrees, whichever way the tool turned.
    const double first = (motion.clockwise ? a + sweep : a) / kClientDegree;
    const double last = first + std::fabs(sweep) / kClientDegree;
    auto at = [&](double rho, double degrees) {
        return point(cx + rho * std::cos(degrees * kClientDegree), cy + rho * std::sin(degrees * kClientDegree), z);
    };
    add(motion.line, json::array({"ToolMillArc", point(cx, cy, z), at(radius, last), at(inner, first), at(outer, first),
                                  at(outer, last), at(inner, last), outer, inner, first, last}), true);
    // The ring sector ends square; the cutter's disc at the end is the end cap.
    add(motion.line, json::array({"drill_path", motion.to[0], motion.to[1], z, cutter.length, r}), true);
    moveTool(motion.line, motion.to);
}

void Planner::helixPieces(const Motion& motion, double sweep) {
    const Tool& cutter = tool(motion.line);
    const double cx = motion.centre[0], cy = motion.centre[1], radius = std::hypot(motion.from[0] - cx, motion.from[1] - cy);
    const double start = std::atan2(motion.from[1] - cy, motion.from[0] - cx), rise = motion.to[2] - motion.from[2];
    // The host's helix turns by half a turn at most.
    const double pieces = std::ceil(std::fabs(sweep) / M_PI - 1e-9);
    if (!(pieces <= kMostChords))
        throw ProgramError(motion.line, "the helix would take more than " + std::to_string(kMostChords) + " pieces");
    const int count = std::max(1, static_cast<int>(pieces));
    sweeps({cx - radius, cy - radius, std::min(motion.from[2], motion.to[2])},
           {cx + radius, cy + radius, std::max(motion.from[2], motion.to[2])}, cutter.diameter / 2);
    for (int k = 0; k < count; ++k) {
        const double angle = start + sweep * k / count, z = motion.from[2] + rise * k / count;
        add(motion.line, json::array({"host:CutterHelix", point(cx + radius * std::cos(angle), cy + radius * std::sin(angle), z),
                                      point(cx, cy, z), sweep / count * 180 / M_PI, rise / count, cutter.diameter,
                                      cutter.length, cutter.corner, cutter.angle, cutter.tip}),
            true);
    }
    moveTool(motion.line, motion.to);
}

void Planner::straight(int line, const Point& from, const Point& to) {
    const Point start = joinedFrom_.value_or(from);
    if (distance(start, to) < kShortestCut) {
        joinedFrom_ = start;
        return moveTool(line, to);
    }
    joinedFrom_.reset();
    feed(line, start, to);
}

void Planner::motion(const Motion& motion) {
    if (motion.kind != MotionKind::Feed && motion.kind != MotionKind::Arc) joinedFrom_.reset();
    switch (motion.kind) {
        case MotionKind::ToolChange: return load(motion.line, motion.tool, motion.from);
        case MotionKind::Rapid:
            ++plan.moves;
            if (loaded_ == 0) return;
            moveTool(motion.line, motion.to);
            // Where the tool stands before the program first moves it is not known.
            if (motion.from != startedAt_)
                plan.calls.back().rapid =
                    lathe_ ? RapidMove{onLatheDrawing(motion.from), onLatheDrawing(motion.to), tool(motion.line), true}
                           : RapidMove{motion.from, motion.to, tool(motion.line)};
            startedAt_.reset();
            return;
        case MotionKind::Feed: ++plan.moves; startedAt_.reset(); return straight(motion.line, motion.from, motion.to);
        case MotionKind::Arc: ++plan.moves; startedAt_.reset(); return arc(motion);
        case MotionKind::Turn:
            ++plan.moves;
            return add(motion.line, json::array({"RotateAxis", motion.axis, motion.degrees}));
    }
}

}  // namespace

CallPlan planCalls(const std::vector<Motion>& motions, const ToolSet& tools, int initialTool, double chordTolerance,
                   bool lathe, Refusals* refusals) {
    Planner planner(tools, chordTolerance, lathe);
    const int firstLine = motions.empty() ? 1 : motions.front().line;
    planner.plan.calls.push_back({firstLine, nlohmann::json::array({"StartAcad"})});
    // The tool in the spindle from the start is made where the tool first moves, unless the
    // program changes it before that.
    const auto firstMove = std::find_if(motions.begin(), motions.end(),
                                        [](const Motion& m) { return m.kind != MotionKind::ToolChange; });
    const auto planned = [&](auto&& step) {
        try {
            step();
        } catch (const ProgramError& error) {
            if (!refusals) throw;
            refusals->push_back(error);
        }
    };
    if (initialTool != 0 && firstMove != motions.end() && firstMove == motions.begin())
        planned([&] { planner.load(firstMove->line, initialTool, firstMove->from); });
    for (const Motion& motion : motions) planned([&] { planner.motion(motion); });
    return std::move(planner.plan);
}

}  // namespace corvex::gcode
