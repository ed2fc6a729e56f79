#pragma once
// Numbers as a client reads and writes them: the shortest text that reads back exactly.
#include <optional>
#include <string>
#include <string_view>

namespace corvex::automation {

// 1 -> "1", -3 -> "-3", 2.5 -> "2.5", 1e20 -> "1E+20".
std::string shortestText(double value);

// The number a text spells (surrounding blanks allowed), or nothing when it is not one.
std::optional<double> parseNumber(std::string_view text);

}  // namespace corvex::automation
