#include "cadhost/occt/files/step_colour.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

namespace corvex::cadhost::occt {
namespace {

std::string upperTrimmed(const std::string& text) {
    auto begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    auto end = text.find_last_not_of(" \t");
    std::string result = text.substr(begin, end - begin + 1);
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

std::optional<int> wholeNumber(const std::string& text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return {};
    return value;
}

// The hue wheel of indices 10..249: 24 hues 15 degrees apart, each in five shades
// (value 1, .8, .6, .5, .3), each shade full and half saturated. Exact for the indices
// people use; the desktop program's table differs from this by a step here and there.
Rgb wheelColour(int index) {
    static constexpr std::array<double, 5> kShades{1.0, 0.8, 0.6, 0.5, 0.3};
    const int hueStep = index / 10 - 1;
    const int position = index % 10;
    const double value = kShades[static_cast<std::size_t>(position / 2)];
    const double saturation = position % 2 == 0 ? 1.0 : 0.5;
    const double hue = hueStep * 15.0 / 60.0;  // in sextants
    const int sextant = static_cast<int>(hue);
    const double fraction = hue - sextant;
    const double p = value * (1 - saturation);
    const double q = value * (1 - saturation * fraction);
    const double t = value * (1 - saturation * (1 - fraction));
    double r = 0, g = 0, b = 0;
    switch (sextant) {
        case 0: r = value, g = t, b = p; break;
        case 1: r = q, g = value, b = p; break;
        case 2: r = p, g = value, b = t; break;
        case 3: r = p, g = q, b = value; break;
        case 4: r = t, g = p, b = value; break;
        default: r = value, g = p, b = q; break;
    }
    auto level = [](double x) { return static_cast<int>(std::floor(x * 255 + 1e-9)); };
    return {level(r), level(g), level(b)};
}

}  // namespace

Rgb indexColour(int index) {
    static constexpr std::array<Rgb, 10> kBasic{{{0, 0, 0},
                                                 {255, 0, 0},
                                                 {255, 255, 0},
                                                 {0, 255, 0},
                                                 {0, 255, 255},
                                                 {0, 0, 255},
                                                 {255, 0, 255},
                                                 {255, 255, 255},
                                                 {128, 128, 128},
                                                 {192, 192, 192}}};
    static constexpr std::array<Rgb, 6> kGreys{{{51, 51, 51},
                                                {91, 91, 91},
                                                {132, 132, 132},
                                                {173, 173, 173},
                                                {214, 214, 214},
                                                {255, 255, 255}}};
    if (index >= 1 && index <= 9) return kBasic[static_cast<std::size_t>(index)];
    if (index >= 250 && index <= 255) return kGreys[static_cast<std::size_t>(index - 250)];
    return wheelColour(std::clamp(index, 10, 249));
}

std::optional<Rgb> colourOfText(const std::string& text) {
    const std::string word = upperTrimmed(text);
    static const std::array<std::pair<const char*, int>, 7> kNames{{{"RED", 1},
                                                                    {"YELLOW", 2},
                                                                    {"GREEN", 3},
                                                                    {"CYAN", 4},
                                                                    {"BLUE", 5},
                                                                    {"MAGENTA", 6},
                                                                    {"WHITE", 7}}};
    for (const auto& [name, index] : kNames)
        if (word == name) return indexColour(index);
    if (auto index = wholeNumber(word)) {
        if (*index >= 1 && *index <= 255) return indexColour(*index);
        return {};
    }
    if (word.rfind("RGB:", 0) == 0) {
        std::array<int, 3> levels{};
        std::size_t start = 4;
        for (std::size_t i = 0; i < 3; ++i) {
            auto comma = word.find(',', start);
            if ((i < 2) != (comma != std::string::npos)) return {};
            auto level = wholeNumber(upperTrimmed(word.substr(start, comma - start)));
            if (!level || *level < 0 || *level > 255) return {};
            levels[i] = *level;
            start = comma + 1;
        }
        return Rgb{levels[0], levels[1], levels[2]};
    }
    return {};
}

std::string textOfColour(const std::optional<Rgb>& colour) {
    if (!colour) return "BYLAYER";
    for (int index = 1; index <= 255; ++index)
        if (indexColour(index) == *colour) return std::to_string(index);
    return "RGB:" + std::to_string(colour->red) + "," + std::to_string(colour->green) + "," +
           std::to_string(colour->blue);
}

namespace {
struct NamedColour {
    const char* name;
    Rgb colour;
};
constexpr std::array<NamedColour, 8> kPredefined{{{"red", {255, 0, 0}},     {"green", {0, 255, 0}},
                                                  {"blue", {0, 0, 255}},    {"yellow", {255, 255, 0}},
                                                  {"magenta", {255, 0, 255}}, {"cyan", {0, 255, 255}},
                                                  {"black", {0, 0, 0}},     {"white", {255, 255, 255}}}};
}  // namespace

std::optional<std::string> predefinedColourName(const Rgb& colour) {
    for (const NamedColour& named : kPredefined)
        if (named.colour == colour) return std::string(named.name);
    return std::nullopt;
}

std::optional<Rgb> predefinedColour(const std::string& name) {
    for (const NamedColour& named : kPredefined)
        if (name == named.name) return named.colour;
    return std::nullopt;
}

}  // namespace corvex::cadhost::occt
