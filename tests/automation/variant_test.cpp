// The Variant itself: what kind it holds, strict equality (which the host journal and the
// tests compare with) and the one-line form the journal records.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "automation/error.hpp"
#include "automation/variant.hpp"
#include "automation_test_support.hpp"

namespace corvex::automation {
namespace {

using test_support::code;
using test_support::FakeEntity;
using test_support::raisedCode;

TEST(Variant, StartsEmptyAndReportsItsKind) {
    const struct {
        Variant value;
        VarType type;
        bool numeric;
    } rows[] = {
        {Variant(), VarType::Empty, false},
        {Variant::null(), VarType::Null, false},
        {Variant::int16(1), VarType::Int16, true},
        {Variant::int32(1), VarType::Int32, true},
        {Variant::real(1), VarType::Double, true},
        {Variant::boolean(false), VarType::Boolean, true},
        {Variant::string("1"), VarType::String, false},
        {Variant::object(nullptr), VarType::Object, false},
        {Variant::point(0, 0, 0), VarType::Array, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.value.type(), row.type) << varTypeName(row.type);
        EXPECT_EQ(row.value.isNumeric(), row.numeric) << varTypeName(row.type);
    }
}

TEST(Variant, RawAccessRaisesTypeMismatchForAnotherKind) {
    const Variant text = Variant::string("1");
    EXPECT_EQ(raisedCode([&] { text.asInt16(); }), code(hresult::kTypeMismatch));
    EXPECT_EQ(raisedCode([&] { text.asDouble(); }), code(hresult::kTypeMismatch));
    EXPECT_EQ(raisedCode([&] { text.asArray(); }), code(hresult::kTypeMismatch));
    EXPECT_EQ(raisedCode([&] { Variant::int16(1).asInt32(); }), code(hresult::kTypeMismatch));
    EXPECT_EQ(raisedCode([&] { Variant().asObject(); }), code(hresult::kTypeMismatch));
    EXPECT_EQ(raisedCode([&] { Variant::real(1).asString(); }), code(hresult::kTypeMismatch));
    EXPECT_EQ(raisedCode([&] { Variant::real(1).asBoolean(); }), code(hresult::kTypeMismatch));
}

TEST(Variant, PointAndDoublesAreDoubleArraysFromZero) {
    const Variant point = Variant::point(1, 2, 3);
    const auto& a = point.asArray();
    EXPECT_EQ(a.elementType(), VarType::Double);
    EXPECT_EQ(a.lowerBound(), 0);
    EXPECT_EQ(a.upperBound(), 2);
    EXPECT_EQ(Variant::variants({Variant()}).asArray().elementType(), VarType::Empty);
}

TEST(VariantEquality, ComparesKindAndValue) {
    auto entity = std::make_shared<FakeEntity>();
    EXPECT_EQ(Variant(), Variant());
    EXPECT_EQ(Variant::null(), Variant::null());
    EXPECT_EQ(Variant::int16(7), Variant::int16(7));
    EXPECT_EQ(Variant::string("PART"), Variant::string("PART"));
    EXPECT_EQ(Variant::object(entity), Variant::object(entity));
    EXPECT_EQ(Variant::object(nullptr), Variant::object(nullptr));
    EXPECT_EQ(Variant::point(1, 2, 3), Variant::doubles({1, 2, 3}));
}

TEST(VariantEquality, DistinguishesWhatAJournalMustTellApart) {
    const struct {
        const char* what;
        Variant a;
        Variant b;
    } rows[] = {
        {"16 vs 32 bits", Variant::int16(1), Variant::int32(1)},
        {"integer vs Double", Variant::int16(1), Variant::real(1)},
        {"number vs its text", Variant::real(1), Variant::string("1")},
        {"Empty vs Null", Variant(), Variant::null()},
        {"Empty vs zero", Variant(), Variant::int16(0)},
        {"Empty vs empty text", Variant(), Variant::string("")},
        {"text case", Variant::string("Part"), Variant::string("PART")},
        {"different objects", Variant::object(std::make_shared<FakeEntity>()),
         Variant::object(std::make_shared<FakeEntity>())},
        {"object vs Nothing", Variant::object(std::make_shared<FakeEntity>()),
         Variant::object(nullptr)},
        {"different element", Variant::point(1, 2, 3), Variant::point(1, 2, 4)},
        {"different length", Variant::point(1, 2, 3), Variant::doubles({1, 2})},
        {"different lower bound", Variant::point(1, 2, 3),
         Variant::array(Array(VarType::Double, 1,
                              {Variant::real(1), Variant::real(2), Variant::real(3)}))},
        {"Double array vs Variant array", Variant::point(1, 2, 3),
         Variant::variants({Variant::real(1), Variant::real(2), Variant::real(3)})},
    };
    for (const auto& row : rows) EXPECT_FALSE(row.a == row.b) << row.what;
}

TEST(VariantEquality, ACopyOfAnArrayEqualsItsOriginal) {
    Variant original = Variant::variants({Variant::int16(1), Variant::point(0, 0, 1)});
    Variant copy = original;
    EXPECT_EQ(copy, original);
}

TEST(ToDebugString, MarksEachKind) {
    const struct {
        Variant value;
        const char* text;
    } rows[] = {
        {Variant(), "Empty"},
        {Variant::null(), "Null"},
        {Variant::int16(1), "1%"},
        {Variant::int16(-32768), "-32768%"},
        {Variant::int32(1), "1&"},
        {Variant::int32(100000), "100000&"},
        {Variant::real(1), "1"},
        {Variant::real(1.5), "1.5"},
        {Variant::real(0.1), "0.1"},
        {Variant::real(1e20), "1E+20"},
        {Variant::real(100000), "100000"},
        {Variant::boolean(true), "True"},
        {Variant::boolean(false), "False"},
        {Variant::string("PART"), "\"PART\""},
        {Variant::string(""), "\"\""},
        {Variant::string("say \"hi\""), "\"say \"\"hi\"\"\""},
        {Variant::object(nullptr), "Nothing"},
        {Variant::object(std::make_shared<FakeEntity>("IAcadRegion")), "<IAcadRegion#1>"},
        {Variant::point(1, 2.5, -3), "[1, 2.5, -3]"},
        {Variant::doubles({}), "[]"},
        {Variant::variants({Variant::int16(1), Variant::string("a"), Variant()}),
         "[1%, \"a\", Empty]"},
        {Variant::array(Array(VarType::Double, 1, {Variant::real(1), Variant::real(2)})),
         "[@1: 1, 2]"},
        {Variant::variants({Variant::point(0, 0, 1), Variant::int32(2)}), "[[0, 0, 1], 2&]"},
    };
    for (const auto& row : rows) EXPECT_EQ(row.value.toDebugString(), row.text);
}

}  // namespace
}  // namespace corvex::automation
