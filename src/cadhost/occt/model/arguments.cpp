#include "cadhost/occt/model/arguments.hpp"

#include <cmath>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "automation/number_text.hpp"
#include "cadhost/occt/model/entity_base.hpp"

namespace corvex::cadhost::occt {

using automation::Variant;

namespace {

void checkInRange(double number, const std::string& what) {
    if (!std::isfinite(number)) throw automation::invalidArgument(what + " must be a finite number");
    if (std::fabs(number) > kWorkingRange)
        throw automation::invalidArgument(what + " is " + automation::shortestText(number) +
                                          ", outside the working range of -1e6 to 1e6");
}

}  // namespace

double numberArg(const Variant& value, const char* what) {
    double number = automation::toDouble(value);
    checkInRange(number, what);
    return number;
}

double positiveArg(const Variant& value, const char* what) {
    const double number = automation::toDouble(value);
    const std::string name(what);
    if (!std::isfinite(number)) throw automation::invalidArgument(name + " must be a finite number");
    if (number <= 0)
        throw automation::invalidArgument(name + " must be greater than 0, got " + automation::shortestText(number));
    if (number <= kShortestLength)
        throw automation::invalidArgument(name + " is " + automation::shortestText(number) +
                                          ", not longer than the shortest length the model holds, 1e-7");
    if (number > 2 * kWorkingRange)
        throw automation::invalidArgument(name + " is " + automation::shortestText(number) +
                                          ", longer than the working range's span of 2e6");
    return number;
}

gp_Pnt pointArg(const Variant& value, const char* what) {
    automation::Point3 p;
    try {
        p = automation::toPoint(value);
    } catch (const automation::Error& error) {
        throw automation::Error(error.hr(), {}, std::string(what) + ": " + error.description());
    }
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
        throw automation::invalidArgument(std::string(what) + " has a coordinate that is not finite");
    for (double coordinate : {p.x, p.y, p.z}) checkInRange(coordinate, std::string(what) + "'s coordinate");
    return {p.x, p.y, p.z};
}

gp_Vec directionArg(const Variant& value, const char* what) {
    gp_Pnt p = pointArg(value, what);
    gp_Vec v(p.XYZ());
    if (v.Magnitude() < 1e-12)
        throw automation::invalidArgument(std::string(what) + " must not be the zero vector");
    return v;
}

std::shared_ptr<EntityBase> entityArg(const Variant& value, const char* what) {
    auto object = automation::toObject(value);
    auto entity = std::dynamic_pointer_cast<EntityBase>(object);
    if (!entity)
        throw automation::typeMismatch(std::string(what) + " must be an entity of this drawing, got " +
                                       object->describe());
    if (entity->deleted())
        throw automation::invalidArgument(std::string(what) + " " + entity->describe() +
                                          " has been deleted");
    return entity;
}

BooleanOp booleanOpArg(const Variant& value) {
    double code = numberArg(value, "the Boolean operation");
    if (code == 0) return BooleanOp::Union;
    if (code == 1) return BooleanOp::Intersection;
    if (code == 2) return BooleanOp::Subtraction;
    throw automation::invalidArgument("the Boolean operation must be 0 (union), 1 (intersection) or 2 (subtraction), got " +
                                      automation::shortestText(code));
}

}  // namespace corvex::cadhost::occt
