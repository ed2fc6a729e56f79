#pragma once
// The parameters of a running program, scoped as the dialect scopes them: #1 to #30 and named
// parameters without a leading underscore belong to the subroutine call that set them (the main
// program is a scope of its own); #31 to #5399 and names starting with '_' are global. A
// numbered parameter holds 0 until it is set; a named one has no value until it is set.
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "gcode/expression.hpp"

namespace corvex::gcode {

class Parameters {
public:
    Parameters();

    double numbered(int number) const;
    void setNumbered(int number, double value);
    std::optional<double> named(const std::string& name) const;
    void setNamed(const std::string& name, double value);
    ParameterReader reader() const;

    // A call: a fresh scope whose #1, #2, ... hold the arguments. Leaving restores the caller's.
    void enter(const std::vector<double>& arguments);
    void leave();
    std::size_t depth() const { return scopes_.size() - 1; }

private:
    struct Scope {
        std::array<double, 30> numbered{};
        std::map<std::string, double> named;
    };
    std::vector<Scope> scopes_;
    std::vector<double> global_;  // #31 to #5399
    std::map<std::string, double> globalNamed_;
};

}  // namespace corvex::gcode
