#include "automation/coerce.hpp"

#include <cmath>

#include "automation/error.hpp"
#include "automation/number_text.hpp"

namespace corvex::automation {
namespace {

[[noreturn]] void cannotConvert(const Variant& v, const char* target) {
    throw typeMismatch(std::string("cannot convert ") + varTypeName(v.type()) + " " +
                       (v.type() == VarType::String ? v.toDebugString() + " " : std::string()) +
                       "to " + target);
}

}  // namespace

double toDouble(const Variant& v) {
    switch (v.type()) {
        case VarType::Empty: return 0.0;
        case VarType::Int16: return v.asInt16();
        case VarType::Int32: return v.asInt32();
        case VarType::Double: return v.asDouble();
        case VarType::Boolean: return v.asBoolean() ? -1.0 : 0.0;
        case VarType::String:
            if (auto number = parseNumber(v.asString())) return *number;
            cannotConvert(v, "a number");
        default:
            cannotConvert(v, "a number");
    }
}

std::int16_t roundToInt16(double value) {
    if (!(std::fabs(value) < 65536.0)) throw overflow("value is outside -32768..32767");
    double rounded = std::nearbyint(value);  // default rounding mode: half to even
    if (rounded < -32768.0 || rounded > 32767.0)
        throw overflow(shortestText(value) + " is outside -32768..32767");
    return static_cast<std::int16_t>(rounded);
}

std::int32_t roundToInt32(double value) {
    if (!(std::fabs(value) < 4294967296.0)) throw overflow("value is outside the 32-bit range");
    double rounded = std::nearbyint(value);
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        throw overflow(shortestText(value) + " is outside the 32-bit range");
    return static_cast<std::int32_t>(rounded);
}

std::int16_t toInt16(const Variant& v) {
    if (v.type() == VarType::Int16) return v.asInt16();
    return roundToInt16(toDouble(v));
}

std::int32_t toInt32(const Variant& v) {
    switch (v.type()) {
        case VarType::Int16: return v.asInt16();
        case VarType::Int32: return v.asInt32();
        default: return roundToInt32(toDouble(v));
    }
}

bool toBoolean(const Variant& v) {
    if (v.type() == VarType::Boolean) return v.asBoolean();
    if (v.type() == VarType::String) {
        const auto& s = v.asString();
        auto lower = s;
        for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower == "true") return true;
        if (lower == "false") return false;
    }
    double number = toDouble(v);
    if (std::isnan(number)) cannotConvert(v, "a Boolean");
    return number != 0.0;
}

std::string toText(const Variant& v) {
    switch (v.type()) {
        case VarType::Empty: return {};
        case VarType::Int16: return std::to_string(v.asInt16());
        case VarType::Int32: return std::to_string(v.asInt32());
        case VarType::Double: return shortestText(v.asDouble());
        case VarType::Boolean: return v.asBoolean() ? "True" : "False";
        case VarType::String: return v.asString();
        default: cannotConvert(v, "text");
    }
}

ObjectRef toObject(const Variant& v) {
    if (v.type() == VarType::Object && v.asObject()) return v.asObject();
    throw objectRequired(std::string("got ") +
                         (v.isObject() ? "Nothing" : varTypeName(v.type())));
}

Variant changeType(const Variant& v, VarType type) {
    switch (type) {
        case VarType::Empty: return v;  // an element of a Variant array takes anything
        case VarType::Int16: return Variant::int16(toInt16(v));
        case VarType::Int32: return Variant::int32(toInt32(v));
        case VarType::Double: return Variant::real(toDouble(v));
        case VarType::Boolean: return Variant::boolean(toBoolean(v));
        case VarType::String: return Variant::string(toText(v));
        case VarType::Object:
            if (v.isObject()) return v;  // Nothing is a valid object value
            throw objectRequired(std::string("got ") + varTypeName(v.type()));
        case VarType::Null:
        case VarType::Array:
            if (v.type() == type) return v;
            cannotConvert(v, varTypeName(type));
    }
    cannotConvert(v, varTypeName(type));
}

Point3 toPoint(const Variant& v) {
    if (!v.isArray()) throw typeMismatch(std::string("a point must be an array of three numbers, got ") + varTypeName(v.type()));
    const auto& a = v.asArray();
    if (a.size() < 3)
        throw subscriptOutOfRange("a point needs three coordinates, got " + std::to_string(a.size()));
    auto lb = a.lowerBound();
    return {toDouble(a.at(lb)), toDouble(a.at(lb + 1)), toDouble(a.at(lb + 2))};
}

}  // namespace corvex::automation
