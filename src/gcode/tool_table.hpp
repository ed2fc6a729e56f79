#pragma once
// The cutters an NC program calls by number. Two forms of table: the text the common
// open-source controllers keep (`T1 P1 D6.0 Z30 ;comment`: D the diameter, Z the length) and
// JSON, which can also give a corner radius:
//   {"tools": [{"number": 1, "diameter": 6, "length": 30, "corner": 0}]}
// A corner of 0 is a flat end mill, of half the diameter a ball, between a bull-nose.
#include <istream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

namespace corvex::gcode {

struct Tool {
    double diameter = 0;
    double length = 0;
    double corner = 0;
    bool flat() const { return corner <= 0; }
};

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

// One tool from "DIA,LENGTH[,CORNER]", as given on the command line.
Tool toolFromText(const std::string& text);

// ToolTableError unless the tool can be made: a diameter and a length above 0, a corner from 0
// to half the diameter.
void checkTool(const Tool& tool, const std::string& what);

}  // namespace corvex::gcode
