#include "gcode/expression.hpp"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <utility>

namespace corvex::gcode {
namespace {

using Kind = Expression::Kind;

// How close two values count as equal in a comparison, as the controllers compare.
constexpr double kEqualWithin = 0.0001;
// Brackets nested deeper than this, or an expression of more values than this, are refused: a
// program cannot run the reader, or the evaluation of a long chain, out of stack.
constexpr int kDeepestNesting = 200;
constexpr int kMostValues = 2000;
constexpr double kDegree = M_PI / 180;

bool startsWith(std::string_view text, std::size_t at, std::string_view word) {
    return text.substr(at, word.size()) == word;
}

[[noreturn]] void fail(const std::string& what) { throw ExpressionError{what}; }

Expression operation(Kind kind, Expression left, Expression right) {
    Expression node;
    node.kind = kind;
    node.args.push_back(std::move(left));
    node.args.push_back(std::move(right));
    return node;
}

class Reader {
public:
    Reader(std::string_view text, std::size_t& at) : text_(text), at_(at) {}

    Expression value();
    Expression parameter();

private:
    Expression bracketed();
    Expression binary(int level);  // 0: AND OR XOR ... 3: **
    Expression primary();
    Expression number();
    Expression function(const std::string& name);
    std::optional<Kind> operatorAt(int level);
    void expect(char c, const char* what) {
        if (at_ >= text_.size() || text_[at_] != c) fail(std::string("expected ") + what);
        ++at_;
    }

    std::string_view text_;
    std::size_t& at_;
    int depth_ = 0;
    int values_ = 0;
};

Expression Reader::value() {
    if (++values_ > kMostValues) fail("an expression of more than " + std::to_string(kMostValues) + " values");
    if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) {
        const bool negative = text_[at_++] == '-';
        if (++depth_ > kDeepestNesting) fail("signs nested deeper than " + std::to_string(kDeepestNesting));
        Expression operand = value();
        --depth_;
        if (!negative) return operand;
        Expression node;
        node.kind = Kind::Negate;
        node.args.push_back(std::move(operand));
        return node;
    }
    if (at_ >= text_.size()) fail("a value is missing at the end of the line");
    const char c = text_[at_];
    if (c == '[') return bracketed();
    if (c == '#') {
        ++at_;
        return parameter();
    }
    if (std::isalpha(static_cast<unsigned char>(c))) {
        std::string name;
        while (at_ < text_.size() && std::isalpha(static_cast<unsigned char>(text_[at_]))) name += text_[at_++];
        return function(name);
    }
    return number();
}

Expression Reader::number() {
    const std::size_t start = at_;
    while (at_ < text_.size() && (std::isdigit(static_cast<unsigned char>(text_[at_])) || text_[at_] == '.')) ++at_;
    Expression node;
    const auto [stop, error] = std::from_chars(text_.data() + start, text_.data() + at_, node.number);
    if (at_ == start || error != std::errc() || stop != text_.data() + at_ || !std::isfinite(node.number))
        fail(at_ == start && start < text_.size() ? std::string("'") + text_[start] + "' is not a number"
                                                  : "a number is malformed");
    return node;
}

Expression Reader::parameter() {
    Expression node;
    if (at_ < text_.size() && text_[at_] == '<') {
        const std::size_t close = text_.find('>', at_);
        if (close == std::string_view::npos) fail("a parameter's name is not closed with '>'");
        for (char c : text_.substr(at_ + 1, close - at_ - 1))
            node.name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (node.name.empty()) fail("a parameter's name is empty");
        at_ = close + 1;
        node.kind = Kind::Named;
        return node;
    }
    if (++depth_ > kDeepestNesting) fail("parameters nested deeper than " + std::to_string(kDeepestNesting));
    node.kind = Kind::Numbered;
    node.args.push_back(value());
    --depth_;
    return node;
}

Expression Reader::bracketed() {
    if (++depth_ > kDeepestNesting) fail("brackets nested deeper than " + std::to_string(kDeepestNesting));
    expect('[', "'['");
    Expression inside = binary(0);
    expect(']', "']' to close the expression");
    --depth_;
    return inside;
}

std::optional<Kind> Reader::operatorAt(int level) {
    static const std::array<std::vector<std::pair<std::string_view, Kind>>, 4> kLevels{{
        {{"AND", Kind::And}, {"OR", Kind::Or}, {"XOR", Kind::Xor}},
        {{"EQ", Kind::Equal}, {"NE", Kind::NotEqual}, {"GT", Kind::Greater}, {"GE", Kind::GreaterOrEqual},
         {"LT", Kind::Less}, {"LE", Kind::LessOrEqual}},
        {{"+", Kind::Plus}, {"-", Kind::Minus}},
        {{"*", Kind::Times}, {"/", Kind::Divide}, {"MOD", Kind::Modulo}},
    }};
    // `**` binds tighter than `*`: it is a level of its own, read before the products.
    if (level == 4) {
        if (startsWith(text_, at_, "**")) return at_ += 2, Kind::Power;
        return std::nullopt;
    }
    for (const auto& [spelling, kind] : kLevels[level]) {
        if (startsWith(text_, at_, spelling) && !(spelling == "*" && startsWith(text_, at_, "**"))) {
            at_ += spelling.size();
            return kind;
        }
    }
    return std::nullopt;
}

Expression Reader::binary(int level) {
    if (level > 4) return value();
    Expression left = binary(level + 1);
    while (const auto kind = operatorAt(level)) left = operation(*kind, std::move(left), binary(level + 1));
    return left;
}

Expression Reader::function(const std::string& name) {
    static const std::array<std::string_view, 13> kFunctions{"ABS", "ACOS", "ASIN", "ATAN", "COS", "EXP", "FIX",
                                                             "FUP", "LN", "ROUND", "SIN", "SQRT", "TAN"};
    Expression node;
    if (name == "EXISTS") {
        expect('[', "'[' after EXISTS");
        expect('#', "a parameter in EXISTS[...]");
        node = parameter();
        if (node.kind != Kind::Named) fail("EXISTS takes a named parameter, as EXISTS[#<name>]");
        node.kind = Kind::Exists;
        expect(']', "']' to close EXISTS[...]");
        return node;
    }
    bool known = false;
    for (std::string_view f : kFunctions) known = known || f == name;
    if (!known) fail("'" + name + "' is not a function or word this dialect knows");
    if (at_ >= text_.size() || text_[at_] != '[') fail(name + " needs its argument in brackets");
    node.kind = Kind::Function;
    node.name = name;
    node.args.push_back(bracketed());
    if (name == "ATAN") {
        if (at_ >= text_.size() || text_[at_] != '/') fail("ATAN is written ATAN[y]/[x]");
        ++at_;
        if (at_ >= text_.size() || text_[at_] != '[') fail("ATAN is written ATAN[y]/[x]");
        node.kind = Kind::Atan;
        node.args.push_back(bracketed());
    }
    return node;
}

bool truth(double value) { return value != 0; }

double function(const std::string& name, double x) {
    auto domain = [&](bool ok) {
        if (!ok) fail(name + "[" + std::to_string(x) + "] has no value");
    };
    if (name == "ABS") return std::fabs(x);
    if (name == "ACOS") return domain(x >= -1 && x <= 1), std::acos(x) / kDegree;
    if (name == "ASIN") return domain(x >= -1 && x <= 1), std::asin(x) / kDegree;
    if (name == "COS") return std::cos(x * kDegree);
    if (name == "SIN") return std::sin(x * kDegree);
    if (name == "TAN") return std::tan(x * kDegree);
    if (name == "EXP") return std::exp(x);
    if (name == "FIX") return std::floor(x);
    if (name == "FUP") return std::ceil(x);
    if (name == "LN") return domain(x > 0), std::log(x);
    if (name == "ROUND") return std::round(x);
    domain(x >= 0);
    return std::sqrt(x);  // SQRT
}

}  // namespace

Expression readValue(std::string_view text, std::size_t& at) { return Reader(text, at).value(); }

Expression readParameter(std::string_view text, std::size_t& at) { return Reader(text, at).parameter(); }

int parameterNumber(double value) {
    const double whole = std::round(value);
    if (std::fabs(value - whole) > kEqualWithin) fail("a parameter's number must be whole, not " + std::to_string(value));
    if (!(whole >= 1 && whole <= 5399)) fail("parameter #" + std::to_string(static_cast<long long>(whole)) +
                                             " is not one of #1 to #5399");
    return static_cast<int>(whole);
}

std::string shownName(const std::string& name) { return "#<" + name + ">"; }

double evaluate(const Expression& e, const ParameterReader& parameters) {
    auto operand = [&](std::size_t i) { return evaluate(e.args[i], parameters); };
    switch (e.kind) {
        case Kind::Number: return e.number;
        case Kind::Numbered: return parameters.numbered(parameterNumber(operand(0)));
        case Kind::Named: {
            const auto value = parameters.named(e.name);
            if (!value) fail("the parameter " + shownName(e.name) + " has no value (it is not set before it is read)");
            return *value;
        }
        case Kind::Exists: return parameters.named(e.name) ? 1 : 0;
        case Kind::Negate: return -operand(0);
        case Kind::Function: return function(e.name, operand(0));
        case Kind::Atan: return std::atan2(operand(0), operand(1)) / kDegree;
        default: break;
    }
    const double a = operand(0), b = operand(1);
    const bool equal = std::fabs(a - b) < kEqualWithin;
    double result = 0;
    switch (e.kind) {
        case Kind::Power: result = std::pow(a, b); break;
        case Kind::Times: result = a * b; break;
        case Kind::Divide:
            if (b == 0) fail("a division by zero");
            result = a / b;
            break;
        case Kind::Modulo:
            if (b == 0) fail("MOD by zero");
            // The remainder takes the divisor's sign, as the controllers compute it.
            result = a - b * std::floor(a / b);
            break;
        case Kind::Plus: result = a + b; break;
        case Kind::Minus: result = a - b; break;
        case Kind::Equal: return equal;
        case Kind::NotEqual: return !equal;
        case Kind::Greater: return a > b && !equal;
        case Kind::GreaterOrEqual: return a > b || equal;
        case Kind::Less: return a < b && !equal;
        case Kind::LessOrEqual: return a < b || equal;
        case Kind::And: return truth(a) && truth(b);
        case Kind::Or: return truth(a) || truth(b);
        case Kind::Xor: return truth(a) != truth(b);
        default: break;
    }
    if (!std::isfinite(result)) fail("an expression's value is not a finite number (" + std::to_string(a) +
                                      (e.kind == Kind::Power ? " ** " : " and ") + std::to_string(b) + ")");
    return result;
}

}  // namespace corvex::gcode
