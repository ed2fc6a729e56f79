#include "cadhost/occt/cutting/sweep_merge.hpp"

#include <BRepAdaptor_Curve.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <BRepBuilderAPI_Copy.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepGProp.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <GProp_GProps.hxx>
#include <ShapeUpgrade_UnifySameDomain.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <gp_Circ.hxx>
#include <TopLoc_Location.hxx>
#include <gp.hxx>
#include <gp_Lin.hxx>
#include <gp_Pln.hxx>

#include <algorithm>
#include <cmath>

#include "automation/error.hpp"
#include "cadhost/occt/cutting/kernel_parallel.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt {
namespace {

constexpr double kSpanTolerance = 1e-9;

double area(const TopoDS_Shape& faces) {
    GProp_GProps properties;
    BRepGProp::SurfaceProperties(faces, properties);
    return properties.Mass();
}

TopoDS_Shape unified(const TopoDS_Shape& shape) {
    ShapeUpgrade_UnifySameDomain unify(shape, true, true, false);
    unify.Build();
    return unify.Shape().IsNull() ? shape : unify.Shape();
}

// a united with every shape of b, in one run of the kernel.
TopoDS_Shape unionOf(const TopoDS_Shape& a, const std::vector<TopoDS_Shape>& b) {
    TopoDS_Shape united = runBoolean({a}, b, BooleanOp::Union, 0);
    if (united.IsNull()) throw automation::failure("the cut solids could not be united");
    return united;
}

}  // namespace

std::optional<SweepOrigin> verticalPrismOrigin(const TopoDS_Shape& region, double height) {
    std::optional<double> z;
    for (TopExp_Explorer it(region, TopAbs_FACE); it.More(); it.Next()) {
        BRepAdaptor_Surface surface(TopoDS::Face(it.Current()), false);
        if (surface.GetType() != GeomAbs_Plane) return std::nullopt;
        const gp_Pln plane = surface.Plane();
        if (std::fabs(std::fabs(plane.Axis().Direction().Z()) - 1) > 1e-12) return std::nullopt;
        const double faceZ = plane.Location().Z();
        if (z && std::fabs(*z - faceZ) > kSpanTolerance) return std::nullopt;
        z = faceZ;
    }
    if (!z) return std::nullopt;
    SweepOrigin origin;
    origin.faces = region;
    origin.bottom = *z;
    origin.top = *z + height;
    return origin;
}

std::optional<SweepOrigin> fullTurnOrigin(const TopoDS_Shape& region, const gp_Ax1& axis, double angle) {
    if (std::fabs(angle) < 2 * M_PI) return std::nullopt;
    std::optional<gp_Dir> normal;
    for (TopExp_Explorer it(region, TopAbs_FACE); it.More(); it.Next()) {
        BRepAdaptor_Surface surface(TopoDS::Face(it.Current()), false);
        if (surface.GetType() != GeomAbs_Plane) return std::nullopt;
        const gp_Pln plane = surface.Plane();
        if (!plane.Axis().Direction().IsNormal(axis.Direction(), 1e-12) || plane.Distance(axis.Location()) > kSpanTolerance)
            return std::nullopt;
        if (normal && !normal->IsParallel(plane.Axis().Direction(), 1e-12)) return std::nullopt;
        normal = plane.Axis().Direction();
    }
    if (!normal) return std::nullopt;
    // The profile's points along its boundary (vertices and points between) must all lie on
    // one side of the axis: only then is the turn of a union the union of the turns.
    const gp_Dir side = normal->Crossed(axis.Direction());
    double least = 0, most = 0;
    bool any = false;
    for (TopExp_Explorer it(region, TopAbs_EDGE); it.More(); it.Next()) {
        BRepAdaptor_Curve curve(TopoDS::Edge(it.Current()));
        const double first = curve.FirstParameter(), last = curve.LastParameter();
        for (int i = 0; i <= 32; ++i) {
            const double offset = gp_Vec(axis.Location(), curve.Value(first + (last - first) * i / 32)).Dot(gp_Vec(side));
            least = any ? std::min(least, offset) : offset;
            most = any ? std::max(most, offset) : offset;
            any = true;
        }
    }
    if (!any || (least < -kSpanTolerance && most > kSpanTolerance) || std::max(std::fabs(least), std::fabs(most)) <= kSpanTolerance)
        return std::nullopt;
    SweepOrigin origin;
    origin.faces = region;
    origin.turn = true;
    origin.axis = axis;
    origin.side = least < -kSpanTolerance ? side.Reversed() : side;
    return origin;
}

SweepOrigin cylinderPrismOrigin(const gp_Pnt& centre, double radius, double height) {
    const double bottom = centre.Z() - height / 2;
    gp_Ax2 axis(gp_Pnt(centre.X(), centre.Y(), bottom), gp::DZ());
    TopoDS_Edge rim = BRepBuilderAPI_MakeEdge(gp_Circ(axis, radius));
    TopoDS_Face disc = BRepBuilderAPI_MakeFace(gp_Pln(axis), BRepBuilderAPI_MakeWire(rim).Wire());
    SweepOrigin origin;
    origin.faces = disc;
    origin.bottom = bottom;
    origin.top = bottom + height;
    return origin;
}

std::optional<SweepOrigin> movedSweep(const SweepOrigin& sweep, const gp_Trsf& motion) {
    SweepOrigin moved = sweep;
    moved.faces = movedShape(sweep.faces, motion);
    if (sweep.turn) {  // any rigid motion keeps a turn a turn
        moved.axis = sweep.axis.Transformed(motion);
        moved.side = sweep.side.Transformed(motion);
        return moved;
    }
    // A motion that keeps Z upright keeps a prism a prism; any other makes it a solid like any.
    if (!gp::DZ().Transformed(motion).IsEqual(gp::DZ(), 1e-12)) return std::nullopt;
    const double rise = motion.TranslationPart().Z();
    moved.bottom += rise;
    moved.top += rise;
    return moved;
}

bool mergeable(const SweepOrigin& a, const SweepOrigin& b) {
    if (a.turn || b.turn)
        return a.turn && b.turn && a.axis.IsParallel(b.axis, 1e-12) &&
               gp_Lin(a.axis).Distance(b.axis.Location()) <= kSpanTolerance && a.side.IsEqual(b.side, 1e-12);
    return std::fabs(a.bottom - b.bottom) <= kSpanTolerance && std::fabs(a.top - b.top) <= kSpanTolerance;
}

bool unionMeasureHolds(double united, double largest, double total, double relative, double absolute) {
    return united >= largest * (1 - relative) - absolute && united <= total * (1 + relative) + absolute;
}

TopoDS_Shape fusedTree(std::vector<TopoDS_Shape> shapes, bool unifyFaces) {
    if (shapes.empty()) throw automation::failure("nothing to unite");
    const int count = static_cast<int>(shapes.size());
    // The unions of a level run side by side, and a union may touch up its inputs (a
    // tolerance, a curve on a face): on copies, no two of them share an edge or a vertex,
    // and the drawing's own regions stay as they were.
    runSideBySide(count, [&](int i) { shapes[i] = BRepBuilderAPI_Copy(shapes[i], false).Shape(); });
    // Measured on a pocket layer: flat regions united four at a time at the first level took
    // about a tenth less than pairs (the kernel's fixed cost per union is paid less often);
    // six or more at a time took more, as every region is split by all the others.
    std::size_t group = unifyFaces ? 4 : 2;
    while (shapes.size() > 1) {
        const std::size_t groups = (shapes.size() + group - 1) / group;
        std::vector<TopoDS_Shape> next(groups);
        runSideBySide(static_cast<int>(groups), [&](int g) {
            const std::size_t first = g * group, last = std::min(shapes.size(), first + group);
            if (last - first == 1) {
                next[g] = shapes[first];
                return;
            }
            TopoDS_Shape fused = unionOf(shapes[first], {shapes.begin() + first + 1, shapes.begin() + last});
            next[g] = unifyFaces ? unified(fused) : fused;
        });
        shapes = std::move(next);
        group = 2;
    }
    return shapes.front();
}

std::optional<TranslationKey> mergeKey(const std::vector<const SweepOrigin*>& sweeps) {
    if (sweeps.empty() || sweeps.front()->turn) return std::nullopt;
    std::vector<TopoDS_Shape> regions;
    for (const auto* sweep : sweeps) regions.push_back(sweep->faces);
    return translationKey('m', regions, {sweeps.front()->top - sweeps.front()->bottom});
}

MergedSweep mergedSweep(const std::vector<const SweepOrigin*>& sweeps, const std::optional<TranslationKey>& key) {
    if (key)
        if (auto found = recall(*key)) return MergedSweep{found->shape, found->number};
    std::vector<TopoDS_Shape> regions;
    double largest = 0, total = 0;
    for (const auto* sweep : sweeps) {
        regions.push_back(sweep->faces);
        const double a = area(sweep->faces);
        largest = std::max(largest, a);
        total += a;
    }
    // Measured on a pocket layer (67 slots): one fuse of all regions at once, or a tree merged
    // only at its root, took two to three times as long as merging at every level.
    TopoDS_Shape region = fusedTree(regions, true);
    GProp_GProps properties;
    BRepGProp::SurfaceProperties(region, properties);
    const double merged = properties.Mass();
    if (!unionMeasureHolds(merged, largest, total, 0, 1e-9 * total + 1e-12))
        throw automation::failure("the cut regions could not be united");
    const SweepOrigin& first = *sweeps.front();
    MergedSweep result;
    if (first.turn) {
        result.solid = revolveRegion(region, first.axis, 2 * M_PI);
        // Pappus: a full turn sweeps the area along the circle its centroid goes round.
        result.volume = merged * 2 * M_PI * gp_Lin(first.axis).Distance(properties.CentreOfMass());
        return result;
    }
    BRepPrimAPI_MakePrism prism(region, gp_Vec(0, 0, first.top - first.bottom), true);
    if (!prism.IsDone()) throw automation::failure("the united cut region could not be extruded");
    result.solid = prism.Shape();
    result.volume = merged * (first.top - first.bottom);
    if (key) keep(*key, result.solid, result.volume);
    return result;
}

}  // namespace corvex::cadhost::occt
