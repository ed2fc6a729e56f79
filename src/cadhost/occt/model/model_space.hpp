#pragma once
// Where every Add... of the embedded host happens (internal).
#include <memory>

#include "cadhost/model.hpp"
#include "cadhost/occt/model/drawing_state.hpp"

namespace corvex::cadhost::occt {

class ModelSpaceImpl : public ModelSpace {
public:
    explicit ModelSpaceImpl(std::shared_ptr<DrawingState> drawing) : drawing_(std::move(drawing)) {}
    std::string typeName() const override { return "IAcadModelSpace"; }
    std::string describe() const override { return "ModelSpace"; }

    std::shared_ptr<Solid3D> AddCylinder(const Variant& centre, const Variant& radius,
                                         const Variant& height) override;
    std::shared_ptr<Polyline> AddPolyline(const Variant& vertices) override;
    std::shared_ptr<Line> AddLine(const Variant& start, const Variant& end) override;
    std::shared_ptr<Arc> AddArc(const Variant& centre, const Variant& radius,
                                const Variant& startAngle, const Variant& endAngle) override;
    std::shared_ptr<Circle> AddCircle(const Variant& centre, const Variant& radius) override;
    Variant AddRegion(const Variant& entities) override;
    std::shared_ptr<Solid3D> AddExtrudedSolid(const Variant& region, const Variant& height,
                                              const Variant& taperAngle) override;
    std::shared_ptr<Solid3D> AddExtrudedSolidAlongPath(const Variant& region,
                                                       const Variant& path) override;
    std::shared_ptr<Solid3D> AddRevolvedSolid(const Variant& region, const Variant& axisPoint,
                                              const Variant& axisDirection,
                                              const Variant& angle) override;

private:
    DrawingState& drawing();
    Journal* journal() const { return drawing_->journal.get(); }
    std::shared_ptr<DrawingState> drawing_;
};

}  // namespace corvex::cadhost::occt
