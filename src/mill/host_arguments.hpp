#pragma once
// The shapes in which the milling members hand things to the host: entity lists for
// AddRegion, and the elements of the region arrays the host hands back.
#include <initializer_list>
#include <memory>
#include <vector>

#include "automation/variant.hpp"
#include "cadhost/model.hpp"
#include "server/late_bound.hpp"

namespace corvex::mill {

// An array of entity references, lower bound 0, as a typed entity array reaches the host.
inline automation::Variant entityList(std::initializer_list<std::shared_ptr<cadhost::Entity>> entities) {
    std::vector<automation::Variant> items;
    for (const auto& entity : entities) items.push_back(automation::Variant::object(entity));
    return automation::Variant::array(automation::Array(automation::VarType::Object, 0, std::move(items)));
}

// Element `index` of an array the host returned, by the array's own index.
inline automation::Variant element(const automation::Variant& array, std::int64_t index) {
    return array.asArray().at(index);
}

// Deletes the object an array element holds, as a late-bound call on it.
inline void deleteHeld(const automation::Variant& holder) {
    lateBound<cadhost::Entity>(holder, "Delete")->Delete();
}

}  // namespace corvex::mill
