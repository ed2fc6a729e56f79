#pragma once
// The values an NC program computes, in the RS-274/NGC dialect as LinuxCNC documents it: a
// number, a parameter (`#12`, `#<depth>`, `#<_global>`, `#[#1+1]`, `##1`), an expression in
// brackets with its operators (`**`; `* / MOD`; `+ -`; `EQ NE GT GE LT LE`; `AND OR XOR`, in
// that order of binding, each from the left) and functions (`SIN COS TAN ASIN ACOS` in degrees,
// `ATAN[y]/[x]`, `SQRT ABS ROUND FIX FUP EXP LN EXISTS`). Comparisons hold within 0.0001, as the
// controllers compare; a truth is any value but 0. Parsed once, evaluated each time its line runs.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvex::gcode {

struct Expression {
    enum class Kind {
        Number, Numbered, Named, Exists, Negate, Function, Atan,
        Power, Times, Divide, Modulo, Plus, Minus, Equal, NotEqual, Greater, GreaterOrEqual, Less, LessOrEqual,
        And, Or, Xor
    };
    Kind kind = Kind::Number;
    double number = 0;
    std::string name;              // Named, Exists: the parameter's name; Function: the function's
    std::vector<Expression> args;  // operands, in order
};

// Where evaluation reads parameters: a numbered one always has a value (0 until set); a named
// one may be missing (nullopt).
struct ParameterReader {
    std::function<double(int number)> numbered;
    std::function<std::optional<double>(const std::string& name)> named;
};

// Thrown with what went wrong; the caller adds the program line.
struct ExpressionError {
    std::string what;
};

// A value read from `text` at `at` (upper case, no spaces), which moves past it: a number with an
// optional sign, a parameter, a bracketed expression or a function call, each with an optional sign.
Expression readValue(std::string_view text, std::size_t& at);

// A parameter's reference after its `#`: a name in angle brackets or a number's value.
Expression readParameter(std::string_view text, std::size_t& at);

double evaluate(const Expression& expression, const ParameterReader& parameters);

// The number a numbered parameter's reference evaluates to: a whole number from 1 to 5399.
int parameterNumber(double value);

// A parameter's name as the program wrote it, for messages: `#<depth>`.
std::string shownName(const std::string& name);

}  // namespace corvex::gcode
