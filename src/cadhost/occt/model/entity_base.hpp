#pragma once
// The common part of every entity of the embedded host (internal): identity, visibility,
// colour, the link to its drawing, deletion, and the journal and error discipline that every
// operation follows.
#include <TopoDS_Shape.hxx>
#include <gp_Trsf.hxx>

#include <memory>
#include <string>

#include "cadhost/model.hpp"
#include "cadhost/occt/model/drawing_state.hpp"
#include "cadhost/occt/model/guard.hpp"

namespace corvex::cadhost::occt {

class EntityBase : public virtual Entity, public std::enable_shared_from_this<EntityBase> {
public:
    int id() const { return id_; }
    bool visible() const { return visible_; }
    bool deleted() const { return deleted_; }
    const std::string& colour() const { return colour_; }
    void setColour(std::string colour) { colour_ = std::move(colour); }
    void setVisibleFlag(bool visible) { visible_ = visible; }

    std::string describe() const override { return kind() + "#" + std::to_string(id_); }

    void putVisible(const Variant& visible) override;
    void Move(const Variant& from, const Variant& to) override;
    void Rotate3D(const Variant& point1, const Variant& point2, const Variant& angle) override;
    void Update() override;
    void Delete() override;

    // The entity's geometry in drawing coordinates: a solid, a face or compound of faces,
    // or edges and wires for curves.
    virtual TopoDS_Shape shape() const = 0;
    // Applies a rigid motion of the drawing to the entity.
    virtual void transform(const gp_Trsf& motion) = 0;

    // Called by the drawing when the entity joins or leaves it.
    void bind(const std::shared_ptr<DrawingState>& drawing, int id);
    void markDeleted() { deleted_ = true; }

    // How many times Update was called, for those who watch the drawing.
    long updates() const { return updates_; }

protected:
    // The drawing this entity lives in; fails when it was deleted or the drawing is gone.
    DrawingState& live() const;
    Journal* journal() const;

private:
    std::weak_ptr<DrawingState> drawing_;
    int id_ = 0;
    bool visible_ = true;
    bool deleted_ = false;
    std::string colour_ = "BYLAYER";
    long updates_ = 0;
};

}  // namespace corvex::cadhost::occt
