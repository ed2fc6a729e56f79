#pragma once
// The entity kinds of the embedded host (internal).
#include <gp_Pnt.hxx>
#include <gp_XY.hxx>

#include <optional>
#include <vector>

#include "cadhost/occt/geometry/curves.hpp"
#include "cadhost/occt/model/cut_ledger.hpp"
#include "cadhost/occt/model/entity_base.hpp"
#include "cadhost/occt/cutting/sweep_merge.hpp"
#include "cadhost/occt/cutting/workpiece_cuts.hpp"

namespace corvex::cadhost::occt {

class SolidEntity : public Solid3D, public EntityBase {
public:
    explicit SolidEntity(TopoDS_Shape shape, std::optional<SweepOrigin> sweep = std::nullopt);
    std::string typeName() const override { return "IAcad3DSolid"; }
    std::string kind() const override { return "Solid3D"; }

    void Boolean(const Variant& operation, const Variant& other) override;
    std::shared_ptr<Solid3D> CheckInterference(const Variant& other, const Variant& create) override;
    Variant Centroid() override;

    // Whoever looks at the shape sees every subtraction made so far: queued cuts are carried
    // out first, and a cut that cannot be made fails the look, naming the call that made it.
    TopoDS_Shape shape() const override { return cuts_.settled(); }
    void transform(const gp_Trsf& motion) override;
    void replaceShape(TopoDS_Shape shape);
    double volume() const { return cuts_.volume(); }
    bool cutsPending() const { return cuts_.pending(); }
    double highestMaterial() const { return cuts_.highest(); }
    // How the solid was made, when it is a region swept in a way that lets cuts merge in 2-D.
    const std::optional<SweepOrigin>& sweepOrigin() const { return sweep_; }
    // A vertical prism the solid lies wholly inside, known from how it was made (see QueuedCut).
    void setShadow(VerticalPrism shadow) { shadow_ = std::move(shadow); }
    // The cuts taken from the solid, when the cut ledger is on (see cut_ledger.hpp).
    const CutLedger& ledger() const { return ledger_; }

private:
    void subtract(const SolidEntity& tool, DrawingState& drawing);

    mutable WorkpieceCuts cuts_;
    std::optional<SweepOrigin> sweep_;
    std::optional<VerticalPrism> shadow_;
    // For the common part of a workpiece and another solid, as long as neither this solid nor
    // the workpiece has changed but by cuts: the workpiece's stamp then, and the other solid.
    struct InterferenceOrigin {
        std::uint64_t workpiece, cutsAsked;
        TopoDS_Shape with;
    };
    std::optional<InterferenceOrigin> interference_;
    CutLedger ledger_;
};

class RegionEntity : public Region, public EntityBase {
public:
    // A face, or a compound of faces in one plane.
    explicit RegionEntity(TopoDS_Shape faces) : faces_(std::move(faces)) {}
    std::string typeName() const override { return "IAcadRegion"; }
    std::string kind() const override { return "Region"; }

    void Boolean(const Variant& operation, const Variant& other) override;

    TopoDS_Shape shape() const override { return faces_; }
    void transform(const gp_Trsf& motion) override;

private:
    TopoDS_Shape faces_;
};

class PolylineEntity : public Polyline, public EntityBase {
public:
    explicit PolylineEntity(PolylineGeometry geometry) : geometry_(std::move(geometry)) {}
    std::string typeName() const override { return "IAcadPolyline"; }
    std::string kind() const override { return "Polyline"; }

    void SetBulge(const Variant& index, const Variant& bulge) override;
    void putElevation(const Variant& elevation) override;
    void putCoordinate(const Variant& index, const Variant& point) override;

    const PolylineGeometry& geometry() const { return geometry_; }
    bool closed() const;
    TopoDS_Shape shape() const override;  // a wire
    void transform(const gp_Trsf& motion) override;

private:
    PolylineGeometry geometry_;
};

class LineEntity : public Line, public EntityBase {
public:
    LineEntity(const gp_Pnt& start, const gp_Pnt& end) : start_(start), end_(end) {}
    std::string typeName() const override { return "IAcadLine"; }
    std::string kind() const override { return "Line"; }

    const gp_Pnt& start() const { return start_; }
    const gp_Pnt& end() const { return end_; }
    TopoDS_Shape shape() const override;  // an edge
    void transform(const gp_Trsf& motion) override;

private:
    gp_Pnt start_, end_;
};

// Arcs and circles are drawn in the XY plane about `centre` and carried by `placement`.
class ArcEntity : public Arc, public EntityBase {
public:
    ArcEntity(const gp_Pnt& centre, double radius, double startAngle, double endAngle,
              const gp_Trsf& placement = gp_Trsf())
        : centre_(centre), radius_(radius), startAngle_(startAngle), endAngle_(endAngle),
          placement_(placement) {}
    std::string typeName() const override { return "IAcadArc"; }
    std::string kind() const override { return "Arc"; }

    Variant StartPoint() override;
    Variant EndPoint() override;

    gp_Pnt pointAt(double angle) const;
    const gp_Pnt& centre() const { return centre_; }
    double radius() const { return radius_; }
    double startAngle() const { return startAngle_; }
    double endAngle() const { return endAngle_; }
    const gp_Trsf& placement() const { return placement_; }
    TopoDS_Shape shape() const override;  // an edge
    void transform(const gp_Trsf& motion) override;

private:
    gp_Pnt centre_;
    double radius_, startAngle_, endAngle_;
    gp_Trsf placement_;
};

class CircleEntity : public Circle, public EntityBase {
public:
    CircleEntity(const gp_Pnt& centre, double radius, const gp_Trsf& placement = gp_Trsf())
        : centre_(centre), radius_(radius), placement_(placement) {}
    std::string typeName() const override { return "IAcadCircle"; }
    std::string kind() const override { return "Circle"; }

    const gp_Pnt& centre() const { return centre_; }
    double radius() const { return radius_; }
    const gp_Trsf& placement() const { return placement_; }
    TopoDS_Shape shape() const override;  // a closed edge
    void transform(const gp_Trsf& motion) override;

private:
    gp_Pnt centre_;
    double radius_;
    gp_Trsf placement_;
};

}  // namespace corvex::cadhost::occt
