#pragma once
// A session: calls of corvex4, one per line, each a JSON array of the member's name and then
// its arguments in the member's order:
//   ["StartAcad"]
//   ["MakeToolMill", [0, 0, 5], 6, 20, 0]
//   ["Name", "lathe-2"]        a property is written with one argument...
//   ["Name"]                   ...and read with none
// Blank lines and lines starting with # are skipped. The whole session is read and checked
// before any call runs: a line that is not such an array, a member the class does not have,
// or a call with the wrong number of arguments is bad input that names its line.
#include <istream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace corvex::runner {

struct SessionCall {
    int line = 0;
    std::string member;                   // as the class spells it
    std::vector<nlohmann::json> arguments;  // turned into Variants when the call runs
};

// `source` names the session in messages ("session.jsonl", "standard input").
std::vector<SessionCall> readSession(std::istream& input, const std::string& source);

// The session in `path`, or standard input for "-".
std::vector<SessionCall> readSessionFile(const std::string& path);

}  // namespace corvex::runner
