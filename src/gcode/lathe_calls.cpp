#include "gcode/lathe_calls.hpp"

#include <cmath>

namespace corvex::gcode {

Point onLatheDrawing(const Point& p) { return {p[2], p[0], 0.0}; }

namespace {

using nlohmann::json;

json onLathe(const Point& p) {
    const Point drawn = onLatheDrawing(p);
    return json::array({drawn[0], drawn[1], drawn[2]});
}
json insertPoints(double radius) { return json::array({0.0, -radius, 0.0}); }  // its lowest point
json insertCircle(double radius) { return json::array({0.0, 0.0, radius}); }   // about its centre
json insertSpan(double radius) { return json::array({-radius, radius, -radius}); }

}  // namespace

json latheTool(double radius) {
    return json::array({"MakeToolLathe", 0, 1, insertPoints(radius), insertCircle(radius)});
}

json latheMove(const Point& to) {
    const Point drawn = onLatheDrawing(to);
    return json::array({"MoveTool", drawn[0], drawn[1], drawn[2]});
}

json latheLine(const Point& from, const Point& to, double radius) {
    // The band between the two lines the insert's circle touches on either side of its path.
    const double du = to[2] - from[2], dv = to[0] - from[0], length = std::hypot(du, dv);
    const double nu = -dv / length * radius, nv = du / length * radius;
    const json first = json::array({from[2] + nu, from[0] + nv, 0.0});
    const json band = json::array({first[0], first[1], 0.0, to[2] + nu, to[0] + nv, 0.0, to[2] - nu, to[0] - nv, 0.0,
                                   from[2] - nu, from[0] - nv, 0.0, first[0], first[1], 0.0});
    return json::array({"LatheLine", 0, 1, insertPoints(radius), insertCircle(radius), band, onLathe(from), onLathe(to),
                        insertSpan(radius)});
}

std::optional<std::pair<json, json>> latheArc(const Motion& arc, double radius) {
    if (arc.normal != 1 || std::fabs(arc.to[1] - arc.from[1]) > kSame) return std::nullopt;
    const double cu = arc.centre[2], cv = arc.centre[0];
    const double reach = std::hypot(arc.from[2] - cu, arc.from[0] - cv);
    if (reach <= radius + 1e-6 || std::hypot(arc.to[2] - arc.from[2], arc.to[0] - arc.from[0]) <= kSame)
        return std::nullopt;
    const double a = std::atan2(arc.from[0] - cv, arc.from[2] - cu), b = std::atan2(arc.to[0] - cv, arc.to[2] - cu);
    // Counter-clockwise in the lathe's XY from `first` to `last`, whichever way the tool turned.
    double sweep = arc.clockwise ? a - b : b - a;
    while (sweep <= kSame) sweep += 2 * M_PI;
    const double first = (arc.clockwise ? b : a) / kClientDegree, last = first + sweep / kClientDegree;
    auto ring = [&](double r) { return json::array({cu, cv, r, first, last}); };
    const json turn = json::array({"LatheArc", ring(reach - radius), ring(reach + radius), nullptr, nullptr, onLathe(arc.to)});
    const json end = json::array({"LatheInsert", 0, 1, insertPoints(radius), insertCircle(radius), onLathe(arc.from),
                                  onLathe(arc.to), insertSpan(radius)});
    return std::make_pair(turn, end);
}

}  // namespace corvex::gcode
