#pragma once
// The cutters an NC program calls by number, with their shape: a flat end mill, a ball, a
// bull-nose (a corner radius) or a V-bit, an engraver (its included angle in degrees and the
// diameter of its tip, 0 for a pointed one). Two forms of table, which name a shape with the
// same keys:
//
// JSON, each tool an object:
//   {"tools": [{"number": 1, "diameter": 6, "length": 30, "shape": "bull-nose", "corner": 1},
//              {"number": 2, "diameter": 6, "length": 30, "shape": "v-bit", "angle": 60, "tip": 0.2}]}
// "shape" is "flat", "ball", "bull-nose" or "v-bit". Without it the other keys decide: an
// "angle" makes a V-bit, else the "corner" does (0, the default, a flat end mill; half the
// diameter a ball; between a bull-nose). A ball named by its shape alone has half its diameter
// as its corner. "comment" is free text; any other key is refused, since a misspelt "corner"
// would quietly leave a flat end mill.
//
// Text, as the common open-source controllers keep it: `T1 P1 D6.0 Z30 ;comment`, D the
// diameter, Z the length. Words KEY=VALUE in the comment give the shape, with the JSON's keys
// and values (case aside; spaces may stand around the '='):
//   T2 P2 D6 Z30 ;shape=ball
//   T3 P3 D10 Z40 ;10 mm bull-nose corner=1.5
//   T4 P4 D6 Z30 ;engraver shape=v-bit angle=60 tip=0.2
// Every other word of a comment is free text, so a comment without these keys ("6 mm ball
// mill" included) is a flat end mill, as the controllers' own tables mean.
#include <istream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

namespace corvex::gcode {

struct Tool {
    enum class Shape { Flat, Ball, BullNose, VBit };
    double diameter = 0;
    double length = 0;
    double corner = 0;  // the corner radius: 0 flat, half the diameter a ball, between a bull-nose
    double angle = 0;   // a V-bit's included angle in degrees; 0 for every other shape
    double tip = 0;     // a V-bit's tip diameter; 0 a pointed tip
    Shape shape() const {
        if (angle > 0) return Shape::VBit;
        if (corner <= 0) return Shape::Flat;
        return corner >= diameter / 2 ? Shape::Ball : Shape::BullNose;
    }
    bool flat() const { return shape() == Shape::Flat; }
    bool ball() const { return shape() == Shape::Ball; }
};

// "a flat end mill", "a ball cutter", "a bull-nose cutter (corner 1.5)", "a V-bit (60 degrees,
// tip 0.2)": the tool as a message names it.
std::string describe(const Tool& tool);

// A table that cannot be used: says where and what.
class ToolTableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using ToolTable = std::map<int, Tool>;

// The tools a program runs with: a table, or one tool that every number stands for.
struct ToolSet {
    ToolTable table;
    std::optional<Tool> everyNumber;
    const Tool* find(int number) const {
        if (everyNumber) return &*everyNumber;
        const auto found = table.find(number);
        return found == table.end() ? nullptr : &found->second;
    }
};

// `source` names the table in messages. JSON when the text starts with '{'.
ToolTable readToolTable(std::istream& input, const std::string& source);

// One tool from "DIA,LENGTH[,CORNER]", or a V-bit from "DIA,LENGTH,vANGLE[,TIP]"
// ("6,30,v60": pointed, 60 degrees), as given on the command line.
Tool toolFromText(const std::string& text);

// ToolTableError unless the tool can be made: a diameter and a length above 0, a corner from 0
// to half the diameter; a V-bit's angle strictly between 0 and 180 degrees, its tip from 0 to
// below its diameter, no corner; no tip on any other shape.
void checkTool(const Tool& tool, const std::string& what);

}  // namespace corvex::gcode
