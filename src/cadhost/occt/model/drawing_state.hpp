#pragma once
// What a drawing holds, shared by the document and its entities (internal to the host).
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cadhost/journal.hpp"

namespace corvex::cadhost::occt {

class EntityBase;

struct GroupData {
    std::string name;
    std::vector<std::shared_ptr<EntityBase>> members;
};

struct DrawingState : std::enable_shared_from_this<DrawingState> {
    std::shared_ptr<Journal> journal;
    int nextId = 1;
    // Live entities by id; ids grow with creation, so this is creation order.
    std::map<int, std::shared_ptr<EntityBase>> entities;
    std::vector<GroupData> groups;  // in creation order
    std::map<std::string, std::string> variables;  // by upper-case name
    // Sees every Update (the redraw): the runner's progress, a frame recorder.
    std::function<void(const EntityBase&)> updateObserver;
    long updates = 0;
    // Subtractions from solids are queued until the solid is looked at, unless eager.
    bool eagerSubtraction = false;
    // Queued cuts of prism stock by prisms from above go into a floor map (see floor_cuts.hpp).
    bool floorMap = true;
    // The client call now running, named in the report of a queued cut that fails later.
    std::string currentCall;

    // Gives `entity` the next id and the current colour and appends it to the drawing.
    void add(const std::shared_ptr<EntityBase>& entity);
    // Puts an entity read from a file back under its own id.
    void restore(const std::shared_ptr<EntityBase>& entity, int id);
    // Takes `entity` out of the drawing and out of every group.
    void erase(EntityBase& entity);

    GroupData* findGroup(const std::string& name);  // case-insensitive; null when absent
    GroupData& group(const std::string& name);      // created when absent
    std::string currentColour() const;              // CECOLOR, "BYLAYER" by default
};

}  // namespace corvex::cadhost::occt
