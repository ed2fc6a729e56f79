#pragma once
// An NC program read into statements, as RS-274/NGC writes them: words (a letter and a value),
// parameter settings (`#1=5`, `#<depth>=[#1*2]`), and O-word lines that give the program its
// flow (`o100 sub`, `o<peck> call [1] [2]`, `if`, `while`, `do`, `repeat`, ...); `( )` and `;`
// comments, `N` block numbers, `%` program markers, `/` block delete, lower case and spaces
// anywhere, and a leading program number (`O1001` alone on its line). Values stay expressions
// here: they are worked out each time their line runs (program_flow.hpp). What cannot be read is
// refused with its line before anything runs.
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

#include "gcode/expression.hpp"

namespace corvex::gcode {

// A program that cannot be run as written: says "program line N: what".
class ProgramError : public std::runtime_error {
public:
    ProgramError(int line, const std::string& what);
    int line() const { return line_; }
    const std::string& reason() const { return reason_; }  // what, without the line

private:
    int line_;
    std::string reason_;
};

struct Word {
    char letter;  // upper case
    double value;
};

// A block of words with their values, as the machine runs it.
struct Block {
    int line = 0;  // in the program file, from 1
    std::vector<Word> words;
};

enum class Flow { None, Sub, EndSub, Call, Return, If, ElseIf, Else, EndIf, While, EndWhile, Do, Repeat, EndRepeat,
                  Break, Continue };

struct Statement {
    struct WordValue {
        char letter;
        Expression value;
    };
    struct Setting {
        Expression parameter;  // Numbered or Named
        Expression value;
    };
    int line = 0;
    std::vector<WordValue> words;
    std::vector<Setting> settings;
    // An O-word line: what it does, its label ("100", or a name in lower case), and its
    // bracketed values: a call's arguments, a condition, a count, a returned value.
    Flow flow = Flow::None;
    std::string label;
    std::vector<Expression> values;
};

// What a check of a program found that cannot run, each with its line, instead of stopping at
// the first (nullptr: the first is thrown).
using Refusals = std::vector<ProgramError>;

// Every statement that has words, settings or flow, in order. Blocks starting with `/` are
// deleted (skipped), as a controller with its block-delete switch on skips them; `N` words are
// dropped. A line that cannot be read is thrown, or added to `refusals` and left out.
std::vector<Statement> readProgram(std::istream& input, Refusals* refusals = nullptr);

// An O word's label as the program wrote it, for messages: `o100`, `o<name>`.
std::string shownLabel(const std::string& label);

}  // namespace corvex::gcode
