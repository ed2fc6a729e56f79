#include "cadhost/occt/model/drawing_state.hpp"

#include <algorithm>
#include <cctype>

#include "cadhost/occt/model/entity_base.hpp"

namespace corvex::cadhost::occt {
namespace {

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

}  // namespace

void DrawingState::add(const std::shared_ptr<EntityBase>& entity) {
    entity->setColour(currentColour());
    restore(entity, nextId);
}

void DrawingState::restore(const std::shared_ptr<EntityBase>& entity, int id) {
    entity->bind(shared_from_this(), id);
    entities[id] = entity;
    nextId = std::max(nextId, id + 1);
}

void DrawingState::erase(EntityBase& entity) {
    for (auto& group : groups) {
        auto& members = group.members;
        members.erase(std::remove_if(members.begin(), members.end(),
                                     [&](const auto& member) { return member.get() == &entity; }),
                      members.end());
    }
    entities.erase(entity.id());
    entity.markDeleted();
}

GroupData* DrawingState::findGroup(const std::string& name) {
    for (auto& group : groups)
        if (sameName(group.name, name)) return &group;
    return nullptr;
}

GroupData& DrawingState::group(const std::string& name) {
    if (auto* existing = findGroup(name)) return *existing;
    groups.push_back(GroupData{name, {}});
    return groups.back();
}

std::string DrawingState::currentColour() const {
    auto it = variables.find("CECOLOR");
    return it == variables.end() ? std::string("BYLAYER") : it->second;
}

}  // namespace corvex::cadhost::occt
