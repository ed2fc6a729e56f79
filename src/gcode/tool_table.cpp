#include "gcode/tool_table.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <sstream>
#include <vector>

#include <nlohmann/json.hpp>

namespace corvex::gcode {
namespace {

const std::string kAngleRange = ": a V-bit's included angle must lie strictly between 0 and 180 degrees";

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string shown(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

// `digits` as a finite number; otherwise "WHERE: 'WORD' needs a number".
double numberIn(const std::string& digits, const std::string& word, const std::string& where) {
    try {
        std::size_t used = 0;
        const double value = std::stod(digits, &used);
        if (used == digits.size() && std::isfinite(value)) return value;
    } catch (const std::exception&) {
    }
    throw ToolTableError(where + ": '" + word + "' needs a number");
}

// What a table's entry says of the tool's shape, before it is settled against its diameter.
struct ShapeGiven {
    std::optional<std::string> shape;
    std::optional<double> corner, angle, tip;
};

// The tool an entry gives, or ToolTableError when its keys contradict each other.
Tool shaped(double diameter, double length, const ShapeGiven& given, const std::string& where) {
    checkTool(Tool{diameter, length}, where);  // the size first: the shape's checks halve the diameter
    Tool tool{diameter, length, given.corner.value_or(0), given.angle.value_or(0), given.tip.value_or(0)};
    if (given.shape) {
        const std::string name = lower(*given.shape), named = where + ": shape \"" + *given.shape + "\"";
        const bool known = name == "flat" || name == "ball" || name == "bull-nose" || name == "v-bit";
        if (!known) throw ToolTableError(where + ": unknown shape \"" + *given.shape + "\" (flat, ball, bull-nose or v-bit)");
        if (name != "v-bit" && (given.angle || given.tip))
            throw ToolTableError(named + " takes no angle or tip (only a v-bit has them)");
        if (name == "flat" && tool.corner != 0)
            throw ToolTableError(named + " has no corner radius (a corner makes a ball or a bull-nose)");
        if (name == "ball") {
            if (!given.corner) tool.corner = diameter / 2;
            else if (tool.corner != diameter / 2)
                throw ToolTableError(named + " has half its diameter, " + shown(diameter / 2) +
                                     ", as its corner radius, not " + shown(tool.corner));
        }
        if (name == "bull-nose" && !(tool.corner > 0 && tool.corner < diameter / 2))
            throw ToolTableError(named + " needs a corner radius above 0 and below half its diameter (half is a ball)");
        if (name == "v-bit" && !given.angle)
            throw ToolTableError(named + " needs its included angle (angle, in degrees)");
    }
    if (given.angle && !(*given.angle > 0)) throw ToolTableError(where + kAngleRange);
    checkTool(tool, where);
    return tool;
}

// The shape's KEY=VALUE words in a text table's comment; every other word is free text.
ShapeGiven shapeInComment(const std::string& comment, const std::string& where) {
    // "corner = 1.5" and "(corner=1.5)" are the word corner=1.5.
    std::string joined;
    for (std::size_t i = 0; i < comment.size(); ++i) {
        const char c = comment[i];
        if (c == '=') {
            while (!joined.empty() && std::isspace(static_cast<unsigned char>(joined.back()))) joined.pop_back();
            while (i + 1 < comment.size() && std::isspace(static_cast<unsigned char>(comment[i + 1]))) ++i;
        }
        joined += c == '(' || c == ')' ? ' ' : c;
    }
    ShapeGiven given;
    std::istringstream words(joined);
    for (std::string word; words >> word;) {
        const auto equals = word.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = lower(word.substr(0, equals)), value = word.substr(equals + 1);
        auto once = [&](auto& slot, auto taken) {
            if (slot) throw ToolTableError(where + ": '" + key + "' is given twice in the comment");
            slot = taken;
        };
        if (key == "shape") once(given.shape, value);
        else if (key == "corner") once(given.corner, numberIn(value, word, where));
        else if (key == "angle") once(given.angle, numberIn(value, word, where));
        else if (key == "tip") once(given.tip, numberIn(value, word, where));
    }
    return given;
}

ToolTable fromText(std::istream& input, const std::string& source) {
    ToolTable table;
    std::string text;
    for (int line = 1; std::getline(input, text); ++line) {
        const std::string where = source + " line " + std::to_string(line);
        const auto semicolon = text.find(';');
        std::istringstream words(text.substr(0, semicolon));
        std::optional<int> number;
        double diameter = 0, length = 0;
        for (std::string word; words >> word;) {
            const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
            const double value = numberIn(word.substr(1), word, where);
            if (letter == 'T') {
                if (!(value >= 0 && value <= 99999) || value != std::floor(value))
                    throw ToolTableError(where + ": a tool number must be a whole number from 0 to 99999");
                number = static_cast<int>(value);
            }
            else if (letter == 'D') diameter = value;
            else if (letter == 'Z') length = std::fabs(value);
            // The pocket, the orientation and the other offsets do not change the cut.
        }
        if (!number) {
            if (words.str().find_first_not_of(" \t\r") != std::string::npos)
                throw ToolTableError(where + ": a tool needs its T number");
            continue;
        }
        const std::string tool = where + ": tool " + std::to_string(*number);
        const std::string comment = semicolon == std::string::npos ? "" : text.substr(semicolon + 1);
        if (!table.emplace(*number, shaped(diameter, length, shapeInComment(comment, tool), tool)).second)
            throw ToolTableError(tool + " is defined twice (a table gives each number one tool)");
    }
    return table;
}

std::optional<double> numberAt(const nlohmann::json& entry, const char* key, const std::string& where) {
    const auto found = entry.find(key);
    if (found == entry.end()) return std::nullopt;
    if (!found->is_number()) throw ToolTableError(where + ": \"" + key + "\" must be a number");
    return found->get<double>();
}

ToolTable fromJson(std::istream& input, const std::string& source) {
    static const char* const keys[] = {"number", "diameter", "length", "shape", "corner", "angle", "tip", "comment"};
    ToolTable table;
    try {
        const auto document = nlohmann::json::parse(input);
        for (const auto& entry : document.at("tools")) {
            const auto& given = entry.at("number");
            if (!given.is_number_integer() || given.get<long long>() < 0 || given.get<long long>() > 99999)
                throw ToolTableError(source + ": a tool number must be a whole number from 0 to 99999");
            const int number = given.get<int>();
            const std::string where = source + ": tool " + std::to_string(number);
            for (const auto& item : entry.items())
                if (std::find(std::begin(keys), std::end(keys), item.key()) == std::end(keys))
                    throw ToolTableError(where + ": unknown key \"" + item.key() +
                                         "\" (a tool takes number, diameter, length, shape, corner, angle, tip and comment)");
            const auto diameter = numberAt(entry, "diameter", where), length = numberAt(entry, "length", where);
            if (!diameter || !length) throw ToolTableError(where + " needs a diameter and a length above 0");
            ShapeGiven shape{std::nullopt, numberAt(entry, "corner", where), numberAt(entry, "angle", where),
                             numberAt(entry, "tip", where)};
            if (const auto named = entry.find("shape"); named != entry.end()) {
                if (!named->is_string()) throw ToolTableError(where + ": \"shape\" must be a string (flat, ball, bull-nose or v-bit)");
                shape.shape = named->get<std::string>();
            }
            if (!table.emplace(number, shaped(*diameter, *length, shape, where)).second)
                throw ToolTableError(where + " is defined twice (a table gives each number one tool)");
        }
    } catch (const nlohmann::json::exception& error) {
        throw ToolTableError(source + ": " + error.what());
    }
    return table;
}

}  // namespace

std::string describe(const Tool& tool) {
    switch (tool.shape()) {
        case Tool::Shape::Flat: return "a flat end mill";
        case Tool::Shape::Ball: return "a ball cutter";
        case Tool::Shape::BullNose: return "a bull-nose cutter (corner " + shown(tool.corner) + ")";
        case Tool::Shape::VBit:
            return "a V-bit (" + shown(tool.angle) + " degrees, " + (tool.tip > 0 ? "tip " + shown(tool.tip) : "pointed") + ")";
    }
    return "a tool";
}

void checkTool(const Tool& tool, const std::string& what) {
    if (!(tool.diameter > 0) || !(tool.length > 0) || !(tool.diameter < 1e6) || !(tool.length < 1e6))
        throw ToolTableError(what + " needs a diameter and a length above 0");
    if (tool.angle != 0 && !(tool.angle > 0 && tool.angle < 180)) throw ToolTableError(what + kAngleRange);
    if (tool.shape() == Tool::Shape::VBit) {
        if (tool.corner != 0)
            throw ToolTableError(what + ": a V-bit has no corner radius (its tip is a point, or flat across its tip diameter)");
        if (!(tool.tip >= 0 && tool.tip < tool.diameter))
            throw ToolTableError(what + ": a V-bit's tip diameter must lie from 0 (pointed) to below its diameter");
        return;
    }
    if (tool.tip != 0) throw ToolTableError(what + ": a tip diameter belongs to a V-bit, which needs its included angle");
    if (!(tool.corner >= 0) || tool.corner > tool.diameter / 2)
        throw ToolTableError(what + ": its corner radius must lie between 0 and half its diameter");
}

ToolTable readToolTable(std::istream& input, const std::string& source) {
    input >> std::ws;
    if (input.peek() == '{') return fromJson(input, source);
    return fromText(input, source);
}

Tool toolFromText(const std::string& text) {
    const std::string where = "--tool " + text;
    std::vector<std::string> parts;
    std::istringstream split(text);
    for (std::string part; std::getline(split, part, ',');) parts.push_back(part);
    const bool vBit = parts.size() >= 3 && !parts[2].empty() && std::tolower(static_cast<unsigned char>(parts[2][0])) == 'v';
    if (parts.size() < 2 || parts.size() > (vBit ? 4u : 3u))
        throw ToolTableError("--tool takes DIA,LENGTH[,CORNER], or DIA,LENGTH,vANGLE[,TIP] for a V-bit");
    auto number = [&](const std::string& part, std::size_t from = 0) {
        try {
            std::size_t used = 0;
            const double value = std::stod(part.substr(from), &used);
            if (used == part.size() - from) return value;
        } catch (const std::exception&) {
        }
        throw ToolTableError(where + ": '" + part + "' is not a number");
    };
    Tool tool{number(parts[0]), number(parts[1])};
    if (vBit) {
        tool.angle = number(parts[2], 1);
        if (!(tool.angle > 0)) throw ToolTableError(where + kAngleRange);
        if (parts.size() == 4) tool.tip = number(parts[3]);
    } else if (parts.size() == 3) {
        tool.corner = number(parts[2]);
    }
    checkTool(tool, where);
    return tool;
}

}  // namespace corvex::gcode
