#pragma once
// Where a tool moved in a straight line meets material: the check of a rapid move, which cuts
// nothing and so must not pass through the part. The tool's core is sampled (its axis or
// centre, and a ring at nine tenths of its radius) every half radius along the move: touching
// a wall with its edge, as a finishing pass leaves it, is no collision.
#include <array>
#include <optional>
#include <string>

#include "cadhost/occt/model/embedded_host.hpp"

namespace corvex::cadhost::occt {

using Position = std::array<double, 3>;

struct MillShape {
    double radius = 0;
    double length = 0;
    double corner = 0;  // 0 flat, the radius a ball
};

// The box (x0, y0, z0, x1, y1, z1) of the solids of `group`; none when it has none. Queued
// cuts are made first.
std::optional<std::array<double, 6>> groupBounds(Drawing& drawing, const std::string& group);

// The first point of the solids of `group` that the tool's core passes through on the way from
// `from` to `to` (its tip's positions); none when it meets no material. Queued cuts are made
// first.
std::optional<Position> materialOnTheWay(Drawing& drawing, const std::string& group, const Position& from,
                                         const Position& to, const MillShape& tool);

// The same for a round lathe insert of `radius` whose centre moves from `from` to `to` in the
// drawing's XY plane, X along the bar's axis and Y the radius: its core is sampled at four
// turns of the bar, a quarter apart, so that material the bar turns into its way counts too.
std::optional<Position> materialOnTheTurnedWay(Drawing& drawing, const std::string& group, const Position& from,
                                               const Position& to, double radius);

}  // namespace corvex::cadhost::occt
