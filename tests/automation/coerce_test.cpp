// What a typed parameter makes of the Variant a late-bound client passes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "automation_test_support.hpp"

namespace corvex::automation {
namespace {

using test_support::code;
using test_support::FakeEntity;
using test_support::raisedCode;

struct NumberRow {
    const char* what;
    Variant value;
    double expected;
};

TEST(ToDouble, TakesEveryValueThatCountsAsANumber) {
    const NumberRow rows[] = {
        {"Empty", Variant(), 0.0},
        {"16-bit integer", Variant::int16(-7), -7.0},
        {"32-bit integer", Variant::int32(100000), 100000.0},
        {"Double", Variant::real(2.5), 2.5},
        {"True", Variant::boolean(true), -1.0},
        {"False", Variant::boolean(false), 0.0},
        {"integer text", Variant::string("42"), 42.0},
        {"blanks around", Variant::string("  7.25 \t"), 7.25},
        {"plus sign", Variant::string("+1"), 1.0},
        {"minus sign", Variant::string("-3"), -3.0},
        {"decimal text", Variant::string("2.5"), 2.5},
        {"exponent", Variant::string("1e3"), 1000.0},
        {"capital exponent with sign", Variant::string("1.5E-2"), 0.015},
        {"leading point", Variant::string(".5"), 0.5},
        {"blanks and plus", Variant::string(" +2.5 "), 2.5},
    };
    for (const auto& row : rows) EXPECT_EQ(toDouble(row.value), row.expected) << row.what;
}

// Values that are no number wherever a number or text is wanted.
std::vector<std::pair<const char*, Variant>> valuesThatAreNoNumber() {
    return {
        {"Null", Variant::null()},
        {"Nothing", Variant::object(nullptr)},
        {"an object", Variant::object(std::make_shared<FakeEntity>())},
        {"a Double array", Variant::point(1, 2, 3)},
        {"a Variant array", Variant::variants({Variant::int16(1)})},
    };
}

std::vector<std::pair<const char*, Variant>> textsThatAreNoNumber() {
    return {
        {"word", Variant::string("abc")},
        {"empty text", Variant::string("")},
        {"blanks only", Variant::string("   ")},
        {"trailing letters", Variant::string("12abc")},
        {"two numbers", Variant::string("1 2")},
        {"sign then sign", Variant::string("+-1")},
        {"double minus", Variant::string("--1")},
        {"double plus", Variant::string("++1")},
        {"blank after sign", Variant::string("+ 1")},
        {"lone sign", Variant::string("+")},
        {"exponent without digits", Variant::string("1e")},
        {"C hex", Variant::string("0x10")},
        {"infinity", Variant::string("inf")},
        {"not a number", Variant::string("NaN")},
    };
}

TEST(ToDouble, RaisesTypeMismatchForWhatIsNoNumber) {
    auto rows = valuesThatAreNoNumber();
    for (auto& row : textsThatAreNoNumber()) rows.push_back(row);
    for (const auto& [what, value] : rows) {
        EXPECT_EQ(raisedCode([&] { toDouble(value); }), code(hresult::kTypeMismatch)) << what;
        EXPECT_EQ(raisedCode([&] { toInt16(value); }), code(hresult::kTypeMismatch)) << what;
        EXPECT_EQ(raisedCode([&] { toInt32(value); }), code(hresult::kTypeMismatch)) << what;
    }
}

TEST(ToDouble, TypeMismatchNamesTheOffendingValue) {
    auto error = test_support::raisedError([] { toDouble(Variant::string("abc")); });
    ASSERT_TRUE(error);
    EXPECT_NE(error->description().find("\"abc\""), std::string::npos) << error->description();
    error = test_support::raisedError([] { toDouble(Variant::null()); });
    ASSERT_TRUE(error);
    EXPECT_NE(error->description().find("Null"), std::string::npos) << error->description();
}

struct TextRow {
    const char* what;
    Variant value;
    const char* expected;
};

TEST(ToText, GivesTheDecimalTextAClientWouldSee) {
    const TextRow rows[] = {
        {"Empty", Variant(), ""},
        {"16-bit", Variant::int16(-3), "-3"},
        {"16-bit extreme", Variant::int16(-32768), "-32768"},
        {"32-bit", Variant::int32(100000), "100000"},
        {"32-bit extreme", Variant::int32(-2147483647 - 1), "-2147483648"},
        {"whole Double", Variant::real(1), "1"},
        {"negative Double", Variant::real(-3), "-3"},
        {"half", Variant::real(2.5), "2.5"},
        {"tenth", Variant::real(0.1), "0.1"},
        {"large", Variant::real(1e20), "1E+20"},
        {"colour number", Variant::real(256), "256"},
        {"hundred thousand", Variant::real(100000), "100000"},
        {"True", Variant::boolean(true), "True"},
        {"False", Variant::boolean(false), "False"},
        {"text passes unchanged", Variant::string(" BYLAYER "), " BYLAYER "},
        {"non-numeric text too", Variant::string("abc"), "abc"},
    };
    for (const auto& row : rows) EXPECT_EQ(toText(row.value), row.expected) << row.what;
}

TEST(ToText, RaisesTypeMismatchForNullObjectsAndArrays) {
    for (const auto& [what, value] : valuesThatAreNoNumber())
        EXPECT_EQ(raisedCode([&] { toText(value); }), code(hresult::kTypeMismatch)) << what;
}

TEST(ToBoolean, TakesNumbersAndTheWordsTrueAndFalse) {
    const struct {
        const char* what;
        Variant value;
        bool expected;
    } rows[] = {
        {"Empty", Variant(), false},
        {"zero", Variant::int16(0), false},
        {"minus one", Variant::int16(-1), true},
        {"fraction", Variant::real(0.25), true},
        {"True text", Variant::string("True"), true},
        {"false text any case", Variant::string("fALSE"), false},
        {"numeric text", Variant::string("0"), false},
        {"Boolean", Variant::boolean(true), true},
    };
    for (const auto& row : rows) EXPECT_EQ(toBoolean(row.value), row.expected) << row.what;
    EXPECT_EQ(raisedCode([] { toBoolean(Variant::string("yes")); }), code(hresult::kTypeMismatch));
    EXPECT_EQ(raisedCode([] { toBoolean(Variant::null()); }), code(hresult::kTypeMismatch));
}

TEST(ToObject, ReturnsTheVeryObjectHeld) {
    auto entity = std::make_shared<FakeEntity>();
    EXPECT_EQ(toObject(Variant::object(entity)), entity);
}

TEST(ToObject, RaisesObjectRequiredForAnythingElse) {
    const std::pair<const char*, Variant> rows[] = {
        {"Empty", Variant()},
        {"Nothing", Variant::object(nullptr)},
        {"16-bit", Variant::int16(1)},
        {"32-bit", Variant::int32(1)},
        {"Double", Variant::real(1)},
        {"Boolean", Variant::boolean(true)},
        {"text", Variant::string("PART")},
        {"Null", Variant::null()},
        {"array", Variant::point(0, 0, 0)},
    };
    for (const auto& [what, value] : rows)
        EXPECT_EQ(raisedCode([&] { toObject(value); }), code(hresult::kObjectRequired)) << what;

    auto error = test_support::raisedError([] { toObject(Variant::object(nullptr)); });
    ASSERT_TRUE(error);
    EXPECT_NE(error->description().find("Nothing"), std::string::npos) << error->description();
}

TEST(ChangeType, ConvertsToTheRequestedKind) {
    EXPECT_EQ(changeType(Variant::int16(3), VarType::Double), Variant::real(3));
    EXPECT_EQ(changeType(Variant::real(2.5), VarType::Int16), Variant::int16(2));
    EXPECT_EQ(changeType(Variant::real(3.5), VarType::Int32), Variant::int32(4));
    EXPECT_EQ(changeType(Variant::real(2.5), VarType::String), Variant::string("2.5"));
    EXPECT_EQ(changeType(Variant::string(" 7 "), VarType::Int16), Variant::int16(7));
    EXPECT_EQ(changeType(Variant::int16(0), VarType::Boolean), Variant::boolean(false));
    EXPECT_EQ(changeType(Variant(), VarType::Double), Variant::real(0));
}

TEST(ChangeType, AVariantTargetTakesAnythingUnchanged) {
    const Variant rows[] = {Variant(), Variant::null(), Variant::string("x"), Variant::point(1, 2, 3),
                            Variant::object(nullptr)};
    for (const auto& value : rows) EXPECT_EQ(changeType(value, VarType::Empty), value);
}

TEST(ChangeType, AnObjectTargetTakesNothingButRejectsValues) {
    EXPECT_EQ(changeType(Variant::object(nullptr), VarType::Object), Variant::object(nullptr));
    EXPECT_EQ(raisedCode([] { changeType(Variant(), VarType::Object); }),
              code(hresult::kObjectRequired));
    EXPECT_EQ(raisedCode([] { changeType(Variant::int16(1), VarType::Object); }),
              code(hresult::kObjectRequired));
}

TEST(ChangeType, NoScalarBecomesAnArrayOrNull) {
    EXPECT_EQ(raisedCode([] { changeType(Variant::real(1), VarType::Array); }),
              code(hresult::kTypeMismatch));
    EXPECT_EQ(raisedCode([] { changeType(Variant(), VarType::Null); }),
              code(hresult::kTypeMismatch));
}

}  // namespace
}  // namespace corvex::automation
