#include "cadhost/occt/files/step_text_out.hpp"

#include <charconv>
#include <cmath>

namespace corvex::cadhost::occt {

int StepTextOut::add(std::string_view body) {
    const int id = next_++;
    text_ += '#';
    text_ += std::to_string(id);
    text_ += " = ";
    text_ += body;
    text_ += ";\n";
    return id;
}

int StepTextOut::add(std::string_view type, std::initializer_list<StepValue> values) {
    std::string body(type);
    body += '(';
    bool first = true;
    for (const StepValue& value : values) {
        if (!first) body += ',';
        first = false;
        if (const auto* one = std::get_if<StepRef>(&value)) ref(body, one->id);
        else if (const auto* list = std::get_if<StepRefs>(&value)) refs(body, list->ids);
        else if (const auto* number = std::get_if<double>(&value)) real(body, *number);
        else body += std::get<std::string_view>(value);
    }
    body += ')';
    return add(body);
}

void StepTextOut::refs(std::string& out, const std::vector<int>& ids) {
    out += '(';
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i) out += ',';
        ref(out, ids[i]);
    }
    out += ')';
}

// STEP wants a decimal point in every real and an upper-case exponent: "1.", "1.5E-07".
void StepTextOut::real(std::string& out, double value) {
    if (!std::isfinite(value)) throw NotWritableFast("a number that is not finite");
    char buffer[40];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc()) throw NotWritableFast("a number the writer cannot format");
    const std::string_view digits(buffer, static_cast<std::size_t>(end - buffer));
    const std::size_t e = digits.find('e');
    const std::string_view mantissa = digits.substr(0, e);
    out += mantissa;
    if (mantissa.find('.') == std::string_view::npos) out += '.';
    if (e == std::string_view::npos) return;
    std::string_view exponent = digits.substr(e + 1);
    if (!exponent.empty() && exponent.front() == '+') exponent.remove_prefix(1);
    out += 'E';
    out += exponent;
}

void StepTextOut::quoted(std::string& out, std::string_view text) {
    out += '\'';
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        // Other characters need the \X2\ encoding, which readers handle unevenly.
        if (code < 0x20 || code > 0x7e) throw NotWritableFast("a name beyond printable ASCII");
        if (c == '\'' || c == '\\') out += c;  // written twice, as STEP escapes them
        out += c;
    }
    out += '\'';
}

}  // namespace corvex::cadhost::occt
