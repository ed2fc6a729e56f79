// The arithmetic of the members: Doubles that raise instead of turning into Inf or NaN, and
// the Variant subtraction with which MoveTool and MoveProbe compute their displacement.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>

#include "automation/arithmetic.hpp"
#include "automation/error.hpp"
#include "automation_test_support.hpp"

namespace corvex::automation {
namespace {

using test_support::code;
using test_support::FakeEntity;
using test_support::raisedCode;

constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(CheckedArithmetic, GivesOrdinaryResultsUnchanged) {
    EXPECT_EQ(checked::add(0.1, 0.2), 0.1 + 0.2);
    EXPECT_EQ(checked::sub(1, 3), -2);
    EXPECT_EQ(checked::mul(-2.5, 4), -10);
    EXPECT_EQ(checked::div(1, 4), 0.25);
    EXPECT_EQ(checked::div(0, 5), 0);
    EXPECT_EQ(checked::sqrt(2.25), 1.5);
    EXPECT_EQ(checked::sqrt(0), 0);
    EXPECT_EQ(checked::atan(0), 0);
    EXPECT_EQ(checked::sin(0), 0);
    EXPECT_EQ(checked::cos(0), 1);
    EXPECT_EQ(checked::finite(-7.5, "test"), -7.5);
}

TEST(CheckedArithmetic, RaisesOverflowInsteadOfInfinity) {
    EXPECT_EQ(raisedCode([] { checked::mul(1e308, 10); }), code(hresult::kOverflow));
    EXPECT_EQ(raisedCode([] { checked::add(kMax, kMax); }), code(hresult::kOverflow));
    EXPECT_EQ(raisedCode([] { checked::sub(-kMax, kMax); }), code(hresult::kOverflow));
    EXPECT_EQ(raisedCode([] { checked::div(1e308, 1e-10); }), code(hresult::kOverflow));
    EXPECT_EQ(raisedCode([] { checked::finite(kInf, "test"); }), code(hresult::kOverflow));
    EXPECT_EQ(raisedCode([] { checked::finite(-kInf, "test"); }), code(hresult::kOverflow));
}

TEST(CheckedArithmetic, RaisesDivisionByZero) {
    EXPECT_EQ(raisedCode([] { checked::div(1, 0); }), code(hresult::kDivisionByZero));
    EXPECT_EQ(raisedCode([] { checked::div(-2.5, 0); }), code(hresult::kDivisionByZero));
    EXPECT_EQ(raisedCode([] { checked::div(1, -0.0); }), code(hresult::kDivisionByZero));
}

TEST(CheckedArithmetic, RaisesOnInvalidOperations) {
    const auto invalid = code(hresult::kInvalidProcedureCall);
    EXPECT_EQ(raisedCode([] { checked::div(0, 0); }), invalid);
    EXPECT_EQ(raisedCode([] { checked::sqrt(-1); }), invalid);
    EXPECT_EQ(raisedCode([] { checked::sqrt(-1e-300); }), invalid);
    EXPECT_EQ(raisedCode([] { checked::finite(kNaN, "test"); }), invalid);
    EXPECT_EQ(raisedCode([] { checked::sub(kNaN, 1); }), invalid);
}

TEST(CheckedArithmetic, RefusesNonFiniteArgumentsOfFunctions) {
    for (double bad : {kInf, -kInf, kNaN}) {
        EXPECT_NE(raisedCode([&] { checked::sin(bad); }), "no error") << bad;
        EXPECT_NE(raisedCode([&] { checked::cos(bad); }), "no error") << bad;
        EXPECT_NE(raisedCode([&] { checked::atan(bad); }), "no error") << bad;
        EXPECT_NE(raisedCode([&] { checked::sqrt(bad); }), "no error") << bad;
    }
}

struct DifferenceRow {
    const char* what;
    Variant left;
    Variant right;
    Variant expected;  // type and value
};

TEST(VariantSubtraction, FollowsTheClientsTypeRules) {
    constexpr std::int32_t kLongMin = std::numeric_limits<std::int32_t>::min();
    const DifferenceRow rows[] = {
        {"16-bit stays 16-bit", Variant::int16(5), Variant::int16(3), Variant::int16(2)},
        {"16-bit reaches its minimum", Variant::int16(-32767), Variant::int16(1),
         Variant::int16(-32768)},
        {"16-bit below its range widens", Variant::int16(-32768), Variant::int16(1),
         Variant::int32(-32769)},
        {"16-bit above its range widens", Variant::int16(32767), Variant::int16(-1),
         Variant::int32(32768)},
        {"32-bit stays 32-bit", Variant::int32(5), Variant::int16(3), Variant::int32(2)},
        {"32-bit overflow gives Double", Variant::int32(kLongMin), Variant::int32(1),
         Variant::real(-2147483649.0)},
        {"Empty left is 0", Variant(), Variant::int16(3), Variant::int16(-3)},
        {"Empty right is 0", Variant::int16(3), Variant(), Variant::int16(3)},
        {"Empty minus Empty", Variant(), Variant(), Variant::int16(0)},
        {"Empty minus Double", Variant(), Variant::real(2.5), Variant::real(-2.5)},
        {"Boolean is -1", Variant::boolean(true), Variant::int16(1), Variant::int16(-2)},
        {"Double left", Variant::real(2.5), Variant::int16(1), Variant::real(1.5)},
        {"Double right", Variant::int16(1), Variant::real(0.5), Variant::real(0.5)},
        {"whole Double stays Double", Variant::int16(10), Variant::real(0), Variant::real(10)},
        {"numeric text", Variant::string("10"), Variant::real(2.5), Variant::real(7.5)},
        {"text with exponent", Variant::string(" 1e3 "), Variant::int16(1), Variant::real(999)},
        {"text on the right", Variant::real(1), Variant::string("+0.25"), Variant::real(0.75)},
        {"Null left", Variant::null(), Variant::int16(1), Variant::null()},
        {"Null right", Variant::real(1), Variant::null(), Variant::null()},
        {"Null wins over bad text", Variant::null(), Variant::string("abc"), Variant::null()},
    };
    for (const auto& row : rows) EXPECT_EQ(row.left - row.right, row.expected) << row.what;
}

TEST(VariantSubtraction, RaisesTypeMismatchForWhatIsNoNumber) {
    const std::pair<const char*, Variant> rows[] = {
        {"word", Variant::string("abc")},
        {"empty text", Variant::string("")},
        {"Nothing", Variant::object(nullptr)},
        {"an object", Variant::object(std::make_shared<FakeEntity>())},
        {"a point", Variant::point(1, 2, 3)},
    };
    for (const auto& [what, value] : rows) {
        EXPECT_EQ(raisedCode([&] { value - Variant::real(1); }), code(hresult::kTypeMismatch))
            << what << " on the left";
        EXPECT_EQ(raisedCode([&] { Variant::int16(1) - value; }), code(hresult::kTypeMismatch))
            << what << " on the right";
    }
}

TEST(VariantSubtraction, RaisesOverflowWhenTheDoubleResultIsInfinite) {
    EXPECT_EQ(raisedCode([] { Variant::real(-kMax) - Variant::real(kMax); }),
              code(hresult::kOverflow));
    EXPECT_EQ(raisedCode([] { Variant::string("-1e308") - Variant::real(kMax); }),
              code(hresult::kOverflow));
}

TEST(VariantAddition, WidensLikeSubtraction) {
    EXPECT_EQ(Variant::int16(32767) + Variant::int16(1), Variant::int32(32768));
    EXPECT_EQ(Variant::int16(2) + Variant::int16(3), Variant::int16(5));
    EXPECT_EQ(Variant::string("1") + Variant::int16(2), Variant::real(3));
    EXPECT_EQ(Variant() + Variant::real(0.5), Variant::real(0.5));
    EXPECT_EQ(Variant::null() + Variant::int16(1), Variant::null());
}

TEST(VariantAddition, JoinsTwoTexts) {
    // With two Strings, + is concatenation for a client, not arithmetic.
    EXPECT_EQ(Variant::string("1") + Variant::string("2"), Variant::string("12"));
    EXPECT_EQ(Variant::string("PART") + Variant::string("_2"), Variant::string("PART_2"));
    EXPECT_EQ(Variant() + Variant::string("x"), Variant::string("x"));
    EXPECT_EQ(Variant::string("x") + Variant(), Variant::string("x"));
    EXPECT_EQ(raisedCode([] { Variant::string("x") + Variant::int16(1); }),
              code(hresult::kTypeMismatch));
}

}  // namespace
}  // namespace corvex::automation
