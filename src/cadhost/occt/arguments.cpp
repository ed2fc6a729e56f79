#include "cadhost/occt/arguments.hpp"

#include <cmath>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "automation/number_text.hpp"
#include "cadhost/occt/entity_base.hpp"

namespace corvex::cadhost::occt {

using automation::Variant;

double numberArg(const Variant& value, const char* what) {
    double number = automation::toDouble(value);
    if (!std::isfinite(number))
        throw automation::invalidArgument(std::string(what) + " must be a finite number");
    return number;
}

double positiveArg(const Variant& value, const char* what) {
    double number = numberArg(value, what);
    if (number <= 0)
        throw automation::invalidArgument(std::string(what) + " must be greater than 0, got " +
                                          automation::shortestText(number));
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
