#include "cadhost/occt/files/step_text_check.hpp"

#include <RWStepAP214_ReadWriteModule.hxx>
#include <TCollection_AsciiString.hxx>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "automation/error.hpp"
#include "cadhost/occt/model/arguments.hpp"

namespace corvex::cadhost::occt {
namespace {

// Lists nest this deep at most: a point's coordinates sit three levels down, a complex
// instance's parameters four. The kernel's parser recurses on nesting.
constexpr int kDeepestList = 32;

class StepText {
public:
    StepText(std::string text, std::string path) : text_(std::move(text)), path_(std::move(path)) {}

    void check() {
        const std::size_t data = findSection("DATA;");
        if (data == std::string::npos) fail("it has no data section");
        at_ = data + 5;
        while (true) {
            skipSpace();
            if (at_ >= text_.size()) fail("it ends inside its data section: the file is cut short");
            if (startsWith("ENDSEC;")) break;
            instance();
        }
        at_ += 7;
        skipSpace();
        if (!startsWith("END-ISO-10303-21;")) fail("it does not end with END-ISO-10303-21;: the file is cut short");
        checkReferences();
    }

private:
    [[noreturn]] void fail(const std::string& why) const {
        throw automation::failure("Cannot read " + path_ + " as STEP: " + why);
    }
    [[noreturn]] void failAt(const std::string& why) const { fail("instance #" + std::to_string(current_) + " " + why); }

    std::size_t findSection(std::string_view keyword) {
        // The header holds strings that may contain the keyword: scan by tokens.
        while (at_ < text_.size()) {
            skipSpace();
            if (startsWith(keyword)) return at_;
            if (at_ < text_.size() && text_[at_] == '\'') {
                skipString();
            } else {
                ++at_;
            }
        }
        return std::string::npos;
    }

    bool startsWith(std::string_view word) const { return text_.compare(at_, word.size(), word) == 0; }

    void skipSpace() {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++at_;
            } else if (c == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '*') {
                const std::size_t end = text_.find("*/", at_ + 2);
                if (end == std::string::npos) fail("a comment is never closed: the file is cut short");
                at_ = end + 2;
            } else {
                return;
            }
        }
    }

    void expect(char c, const char* what) {
        skipSpace();
        if (at_ >= text_.size() || text_[at_] != c) failAt(std::string("lacks ") + what);
        ++at_;
    }

    unsigned long instanceNumber() {
        const std::size_t start = ++at_;  // past '#'
        while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) ++at_;
        if (at_ == start || at_ - start > 18) fail("an instance name near offset " + std::to_string(start) + " is not a number");
        const unsigned long number = std::stoul(text_.substr(start, at_ - start));
        // The kernel's reader keeps instance names in an int: #2147483648 crashed it.
        if (number > static_cast<unsigned long>(std::numeric_limits<int>::max()))
            fail("the instance name #" + std::to_string(number) + " near offset " + std::to_string(start) +
                 " is larger than the reader takes");
        return number;
    }

    std::string keyword() {
        const std::size_t start = at_;
        if (at_ < text_.size() && text_[at_] == '!') ++at_;
        while (at_ < text_.size() &&
               (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_' || text_[at_] == '-'))
            ++at_;
        return text_.substr(start, at_ - start);
    }

    void instance() {
        if (text_[at_] != '#') fail("expected an instance (#1 = ...) at offset " + std::to_string(at_));
        current_ = instanceNumber();
        if (!defined_.emplace(current_, edges_.size()).second) failAt("is defined twice");
        edges_.emplace_back();
        expect('=', "its '='");
        skipSpace();
        if (at_ < text_.size() && text_[at_] == '(') {  // a complex instance: several records
            ++at_;
            while (true) {
                skipSpace();
                if (at_ < text_.size() && text_[at_] == ')') {
                    ++at_;
                    break;
                }
                record();
            }
        } else {
            // A type the reader does not know is kept as an unknown entity, and the instances
            // that refer to it crashed the reader (VECXOR for VECTOR): those are refused, an
            // unknown instance nothing refers to is left alone. The parts of a complex instance
            // are known only together, so those are left to the reader.
            if (!knownType(record())) unknown_.insert(current_);
        }
        expect(';', "its closing ';'");
    }

    // One record; its entity name.
    std::string record() {
        const std::string name = keyword();
        if (name.empty()) failAt("has no entity name");
        pointCoordinates_ = name == "CARTESIAN_POINT";
        expect('(', "the '(' of its parameters");
        parameters(1);
        return name;
    }

    static bool knownType(const std::string& name) {
        static const Handle(RWStepAP214_ReadWriteModule) types = new RWStepAP214_ReadWriteModule;
        return types->CaseStep(TCollection_AsciiString(name.c_str())) != 0;
    }

    // The parameters up to and including the ')' that closes a list `depth` deep.
    // Values are separated by commas: a value right after another (LINE('' #88,#89)) crashed
    // the kernel's reader.
    void parameters(int depth) {
        if (depth > kDeepestList) failAt("nests lists deeper than " + std::to_string(kDeepestList));
        bool first = true, afterValue = false;
        while (true) {
            skipSpace();
            if (at_ >= text_.size()) fail("it ends inside instance #" + std::to_string(current_) + ": the file is cut short");
            const char c = text_[at_];
            if (c == ')') {
                if (!first && !afterValue) failAt("has an empty parameter");
                ++at_;
                return;
            }
            if (c == ',') {
                if (!afterValue) failAt("has an empty parameter");
                afterValue = false;
                ++at_;
                continue;
            }
            if (afterValue) failAt("lacks a ',' between two parameters");
            first = false;
            afterValue = true;
            if (c == '(') {
                ++at_;
                parameters(depth + 1);
            } else if (c == '\'') {
                skipString();
            } else if (c == '"') {
                const std::size_t end = text_.find('"', at_ + 1);
                if (end == std::string::npos) fail("a binary value is never closed: the file is cut short");
                at_ = end + 1;
            } else if (c == '#') {
                const unsigned long target = instanceNumber();
                if (target == current_) failAt("refers to itself");
                edges_.back().push_back(target);
            } else if (c == '$' || c == '*') {
                ++at_;
            } else if (c == '.') {
                const std::size_t end = text_.find('.', at_ + 1);
                if (end == std::string::npos || end - at_ > 256) failAt("has an enumeration that is never closed");
                at_ = end + 1;
            } else if (c == '+' || c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
                number();
            } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '!') {
                // A typed value, as LENGTH_MEASURE(2.); a bare word is no STEP value.
                const std::string word = keyword();
                skipSpace();
                if (at_ >= text_.size() || text_[at_] != '(')
                    failAt("has the bare word " + word.substr(0, 40) + " where a value belongs");
                ++at_;
                parameters(depth + 1);
            } else {
                failAt(std::string("has an unexpected character '") + c + "'");
            }
        }
    }

    void number() {
        const char* start = text_.c_str() + at_;
        char* end = nullptr;
        errno = 0;
        const double value = std::strtod(start, &end);
        if (end == start) failAt("has a malformed number");
        at_ += static_cast<std::size_t>(end - start);
        if (!std::isfinite(value) || (errno == ERANGE && std::fabs(value) > 1))
            failAt("has a number no double holds: " + std::string(start, std::min<std::size_t>(end - start, 40)));
        if (pointCoordinates_ && std::fabs(value) > cadhost::kFarthestReach)
            failAt("is a point farther than 1e7, beyond the reach of any shape in the working range");
    }

    void skipString() {
        for (++at_; at_ < text_.size(); ++at_) {
            if (text_[at_] != '\'') continue;
            if (at_ + 1 < text_.size() && text_[at_ + 1] == '\'') {
                ++at_;  // a quote written twice stands for one
                continue;
            }
            ++at_;
            return;
        }
        fail("a string is never closed: the file is cut short");
    }

    // Every reference to a defined instance, and no cycle: walked with a stack of our own.
    void checkReferences() {
        std::vector<unsigned long> names(defined_.size());
        for (const auto& [name, index] : defined_) names[index] = name;
        std::vector<std::size_t> targets;  // each edge's target, as an index
        for (std::size_t i = 0; i < edges_.size(); ++i) {
            for (unsigned long target : edges_[i]) {
                if (!defined_.count(target)) {
                    current_ = names[i];
                    failAt("refers to #" + std::to_string(target) + ", which the file does not define");
                }
                if (unknown_.count(target)) {
                    current_ = names[i];
                    failAt("refers to #" + std::to_string(target) + ", of a type the reader does not know");
                }
            }
        }
        enum : char { kNew, kOnPath, kDone };
        std::vector<char> state(edges_.size(), kNew);
        std::vector<std::pair<std::size_t, std::size_t>> path;  // instance, next edge
        for (std::size_t root = 0; root < edges_.size(); ++root) {
            if (state[root] != kNew) continue;
            path.emplace_back(root, 0);
            state[root] = kOnPath;
            while (!path.empty()) {
                auto& [node, next] = path.back();
                if (next == edges_[node].size()) {
                    state[node] = kDone;
                    path.pop_back();
                    continue;
                }
                const std::size_t target = defined_.at(edges_[node][next++]);
                if (state[target] == kOnPath) {
                    current_ = names[target];
                    failAt("refers to itself through a cycle of references");
                }
                if (state[target] == kNew) {
                    state[target] = kOnPath;
                    path.emplace_back(target, 0);
                }
            }
        }
    }

    std::string text_, path_;
    std::size_t at_ = 0;
    unsigned long current_ = 0;
    std::unordered_set<unsigned long> unknown_;  // instances of types the reader does not know
    bool pointCoordinates_ = false;
    std::unordered_map<unsigned long, std::size_t> defined_;  // instance name -> index
    std::vector<std::vector<unsigned long>> edges_;          // each instance's references
};

}  // namespace

void checkStepText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw automation::failure("Cannot read " + path + ": the file cannot be opened");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) throw automation::failure("Cannot read " + path + ": reading it failed");
    checkStepTextOf(std::move(text), path);
}

void checkStepTextOf(std::string text, const std::string& path) { StepText(std::move(text), path).check(); }

}  // namespace corvex::cadhost::occt
