#include "cadhost/occt/model/colour.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <regex>

namespace corvex::cadhost::occt {
namespace {

std::string trimmedUpper(const std::string& text) {
    auto begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    auto end = text.find_last_not_of(" \t");
    std::string result = text.substr(begin, end - begin + 1);
    for (auto& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

bool inByteRange(const std::string& digits) { return digits.size() <= 3 && std::stoi(digits) <= 255; }

}  // namespace

std::optional<std::string> normalColour(const std::string& text) {
    std::string upper = trimmedUpper(text);
    static const std::array<const char*, 9> words = {"BYLAYER", "BYBLOCK", "RED",  "YELLOW", "GREEN",
                                                     "CYAN",    "BLUE",    "MAGENTA", "WHITE"};
    if (std::find(words.begin(), words.end(), upper) != words.end()) return upper;
    static const std::regex number("[0-9]{1,3}");
    if (std::regex_match(upper, number)) {
        int value = std::stoi(upper);
        if (value <= 256) return std::to_string(value);
        return std::nullopt;
    }
    static const std::regex rgb("RGB: *([0-9]{1,3}) *, *([0-9]{1,3}) *, *([0-9]{1,3})");
    std::smatch parts;
    if (std::regex_match(upper, parts, rgb) && inByteRange(parts[1]) && inByteRange(parts[2]) &&
        inByteRange(parts[3]))
        return "RGB:" + std::to_string(std::stoi(parts[1])) + "," + std::to_string(std::stoi(parts[2])) +
               "," + std::to_string(std::stoi(parts[3]));
    return std::nullopt;
}

}  // namespace corvex::cadhost::occt
