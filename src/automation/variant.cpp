#include "automation/variant.hpp"

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "automation/number_text.hpp"

namespace corvex::automation {

const char* varTypeName(VarType type) {
    switch (type) {
        case VarType::Empty: return "Empty";
        case VarType::Null: return "Null";
        case VarType::Int16: return "Integer";
        case VarType::Int32: return "Long";
        case VarType::Double: return "Double";
        case VarType::Boolean: return "Boolean";
        case VarType::String: return "String";
        case VarType::Object: return "Object";
        case VarType::Array: return "Array";
    }
    return "?";
}

Array::Array(VarType elementType, std::int32_t lowerBound, std::vector<Variant> items)
    : elementType_(elementType), lowerBound_(lowerBound), items_(std::move(items)) {
    if (elementType_ != VarType::Empty)
        for (auto& item : items_) item = changeType(item, elementType_);
}

std::int32_t Array::upperBound() const {
    return static_cast<std::int32_t>(lowerBound_ + static_cast<std::int64_t>(items_.size()) - 1);
}

std::size_t Array::offset(std::int64_t index) const {
    // Taken apart unsigned: a caller's index may lie anywhere in 64 bits, and the difference
    // of two signed ones may not fit in one.
    const std::uint64_t off = static_cast<std::uint64_t>(index) - static_cast<std::uint64_t>(std::int64_t{lowerBound_});
    if (index < lowerBound_ || off >= items_.size())
        throw subscriptOutOfRange("index " + std::to_string(index) + " is outside " +
                                  std::to_string(lowerBound_) + ".." +
                                  std::to_string(upperBound()));
    return static_cast<std::size_t>(off);
}

const Variant& Array::at(std::int64_t index) const { return items_[offset(index)]; }

void Array::set(std::int64_t index, const Variant& value) {
    auto off = offset(index);
    items_[off] = elementType_ == VarType::Empty ? value : changeType(value, elementType_);
}

Variant Variant::int16(std::int16_t v) { Variant r; r.value_ = v; return r; }
Variant Variant::int32(std::int32_t v) { Variant r; r.value_ = v; return r; }
Variant Variant::real(double v) { Variant r; r.value_ = v; return r; }
Variant Variant::boolean(bool v) { Variant r; r.value_ = v; return r; }
Variant Variant::string(std::string v) { Variant r; r.value_ = std::move(v); return r; }
Variant Variant::object(ObjectRef ref) { Variant r; r.value_ = std::move(ref); return r; }
Variant Variant::array(Array a) {
    Variant r;
    r.value_ = std::make_shared<const Array>(std::move(a));
    return r;
}
Variant Variant::doubles(const std::vector<double>& values) {
    std::vector<Variant> items;
    items.reserve(values.size());
    for (double v : values) items.push_back(real(v));
    return array(Array(VarType::Double, 0, std::move(items)));
}
Variant Variant::variants(std::vector<Variant> values) {
    return array(Array(VarType::Empty, 0, std::move(values)));
}

VarType Variant::type() const { return static_cast<VarType>(value_.index()); }

bool Variant::isNumeric() const {
    switch (type()) {
        case VarType::Int16: case VarType::Int32: case VarType::Double: case VarType::Boolean:
            return true;
        default:
            return false;
    }
}

namespace {
[[noreturn]] void wrongKind(const Variant& v, const char* wanted) {
    throw typeMismatch(std::string("expected a ") + wanted + ", got " + varTypeName(v.type()));
}
}  // namespace

std::int16_t Variant::asInt16() const {
    if (auto p = std::get_if<std::int16_t>(&value_)) return *p;
    wrongKind(*this, "16-bit integer");
}
std::int32_t Variant::asInt32() const {
    if (auto p = std::get_if<std::int32_t>(&value_)) return *p;
    wrongKind(*this, "32-bit integer");
}
double Variant::asDouble() const {
    if (auto p = std::get_if<double>(&value_)) return *p;
    wrongKind(*this, "Double");
}
bool Variant::asBoolean() const {
    if (auto p = std::get_if<bool>(&value_)) return *p;
    wrongKind(*this, "Boolean");
}
const std::string& Variant::asString() const {
    if (auto p = std::get_if<std::string>(&value_)) return *p;
    wrongKind(*this, "String");
}
const ObjectRef& Variant::asObject() const {
    if (auto p = std::get_if<ObjectRef>(&value_)) return *p;
    wrongKind(*this, "object");
}
const Array& Variant::asArray() const {
    if (auto p = std::get_if<std::shared_ptr<const Array>>(&value_)) return **p;
    wrongKind(*this, "array");
}

std::string Variant::toDebugString() const {
    switch (type()) {
        case VarType::Empty: return "Empty";
        case VarType::Null: return "Null";
        case VarType::Int16: return std::to_string(asInt16()) + "%";
        case VarType::Int32: return std::to_string(asInt32()) + "&";
        case VarType::Double: return shortestText(asDouble());
        case VarType::Boolean: return asBoolean() ? "True" : "False";
        case VarType::String: {
            // Quotes inside are doubled, as in a Basic literal, so that the line stays unambiguous.
            std::string text = "\"";
            for (char c : asString()) text += c == '"' ? "\"\"" : std::string(1, c);
            return text + "\"";
        }
        case VarType::Object: {
            const auto& ref = asObject();
            return ref ? "<" + ref->describe() + ">" : "Nothing";
        }
        case VarType::Array: {
            const auto& a = asArray();
            std::string text = a.lowerBound() == 0 ? "[" : "[@" + std::to_string(a.lowerBound()) + ": ";
            for (std::size_t i = 0; i < a.size(); ++i) {
                if (i) text += ", ";
                text += a.items()[i].toDebugString();
            }
            return text + "]";
        }
    }
    return "?";
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.type() != b.type()) return false;
    if (a.isArray()) {
        const auto& x = a.asArray();
        const auto& y = b.asArray();
        return x.lowerBound() == y.lowerBound() && x.elementType() == y.elementType() &&
               x.items() == y.items();
    }
    return a.value_ == b.value_;
}

}  // namespace corvex::automation
