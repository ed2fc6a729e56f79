#include "cadhost/occt/kept_boundary.hpp"

#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepClass3d_SolidClassifier.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRepTopAdaptor_FClass2d.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <Geom_Surface.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopLoc_Location.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>

#include <memory>

#include "cadhost/occt/ray_caster.hpp"
#include "cadhost/occt/removal_check.hpp"

namespace corvex::cadhost::occt {
namespace {

double distanceToFace(const TopoDS_Face& face, const gp_Pnt& point) {
    BRepExtrema_DistShapeShape distance(BRepBuilderAPI_MakeVertex(point).Vertex(), face);
    return distance.IsDone() ? distance.Value() : 0.0;
}

// The tools' solids, asked whether a point lies in or on one.
class Tools {
public:
    explicit Tools(const std::vector<TopoDS_Shape>& tools) {
        for (const auto& tool : tools) {
            for (TopExp_Explorer it(tool, TopAbs_SOLID); it.More(); it.Next()) {
                Solid solid{it.Current(), {}, nullptr, nullptr};
                BRepBndLib::Add(solid.shape, solid.box, false);
                solid.box.Enlarge(kSurfaceBand);
                solids_.push_back(std::move(solid));
            }
        }
    }

    // In a tool, or on one by the ray's reckoning: cheap, and true for most points of a face
    // that a cut took away.
    bool hold(const gp_Pnt& point) {
        for (auto& solid : solids_) {
            if (solid.box.IsOut(point)) continue;
            if (!solid.rays) solid.rays = std::make_unique<RayCaster>(solid.shape);
            const RayCaster::Crossings crossed = solid.rays->cast(point);
            if (crossed.onSurface) return true;
            if (crossed.decided) {
                if (crossed.count % 2 == 1) return true;
                continue;
            }
            if (!solid.classifier) solid.classifier = std::make_unique<BRepClass3d_SolidClassifier>(solid.shape);
            solid.classifier->Perform(point, kSurfaceBand);
            if (solid.classifier->State() != TopAbs_OUT) return true;
        }
        return false;
    }

    // Farther than the band from every tool's faces: a point that `hold` missed by a hair is
    // on a tool all the same.
    bool clearOf(const gp_Pnt& point) const {
        for (const auto& solid : solids_)
            if (!solid.box.IsOut(point) && distanceToFaces(solid.shape, point) <= kSurfaceBand) return false;
        return true;
    }

private:
    struct Solid {
        TopoDS_Shape shape;
        Bnd_Box box;
        std::unique_ptr<RayCaster> rays;
        std::unique_ptr<BRepClass3d_SolidClassifier> classifier;
    };
    std::vector<Solid> solids_;
};

// The faces the result made, asked whether a point of a lost face lies on one.
class MadeFaces {
public:
    explicit MadeFaces(const std::vector<TopoDS_Face>& faces) {
        for (const auto& face : faces) {
            Made made{face, {}, nullptr};
            BRepBndLib::Add(face, made.box, false);
            made.box.Enlarge(kSurfaceBand);
            made_.push_back(std::move(made));
        }
    }

    // A face the Boolean split keeps its surface: the point's parameters on it decide, which
    // is cheap. Otherwise the distance to each face near the point does.
    bool holdPoint(const TopoDS_Face& from, const FacePoint& on) {
        TopLoc_Location fromLocation;
        const Handle(Geom_Surface)& fromSurface = BRep_Tool::Surface(from, fromLocation);
        for (auto& made : made_) {
            if (made.box.IsOut(on.point)) continue;
            TopLoc_Location location;
            if (BRep_Tool::Surface(made.face, location) != fromSurface || !(location == fromLocation)) continue;
            if (!made.inFace) made.inFace = std::make_unique<BRepTopAdaptor_FClass2d>(made.face, 1e-9);
            if (made.inFace->Perform(on.uv) != TopAbs_OUT) return true;
        }
        for (const auto& made : made_)
            if (!made.box.IsOut(on.point) && distanceToFace(made.face, on.point) <= kSurfaceBand) return true;
        return false;
    }

private:
    struct Made {
        TopoDS_Face face;
        Bnd_Box box;
        std::unique_ptr<BRepTopAdaptor_FClass2d> inFace;
    };
    std::vector<Made> made_;
};

}  // namespace

std::optional<gp_Pnt> boundaryLostOutsideTools(const TopoDS_Shape& part, const TopoDS_Shape& result,
                                               const std::vector<TopoDS_Face>& newFaces,
                                               const std::vector<TopoDS_Shape>& tools, std::size_t count) {
    if (part.IsNull() || result.IsNull() || count == 0) return std::nullopt;
    TopTools_IndexedMapOfShape kept;
    TopExp::MapShapes(result, TopAbs_FACE, kept);
    Tools cutters(tools);
    // The points of each lost face that no tool holds; only those can show a fault.
    std::vector<std::pair<TopoDS_Face, std::vector<FacePoint>>> doubtful;
    for (TopExp_Explorer it(part, TopAbs_FACE); it.More(); it.Next()) {
        if (kept.Contains(it.Current())) continue;
        const TopoDS_Face& face = TopoDS::Face(it.Current());
        std::vector<FacePoint> outside;
        for (const FacePoint& on : gridOnFace(face))
            if (!cutters.hold(on.point)) outside.push_back(on);
        if (!outside.empty()) doubtful.emplace_back(face, std::move(outside));
    }
    // A point of every face before a second of any, so that a few points see many faces.
    MadeFaces made(newFaces);
    std::size_t judged = 0;
    for (std::size_t k = 0; judged < count; ++k) {
        bool more = false;
        for (const auto& [face, points] : doubtful) {
            if (k >= points.size() || judged >= count) continue;
            more = true;
            ++judged;
            const FacePoint& on = points[k];
            if (!made.holdPoint(face, on) && cutters.clearOf(on.point)) return on.point;
        }
        if (!more) break;
    }
    return std::nullopt;
}

}  // namespace corvex::cadhost::occt
