#include "cadhost/occt/cutting/kept_boundary.hpp"

#include <BRepBndLib.hxx>
#include <BRepClass3d_SolidClassifier.hxx>
#include <BRepTools.hxx>
#include <BRepTopAdaptor_FClass2d.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <GeomAPI_ProjectPointOnSurf.hxx>
#include <Geom_Surface.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopLoc_Location.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <gp_Lin.hxx>

#include <memory>

#include "cadhost/occt/cutting/ray_caster.hpp"
#include "cadhost/occt/cutting/removal_check.hpp"

namespace corvex::cadhost::occt {
namespace {

// The faces the result made, asked whether a point of a lost face lies on one.
class MadeFaces {
public:
    explicit MadeFaces(const std::vector<TopoDS_Face>& faces) {
        for (const auto& face : faces) {
            Made made{face, {}, nullptr, 0, 0, 0, 0, nullptr};
            BRepBndLib::Add(face, made.box, false);
            made.box.Enlarge(kSurfaceBand);
            made_.push_back(std::move(made));
        }
    }

    // A face the Boolean split keeps its surface: the point's parameters on it decide, which
    // is cheap. Otherwise the point is projected on each face's surface near it, and its
    // parameters there decide (the distance to a face was seen to miss a torus by 11 um), and
    // last the distance to the face.
    bool holdPoint(const TopoDS_Face& from, const FacePoint& on) {
        TopLoc_Location fromLocation;
        const Handle(Geom_Surface)& fromSurface = BRep_Tool::Surface(from, fromLocation);
        for (auto& made : made_) {
            if (made.box.IsOut(on.point)) continue;
            TopLoc_Location location;
            if (BRep_Tool::Surface(made.face, location) != fromSurface || !(location == fromLocation)) continue;
            if (inside(made, on.uv)) return true;
        }
        for (auto& made : made_) {
            if (made.box.IsOut(on.point)) continue;
            GeomAPI_ProjectPointOnSurf projection(on.point, BRep_Tool::Surface(made.face));
            for (int i = 1; i <= projection.NbPoints(); ++i) {
                if (projection.Distance(i) > kSurfaceBand) continue;
                double u, v;
                projection.Parameters(i, u, v);
                if (inside(made, gp_Pnt2d(u, v))) return true;
            }
        }
        for (const auto& made : made_)
            if (!made.box.IsOut(on.point) && distanceToFaces(made.face, on.point) <= kSurfaceBand) return true;
        return false;
    }

private:
    struct Made {
        TopoDS_Face face;
        Bnd_Box box;
        std::unique_ptr<BRepTopAdaptor_FClass2d> inFace;  // with the bounds and surface, made at first use
        double u0 = 0, u1 = 0, v0 = 0, v1 = 0;
        Handle(Geom_Surface) surface;
    };
    // Whether `uv` lies in the face, taken a period over where the surface is periodic: a
    // projection on a torus gives parameters from 0 to 2 pi, a face may run from -1.5 to -0.4.
    static bool inside(Made& made, const gp_Pnt2d& uv) {
        if (!made.inFace) {
            made.inFace = std::make_unique<BRepTopAdaptor_FClass2d>(made.face, 1e-9);
            BRepTools::UVBounds(made.face, made.u0, made.u1, made.v0, made.v1);
            made.surface = BRep_Tool::Surface(made.face);
        }
        const double u = intoRange(uv.X(), made.u0, made.u1, made.surface->IsUPeriodic() ? made.surface->UPeriod() : 0);
        const double v = intoRange(uv.Y(), made.v0, made.v1, made.surface->IsVPeriodic() ? made.surface->VPeriod() : 0);
        return made.inFace->Perform(gp_Pnt2d(u, v)) != TopAbs_OUT;
    }
    static double intoRange(double value, double low, double high, double period) {
        if (period <= 0) return value;
        while (value < low - 1e-9) value += period;
        while (value > high + 1e-9 && value - period >= low - 1e-9) value -= period;
        return value;
    }
    std::vector<Made> made_;
};

}  // namespace

std::optional<gp_Pnt> boundaryLostOutsideTools(const TopoDS_Shape& part, const TopoDS_Shape& result,
                                               const std::vector<TopoDS_Face>& newFaces,
                                               const std::vector<TopoDS_Shape>& tools, std::size_t count) {
    if (part.IsNull() || result.IsNull() || count == 0) return std::nullopt;
    TopTools_IndexedMapOfShape kept;
    TopExp::MapShapes(result, TopAbs_FACE, kept);
    ToolSolids cutters(tools);
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
