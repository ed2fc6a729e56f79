#include "gcode/tool_table.hpp"

#include <cmath>
#include <optional>
#include <sstream>
#include <vector>

#include <nlohmann/json.hpp>

namespace corvex::gcode {
namespace {

double numberAfter(const std::string& word, const std::string& where) {
    try {
        std::size_t used = 0;
        const double value = std::stod(word.substr(1), &used);
        if (used == word.size() - 1 && std::isfinite(value)) return value;
    } catch (const std::exception&) {
    }
    throw ToolTableError(where + ": '" + word + "' needs a number");
}

ToolTable fromText(std::istream& input, const std::string& source) {
    ToolTable table;
    std::string text;
    for (int line = 1; std::getline(input, text); ++line) {
        const std::string where = source + " line " + std::to_string(line);
        std::istringstream words(text.substr(0, text.find(';')));
        std::optional<int> number;
        Tool tool;
        for (std::string word; words >> word;) {
            const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
            const double value = numberAfter(word, where);
            if (letter == 'T') {
                if (!(value >= 0 && value <= 99999) || value != std::floor(value))
                    throw ToolTableError(where + ": a tool number must be a whole number from 0 to 99999");
                number = static_cast<int>(value);
            }
            else if (letter == 'D') tool.diameter = value;
            else if (letter == 'Z') tool.length = std::fabs(value);
            // The pocket, the orientation and the other offsets do not change the cut.
        }
        if (!number) {
            if (words.str().find_first_not_of(" \t\r") != std::string::npos)
                throw ToolTableError(where + ": a tool needs its T number");
            continue;
        }
        checkTool(tool, where + ": tool " + std::to_string(*number));
        if (!table.emplace(*number, tool).second)
            throw ToolTableError(where + ": tool " + std::to_string(*number) +
                                 " is defined twice (a table gives each number one tool)");
    }
    return table;
}

ToolTable fromJson(std::istream& input, const std::string& source) {
    ToolTable table;
    try {
        const auto document = nlohmann::json::parse(input);
        for (const auto& entry : document.at("tools")) {
            const auto& given = entry.at("number");
            if (!given.is_number_integer() || given.get<long long>() < 0 || given.get<long long>() > 99999)
                throw ToolTableError(source + ": a tool number must be a whole number from 0 to 99999");
            const int number = given.get<int>();
            Tool tool{entry.at("diameter").get<double>(), entry.at("length").get<double>(),
                      entry.value("corner", 0.0)};
            checkTool(tool, source + ": tool " + std::to_string(number));
            if (!table.emplace(number, tool).second)
                throw ToolTableError(source + ": tool " + std::to_string(number) +
                                     " is defined twice (a table gives each number one tool)");
        }
    } catch (const nlohmann::json::exception& error) {
        throw ToolTableError(source + ": " + error.what());
    }
    return table;
}

}  // namespace

void checkTool(const Tool& tool, const std::string& what) {
    if (!(tool.diameter > 0) || !(tool.length > 0) || !(tool.diameter < 1e6) || !(tool.length < 1e6))
        throw ToolTableError(what + " needs a diameter and a length above 0");
    if (!(tool.corner >= 0) || tool.corner > tool.diameter / 2)
        throw ToolTableError(what + ": its corner radius must lie between 0 and half its diameter");
}

ToolTable readToolTable(std::istream& input, const std::string& source) {
    input >> std::ws;
    if (input.peek() == '{') return fromJson(input, source);
    return fromText(input, source);
}

Tool toolFromText(const std::string& text) {
    std::vector<double> values;
    std::istringstream parts(text);
    for (std::string part; std::getline(parts, part, ',');) {
        try {
            std::size_t used = 0;
            values.push_back(std::stod(part, &used));
            if (used != part.size()) throw std::invalid_argument(part);
        } catch (const std::exception&) {
            throw ToolTableError("--tool " + text + ": '" + part + "' is not a number");
        }
    }
    if (values.size() < 2 || values.size() > 3) throw ToolTableError("--tool takes DIA,LENGTH[,CORNER]");
    Tool tool{values[0], values[1], values.size() == 3 ? values[2] : 0};
    checkTool(tool, "--tool " + text);
    return tool;
}

}  // namespace corvex::gcode
