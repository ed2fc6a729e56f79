#pragma once
// The model's working range, shared by the members (which refuse arguments outside it before
// any host call) and the host (which refuses what reaches it all the same).
//
// The geometry kernel takes points closer than 1e-7 mm as one (its confusion tolerance); a
// double holds about 16 digits, so beyond 1e6 mm a coordinate keeps fewer than three digits
// below that tolerance, and the kernel's own arithmetic (intersections, the writer's and
// reader's checks) has been seen to fail, crash or spin there. Every number lies within
// +-1e6, and every length is longer than 1e-7.
namespace corvex::cadhost {

inline constexpr double kWorkingRange = 1e6;
inline constexpr double kShortestLength = 1e-7;

// How far the shapes made from numbers within the range may reach: a tool placed at 1e6 has a
// radius beyond it, a bar may be 2e6 long. Nothing the host makes from such numbers reaches
// 1e7, and the kernel was seen to fail only from about 1e12. A drawing's points are read
// within this bound, so that every drawing corvex writes it also reads.
inline constexpr double kFarthestReach = 1e7;

}  // namespace corvex::cadhost
