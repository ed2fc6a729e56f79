#include "cadhost/occt/removal_check.hpp"

#include <BRepAdaptor_Surface.hxx>
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepClass3d_SolidClassifier.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRepTools.hxx>
#include <BRepTopAdaptor_FClass2d.hxx>
#include <BRep_Builder.hxx>
#include <IntCurvesFace_Intersector.hxx>
#include <Precision.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Lin.hxx>

#include <algorithm>
#include <cmath>
#include <memory>

namespace corvex::cadhost::occt {
namespace {

// Samples sit this far from the result's boundary before they count as inside: the guard's
// retry moves the tools by 1e-6, and a layer this thin left on a wall is no material.
constexpr double kSurfaceBand = 1e-5;
// A grid across each face's parameters, offset by irrational fractions so that no sample
// falls on a seam, an edge or a face's middle, where machined faces meet most often.
constexpr int kGrid = 3;
constexpr double kOffsetU = 0.3819660112501051;  // 2 - golden ratio
constexpr double kOffsetV = 0.6180339887498949;
// A direction along no axis nor diagonal, so that rays from machined points rarely run along
// a face or through an edge.
const gp_Dir kRay(0.5234, 0.3127, 0.7928);

// Whether points lie inside a solid, by the parity of the faces a ray from each crosses. The
// point classifier finds a good ray for every point by trying faces, about 1.3 ms a point on
// a terrain cell; one fixed, skew ray meets few faces' boxes, and only those are intersected.
// A ray that touches an edge or grazes a face decides nothing.
class RayCaster {
public:
    struct Crossings {
        int count = 0;
        bool decided = true;
        bool onSurface = false;  // within the band of a face
    };

    explicit RayCaster(const TopoDS_Shape& solid) {
        for (TopExp_Explorer it(solid, TopAbs_FACE); it.More(); it.Next()) {
            Face face{TopoDS::Face(it.Current()), {}, nullptr};
            BRepBndLib::Add(face.face, face.box, false);
            face.box.Enlarge(kSurfaceBand);
            faces_.push_back(std::move(face));
        }
    }

    Crossings cast(const gp_Pnt& point) {
        Crossings crossings;
        const gp_Lin ray(point, kRay);
        for (auto& face : faces_) {
            if (face.box.IsOut(ray)) continue;
            if (!face.hits) face.hits = std::make_unique<IntCurvesFace_Intersector>(face.face, 1e-9);
            face.hits->Perform(ray, -kSurfaceBand, Precision::Infinite());
            if (!face.hits->IsDone()) {
                crossings.decided = false;
                continue;
            }
            for (int i = 1; i <= face.hits->NbPnt(); ++i) {
                if (std::fabs(face.hits->WParameter(i)) <= kSurfaceBand) crossings.onSurface = true;
                if (face.hits->State(i) != TopAbs_IN || face.hits->Transition(i) == IntCurveSurface_Tangent)
                    crossings.decided = false;
                ++crossings.count;
            }
        }
        return crossings;
    }

private:
    struct Face {
        TopoDS_Face face;
        Bnd_Box box;
        std::unique_ptr<IntCurvesFace_Intersector> hits;  // made when a ray first meets its box
    };
    std::vector<Face> faces_;
};

}  // namespace

double distanceToFaces(const TopoDS_Shape& shape, const gp_Pnt& point) {
    BRep_Builder builder;
    TopoDS_Compound faces;
    builder.MakeCompound(faces);
    for (TopExp_Explorer it(shape, TopAbs_FACE); it.More(); it.Next()) builder.Add(faces, it.Current());
    BRepExtrema_DistShapeShape distance(BRepBuilderAPI_MakeVertex(point).Vertex(), faces);
    return distance.IsDone() ? distance.Value() : 0.0;
}

std::vector<gp_Pnt> pointsOnFaces(const TopoDS_Shape& tool, const Bnd_Box& within, std::size_t count) {
    if (within.IsVoid()) return {};
    double x0, y0, z0, x1, y1, z1;
    within.Get(x0, y0, z0, x1, y1, z1);
    std::vector<std::pair<double, gp_Pnt>> found;  // how deep in the box, and where
    for (TopExp_Explorer it(tool, TopAbs_FACE); it.More(); it.Next()) {
        const TopoDS_Face& face = TopoDS::Face(it.Current());
        double u0, u1, v0, v1;
        BRepTools::UVBounds(face, u0, u1, v0, v1);
        BRepAdaptor_Surface surface(face);
        BRepTopAdaptor_FClass2d inFace(face, 1e-9);
        for (int i = 0; i < kGrid; ++i) {
            for (int j = 0; j < kGrid; ++j) {
                const double u = u0 + (u1 - u0) * (i + kOffsetU) / kGrid;
                const double v = v0 + (v1 - v0) * (j + kOffsetV) / kGrid;
                if (inFace.Perform(gp_Pnt2d(u, v)) != TopAbs_IN) continue;
                const gp_Pnt p = surface.Value(u, v);
                const double depth = std::min({p.X() - x0, x1 - p.X(), p.Y() - y0, y1 - p.Y(), p.Z() - z0, z1 - p.Z()});
                if (depth > 0) found.emplace_back(depth, p);
            }
        }
    }
    const std::size_t taken = std::min(count, found.size());
    std::partial_sort(found.begin(), found.begin() + taken, found.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<gp_Pnt> points;
    for (std::size_t k = 0; k < taken; ++k) points.push_back(found[k].second);
    return points;
}

std::optional<gp_Pnt> pointLeftInside(const TopoDS_Shape& result, const std::vector<gp_Pnt>& points) {
    if (points.empty() || result.IsNull()) return std::nullopt;
    for (TopExp_Explorer it(result, TopAbs_SOLID); it.More(); it.Next()) {
        const TopoDS_Shape& solid = it.Current();
        RayCaster rays(solid);
        std::optional<BRepClass3d_SolidClassifier> classifier;
        for (const gp_Pnt& point : points) {
            const RayCaster::Crossings crossed = rays.cast(point);
            if (crossed.onSurface) continue;
            bool inside = crossed.count % 2 == 1;
            if (!crossed.decided) {
                if (!classifier) classifier.emplace(solid);
                classifier->Perform(point, kSurfaceBand);
                inside = classifier->State() == TopAbs_IN;
            }
            // Believed only when the point is also clear of every face.
            if (inside && distanceToFaces(solid, point) > kSurfaceBand) return point;
        }
    }
    return std::nullopt;
}

bool madeWithin(const std::vector<TopoDS_Face>& newFaces, const Bnd_Box& partBox) {
    if (partBox.IsVoid()) return true;
    Bnd_Box allowed = partBox;
    allowed.Enlarge(1e-4);
    double x0, y0, z0, x1, y1, z1;
    allowed.Get(x0, y0, z0, x1, y1, z1);
    for (const auto& face : newFaces) {
        Bnd_Box box;
        BRepBndLib::Add(face, box, false);
        if (box.IsVoid()) continue;
        double a0, b0, c0, a1, b1, c1;
        box.Get(a0, b0, c0, a1, b1, c1);
        if (a0 >= x0 && b0 >= y0 && c0 >= z0 && a1 <= x1 && b1 <= y1 && c1 <= z1) continue;
        // The quick box of a curved face can be loose; the tight one decides.
        Bnd_Box tight;
        BRepBndLib::AddOptimal(face, tight, false, false);
        tight.Get(a0, b0, c0, a1, b1, c1);
        if (a0 < x0 || b0 < y0 || c0 < z0 || a1 > x1 || b1 > y1 || c1 > z1) return false;
    }
    return true;
}

}  // namespace corvex::cadhost::occt
