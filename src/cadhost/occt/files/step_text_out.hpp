#pragma once
// The text of a STEP data section as it is made: instances numbered in the order they are
// added, reals in their shortest form that reads back as the same double, strings quoted
// (internal to the host). The fast STEP writer builds its file with it.
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace corvex::cadhost::occt {

// Something the fast writer cannot say exactly: the caller writes the drawing the slow way.
struct NotWritableFast : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A record's parameter: a reference, a list of references, a real, or text written as it
// stands ('' for an empty name, .T., a typed value as PARAMETER_VALUE(0.)).
struct StepRef {
    int id;
};
struct StepRefs {
    const std::vector<int>& ids;
};
using StepValue = std::variant<StepRef, StepRefs, double, std::string_view>;

class StepTextOut {
public:
    // Adds `#n = body;` and returns n. `body` is a record as TYPE(...), or a complex instance.
    int add(std::string_view body);
    // Adds the record TYPE(values...) and returns its number.
    int add(std::string_view type, std::initializer_list<StepValue> values);
    const std::string& text() const { return text_; }
    std::string take() { return std::move(text_); }

    // Appenders for building a body.
    static void real(std::string& out, double value);
    static void ref(std::string& out, int id) { out += '#'; out += std::to_string(id); }
    static void refs(std::string& out, const std::vector<int>& ids);
    static std::string_view boolean(bool value) { return value ? ".T." : ".F."; }
    // A quoted string; text the writer will not encode (beyond printable ASCII) is refused.
    static void quoted(std::string& out, std::string_view text);

private:
    std::string text_;
    int next_ = 1;
};

}  // namespace corvex::cadhost::occt
