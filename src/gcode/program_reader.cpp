#include "gcode/program_reader.hpp"

#include <array>
#include <cctype>
#include <utility>

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

// The keywords of O-word lines; a longer one before the shorter it begins with.
constexpr std::array<std::pair<std::string_view, Flow>, 15> kKeywords{{
    {"ENDSUB", Flow::EndSub}, {"SUB", Flow::Sub}, {"CALL", Flow::Call}, {"RETURN", Flow::Return},
    {"ELSEIF", Flow::ElseIf}, {"ELSE", Flow::Else}, {"ENDIF", Flow::EndIf}, {"IF", Flow::If},
    {"ENDWHILE", Flow::EndWhile}, {"WHILE", Flow::While}, {"DO", Flow::Do}, {"ENDREPEAT", Flow::EndRepeat},
    {"REPEAT", Flow::Repeat}, {"BREAK", Flow::Break}, {"CONTINUE", Flow::Continue},
}};

// An O-word line from its 'O': the label, the keyword, and the bracketed values after it.
void readFlow(const std::string& code, std::size_t at, Statement& statement) {
    const int line = statement.line;
    ++at;
    if (at < code.size() && code[at] == '<') {
        const std::size_t close = code.find('>', at);
        if (close == std::string::npos || close == at + 1) throw ProgramError(line, "an O word's name needs <name>");
        for (char c : code.substr(at + 1, close - at - 1))
            statement.label += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        at = close + 1;
    } else {
        const std::size_t start = at;
        while (at < code.size() && std::isdigit(static_cast<unsigned char>(code[at]))) ++at;
        if (at == start) throw ProgramError(line, "an O word needs a number or a <name>");
        statement.label = code.substr(start, at - start);
        // O0100 and O100 are one label.
        statement.label.erase(0, std::min(statement.label.find_first_not_of('0'), statement.label.size() - 1));
    }
    for (const auto& [keyword, flow] : kKeywords)
        if (code.compare(at, keyword.size(), keyword) == 0) {
            statement.flow = flow;
            at += keyword.size();
            break;
        }
    if (statement.flow == Flow::None)
        throw ProgramError(line, shownLabel(statement.label) +
                                     " needs what it does: sub, endsub, call, return, if, elseif, else, endif, while,"
                                     " endwhile, do, repeat, endrepeat, break or continue");
    while (at < code.size()) {
        if (code[at] != '[')
            throw ProgramError(line, "after " + shownLabel(statement.label) + " only values in brackets may follow, not " +
                                         shown(code[at]));
        try {
            statement.values.push_back(readValue(code, at));
        } catch (const ExpressionError& error) {
            throw ProgramError(line, error.what);
        }
    }
    const Flow flow = statement.flow;
    const std::size_t count = statement.values.size();
    const bool takesOne = flow == Flow::If || flow == Flow::ElseIf || flow == Flow::While || flow == Flow::Repeat;
    const bool takesOneAtMost = flow == Flow::Return || flow == Flow::EndSub;
    if (takesOne && count != 1) throw ProgramError(line, shownLabel(statement.label) + " needs one value in brackets");
    if (takesOneAtMost && count > 1) throw ProgramError(line, shownLabel(statement.label) + " returns one value at most");
    if (flow == Flow::Call && count > 30) throw ProgramError(line, "a call passes 30 values at most (#1 to #30)");
    if (!takesOne && !takesOneAtMost && flow != Flow::Call && count > 0)
        throw ProgramError(line, shownLabel(statement.label) + " takes no values");
}

// One line's words, settings or O word, from its code (upper case, no spaces or comments).
Statement readStatement(const std::string& code, int line) {
    Statement statement;
    statement.line = line;
    std::size_t at = 0;
    try {
        while (at < code.size()) {
            const char letter = code[at];
            if (letter == 'O') {
                if (!statement.words.empty() || !statement.settings.empty())
                    throw ProgramError(line, "an O word stands alone on its line (after an N word at most)");
                readFlow(code, at, statement);
                break;
            }
            if (letter == '#') {
                Statement::Setting setting;
                setting.parameter = readParameter(code, ++at);
                if (at >= code.size() || code[at] != '=')
                    throw ProgramError(line, "a parameter on its own is not a word: set it with #...=value");
                setting.value = readValue(code, ++at);
                statement.settings.push_back(std::move(setting));
                continue;
            }
            if (kLetters.find(letter) == std::string_view::npos)
                throw ProgramError(line, shown(letter) + " is not a word this front end knows");
            ++at;
            Expression value;
            try {
                value = readValue(code, at);
            } catch (const ExpressionError& error) {
                throw ProgramError(line, std::string("the word ") + letter + " needs a number: " + error.what);
            }
            if (letter != 'N') statement.words.push_back({letter, std::move(value)});
        }
    } catch (const ExpressionError& error) {
        throw ProgramError(line, error.what + (at < code.size() ? " (near " + shown(code[at]) + ")" : ""));
    }
    return statement;
}

}  // namespace

ProgramError::ProgramError(int line, const std::string& what)
    : std::runtime_error("program line " + std::to_string(line) + ": " + what), line_(line), reason_(what) {}

std::string shownLabel(const std::string& label) {
    return !label.empty() && std::isdigit(static_cast<unsigned char>(label[0])) ? "o" + label : "o<" + label + ">";
}

std::vector<Statement> readProgram(std::istream& input, Refusals* refusals) {
    std::vector<Statement> statements;
    std::string text;
    for (int line = 1; std::getline(input, text); ++line) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        try {
            std::string code;
            for (char c : withoutComments(text, line))
                if (!std::isspace(static_cast<unsigned char>(c))) code += static_cast<char>(std::toupper(c));
            if (code.empty() || code == "%" || code.front() == '/') continue;
            // A program number on a line of its own before the first block ("O1001", as the
            // common posts write it) names the program; any other O word gives the program its flow.
            if (statements.empty() && code.size() > 1 && code.front() == 'O' &&
                code.find_first_not_of("0123456789", 1) == std::string::npos)
                continue;
            Statement statement = readStatement(code, line);
            if (!statement.words.empty() || !statement.settings.empty() || statement.flow != Flow::None)
                statements.push_back(std::move(statement));
        } catch (const ProgramError& error) {
            if (!refusals) throw;
            refusals->push_back(error);
        }
    }
    return statements;
}

}  // namespace corvex::gcode
