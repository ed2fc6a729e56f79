#pragma once
// The calls a client makes to turn with a round insert. The lathe's drawing lies in XY: X along
// the spindle (the program's Z), Y the radius (the program's X). The programmed point is the
// insert's centre, so a move sweeps the band its circle covers: a LatheLine with the band's
// four corners (the member then turns the insert itself at the end point), or a LatheArc with
// the ring between the arc's radius less and more the insert's, and a LatheInsert for the end.
#include <optional>

#include <nlohmann/json.hpp>

#include "gcode/motions.hpp"

namespace corvex::gcode {

// The round insert of `radius`, as MakeToolLathe takes it.
nlohmann::json latheTool(double radius);
// MoveTool to `to` (the program's machine coordinates).
nlohmann::json latheMove(const Point& to);
// Where the program's point `p` lies in the lathe's drawing.
Point onLatheDrawing(const Point& p);
// A straight turned move.
nlohmann::json latheLine(const Point& from, const Point& to, double radius);
// An arc in G18 wider than the insert, and the insert turned at its end; none for an arc the
// ring cannot express (a helix, a full turn, or one no wider than the insert), which is cut
// in chords instead.
std::optional<std::pair<nlohmann::json, nlohmann::json>> latheArc(const Motion& arc, double radius);

}  // namespace corvex::gcode
