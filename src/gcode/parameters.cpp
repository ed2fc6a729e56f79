#include "gcode/parameters.hpp"

namespace corvex::gcode {

Parameters::Parameters() : scopes_(1), global_(5399 - 30, 0.0) {}

double Parameters::numbered(int number) const {
    return number <= 30 ? scopes_.back().numbered[number - 1] : global_[number - 31];
}

void Parameters::setNumbered(int number, double value) {
    (number <= 30 ? scopes_.back().numbered[number - 1] : global_[number - 31]) = value;
}

std::optional<double> Parameters::named(const std::string& name) const {
    const auto& names = name[0] == '_' ? globalNamed_ : scopes_.back().named;
    const auto found = names.find(name);
    if (found == names.end()) return std::nullopt;
    return found->second;
}

void Parameters::setNamed(const std::string& name, double value) {
    (name[0] == '_' ? globalNamed_ : scopes_.back().named)[name] = value;
}

ParameterReader Parameters::reader() const {
    return {[this](int number) { return numbered(number); },
            [this](const std::string& name) { return named(name); }};
}

void Parameters::enter(const std::vector<double>& arguments) {
    scopes_.emplace_back();
    for (std::size_t i = 0; i < arguments.size() && i < 30; ++i) scopes_.back().numbered[i] = arguments[i];
}

void Parameters::leave() {
    if (scopes_.size() > 1) scopes_.pop_back();
}

}  // namespace corvex::gcode
