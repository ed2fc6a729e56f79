#pragma once
// The groups collection and a group of the embedded host (internal).
#include <memory>

#include "cadhost/model.hpp"
#include "cadhost/occt/model/drawing_state.hpp"

namespace corvex::cadhost::occt {

class GroupsImpl : public Groups {
public:
    explicit GroupsImpl(std::shared_ptr<DrawingState> drawing) : drawing_(std::move(drawing)) {}
    std::string typeName() const override { return "IAcadGroups"; }
    std::string describe() const override { return "Groups"; }
    std::shared_ptr<Group> Item(const Variant& name) override;

private:
    std::shared_ptr<DrawingState> drawing_;
};

// A group is looked up by name on every use, so that it sees members deleted since.
class GroupImpl : public Group {
public:
    GroupImpl(std::shared_ptr<DrawingState> drawing, std::string name)
        : drawing_(std::move(drawing)), name_(std::move(name)) {}
    std::string typeName() const override { return "IAcadGroup"; }
    std::string describe() const override { return "Group(\"" + name_ + "\")"; }
    std::shared_ptr<Entity> Item(const Variant& index) override;
    std::int32_t Count() override;

private:
    GroupData& data();
    std::shared_ptr<DrawingState> drawing_;
    std::string name_;
};

}  // namespace corvex::cadhost::occt
