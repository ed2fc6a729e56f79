// Numbers written as a client writes them, and text read back as a client reads it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "automation/number_text.hpp"

namespace corvex::automation {
namespace {

struct TextRow {
    double value;
    const char* text;
};

TEST(ShortestText, WritesTheShortestDecimalThatReadsBack) {
    const TextRow rows[] = {
        {1, "1"},
        {-3, "-3"},
        {2.5, "2.5"},
        {0.1, "0.1"},
        {-0.25, "-0.25"},
        {1e20, "1E+20"},
        {1.5e300, "1.5E+300"},
        {0.017453293, "0.017453293"},
        {3.14159265, "3.14159265"},
        {0.1 + 0.2, "0.30000000000000004"},  // distinct from 0.3, so it must say so
        {0.0, "0"},
        {-0.0, "0"},
    };
    for (const auto& row : rows) EXPECT_EQ(shortestText(row.value), row.text) << row.value;
}

TEST(ShortestText, UsesPlainNotationBetweenOneTenThousandthAndOneE15) {
    // Exponent notation only below 1E-04 and from 1E+15 up, as a client displays numbers:
    // a colour or a count of 100000 must not come out as 1E+05.
    const TextRow rows[] = {
        {1000, "1000"},
        {10000, "10000"},
        {100000, "100000"},
        {-100000, "-100000"},
        {2000000, "2000000"},
        {123456789, "123456789"},
        {1e14, "100000000000000"},
        {1e15, "1E+15"},
        {1.25e16, "1.25E+16"},
        {0.001, "0.001"},
        {0.0001, "0.0001"},
        {0.00012, "0.00012"},
        {0.00001, "1E-05"},
        {1e-7, "1E-07"},
        {-2.5e-10, "-2.5E-10"},
    };
    for (const auto& row : rows) EXPECT_EQ(shortestText(row.value), row.text) << row.value;
}

TEST(ShortestText, NamesNonFiniteValues) {
    EXPECT_EQ(shortestText(std::numeric_limits<double>::quiet_NaN()), "NaN");
    EXPECT_EQ(shortestText(std::numeric_limits<double>::infinity()), "Inf");
    EXPECT_EQ(shortestText(-std::numeric_limits<double>::infinity()), "-Inf");
}

TEST(ShortestText, ReadsBackToTheSameDouble) {
    const double values[] = {0.1,     1.0 / 3,  2.0 / 3 * 1e14, 123456.789, 1e-5 / 3,
                             9.87e22, -4.4e-12, 12345678901234.5, 5e-324,  1.7976931348623157e308};
    for (double value : values) {
        auto text = shortestText(value);
        auto back = parseNumber(text);
        ASSERT_TRUE(back) << text;
        EXPECT_EQ(*back, value) << text;
    }
}

TEST(ParseNumber, ReadsNumericText) {
    const struct {
        const char* text;
        double value;
    } rows[] = {
        {"1", 1},         {"+1", 1},          {"-1", -1},   {" 2.5 ", 2.5},
        {"1e3", 1000},    {"1E+20", 1e20},    {"1E-07", 1e-7}, {".5", 0.5},
        {"5.", 5},        {"\t42\n", 42},     {"007", 7},   {"-0", 0},
    };
    for (const auto& row : rows) {
        auto value = parseNumber(row.text);
        ASSERT_TRUE(value) << row.text;
        EXPECT_EQ(*value, row.value) << row.text;
    }
}

TEST(ParseNumber, RefusesTextThatIsNoNumber) {
    const char* rows[] = {"",   " ",   "abc", "1x", "1 2", "+-1", "-+1", "++1", "--1", "+ 1",
                          "- 1", "+",  "-",   "e3", "1e",  "0x1A", "inf", "-inf", "nan", "Infinity"};
    for (const char* text : rows) EXPECT_FALSE(parseNumber(text)) << '"' << text << '"';
}

}  // namespace
}  // namespace corvex::automation
