#include "gcode/program_flow.hpp"

#include <array>
#include <cmath>
#include <map>
#include <optional>

#include "gcode/parameters.hpp"

namespace corvex::gcode {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

std::string keyword(Flow flow) {
    static const std::array<const char*, 16> kNames{"",      "sub",   "endsub",   "call",  "return", "if",
                                                    "elseif", "else", "endif",    "while", "endwhile", "do",
                                                    "repeat", "endrepeat", "break", "continue"};
    return kNames[static_cast<std::size_t>(flow)];
}

// How the O-word lines are tied together, found once before the program runs.
class Structure {
public:
    explicit Structure(const std::vector<Statement>& statements);

    std::vector<std::size_t> link;  // sub <-> endsub, each if-chain member -> the next, loop start <-> its end,
                                    // break/continue -> their loop's start
    std::vector<std::size_t> endIf; // each if-chain member -> its endif
    std::vector<bool> closesDo;     // a `while` that ends a `do`
    std::map<std::string, std::size_t> subs;

private:
    std::string named(std::size_t i) const {
        return shownLabel(statements_[i].label) + " " + keyword(statements_[i].flow) + " (line " +
               std::to_string(statements_[i].line) + ")";
    }
    [[noreturn]] void refuse(std::size_t i, const std::string& what) const {
        throw ProgramError(statements_[i].line, what);
    }
    // The open construct that statement i must close: refused unless it has i's label and one of `kinds`.
    std::size_t closing(std::size_t i, std::initializer_list<Flow> kinds);

    const std::vector<Statement>& statements_;
    std::vector<std::size_t> open_;
};

std::size_t Structure::closing(std::size_t i, std::initializer_list<Flow> kinds) {
    const Statement& s = statements_[i];
    const std::string what = shownLabel(s.label) + " " + keyword(s.flow);
    if (open_.empty()) refuse(i, what + " closes nothing: no construct is open here");
    const std::size_t top = open_.back();
    bool kindFits = false;
    for (Flow kind : kinds) kindFits = kindFits || statements_[top].flow == kind;
    if (!kindFits || statements_[top].label != s.label) refuse(i, what + " does not close " + named(top));
    return top;
}

Structure::Structure(const std::vector<Statement>& statements)
    : link(statements.size(), kNone), endIf(statements.size(), kNone), closesDo(statements.size(), false),
      statements_(statements) {
    std::optional<std::size_t> sub;
    std::vector<std::size_t> calls;
    std::vector<std::size_t> ifHead(statements.size(), kNone);  // each if-chain member -> its if
    for (std::size_t i = 0; i < statements.size(); ++i) {
        const Statement& s = statements[i];
        switch (s.flow) {
            case Flow::None: break;
            case Flow::Sub:
                if (sub) refuse(i, "a subroutine cannot be defined inside another: " + named(*sub) + " is open");
                if (!open_.empty()) refuse(i, "a subroutine cannot be defined inside " + named(open_.back()));
                if (subs.count(s.label)) refuse(i, shownLabel(s.label) + " is defined twice (first on line " +
                                                       std::to_string(statements[subs[s.label]].line) + ")");
                subs[s.label] = i;
                sub = i;
                break;
            case Flow::EndSub:
                if (!sub) refuse(i, shownLabel(s.label) + " endsub closes no subroutine");
                if (!open_.empty()) refuse(i, named(open_.back()) + " is not closed before the endsub");
                if (statements[*sub].label != s.label) refuse(i, shownLabel(s.label) + " endsub does not close " + named(*sub));
                link[*sub] = i, link[i] = *sub;
                sub.reset();
                break;
            case Flow::Return:
                if (!sub || statements[*sub].label != s.label)
                    refuse(i, shownLabel(s.label) + " return is not inside " + shownLabel(s.label) + " sub");
                break;
            case Flow::Call: calls.push_back(i); break;
            case Flow::If: ifHead[i] = i; open_.push_back(i); break;
            case Flow::Do: case Flow::Repeat: open_.push_back(i); break;
            case Flow::ElseIf: case Flow::Else: {
                const std::size_t top = closing(i, {Flow::If, Flow::ElseIf});
                link[top] = i;
                ifHead[i] = ifHead[top];
                open_.back() = i;
                break;
            }
            case Flow::EndIf: {
                const std::size_t top = closing(i, {Flow::If, Flow::ElseIf, Flow::Else});
                link[top] = i;
                open_.pop_back();
                for (std::size_t j = ifHead[top]; j != i; j = link[j]) endIf[j] = i;
                break;
            }
            case Flow::While:
                if (!open_.empty() && statements[open_.back()].flow == Flow::Do && statements[open_.back()].label == s.label) {
                    link[open_.back()] = i, link[i] = open_.back();
                    closesDo[i] = true;
                    open_.pop_back();
                } else {
                    open_.push_back(i);
                }
                break;
            case Flow::EndWhile: {
                const std::size_t top = closing(i, {Flow::While});
                link[top] = i, link[i] = top;
                open_.pop_back();
                break;
            }
            case Flow::EndRepeat: {
                const std::size_t top = closing(i, {Flow::Repeat});
                link[top] = i, link[i] = top;
                open_.pop_back();
                break;
            }
            case Flow::Break: case Flow::Continue: {
                for (auto j = open_.rbegin(); j != open_.rend() && link[i] == kNone; ++j)
                    if (statements[*j].label == s.label && statements[*j].flow != Flow::If &&
                        statements[*j].flow != Flow::ElseIf && statements[*j].flow != Flow::Else)
                        link[i] = *j;
                if (link[i] == kNone)
                    refuse(i, shownLabel(s.label) + " " + keyword(s.flow) + " is not inside a loop labelled " +
                                  shownLabel(s.label));
                break;
            }
        }
    }
    if (!open_.empty()) refuse(open_.back(), named(open_.back()) + " is never closed");
    if (sub) refuse(*sub, named(*sub) + " is never closed with endsub");
    for (std::size_t i : calls)
        if (!subs.count(statements[i].label))
            refuse(i, "the call of " + shownLabel(statements[i].label) +
                          ": this program defines no such subroutine (subroutines in files of their own are not read)");
}

class Runner {
public:
    Runner(const std::vector<Statement>& statements, const std::function<bool(const Block&)>& run, Refusals* refusals)
        : statements_(statements), structure_(statements), run_(run), refusals_(refusals) {}

    void go();

private:
    struct Frame {
        std::size_t returnTo = 0;
        std::map<std::size_t, long> repeatsLeft;  // by the repeat's statement
    };
    double value(const Expression& e) const {
        const double v = evaluate(e, reader_);
        if (!std::isfinite(v)) throw ExpressionError{"a value is not a finite number"};
        return v;
    }
    bool truth(const Statement& s) const { return value(s.values.at(0)) != 0; }
    bool block(const Statement& s);  // false at the program's end
    void turn(const Statement& s);   // one more loop turn or call, within the bound
    std::size_t step(std::size_t at);  // runs statement `at` and says which runs next; kNone ends

    const std::vector<Statement>& statements_;
    Structure structure_;
    const std::function<bool(const Block&)>& run_;
    Refusals* refusals_;
    Parameters parameters_;
    const ParameterReader reader_ = parameters_.reader();
    std::vector<Frame> frames_{Frame{}};
    long turns_ = 0;
};

void Runner::turn(const Statement& s) {
    if (++turns_ > kMostRepeats)
        throw ProgramError(s.line, "the program has turned its loops and called its subroutines " +
                                       std::to_string(kMostRepeats) +
                                       " times: a loop that does not end? (the bound against runaway programs)");
}

bool Runner::block(const Statement& s) {
    Block block{s.line, {}};
    for (const auto& word : s.words) block.words.push_back({word.letter, value(word.value)});
    // Every value on the line is read before any parameter it sets changes.
    struct Setting {
        int number;                // 0 for a named parameter
        const std::string* name;
        double value;
    };
    std::vector<Setting> settings;
    for (const auto& setting : s.settings) {
        const bool numbered = setting.parameter.kind == Expression::Kind::Numbered;
        settings.push_back({numbered ? parameterNumber(value(setting.parameter.args.at(0))) : 0,
                            &setting.parameter.name, value(setting.value)});
    }
    for (const Setting& setting : settings) {
        if (setting.number > 0) parameters_.setNumbered(setting.number, setting.value);
        else parameters_.setNamed(*setting.name, setting.value);
    }
    return block.words.empty() || run_(block);
}

std::size_t Runner::step(std::size_t at) {
    const Statement& s = statements_[at];
    const auto& link = structure_.link;
    Frame& frame = frames_.back();
    switch (s.flow) {
        case Flow::None: return block(s) ? at + 1 : kNone;
        case Flow::Sub: return link[at] + 1;  // a definition: its body runs when it is called
        case Flow::EndSub: case Flow::Return: {
            const bool returned = !s.values.empty();
            if (returned) parameters_.setNamed("_value", value(s.values[0]));
            parameters_.setNamed("_value_returned", returned ? 1 : 0);
            const std::size_t next = frame.returnTo;
            frames_.pop_back();
            parameters_.leave();
            return next;
        }
        case Flow::Call: {
            std::vector<double> arguments;
            for (const auto& e : s.values) arguments.push_back(value(e));
            if (parameters_.depth() >= static_cast<std::size_t>(kDeepestCalls))
                throw ProgramError(s.line, "subroutine calls nested deeper than " + std::to_string(kDeepestCalls) +
                                               ": a recursion that does not end?");
            turn(s);
            parameters_.enter(arguments);
            frames_.push_back(Frame{at + 1, {}});
            return structure_.subs.at(s.label) + 1;
        }
        case Flow::If:
            // The first member of the chain whose condition holds, or the else, runs.
            for (std::size_t j = at;; j = link[j]) {
                const Flow kind = statements_[j].flow;
                if (kind == Flow::EndIf || kind == Flow::Else || truth(statements_[j])) return j + 1;
            }
        case Flow::ElseIf: case Flow::Else: return structure_.endIf[at] + 1;  // the branch before it ran
        case Flow::EndIf: case Flow::Do: return at + 1;
        case Flow::While:
            if (!truth(s)) return structure_.closesDo[at] ? at + 1 : link[at] + 1;
            turn(s);
            return structure_.closesDo[at] ? link[at] + 1 : at + 1;
        case Flow::EndWhile: return link[at];
        case Flow::Repeat: {
            const double count = value(s.values[0]);
            if (!(count <= 1e15)) throw ExpressionError{"a repeat's count is too large"};
            const long whole = std::lround(count);
            if (std::fabs(count - whole) > 1e-4) throw ExpressionError{"a repeat's count must be a whole number"};
            if (whole <= 0) return link[at] + 1;
            frame.repeatsLeft[at] = whole;
            return at + 1;
        }
        case Flow::EndRepeat: {
            const std::size_t start = link[at];
            if (--frame.repeatsLeft[start] <= 0) {
                frame.repeatsLeft.erase(start);
                return at + 1;
            }
            turn(s);
            return start + 1;
        }
        case Flow::Break: {
            const std::size_t start = link[at];
            frame.repeatsLeft.erase(start);
            return link[start] + 1;
        }
        case Flow::Continue: {
            const std::size_t start = link[at];
            // A while tests again; a do tests at its end; a repeat counts its turn at its end.
            return statements_[start].flow == Flow::While ? start : link[start];
        }
    }
    return at + 1;
}

void Runner::go() {
    for (std::size_t at = 0; at < statements_.size() && at != kNone;) {
        try {
            try {
                at = step(at);
            } catch (const ExpressionError& error) {
                throw ProgramError(statements_[at].line, error.what);
            }
        } catch (const ProgramError& error) {
            if (!refusals_ || statements_[at].flow != Flow::None) throw;
            refusals_->push_back(error);
            ++at;
        }
    }
}

}  // namespace

void runProgram(const std::vector<Statement>& statements, const std::function<bool(const Block&)>& run,
                Refusals* refusals) {
    Runner(statements, run, refusals).go();
}

}  // namespace corvex::gcode
