// Arrays with a lower bound, as safe arrays cross a late-bound call, and the point form
// (three numbers from the lower bound on) that every geometric member reads.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "automation_test_support.hpp"

namespace corvex::automation {
namespace {

using test_support::code;
using test_support::FakeEntity;
using test_support::raisedCode;

Array doublesFrom(std::int32_t lowerBound, std::initializer_list<double> values) {
    std::vector<Variant> items;
    for (double v : values) items.push_back(Variant::real(v));
    return Array(VarType::Double, lowerBound, std::move(items));
}

TEST(Array, IndexesFromItsLowerBound) {
    Array a = doublesFrom(1, {10, 20, 30});
    EXPECT_EQ(a.lowerBound(), 1);
    EXPECT_EQ(a.upperBound(), 3);
    EXPECT_EQ(a.at(1), Variant::real(10));
    EXPECT_EQ(a.at(3), Variant::real(30));

    Array negative = doublesFrom(-2, {1, 2});
    EXPECT_EQ(negative.upperBound(), -1);
    EXPECT_EQ(negative.at(-2), Variant::real(1));
}

TEST(Array, RaisesSubscriptOutOfRangeOutsideItsBounds) {
    const Array a = doublesFrom(1, {10, 20, 30});
    const std::int64_t outside[] = {0, 4, -1, std::numeric_limits<std::int64_t>::min(),
                                    std::numeric_limits<std::int64_t>::max(),
                                    std::int64_t{1} << 32};
    for (auto index : outside)
        EXPECT_EQ(raisedCode([&] { a.at(index); }), code(hresult::kBadIndex)) << index;

    auto error = test_support::raisedError([&] { a.at(4); });
    ASSERT_TRUE(error);
    EXPECT_NE(error->description().find("Subscript out of range"), std::string::npos);
    EXPECT_NE(error->description().find("1..3"), std::string::npos) << error->description();
}

TEST(Array, AnEmptyArrayHasNoValidIndex) {
    const Array empty(VarType::Empty, 0, {});
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_EQ(empty.upperBound(), -1);
    EXPECT_EQ(raisedCode([&] { empty.at(0); }), code(hresult::kBadIndex));
}

TEST(Array, ATypedArrayConvertsWhatIsStoredInIt) {
    Array a(VarType::Double, 0,
            {Variant::int16(1), Variant::boolean(true), Variant::string(" 2.5 "), Variant()});
    EXPECT_EQ(a.at(0), Variant::real(1));
    EXPECT_EQ(a.at(1), Variant::real(-1));
    EXPECT_EQ(a.at(2), Variant::real(2.5));
    EXPECT_EQ(a.at(3), Variant::real(0));

    a.set(0, Variant::int32(7));
    EXPECT_EQ(a.at(0), Variant::real(7));
}

TEST(Array, ATypedArrayRefusesWhatCannotBeConverted) {
    EXPECT_EQ(raisedCode([] { Array(VarType::Double, 0, {Variant::string("abc")}); }),
              code(hresult::kTypeMismatch));
    EXPECT_EQ(raisedCode([] { Array(VarType::Int16, 0, {Variant::real(40000)}); }),
              code(hresult::kOverflow));

    Array a = doublesFrom(0, {1, 2});
    EXPECT_EQ(raisedCode([&] { a.set(1, Variant::null()); }), code(hresult::kTypeMismatch));
    EXPECT_EQ(a.at(1), Variant::real(2)) << "a refused store leaves the element as it was";
}

TEST(Array, AVariantArrayKeepsEachElementAsGiven) {
    Array a(VarType::Empty, 0, {Variant::int16(1), Variant::string("a"), Variant()});
    EXPECT_EQ(a.at(0), Variant::int16(1));
    EXPECT_EQ(a.at(1), Variant::string("a"));
    a.set(2, Variant::null());
    EXPECT_EQ(a.at(2), Variant::null());
}

TEST(Array, AnEntityListTakesObjectsAndNothingOnly) {
    auto entity = std::make_shared<FakeEntity>();
    Array list(VarType::Object, 0, {Variant::object(entity), Variant::object(nullptr)});
    EXPECT_EQ(toObject(list.at(0)), entity);
    EXPECT_EQ(raisedCode([] { Array(VarType::Object, 0, {Variant::int16(1)}); }),
              code(hresult::kObjectRequired));
}

TEST(Array, StoringOutsideTheBoundsRaises) {
    Array a = doublesFrom(1, {1});
    EXPECT_EQ(raisedCode([&] { a.set(0, Variant::real(5)); }), code(hresult::kBadIndex));
    EXPECT_EQ(raisedCode([&] { a.set(2, Variant::real(5)); }), code(hresult::kBadIndex));
}

TEST(ToPoint, ReadsThreeNumbersFromTheLowerBound) {
    Point3 p = toPoint(Variant::point(1, -2, 3.5));
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.y, -2);
    EXPECT_EQ(p.z, 3.5);

    Point3 fromOne = toPoint(Variant::array(doublesFrom(1, {4, 5, 6})));
    EXPECT_EQ(fromOne.x, 4);
    EXPECT_EQ(fromOne.y, 5);
    EXPECT_EQ(fromOne.z, 6);
}

TEST(ToPoint, ConvertsTheElementsOfAVariantArray) {
    Point3 p = toPoint(Variant::variants({Variant::int16(1), Variant::string("2.5"), Variant()}));
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.y, 2.5);
    EXPECT_EQ(p.z, 0);
}

TEST(ToPoint, IgnoresElementsPastTheThird) {
    Point3 p = toPoint(Variant::doubles({7, 8, 9, 10}));
    EXPECT_EQ(p.z, 9);
}

TEST(ToPoint, RaisesSubscriptOutOfRangeWhenTooShort) {
    const std::pair<const char*, Variant> rows[] = {
        {"two from 0", Variant::doubles({1, 2})},
        {"two from 1", Variant::array(doublesFrom(1, {1, 2}))},
        {"none", Variant::doubles({})},
    };
    for (const auto& [what, value] : rows)
        EXPECT_EQ(raisedCode([&] { toPoint(value); }), code(hresult::kBadIndex)) << what;
}

TEST(ToPoint, RaisesTypeMismatchForWhatIsNoArrayOfNumbers) {
    const std::pair<const char*, Variant> rows[] = {
        {"Empty", Variant()},
        {"Double", Variant::real(1)},
        {"text", Variant::string("1,2,3")},
        {"Nothing", Variant::object(nullptr)},
        {"Null", Variant::null()},
        {"text element", Variant::variants({Variant::real(1), Variant::string("y"), Variant::real(3)})},
        {"Null element", Variant::variants({Variant::real(1), Variant::real(2), Variant::null()})},
        {"nested array", Variant::variants({Variant::point(1, 2, 3), Variant::real(2), Variant::real(3)})},
    };
    for (const auto& [what, value] : rows)
        EXPECT_EQ(raisedCode([&] { toPoint(value); }), code(hresult::kTypeMismatch)) << what;
}

}  // namespace
}  // namespace corvex::automation
