#pragma once
// The automation Variant: the one value type that crosses every late-bound call.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "automation/object.hpp"

namespace corvex::automation {

enum class VarType { Empty, Null, Int16, Int32, Double, Boolean, String, Object, Array };

const char* varTypeName(VarType type);

class Variant;

// A one-dimensional array with a lower bound. `elementType` is the declared element kind
// (Double for a vertex list, Object for an entity list; Empty means an array of Variants):
// an element stored into a typed array is converted to that kind.
class Array {
public:
    Array(VarType elementType, std::int32_t lowerBound, std::vector<Variant> items);

    VarType elementType() const { return elementType_; }
    std::int32_t lowerBound() const { return lowerBound_; }
    std::int32_t upperBound() const;
    std::size_t size() const { return items_.size(); }
    const std::vector<Variant>& items() const { return items_; }

    // Bounds-checked access by the array's own index ("Subscript out of range").
    const Variant& at(std::int64_t index) const;
    void set(std::int64_t index, const Variant& value);

private:
    std::size_t offset(std::int64_t index) const;

    VarType elementType_;
    std::int32_t lowerBound_;
    std::vector<Variant> items_;
};

class Variant {
public:
    struct EmptyTag {
        friend bool operator==(EmptyTag, EmptyTag) { return true; }
    };
    struct NullTag {
        friend bool operator==(NullTag, NullTag) { return true; }
    };

    Variant() = default;
    static Variant null() { return Variant(NullTag{}); }
    static Variant int16(std::int16_t v);
    static Variant int32(std::int32_t v);
    static Variant real(double v);
    static Variant boolean(bool v);
    static Variant string(std::string v);
    static Variant object(ObjectRef ref);
    static Variant array(Array a);
    // A Double array, lower bound 0: a point or a vertex list.
    static Variant doubles(const std::vector<double>& values);
    static Variant point(double x, double y, double z) { return doubles({x, y, z}); }
    // An array of Variants, lower bound 0.
    static Variant variants(std::vector<Variant> values);

    VarType type() const;
    bool isEmpty() const { return type() == VarType::Empty; }
    bool isNull() const { return type() == VarType::Null; }
    bool isObject() const { return type() == VarType::Object; }
    bool isArray() const { return type() == VarType::Array; }
    bool isNumeric() const;

    // Raw access; each throws a type mismatch when the Variant holds something else.
    std::int16_t asInt16() const;
    std::int32_t asInt32() const;
    double asDouble() const;
    bool asBoolean() const;
    const std::string& asString() const;
    const ObjectRef& asObject() const;
    const Array& asArray() const;

    // One line for journals: 1% is a 16-bit integer, 1& a 32-bit one, 1.5 a Double,
    // "text" a String, [..] an array, <kind#id> an object.
    std::string toDebugString() const;

    friend bool operator==(const Variant& a, const Variant& b);

private:
    explicit Variant(NullTag) : value_(NullTag{}) {}

    using Storage = std::variant<EmptyTag, NullTag, std::int16_t, std::int32_t, double, bool,
                                 std::string, ObjectRef, std::shared_ptr<const Array>>;
    Storage value_;
};

}  // namespace corvex::automation
