#pragma once
// What an NC program does, once its modes, units and offsets are applied: tool changes and
// moves of the tool's tip in the machine's millimetres, each with the program line it came from.
#include <array>
#include <vector>

namespace corvex::gcode {

using Point = std::array<double, 3>;  // x, y, z

// Positions and lengths closer than this are the same.
inline constexpr double kSame = 1e-9;
// The client's degrees-to-radians factor: ToolMillArc and LatheArc turn their angles by it, so
// an angle is given as the radians wanted divided by it, and the arcs end where lines meet them.
inline constexpr double kClientDegree = 0.017453293;

enum class MotionKind { Rapid, Feed, Arc, ToolChange, Turn };

struct Motion {
    int line = 0;
    MotionKind kind = MotionKind::Rapid;
    Point from{}, to{};
    // An arc turns about `centre` (its coordinate along the plane's normal is from's) in the
    // plane whose normal is axis `normal` (2: G17, 1: G18, 0: G19); clockwise as seen from the
    // normal's positive side; a full turn when from and to meet in the plane. A change of the
    // normal coordinate makes it a helix.
    Point centre{};
    int normal = 2;
    bool clockwise = false;
    int tool = 0;  // ToolChange: the tool now in the spindle
    // Turn: the rotary table indexes by `degrees` about axis 1 (A), 2 (B) or 3 (C).
    int axis = 0;
    double degrees = 0;
};

}  // namespace corvex::gcode
