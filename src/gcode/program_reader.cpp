#include "gcode/program_reader.hpp"

#include <cctype>
#include <charconv>
#include <cmath>

namespace corvex::gcode {
namespace {

constexpr std::string_view kLetters = "ABCDFGHIJKLMNPQRSTXYZ";

// The line without its comments: `( ... )` anywhere, `;` to the end.
std::string withoutComments(const std::string& text, int line) {
    std::string kept;
    bool inComment = false;
    for (char c : text) {
        if (inComment) {
            if (c == '(') throw ProgramError(line, "a comment may not hold another '('");
            if (c == ')') inComment = false;
            continue;
        }
        if (c == '(') inComment = true;
        else if (c == ';') break;
        else kept += c;
    }
    if (inComment) throw ProgramError(line, "a comment is not closed with ')'");
    return kept;
}

// A character as a message can show it: a byte that prints nothing, or stops the message
// where it stands (a NUL), is named by its value.
std::string shown(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isprint(byte)) return std::string("'") + c + "'";
    static const char kHex[] = "0123456789ABCDEF";
    return std::string("the byte 0x") + kHex[byte >> 4] + kHex[byte & 15] + (byte == 0 ? " (NUL)" : "");
}

}  // namespace

ProgramError::ProgramError(int line, const std::string& what)
    : std::runtime_error("program line " + std::to_string(line) + ": " + what), line_(line) {}

std::vector<Block> readProgram(std::istream& input) {
    std::vector<Block> blocks;
    std::string text;
    for (int line = 1; std::getline(input, text); ++line) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        std::string code;
        for (char c : withoutComments(text, line))
            if (!std::isspace(static_cast<unsigned char>(c))) code += static_cast<char>(std::toupper(c));
        if (code.empty() || code == "%") continue;
        if (code.front() == '/') continue;
        // A program number on a line of its own before the first block ("O1001", as the
        // common posts write it) names the program; any other O word is a subroutine's.
        if (blocks.empty() && code.size() > 1 && code.front() == 'O' &&
            code.find_first_not_of("0123456789", 1) == std::string::npos)
            continue;
        Block block{line, {}};
        for (std::size_t at = 0; at < code.size();) {
            const char letter = code[at];
            if (letter == '#') throw ProgramError(line, "parameters (#) are not supported");
            if (letter == '[') throw ProgramError(line, "expressions ([ ]) are not supported");
            if (letter == 'O') throw ProgramError(line, "subroutines and labels (O words) are not supported");
            if (kLetters.find(letter) == std::string_view::npos)
                throw ProgramError(line, shown(letter) + " is not a word this front end knows");
            std::size_t end = ++at;
            if (end < code.size() && (code[end] == '+' || code[end] == '-')) ++end;
            while (end < code.size() && (std::isdigit(static_cast<unsigned char>(code[end])) || code[end] == '.')) ++end;
            const std::string number = code.substr(at, end - at);
            if (number.find('#') != std::string::npos || (end < code.size() && code[end] == '['))
                throw ProgramError(line, "parameters and expressions are not supported");
            double value = 0;
            const char* first = number.data() + (!number.empty() && number.front() == '+');
            const auto [stop, error] = std::from_chars(first, number.data() + number.size(), value);
            if (number.empty() || error != std::errc() || stop != number.data() + number.size() || !std::isfinite(value))
                throw ProgramError(line, std::string("the word ") + letter + " needs a number");
            at = end;
            if (letter != 'N') block.words.push_back({letter, value});
        }
        if (!block.words.empty()) blocks.push_back(std::move(block));
    }
    return blocks;
}

}  // namespace corvex::gcode
