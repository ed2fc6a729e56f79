#include "cadhost/occt/model/groups.hpp"

#include <cmath>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "automation/number_text.hpp"
#include "cadhost/occt/model/entity_base.hpp"
#include "cadhost/occt/model/guard.hpp"

namespace corvex::cadhost::occt {

std::shared_ptr<Group> GroupsImpl::Item(const Variant& name) {
    return hostCall(drawing_->journal.get(), describe(), "Item", {name}, [&](JournalEntry& entry) {
        if (name.type() != automation::VarType::String)
            throw automation::typeMismatch("a group is named by text");
        auto* group = drawing_->findGroup(name.asString());
        if (!group) throw automation::invalidArgument("there is no group named \"" + name.asString() + "\"");
        auto result = std::make_shared<GroupImpl>(drawing_, group->name);
        entry.result(Variant::object(result));
        return std::shared_ptr<Group>(result);
    });
}

GroupData& GroupImpl::data() {
    auto* group = drawing_->findGroup(name_);
    if (!group) throw automation::invalidArgument("the group \"" + name_ + "\" no longer exists");
    return *group;
}

std::shared_ptr<Entity> GroupImpl::Item(const Variant& index) {
    return hostCall(drawing_->journal.get(), describe(), "Item", {index}, [&](JournalEntry& entry) {
        auto& members = data().members;
        double i = automation::toDouble(index);
        if (!(i == std::floor(i)) || i < 0 || i >= static_cast<double>(members.size()))
            throw automation::invalidArgument("index " + automation::shortestText(i) + " is outside the group \"" +
                                              name_ + "\" of " + std::to_string(members.size()) + " members");
        auto member = members[static_cast<std::size_t>(i)];
        entry.result(Variant::object(member));
        return std::shared_ptr<Entity>(member);
    });
}

std::int32_t GroupImpl::Count() {
    return hostCall(drawing_->journal.get(), describe(), "Count", {}, [&](JournalEntry& entry) {
        auto count = static_cast<std::int32_t>(data().members.size());
        entry.result(Variant::int32(count));
        return count;
    });
}

}  // namespace corvex::cadhost::occt
