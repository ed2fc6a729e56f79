// 16- and 32-bit parameters (loop counters, NumPoints, group counts) round half to even and
// overflow outside their range, as CInt and CLng do.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "automation_test_support.hpp"

namespace corvex::automation {
namespace {

using test_support::code;
using test_support::raisedCode;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct RoundRow {
    double value;
    std::int32_t expected;
};

TEST(ToInt16, RoundsHalfToEven) {
    const RoundRow rows[] = {
        {0.5, 0},         {1.5, 2},         {2.5, 2},           {3.5, 4},
        {-0.5, 0},        {-1.5, -2},       {-2.5, -2},         {0.49999999999999994, 0},
        {1.4999, 1},      {1.5001, 2},      {-0.4, 0},          {32767.4, 32767},
        {32766.5, 32766}, {-32768.4, -32768}, {-32768.5, -32768}, {-32767.5, -32768},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(toInt16(Variant::real(row.value)), row.expected) << row.value;
        EXPECT_EQ(roundToInt16(row.value), row.expected) << row.value;
    }
}

TEST(ToInt16, OverflowsOutsideItsRange) {
    const double rows[] = {32767.5, 32768, -32768.6, -32769, 65535, 65536, 1e10, -1e300,
                           kNaN,    kInf,  -kInf};
    for (double value : rows)
        EXPECT_EQ(raisedCode([&] { toInt16(Variant::real(value)); }), code(hresult::kOverflow))
            << value;
}

TEST(ToInt16, ConvertsOtherKindsThroughTheSameRule) {
    EXPECT_EQ(toInt16(Variant()), 0);
    EXPECT_EQ(toInt16(Variant::boolean(true)), -1);
    EXPECT_EQ(toInt16(Variant::int32(-32768)), -32768);
    EXPECT_EQ(toInt16(Variant::string(" 2.5 ")), 2);
    EXPECT_EQ(toInt16(Variant::string("1e3")), 1000);
    EXPECT_EQ(raisedCode([] { toInt16(Variant::int32(32768)); }), code(hresult::kOverflow));
    EXPECT_EQ(raisedCode([] { toInt16(Variant::string("40000")); }), code(hresult::kOverflow));
}

TEST(ToInt16, OverflowSaysWhichValue) {
    auto error = test_support::raisedError([] { toInt16(Variant::real(32767.5)); });
    ASSERT_TRUE(error);
    EXPECT_NE(error->description().find("32767.5"), std::string::npos) << error->description();
}

TEST(ToInt32, RoundsHalfToEven) {
    const RoundRow rows[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {-2.5, -2},
        {40000.5, 40000},
        {40001.5, 40002},
        {2147483647.4, 2147483647},
        {2147483646.5, 2147483646},
        {-2147483648.4, std::numeric_limits<std::int32_t>::min()},
        {-2147483648.5, std::numeric_limits<std::int32_t>::min()},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(toInt32(Variant::real(row.value)), row.expected) << row.value;
        EXPECT_EQ(roundToInt32(row.value), row.expected) << row.value;
    }
}

TEST(ToInt32, OverflowsOutsideItsRange) {
    const double rows[] = {2147483647.5, 2147483648.0, -2147483648.6, -2147483649.0,
                           4294967296.0, 1e300,        kNaN,          kInf, -kInf};
    for (double value : rows)
        EXPECT_EQ(raisedCode([&] { toInt32(Variant::real(value)); }), code(hresult::kOverflow))
            << value;
}

TEST(ToInt32, ConvertsOtherKindsThroughTheSameRule) {
    EXPECT_EQ(toInt32(Variant()), 0);
    EXPECT_EQ(toInt32(Variant::boolean(true)), -1);
    EXPECT_EQ(toInt32(Variant::int16(-32768)), -32768);
    EXPECT_EQ(toInt32(Variant::string("100000")), 100000);
    EXPECT_EQ(raisedCode([] { toInt32(Variant::string("3e9")); }), code(hresult::kOverflow));
}

}  // namespace
}  // namespace corvex::automation
