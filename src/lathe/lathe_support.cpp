#include "lathe/lathe_support.hpp"

#include <string>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "cadhost/take.hpp"
#include "server/late_bound.hpp"

namespace corvex::lathe {

using automation::Variant;

namespace {

const automation::Array& arrayOf(const Variant& array, const char* name) {
    if (!array.isArray())
        throw automation::typeMismatch(std::string(name) + " must be an array, got " +
                                       automation::varTypeName(array.type()));
    return array.asArray();
}

}  // namespace

const Variant& element(const Variant& array, std::int16_t index, const char* name) {
    try {
        return arrayOf(array, name).at(index);
    } catch (const automation::Error& error) {
        if (error.hr() != automation::hresult::kBadIndex) throw;
        throw automation::Error(error.hr(), {}, std::string(name) + ": " + error.description());
    }
}

double number(const Variant& array, std::int16_t index, const char* name) {
    return automation::toDouble(element(array, index, name));
}

std::int16_t int16Of(std::int32_t value) {
    return automation::roundToInt16(static_cast<double>(value));
}

std::int16_t tripleIndex(std::int32_t k, std::int16_t offset) {
    return int16Of(int16Of(3 * k) + offset);
}

automation::Array ownCopy(const Variant& array, const char* name) { return arrayOf(array, name); }

const Variant& regionAt(const Variant& regions, std::int16_t index) {
    return element(regions, index, "the regions AddRegion returned");
}

void deleteHeld(const Variant& holder) { lateBound<cadhost::Entity>(holder, "Delete")->Delete(); }

std::shared_ptr<cadhost::Solid3D> revolveAboutSpindle(cadhost::ModelSpace& modelSpace,
                                                      const Variant& region) {
    return cadhost::take<cadhost::Solid3D>(
        modelSpace.AddRevolvedSolid(region, Variant::point(0, 0, 0), Variant::point(1, 0, 0),
                                    Variant::int16(360)),
        "a 3D solid");
}

}  // namespace corvex::lathe
