#include "random_jobs.hpp"

#include "automation/coerce.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <random>
#include <sstream>

#include "gcode/call_mapping.hpp"
#include "gcode/interpreter.hpp"

namespace corvex::bench {
namespace {

using automation::Variant;

// The client's degrees-to-radians factor, which places the ends of its arcs.
constexpr double kDegree = 0.017453293;
// The lathe insert of the turning example: a 6 x 3 plate, its leading corner rounded by 0.5.
const std::vector<double> kInsert = {0.5, 0, 0, 6, 0, 0, 6, 3, 0, 0, 3, 0, 0, 0.5, 0, 0.5, 0, 0};
const std::vector<double> kInsertRadii = {0.5, 0.5, 0.5};

class Draw {
public:
    explicit Draw(std::uint64_t seed) : random_(seed) {}
    double between(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }
    int count(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool chance(double p) { return between(0, 1) < p; }

private:
    std::mt19937_64 random_;
};

// The five corners ToolExtrudeLine takes for a cutter of radius `r` from (x0, y0) to (x1, y1).
JobCall slot(double x0, double y0, double x1, double y1, double r, double z) {
    const double length = std::hypot(x1 - x0, y1 - y0);
    const double rx = (y1 - y0) / length * r, ry = -(x1 - x0) / length * r;
    const Variant first = Variant::point(x0 + rx, y0 + ry, 0);
    return {"ToolExtrudeLine",
            {first, Variant::point(x1 + rx, y1 + ry, 0), Variant::point(x1 - rx, y1 - ry, 0),
             Variant::point(x0 - rx, y0 - ry, 0), first, Variant::real(z)}};
}

// A ring sector about (cx, cy) between `inner` and `outer`, from `from` degrees by `sweep`.
JobCall millArc(double cx, double cy, double z, double inner, double outer, double from, double sweep) {
    auto at = [&](double radius, double degrees) {
        return Variant::point(cx + radius * std::cos(degrees * kDegree), cy + radius * std::sin(degrees * kDegree), z);
    };
    const double to = from + sweep;
    return {"ToolMillArc",
            {Variant::point(cx, cy, z), at((inner + outer) / 2, to), at(inner, from), at(outer, from), at(outer, to),
             at(inner, to), Variant::real(outer), Variant::real(inner), Variant::real(from), Variant::real(to)}};
}

JobCall millTool(double x, double y, double z, double diameter, double corner) {
    return {"MakeToolMill", {Variant::point(x, y, z), Variant::real(diameter), Variant::real(25), Variant::real(corner)}};
}

void holes(Draw& draw, Job& job) {
    for (int n = draw.count(3, 25); n > 0; --n)
        job.calls.push_back({"drill_path",
                             {Variant::real(draw.between(3, 97)), Variant::real(draw.between(3, 97)),
                              Variant::real(draw.between(-3, 19)), Variant::real(draw.between(0.5, 25)),
                              Variant::real(draw.between(0.3, 5))}});
}

void slotsAndArcs(Draw& draw, Job& job) {
    job.calls.push_back(millTool(50, 50, 25, 6, 0));
    for (int n = draw.count(3, 20); n > 0; --n) {
        const double z = draw.between(5, 19.5);
        if (draw.chance(0.6)) {
            job.calls.push_back(slot(draw.between(5, 95), draw.between(5, 95), draw.between(5, 95),
                                     draw.between(5, 95), draw.between(0.5, 5), z));
        } else {
            const double middle = draw.between(4, 25), half = draw.between(0.3, 3);
            job.calls.push_back(millArc(draw.between(20, 80), draw.between(20, 80), z, middle - half, middle + half,
                                        draw.between(-180, 180), draw.between(10, 350)));
        }
    }
}

void pathSweeps(Draw& draw, Job& job) {
    double x = draw.between(10, 90), y = draw.between(10, 90), z = draw.between(8, 19);
    const double diameter = draw.between(2, 10);
    job.calls.push_back(millTool(x, y, z, diameter, draw.chance(0.5) ? 0 : draw.between(0.1, diameter / 2 - 0.1)));
    for (int n = draw.count(2, 10); n > 0; --n) {
        const double nx = draw.between(10, 90), ny = draw.between(10, 90), nz = draw.chance(0.3) ? draw.between(8, 19) : z;
        job.calls.push_back({"ToolExtrudePath", {Variant::point(x, y, z), Variant::point(nx, ny, nz)}});
        job.calls.push_back({"SubtractArcToolFromGroup", {}});
        job.calls.push_back({"MoveTool", {Variant::real(nx), Variant::real(ny), Variant::real(nz)}});
        x = nx, y = ny, z = nz;
    }
}

void turning(Draw& draw, Job& job) {
    job.calls.push_back({"MakeToolLathe", {Variant::int16(5), Variant::int16(1), Variant::doubles(kInsert),
                                           Variant::doubles(kInsertRadii)}});
    const Variant sp = Variant::point(0, 6, 0);
    for (int n = draw.count(2, 12); n > 0; --n) {
        const double pick = draw.between(0, 1);
        if (pick < 0.4) {  // a quarter (or more) ring about a point beside the axis
            const double inner = draw.between(0.5, 3), outer = inner + draw.between(0.5, 3);
            const double cx = draw.between(5, 45), cy = draw.between(outer + 0.2, 11);
            const double from = draw.chance(0.5) ? 90.0 * draw.count(-4, 3) : draw.between(-360, 360);
            const double to = from + (draw.chance(0.5) ? 90 : draw.between(10, 180));
            auto arc = [&](double r) { return Variant::doubles({cx, cy, r, from, to}); };
            job.calls.push_back({"LatheArc", {arc(inner), arc(outer), Variant::null(), Variant::null(),
                                              Variant::point(cx, cy + outer, 0)}});
        } else if (pick < 0.8) {  // a band turned down to radius r between two X
            const double r = draw.between(3, 9.8), x1 = draw.between(0, 40), x0 = x1 + draw.between(1, 20);
            job.calls.push_back({"LatheLine", {Variant::int16(5), Variant::int16(1), Variant::doubles(kInsert),
                                               Variant::doubles(kInsertRadii),
                                               Variant::doubles({x1, r, 0, x0, r, 0, x0, 10.5, 0, x1, 10.5, 0, x1, r, 0}),
                                               Variant::point(x0, r, 0), Variant::point(x1, r, 0), sp}});
        } else {  // the insert swept from one point to another
            job.calls.push_back({"LatheInsert", {Variant::int16(5), Variant::int16(1), Variant::doubles(kInsert),
                                                 Variant::doubles(kInsertRadii),
                                                 Variant::point(draw.between(5, 50), draw.between(6, 11), 0),
                                                 Variant::point(draw.between(5, 50), draw.between(6, 11), 0), sp}});
        }
    }
}

// A finishing pass as the G-code front end makes it: a flat, bull-nose or ball-nose mill swept
// piece by piece along X, each piece 5 long and a little deeper or shallower than the last,
// entering and leaving beside the block, so that pieces end on its faces.
void finishingRows(Draw& draw, Job& job) {
    const double diameter = draw.between(3, 10), radius = diameter / 2;
    const int kind = draw.count(0, 2);
    const double corner = kind == 0 ? 0 : kind == 1 ? draw.between(0.2, radius - 0.2) : radius;
    job.calls.push_back(millTool(-10, 50, 30, diameter, corner));
    for (int row = draw.count(1, 2); row > 0; --row) {
        const double y = draw.between(10, 90);
        const bool forward = draw.chance(0.5);
        double x = forward ? -5 : 105, z = draw.between(17, 19.7);
        job.calls.push_back({"MoveTool", {Variant::real(x), Variant::real(y), Variant::real(z)}});
        for (int piece = 0; piece < 22; ++piece) {
            const double nx = x + (forward ? 5 : -5), nz = std::clamp(z + draw.between(-0.3, 0.3), 17.0, 19.8);
            job.calls.push_back({"ToolExtrudePath", {Variant::point(x, y, z), Variant::point(nx, y, nz)}});
            job.calls.push_back({"SubtractToolFromGroup", {}});
            job.calls.push_back({"MoveTool", {Variant::real(nx), Variant::real(y), Variant::real(nz)}});
            x = nx, z = nz;
        }
    }
}

void rotaryTurns(Draw& draw, Job& job) {
    for (int n = draw.count(2, 8); n > 0; --n) {
        const double z = draw.between(8, 9.8);
        job.calls.push_back(slot(draw.between(-18, 18), draw.between(-8, 8), draw.between(-18, 18),
                                 draw.between(-8, 8), draw.between(0.5, 3), z));
        const double angle = draw.chance(0.5) ? 90.0 * draw.count(1, 3) : draw.between(5, 355);
        job.calls.push_back({"RotateAxis", {Variant::int16(1), Variant::real(angle)}});
    }
}

// A 3-axis job as a CAM system mills it, every cut from above through the block's top: slots,
// ring sectors and full rings, plunges, some out over the block's sides or through its bottom.
// Half the jobs keep to a 0.5 mm grid and a few depths, as programs do: walls that coincide,
// slots that end on each other's sides, floors at one height that must become one.
void floors(Draw& draw, Job& job) {
    job.calls.push_back(millTool(50, 50, 25, 6, 0));
    const bool grid = draw.chance(0.5);
    auto place = [&](double low, double high) {
        const double value = draw.between(low, high);
        return grid ? std::round(value * 2) / 2 : value;
    };
    const double depths[] = {19, 17.5, 15, 12.25, -1};
    auto depth = [&] { return grid ? depths[draw.count(0, 4)] : draw.between(-1, 19.5); };
    for (int n = draw.count(5, 30); n > 0; --n) {
        const double kind = draw.between(0, 1), z = depth();
        if (kind < 0.5) {
            const double r = draw.chance(0.7) ? 3 : place(0.5, 5);
            job.calls.push_back(slot(place(-5, 105), place(-5, 105), place(-5, 105), place(-5, 105), r, z));
        } else if (kind < 0.8) {
            const double middle = place(4, 25), half = draw.chance(0.5) ? 3 : place(0.5, 3);
            const double sweep = draw.chance(0.2) ? 0 : place(10, 350);  // 0: the whole ring
            job.calls.push_back(millArc(place(10, 90), place(10, 90), z, middle - half, middle + half,
                                        place(-180, 180), sweep));
        } else {
            job.calls.push_back({"drill_path", {Variant::real(place(-2, 102)), Variant::real(place(-2, 102)),
                                                Variant::real(z), Variant::real(30), Variant::real(place(0.5, 5))}});
        }
    }
}

// A call of the G-code front end's plan as the Variants a client sends.
Variant variantOf(const nlohmann::json& value) {
    if (value.is_number()) return Variant::real(value.get<double>());
    if (value.is_string()) return Variant::string(value.get<std::string>());
    if (value.is_boolean()) return Variant::boolean(value.get<bool>());
    if (value.is_array()) {
        if (std::all_of(value.begin(), value.end(), [](const auto& item) { return item.is_number(); }))
            return Variant::doubles(value.get<std::vector<double>>());
        std::vector<Variant> items;
        for (const auto& item : value) items.push_back(variantOf(item));
        return Variant::variants(std::move(items));
    }
    return Variant::null();
}

void planProgram(Job& job, const gcode::Tool& tool);

// A random 3-axis program as a user brings it, read and planned by the G-code front end as
// `corvex gcode` does, with one cutter: slots, arcs and full rings, plunges, moves over the
// block's sides and through its bottom, and walls laid in the block's faces (a centre one
// radius in from a side), ramps, 3-D lines and helices (one arc in three), with a flat end
// mill, or (one job in four) a ball, bull-nose or V-bit, whose arcs are the host's; some slots
// begin with a ramped entry, which the slot cuts deeper afterwards. The block
// is 100 x 100 x 20 from the origin.
void programs(Draw& draw, Job& job) {
    const double diameter = draw.chance(0.3) ? 6 : std::round(draw.between(1, 12) * 100) / 100, r = diameter / 2;
    const double shape = draw.between(0, 1);
    double corner = shape < 0.75 ? 0 : shape < 0.87 ? r : std::round(draw.between(0.2, 0.9) * r * 100) / 100;
    // One job in sixteen a V-bit (of the bull-noses' share, from the same draw, so that the other
    // jobs of a seed stay as they were): 30 to 120 degrees, pointed or with a tip.
    const bool vBit = shape >= 0.94;
    const double angle = vBit ? std::round(30 + (shape - 0.94) / 0.06 * 90) : 0;
    const double tip = vBit && shape >= 0.97 ? std::round(0.3 * r * 100) / 100 : 0;
    if (vBit) corner = 0;
    auto coordinate = [&] {
        const double pick = draw.between(0, 1);
        if (pick < 0.15) return draw.chance(0.5) ? r : 100 - r;  // a wall in a face
        if (pick < 0.25) return draw.between(-8, 108);         // over a side
        return std::round(draw.between(0, 100) * 1e4) / 1e4;
    };
    auto depth = [&] { return draw.chance(0.15) ? -20.5 : -std::round(draw.between(1, 19.5) * 1e4) / 1e4; };
    std::ostringstream program;
    program.setf(std::ios::fixed);
    program.precision(4);
    program << "G21 G90 G17\nT1 M6\nG0 Z25\n";
    for (int n = draw.count(2, 8); n > 0; --n) {
        const double x = coordinate(), y = coordinate(), z = depth(), kind = draw.between(0, 1);
        // Three slots in ten begin as CAM's ramped entry: down 1.5 mm along X, then back over
        // the ramp at depth (from the draws made already, as the helices below).
        const bool rampedEntry = kind < 0.12;
        program << "G0 X" << x << " Y" << y << "\nG1 Z" << (rampedEntry ? z + 1.5 : z) << " F200\n";
        if (rampedEntry)
            program << "G1 X" << x + (x < 50 ? 8 : -8) << " Y" << y << " Z" << z << "\nG1 X" << x << " Y" << y << "\n";
        if (kind < 0.4) {
            program << "G1 X" << coordinate() << " Y" << y << "\n";  // along X, then anywhere
            if (draw.chance(0.5)) program << "G1 X" << coordinate() << " Y" << coordinate() << "\n";
            // Ramps and 3-D lines, which the host sweeps: to a new depth, then on at another.
            if (draw.chance(0.4)) program << "G1 X" << coordinate() << " Y" << coordinate() << " Z" << depth() << "\n";
            if (draw.chance(0.3)) program << "G1 X" << coordinate() << " Y" << coordinate() << " Z" << depth() << "\n";
        } else if (kind < 0.8) {  // an arc or a full ring about a centre beside the start
            const double radius = draw.between(r + 0.5, 25), angle = draw.between(0, 2 * M_PI);
            const double cx = x - radius * std::cos(angle), cy = y - radius * std::sin(angle);
            const double sweep = draw.chance(0.25) ? 0 : draw.between(0.2, 2 * M_PI - 0.2);
            const double ex = cx + radius * std::cos(angle + sweep), ey = cy + radius * std::sin(angle + sweep);
            program << (draw.chance(0.5) ? "G3" : "G2") << " X" << (sweep == 0 ? x : ex) << " Y"
                    << (sweep == 0 ? y : ey) << " I" << cx - x << " J" << cy - y;
            // One arc in three falls as it turns, a helix: by up to 3 mm, from the draws made
            // already, so that the other jobs of a seed stay as they were.
            if (kind >= 0.67) program << " Z" << z - std::round((kind - 0.67) / 0.13 * 3 * 1e4) / 1e4;
            program << "\n";
        }  // else a plunge alone: a hole
        program << "G0 Z25\n";
    }
    program << "M30\n";
    job.program = program.str();
    planProgram(job, gcode::Tool{diameter, 30, corner, angle, tip});
}

// A 3-D finishing raster as CAM writes it: short sloped moves along X over a smooth surface,
// zig-zag, the next pass a small step over in Y, its ball (or flat or bull-nose end) running
// beside the last pass's surface, where the kernel is weakest. One job in five begins beside
// the block. The block is 100 x 100 x 20 from the origin.
void rasters(Draw& draw, Job& job) {
    const double diameter = std::round(draw.between(3, 10) * 100) / 100, r = diameter / 2;
    const double shape = draw.between(0, 1);
    const double corner = shape < 0.6 ? r : shape < 0.8 ? 0 : std::round(draw.between(0.2, 0.9) * r * 100) / 100;
    const double step = draw.between(0.3, 0.8) * r, length = draw.between(0.4, 1.5);
    // The surface: a tilted plane and two waves, a few millimetres down.
    const double base = -draw.between(2, 5), tiltX = draw.between(-0.03, 0.03), tiltY = draw.between(-0.03, 0.03);
    const double a1 = draw.between(0.2, 1), k1 = draw.between(0.05, 0.3), a2 = draw.between(0.1, 0.5), k2 = draw.between(0.1, 0.5);
    auto surface = [&](double x, double y) {
        return std::round((base + tiltX * x + tiltY * y + a1 * std::sin(k1 * x) + a2 * std::cos(k2 * y + 0.3 * x)) * 1e4) / 1e4;
    };
    const int moves = draw.count(8, 20), passes = draw.count(2, 3);
    double x = draw.chance(0.2) ? -r - 1 : std::round(draw.between(0, 60) * 10) / 10;
    double y = std::round(draw.between(5, 90) * 10) / 10;
    std::ostringstream program;
    program.setf(std::ios::fixed);
    program.precision(4);
    program << "G21 G90 G17\nT1 M6\nG0 Z25\nG0 X" << x << " Y" << y << "\nG1 Z" << surface(x, y) << " F800\n";
    for (int pass = 0; pass < passes; ++pass) {
        const double direction = pass % 2 == 0 ? 1 : -1;
        for (int m = 0; m < moves; ++m) {
            x += direction * length;
            program << "G1 X" << x << " Z" << surface(x, y) << "\n";
        }
        if (pass + 1 < passes) {
            y += step;
            program << "G1 Y" << y << " Z" << surface(x, y) << "\n";
        }
    }
    program << "G0 Z25\nM30\n";
    job.program = program.str();
    planProgram(job, gcode::Tool{diameter, 30, corner, 0, 0});
}

// A 2.5-D profile as CAM writes it: a closed wavy outline of short chords, cut down in layers,
// each ramped in along its first chords and then taken round at depth, back over the ramp, so
// that the ramps lie in their layers' slots and take nothing the map does not. One layer in
// four ramps below its loop, and its ramp cuts. A flat end mill mostly, else a ball or a
// bull-nose. The block is 100 x 100 x 20 from the origin.
void layers(Draw& draw, Job& job) {
    const double diameter = std::round(draw.between(2, 10) * 100) / 100, r = diameter / 2;
    const double shape = draw.between(0, 1);
    const double corner = shape < 0.7 ? 0 : shape < 0.85 ? r : std::round(draw.between(0.2, 0.9) * r * 100) / 100;
    const double cx = draw.between(35, 65), cy = draw.between(35, 65), size = draw.between(8, 30);
    const double wave = draw.between(0, 0.3), phase = draw.between(0, 2 * M_PI);
    const int lobes = draw.count(2, 6), chords = draw.count(12, 30);
    std::vector<std::array<double, 2>> outline;
    for (int i = 0; i < chords; ++i) {
        const double t = 2 * M_PI * i / chords, radius = size * (1 + wave * std::sin(lobes * t + phase));
        outline.push_back({std::round((cx + radius * std::cos(t)) * 1e4) / 1e4, std::round((cy + radius * std::sin(t)) * 1e4) / 1e4});
    }
    const double step = std::round(draw.between(0.5, 3) * 1e4) / 1e4;
    std::ostringstream program;
    program.setf(std::ios::fixed);
    program.precision(4);
    program << "G21 G90 G17\nT1 M6\nG0 Z25\n";
    for (int layer = 1, count = draw.count(2, 3); layer <= count; ++layer) {
        const double z = -step * layer, below = draw.chance(0.25) ? std::round(draw.between(0.1, 1) * 1e4) / 1e4 : 0;
        const int ramp = draw.count(2, 5);
        program << "G0 X" << outline[0][0] << " Y" << outline[0][1] << "\nG1 Z" << z + step << " F200\n";
        for (int i = 1; i <= ramp; ++i)
            program << "G1 X" << outline[i][0] << " Y" << outline[i][1] << " Z" << z + step - (step + below) * i / ramp << "\n";
        program << "G1 Z" << z << "\n";
        for (int i = ramp + 1; i <= chords + ramp; ++i)
            program << "G1 X" << outline[i % chords][0] << " Y" << outline[i % chords][1] << "\n";
        program << "G0 Z25\n";
    }
    program << "M30\n";
    job.program = program.str();
    planProgram(job, gcode::Tool{diameter, 30, corner, 0, 0});
}

// The calls the G-code front end plans for `job.program`, every tool number being `tool`, as
// `corvex gcode` does.
void planProgram(Job& job, const gcode::Tool& tool) {
    std::istringstream text(job.program);
    gcode::ToolSet tools;
    tools.everyNumber = tool;
    const auto motions = gcode::interpret(gcode::readProgram(text), 1).motions;
    const gcode::CallPlan plan = gcode::planCalls(motions, tools, 1, 0.01);
    job.calls.clear();
    for (const auto& planned : plan.calls) {
        JobCall call{planned.member(), {}};
        for (std::size_t k = 1; k < planned.call.size(); ++k) call.arguments.push_back(variantOf(planned.call[k]));
        job.calls.push_back(std::move(call));
    }
}

const std::map<std::string, std::pair<Stock, std::function<void(Draw&, Job&)>>>& generators() {
    static const std::map<std::string, std::pair<Stock, std::function<void(Draw&, Job&)>>> all = {
        {"holes", {Stock::Block, holes}},         {"slots", {Stock::Block, slotsAndArcs}},
        {"paths", {Stock::Block, pathSweeps}},    {"lathe", {Stock::Bar, turning}},
        {"rotary", {Stock::RotaryBlock, rotaryTurns}}, {"finishing", {Stock::Block, finishingRows}},
        {"floors", {Stock::Block, floors}},      {"programs", {Stock::TopBlock, programs}},
        {"rasters", {Stock::TopBlock, rasters}},  {"layers", {Stock::TopBlock, layers}},
    };
    return all;
}

nlohmann::json jsonOf(const Variant& value) {
    if (value.isArray()) {
        nlohmann::json items = nlohmann::json::array();
        for (const auto& item : value.asArray().items()) items.push_back(jsonOf(item));
        return items;
    }
    if (value.isNumeric()) return automation::toDouble(value);
    return nullptr;
}

}  // namespace

const std::vector<std::string>& jobFamilies() {
    static const std::vector<std::string> families = {"holes",  "slots",  "paths",   "lathe",
                                                       "rotary", "finishing", "floors", "programs",
                                                       "rasters", "layers"};
    return families;
}

Job randomJob(const std::string& family, std::uint64_t seed) {
    const auto& [stock, generate] = generators().at(family);
    Job job{family, seed, stock, {{"StartAcad", {}}}};
    const auto& families = jobFamilies();
    const auto index = static_cast<std::uint64_t>(std::find(families.begin(), families.end(), family) - families.begin());
    Draw draw(seed * 7919 + index);
    generate(draw, job);
    return job;
}

std::string sessionText(const Job& job) {
    std::string text;
    for (const auto& call : job.calls) {
        nlohmann::json line = nlohmann::json::array({call.member});
        for (const auto& argument : call.arguments) line.push_back(jsonOf(argument));
        text += line.dump() + "\n";
    }
    return text;
}

}  // namespace corvex::bench
