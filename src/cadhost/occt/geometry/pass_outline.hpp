#pragma once
// The lower outline of a ball's pass in the pass's own vertical plane (internal to
// ball_pass.cpp, plain geometry for its tests): the curve a radius below the ball centres'
// path, which the pipe about the path shows in every section along it. Where the path bends
// down, the offsets of the two moves cross, and each is cut short on the plane halfway between
// them (a mitre); where it bends up, they part, and the circle about the corner joins them.
#include <optional>
#include <vector>

namespace corvex::cadhost::occt {

// A point or a direction in a vertical plane: `s` along it, `z` up.
struct Planar {
    double s = 0;
    double z = 0;
};

enum class Joint { Mitre, Sphere };

struct PassOutline {
    std::vector<Planar> directions;  // of each move, of length 1
    std::vector<Joint> joints;       // at each corner between two moves (the ends' are Mitre and unused)
};

// Each move goes forward along the plane by at least this.
inline constexpr double kPassStep = 1e-6;
// How far the mitre of two moves that bend up by a hair may stand out of the circle about their
// corner: where it stands out less than the kernel's precision, the corner is a mitre too and
// no sliver of sphere is made.
inline constexpr double kMitreSlack = 1e-7;

// The outline of the ball of `radius` along the centres, or none when it is no pass: a move
// that does not go forward, or an outline that comes nearer to the path than the radius
// anywhere (a bend down too sharp for the ball), where the ball's sweep has other faces.
std::optional<PassOutline> passOutline(const std::vector<Planar>& centres, double radius);

}  // namespace corvex::cadhost::occt
