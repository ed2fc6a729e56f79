#pragma once
// An NC program read into blocks of words, as RS-274/NGC writes them: a letter and a number,
// `( )` and `;` comments, `N` block numbers, `%` program markers, `/` block delete, and a
// leading program number (`O1001` alone on its line). What
// this front end does not carry out (parameters, expressions, subroutines) is refused here,
// with its line, before anything runs.
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvex::gcode {

// A program that cannot be run as written: says "program line N: what".
class ProgramError : public std::runtime_error {
public:
    ProgramError(int line, const std::string& what);
    int line() const { return line_; }

private:
    int line_;
};

struct Word {
    char letter;  // upper case
    double value;
};

struct Block {
    int line = 0;  // in the program file, from 1
    std::vector<Word> words;
};

// Every block that has words, in order. Blocks starting with `/` are deleted (skipped), as a
// controller with its block-delete switch on skips them; `N` words are dropped.
std::vector<Block> readProgram(std::istream& input);

}  // namespace corvex::gcode
