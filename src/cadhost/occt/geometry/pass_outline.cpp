#include "cadhost/occt/geometry/pass_outline.hpp"

#include <algorithm>
#include <cmath>

namespace corvex::cadhost::occt {
namespace {

Planar operator+(Planar a, Planar b) { return {a.s + b.s, a.z + b.z}; }
Planar operator-(Planar a, Planar b) { return {a.s - b.s, a.z - b.z}; }
Planar operator*(double k, Planar a) { return {k * a.s, k * a.z}; }
double dot(Planar a, Planar b) { return a.s * b.s + a.z * b.z; }
double cross(Planar a, Planar b) { return a.s * b.z - a.z * b.s; }
double length(Planar a) { return std::hypot(a.s, a.z); }
Planar below(Planar direction) { return {direction.z, -direction.s}; }  // the normal on the lower side

// The outline may come this much nearer the path than the radius: the kernel's precision.
constexpr double kNearness = 1e-7;

double toSegment(Planar p, Planar a, Planar b) {
    const Planar d = b - a;
    const double t = std::clamp(dot(p - a, d) / dot(d, d), 0.0, 1.0);
    return length(p - (a + t * d));
}

bool segmentsCross(Planar a, Planar b, Planar c, Planar d) {
    const double d1 = cross(b - a, c - a), d2 = cross(b - a, d - a), d3 = cross(d - c, a - c), d4 = cross(d - c, b - c);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0));
}

double segmentToSegment(Planar a, Planar b, Planar c, Planar d) {
    if (segmentsCross(a, b, c, d)) return 0;
    return std::min({toSegment(a, c, d), toSegment(b, c, d), toSegment(c, a, b), toSegment(d, a, b)});
}

// The shorter arc of the circle about `centre` from direction `from` to direction `to`.
struct Arc {
    Planar centre, from, to;
    double radius;
    bool holds(Planar direction) const {
        const double turn = cross(from, to);
        return cross(from, direction) * turn >= 0 && cross(direction, to) * turn >= 0 && dot(direction, from + to) > 0;
    }
    Planar end(bool last) const { return centre + radius * (last ? to : from); }
};

double pointToArc(Planar p, const Arc& arc) {
    const Planar d = p - arc.centre;
    if (arc.holds(d)) return std::fabs(length(d) - arc.radius);
    return std::min(length(p - arc.end(false)), length(p - arc.end(true)));
}

double segmentToArc(Planar a, Planar b, const Arc& arc) {
    double nearest = std::min({pointToArc(a, arc), pointToArc(b, arc), toSegment(arc.end(false), a, b),
                               toSegment(arc.end(true), a, b)});
    const Planar d = b - a;
    const double t = dot(arc.centre - a, d) / dot(d, d);
    if (t > 0 && t < 1) {
        const Planar foot = a + t * d;
        const double reach = length(foot - arc.centre);
        if (reach >= arc.radius) {
            if (arc.holds(foot - arc.centre)) nearest = std::min(nearest, reach - arc.radius);
        } else {
            // Where the segment crosses the circle, if on the arc: they meet.
            const double half = std::sqrt(arc.radius * arc.radius - reach * reach) / length(d);
            for (const double u : {t - half, t + half})
                if (u >= 0 && u <= 1 && arc.holds(a + u * d - arc.centre)) nearest = 0;
        }
    }
    return nearest;
}

}  // namespace

std::optional<PassOutline> passOutline(const std::vector<Planar>& centres, double radius) {
    const std::size_t n = centres.size() < 2 ? 0 : centres.size() - 1;
    if (n == 0 || !(radius > 0)) return std::nullopt;
    PassOutline outline;
    std::vector<double> lengths;
    for (std::size_t i = 0; i < n; ++i) {
        const Planar step = centres[i + 1] - centres[i];
        if (!(step.s >= kPassStep)) return std::nullopt;
        lengths.push_back(length(step));
        outline.directions.push_back((1 / lengths.back()) * step);
    }
    outline.joints.assign(n + 1, Joint::Mitre);
    for (std::size_t i = 1; i < n; ++i) {
        const Planar a = outline.directions[i - 1], b = outline.directions[i];
        const double half = std::atan2(std::fabs(cross(a, b)), dot(a, b)) / 2;
        if (cross(a, b) > 0 && radius * (1 / std::cos(half) - 1) > kMitreSlack) outline.joints[i] = Joint::Sphere;
    }
    // Each move's offset, cut short at its mitres: how far along the move from its start and
    // from its end.
    auto trim = [&](std::size_t corner, std::size_t move) {
        if (corner == 0 || corner == n || outline.joints[corner] == Joint::Sphere) return 0.0;
        const Planar u = outline.directions[move], mitre = outline.directions[corner - 1] + outline.directions[corner];
        return -radius * dot(below(u), mitre) / dot(u, mitre);
    };
    struct Piece {
        Planar a, b;
    };
    std::vector<Piece> pieces;
    for (std::size_t i = 0; i < n; ++i) {
        const Planar u = outline.directions[i], offset = radius * below(u);
        const double from = trim(i, i), to = lengths[i] + trim(i + 1, i);
        if (!(to - from >= kPassStep)) return std::nullopt;
        pieces.push_back({centres[i] + offset + from * u, centres[i] + offset + to * u});
    }
    std::vector<Arc> arcs;
    for (std::size_t i = 1; i < n; ++i)
        if (outline.joints[i] == Joint::Sphere)
            arcs.push_back({centres[i], below(outline.directions[i - 1]), below(outline.directions[i]), radius});
    // No part of the outline nearer any move than the radius. Only moves that reach within two
    // radii along the plane can come so near; the moves go forward, so they are found in order.
    const double least = radius - kNearness;
    auto clearOfMoves = [&](double s0, double s1, auto&& distance) {
        const auto first = std::lower_bound(centres.begin(), centres.end(), s0 - 2 * radius,
                                            [](const Planar& c, double s) { return c.s < s; });
        for (std::size_t k = first == centres.begin() ? 0 : first - centres.begin() - 1; k < n; ++k) {
            if (centres[k].s > s1 + 2 * radius) break;
            if (distance(centres[k], centres[k + 1]) < least) return false;
        }
        return true;
    };
    for (const Piece& piece : pieces) {
        const auto distance = [&](Planar c, Planar d) { return segmentToSegment(piece.a, piece.b, c, d); };
        if (!clearOfMoves(std::min(piece.a.s, piece.b.s), std::max(piece.a.s, piece.b.s), distance)) return std::nullopt;
    }
    for (const Arc& arc : arcs) {
        const auto distance = [&](Planar c, Planar d) { return segmentToArc(c, d, arc); };
        if (!clearOfMoves(arc.centre.s - radius, arc.centre.s + radius, distance)) return std::nullopt;
    }
    return outline;
}

}  // namespace corvex::cadhost::occt
