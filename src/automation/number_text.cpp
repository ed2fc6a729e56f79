#include "automation/number_text.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace corvex::automation {

std::string shortestText(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Inf" : "-Inf";
    if (value == 0) return "0";  // also for -0, as a client prints it
    // The shortest digits that read back exactly, first in exponent form to learn the exponent.
    char buffer[64];
    char* end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific).ptr;
    std::string text(buffer, end);
    auto e = text.find('e');
    int exponent = std::atoi(text.c_str() + e + 1);
    // A client writes plain digits from 1E-04 up to below 1E+15 (the %G rule at 15 digits), so
    // 100000 is "100000"; std::to_chars alone would pick "1e+05" for being shorter.
    if (exponent >= -4 && exponent < 15) {
        end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed).ptr;
        return std::string(buffer, end);
    }
    // Exponents carry a sign and at least two digits: 1E+20, 1E-07.
    text[e] = 'E';
    return text;
}

std::optional<double> parseNumber(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    // std::from_chars takes no '+', so one is dropped here; a sign after it ("+-1") is no number.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) return std::nullopt;
    }
    if (text.empty()) return std::nullopt;
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (!std::isfinite(value)) return std::nullopt;  // "inf"/"nan" are no numbers to a client
    return value;
}

}  // namespace corvex::automation
