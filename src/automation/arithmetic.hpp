#pragma once
// Double arithmetic as an automation client performs it: an overflow, a division by zero or
// an invalid operation raises an Error instead of yielding Inf or NaN.
#include "automation/variant.hpp"

namespace corvex::automation::checked {

double add(double a, double b);
double sub(double a, double b);
double mul(double a, double b);
double div(double a, double b);
double sqrt(double a);
double atan(double a);
double sin(double a);
double cos(double a);

// Raises on a non-finite value; returns it otherwise. Use after any other library call.
double finite(double value, const char* what);

}  // namespace corvex::automation::checked

namespace corvex::automation {

// Variant arithmetic: Null propagates; Empty is 0; text is parsed as a number; integer
// operands stay integers while the result fits (16-bit, then 32-bit), else become Double.
// One exception for +: text + text (or text + Empty) joins the texts.
Variant operator-(const Variant& a, const Variant& b);
Variant operator+(const Variant& a, const Variant& b);

}  // namespace corvex::automation
