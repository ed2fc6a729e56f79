#include "json_variant.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "automation/error.hpp"
#include "cadhost/occt/model/embedded_host.hpp"
#include "command_line.hpp"

namespace corvex::runner {

using automation::Variant;
using Json = nlohmann::json;

namespace {

bool isEntityReference(const Json& value) {
    return value.is_object() && value.size() == 1 && value.contains("entity") &&
           value["entity"].is_number_integer();
}

void checkNested(const Json& value, int depth) {
    if (depth > kDeepestNesting)
        throw BadInput("arrays nested deeper than " + std::to_string(kDeepestNesting) + " levels");
    if (value.is_object()) {
        if (!isEntityReference(value)) throw BadInput("an object stands only for an entity, as {\"entity\": 7}");
        const Json& id = value["entity"];
        // Ids are whole numbers the drawing hands out from 1; a larger one must not wrap.
        const bool inRange = id.is_number_unsigned() ? id.get<std::uint64_t>() <= std::numeric_limits<int>::max()
                                                     : id.get<std::int64_t>() >= 0 &&
                                                           id.get<std::int64_t>() <= std::numeric_limits<int>::max();
        if (!inRange) throw BadInput("the entity id " + id.dump() + " is out of range");
    }
    if (value.is_array())
        for (const auto& item : value) checkNested(item, depth + 1);
}

}  // namespace

void checkArgument(const Json& value) { checkNested(value, 0); }

Variant toVariant(const Json& value, const EntityLookup& entities) {
    switch (value.type()) {
        case Json::value_t::null: return Variant::null();
        case Json::value_t::boolean: return Variant::boolean(value.get<bool>());
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned:
        case Json::value_t::number_float: return Variant::real(value.get<double>());
        case Json::value_t::string: return Variant::string(value.get<std::string>());
        case Json::value_t::array: {
            const bool numbers = !value.empty() &&
                std::all_of(value.begin(), value.end(), [](const Json& item) { return item.is_number(); });
            if (numbers) return Variant::doubles(value.get<std::vector<double>>());
            std::vector<Variant> items;
            for (const auto& item : value) items.push_back(toVariant(item, entities));
            return Variant::variants(std::move(items));
        }
        case Json::value_t::object: {
            const int id = value.at("entity").get<int>();
            auto entity = entities ? entities(id) : nullptr;
            if (!entity) throw automation::invalidArgument("the drawing has no entity " + std::to_string(id));
            return Variant::object(entity);
        }
        default: throw automation::typeMismatch("a JSON value that stands for no Variant");
    }
}

Json toJson(const Variant& value) {
    using automation::VarType;
    switch (value.type()) {
        case VarType::Empty:
        case VarType::Null: return nullptr;
        case VarType::Int16: return value.asInt16();
        case VarType::Int32: return value.asInt32();
        case VarType::Double: {
            const double number = value.asDouble();
            if (!std::isfinite(number)) return nullptr;  // JSON has no infinities
            return number;
        }
        case VarType::Boolean: return value.asBoolean();
        case VarType::String: return value.asString();
        case VarType::Object: {
            const auto& object = value.asObject();
            if (!object) return nullptr;
            if (auto entity = std::dynamic_pointer_cast<cadhost::Entity>(object))
                return Json{{"entity", cadhost::occt::entityId(*entity)}, {"kind", entity->kind()}};
            return Json{{"object", object->typeName()}};
        }
        case VarType::Array: {
            Json items = Json::array();
            for (const auto& item : value.asArray().items()) items.push_back(toJson(item));
            return items;
        }
    }
    return nullptr;
}

}  // namespace corvex::runner
