#include "automation/arithmetic.hpp"

#include <cmath>
#include <cstdint>
#include <string>

#include "automation/coerce.hpp"
#include "automation/error.hpp"

namespace corvex::automation::checked {

double finite(double value, const char* what) {
    if (std::isnan(value)) throw invalidOperation(what);
    if (std::isinf(value)) throw overflow(what);
    return value;
}

double add(double a, double b) { return finite(a + b, "in an addition"); }
double sub(double a, double b) { return finite(a - b, "in a subtraction"); }
double mul(double a, double b) { return finite(a * b, "in a multiplication"); }
double div(double a, double b) {
    if (b == 0.0) {
        if (a == 0.0 || std::isnan(a)) throw invalidOperation("0 divided by 0");
        throw divisionByZero();
    }
    return finite(a / b, "in a division");
}
double sqrt(double a) {
    if (a < 0) throw invalidOperation("square root of a negative number");
    return finite(std::sqrt(a), "in a square root");
}
double atan(double a) { return finite(std::atan(finite(a, "arctangent of a non-finite value")), "in an arctangent"); }
double sin(double a) { return finite(std::sin(finite(a, "sine of a non-finite value")), "in a sine"); }
double cos(double a) { return finite(std::cos(finite(a, "cosine of a non-finite value")), "in a cosine"); }

}  // namespace corvex::automation::checked

namespace corvex::automation {
namespace {

bool isIntegerLike(const Variant& v) {
    return v.type() == VarType::Int16 || v.type() == VarType::Int32 ||
           v.type() == VarType::Boolean || v.type() == VarType::Empty;
}

Variant narrowest(std::int64_t value, bool wide) {
    if (!wide && value >= INT16_MIN && value <= INT16_MAX)
        return Variant::int16(static_cast<std::int16_t>(value));
    if (value >= INT32_MIN && value <= INT32_MAX)
        return Variant::int32(static_cast<std::int32_t>(value));
    return Variant::real(static_cast<double>(value));
}

template <typename IntOp, typename RealOp>
Variant combine(const Variant& a, const Variant& b, IntOp intOp, RealOp realOp) {
    if (a.isNull() || b.isNull()) return Variant::null();
    if (isIntegerLike(a) && isIntegerLike(b) && !(a.isEmpty() && b.isEmpty())) {
        bool wide = a.type() == VarType::Int32 || b.type() == VarType::Int32;
        return narrowest(intOp(static_cast<std::int64_t>(toDouble(a)),
                               static_cast<std::int64_t>(toDouble(b))),
                         wide);
    }
    if (a.isEmpty() && b.isEmpty()) return Variant::int16(0);
    return Variant::real(realOp(toDouble(a), toDouble(b)));
}

}  // namespace

Variant operator-(const Variant& a, const Variant& b) {
    return combine(a, b, [](std::int64_t x, std::int64_t y) { return x - y; }, checked::sub);
}

Variant operator+(const Variant& a, const Variant& b) {
    // Text + text joins, and Empty + text is the text, as VarAdd does; text + number stays
    // arithmetic (the text is parsed).
    bool aText = a.type() == VarType::String;
    bool bText = b.type() == VarType::String;
    if ((aText && (bText || b.isEmpty())) || (bText && a.isEmpty()))
        return Variant::string((aText ? a.asString() : std::string()) +
                               (bText ? b.asString() : std::string()));
    return combine(a, b, [](std::int64_t x, std::int64_t y) { return x + y; }, checked::add);
}

}  // namespace corvex::automation
