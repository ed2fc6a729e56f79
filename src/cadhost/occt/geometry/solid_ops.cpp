#include "cadhost/occt/geometry/solid_ops.hpp"

#include <BRepAdaptor_Curve.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <BRepAlgoAPI_Common.hxx>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepGProp.hxx>
#include <BRepOffsetAPI_MakePipe.hxx>
#include <BRepOffsetAPI_MakePipeShell.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRepPrimAPI_MakeRevol.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Builder.hxx>
#include <GProp_GProps.hxx>
#include <TopExp_Explorer.hxx>
#include <TopLoc_Location.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <BRepTools.hxx>
#include <ShapeUpgrade_UnifySameDomain.hxx>
#include <Standard_Failure.hxx>
#include <ElCLib.hxx>
#include <Precision.hxx>
#include <gp_Lin.hxx>

#include <cmath>
#include <memory>

#include "automation/error.hpp"
#include "cadhost/occt/geometry/kernel_time_limit.hpp"
#include "cadhost/occt/geometry/revolved_tori.hpp"
#include "cadhost/occt/geometry/squared_region.hpp"
#include "cadhost/occt/geometry/spline_extrusions.hpp"
#include "cadhost/occt/geometry/translated_memo.hpp"

namespace corvex::cadhost::occt {
namespace {

std::vector<TopoDS_Face> facesOf(const TopoDS_Shape& region) {
    std::vector<TopoDS_Face> faces;
    for (TopExp_Explorer it(region, TopAbs_FACE); it.More(); it.Next())
        faces.push_back(TopoDS::Face(it.Current()));
    if (faces.empty()) throw automation::invalidArgument("the region is empty");
    return faces;
}

gp_Dir planeNormal(const TopoDS_Face& face) {
    BRepAdaptor_Surface surface(face, false);
    if (surface.GetType() != GeomAbs_Plane) throw automation::invalidArgument("the region is not planar");
    gp_Dir normal = surface.Plane().Axis().Direction();
    // The rule: the normal with a non-negative Z; in a vertical plane, the first non-zero
    // component positive, so that the choice does not depend on how the face was made.
    const double eps = 1e-12;
    bool flip = normal.Z() < -eps ||
                (std::fabs(normal.Z()) <= eps &&
                 (normal.X() < -eps || (std::fabs(normal.X()) <= eps && normal.Y() < 0)));
    return flip ? normal.Reversed() : normal;
}

std::unique_ptr<BRepAlgoAPI_BooleanOperation> booleanAlgorithm(BooleanOp operation) {
    switch (operation) {
        case BooleanOp::Union: return std::make_unique<BRepAlgoAPI_Fuse>();
        case BooleanOp::Intersection: return std::make_unique<BRepAlgoAPI_Common>();
        case BooleanOp::Subtraction: return std::make_unique<BRepAlgoAPI_Cut>();
    }
    return nullptr;
}

// Whether an arc of the region, its circle off the axis, touches the axis at one point (a
// circle tangent to the axis there, within the kernel's confusion). Its revolution is a
// pinched torus: the kernel makes and cuts it, but a STEP drawing of it reads back with a
// different volume, so it could never be written.
bool arcTouchesAxis(const TopoDS_Shape& region, const gp_Ax1& axis) {
    const gp_Lin line(axis);
    for (TopExp_Explorer it(region, TopAbs_EDGE); it.More(); it.Next()) {
        const BRepAdaptor_Curve curve(TopoDS::Edge(it.Current()));
        if (curve.GetType() != GeomAbs_Circle) continue;
        const gp_Circ circle = curve.Circle();
        if (std::fabs(circle.Axis().Direction().Dot(axis.Direction())) > 1e-9) continue;  // not turned in its plane
        const gp_Pnt centre = circle.Location();
        const double offAxis = line.Distance(centre);
        if (offAxis <= Precision::Confusion() || std::fabs(offAxis - circle.Radius()) > Precision::Confusion())
            continue;
        const gp_Pnt foot = ElCLib::Value(ElCLib::Parameter(line, centre), line);
        const gp_Pnt nearest = centre.Translated(gp_Vec(centre, foot).Normalized() * circle.Radius());
        const double at = ElCLib::InPeriod(ElCLib::Parameter(circle, nearest), curve.FirstParameter(),
                                           curve.FirstParameter() + 2 * M_PI);
        if (at <= curve.LastParameter() + 1e-9 ||
            nearest.Distance(curve.Value(curve.FirstParameter())) <= Precision::Confusion() ||
            nearest.Distance(curve.Value(curve.LastParameter())) <= Precision::Confusion())
            return true;
    }
    return false;
}

}  // namespace

TopoDS_Shape makeCylinder(const gp_Pnt& centre, double radius, double height) {
    gp_Ax2 axis(gp_Pnt(centre.X(), centre.Y(), centre.Z() - height / 2), gp::DZ());
    return BRepPrimAPI_MakeCylinder(axis, radius, height).Shape();
}

TopoDS_Shape makeBox(const gp_Pnt& corner0, const gp_Pnt& corner1) {
    gp_Pnt low(std::min(corner0.X(), corner1.X()), std::min(corner0.Y(), corner1.Y()),
               std::min(corner0.Z(), corner1.Z()));
    gp_Pnt high(std::max(corner0.X(), corner1.X()), std::max(corner0.Y(), corner1.Y()),
                std::max(corner0.Z(), corner1.Z()));
    if (high.X() - low.X() <= 0 || high.Y() - low.Y() <= 0 || high.Z() - low.Z() <= 0)
        throw automation::invalidArgument("a box needs two corners that differ in X, Y and Z");
    return BRepPrimAPI_MakeBox(low, high).Shape();
}

TopoDS_Shape extrudeRegion(const TopoDS_Shape& region, double height) {
    auto faces = facesOf(region);
    gp_Vec direction = gp_Vec(planeNormal(faces.front())) * height;
    BRepPrimAPI_MakePrism prism(region, direction, true);
    if (!prism.IsDone()) throw automation::failure("the region could not be extruded");
    return prism.Shape();
}

TopoDS_Shape revolveRegion(const TopoDS_Shape& given, const gp_Ax1& axis, double angle) {
    const TopoDS_Shape region = regionSquaredToAxis(given, axis);
    const auto faces = facesOf(region);
    if (std::fabs(angle) < 1e-12) throw automation::invalidArgument("the angle of revolution must not be 0");
    if (arcTouchesAxis(region, axis))
        throw automation::failure("an arc of the region touches the axis of revolution at one point: the kernel "
                                  "cannot write the pinched solid it would make");
    const auto key = revolutionKey(faces, axis, angle);
    if (key)
        if (auto remembered = recall(*key)) return remembered->shape;
    std::unique_ptr<BRepPrimAPI_MakeRevol> revol =
        std::fabs(angle) >= 2 * M_PI ? std::make_unique<BRepPrimAPI_MakeRevol>(region, axis, true)
                                     : std::make_unique<BRepPrimAPI_MakeRevol>(region, axis, angle, true);
    if (!revol->IsDone()) throw automation::failure("the region could not be revolved");
    TopoDS_Shape solid = withToroidalFaces(revol->Shape());
    if (key) keep(*key, solid);
    return solid;
}

TopoDS_Shape sweepRegion(const TopoDS_Shape& region, const TopoDS_Shape& path) {
    auto faces = facesOf(region);
    TopoDS_Wire wire;
    int edges = 0;
    if (path.ShapeType() == TopAbs_WIRE) {
        wire = TopoDS::Wire(path);
    } else if (path.ShapeType() == TopAbs_EDGE) {
        wire = BRepBuilderAPI_MakeWire(TopoDS::Edge(path)).Wire();
    } else {
        throw automation::invalidArgument("the path must be a curve");
    }
    for (TopExp_Explorer it(wire, TopAbs_EDGE); it.More(); it.Next()) ++edges;
    if (edges == 1) {
        BRepOffsetAPI_MakePipe pipe(wire, regionSquaredToPath(region, wire));
        if (!pipe.IsDone()) throw automation::failure("the region could not be swept along the path");
        return pipe.Shape();
    }
    // Along a path with corners, a pipe shell with right corners keeps the profile square to
    // each segment; holes of the region are not carried along such a path.
    BRep_Builder builder;
    TopoDS_Compound result;
    builder.MakeCompound(result);
    for (const auto& face : faces) {
        BRepOffsetAPI_MakePipeShell shell(wire);
        shell.SetTransitionMode(BRepBuilderAPI_RightCorner);
        shell.Add(BRepTools::OuterWire(face));
        shell.Build();
        if (!shell.IsDone() || !shell.MakeSolid())
            throw automation::failure("the region could not be swept along the path");
        builder.Add(result, shell.Shape());
    }
    return result;
}

int countSolids(const TopoDS_Shape& shape) {
    int count = 0;
    for (TopExp_Explorer it(shape, TopAbs_SOLID); it.More(); it.Next()) ++count;
    return count;
}

double solidVolume(const TopoDS_Shape& shape) {
    if (shape.IsNull()) return 0;
    return volumeProperties(shape).Mass();
}

bool isValidShape(const TopoDS_Shape& shape) {
    return !shape.IsNull() && BRepCheck_Analyzer(shape).IsValid();
}

int countFaces(const TopoDS_Shape& shape) {
    int faces = 0;
    for (TopExp_Explorer it(shape, TopAbs_FACE); it.More(); it.Next()) ++faces;
    return faces;
}

TopoDS_Shape movedShape(const TopoDS_Shape& shape, const gp_Trsf& motion) {
    return shape.Located(TopLoc_Location(motion * shape.Location().Transformation()));
}

TopoDS_Shape fusedSolids(const std::vector<TopoDS_Shape>& solids, bool glued, bool keepSolids) {
    BRepAlgoAPI_Fuse fuse;
    TopTools_ListOfShape arguments, tools;
    arguments.Append(solids.front());
    for (std::size_t i = 1; i < solids.size(); ++i) tools.Append(solids[i]);
    fuse.SetArguments(arguments);
    fuse.SetTools(tools);
    fuse.SetGlue(glued ? BOPAlgo_GlueShift : BOPAlgo_GlueOff);
    fuse.SetNonDestructive(keepSolids);
    fuse.SetToFillHistory(false);
    fuse.SetRunParallel(true);
    Handle(KernelTimeLimit) limit = new KernelTimeLimit(booleanSeconds());
    fuse.Build(limit->Start());
    if (limit->ranOut() || !fuse.IsDone() || fuse.HasErrors()) return {};
    return fuse.Shape();
}

TopoDS_Shape runBoolean(const std::vector<TopoDS_Shape>& arguments, const std::vector<TopoDS_Shape>& tools,
                        BooleanOp operation, double fuzzy, bool* ranOutOfTime) {
    auto algorithm = booleanAlgorithm(operation);
    TopTools_ListOfShape argumentList, toolList;
    for (const auto& shape : arguments) argumentList.Append(shape);
    for (const auto& shape : tools) toolList.Append(shape);
    algorithm->SetArguments(argumentList);
    algorithm->SetTools(toolList);
    // Measured on the hot path: no history and no check for inverted solids save 10-15 %.
    algorithm->SetToFillHistory(false);
    algorithm->SetCheckInverted(false);
    algorithm->SetRunParallel(false);
    if (fuzzy > 0) algorithm->SetFuzzyValue(fuzzy);
    Handle(KernelTimeLimit) limit = new KernelTimeLimit(booleanSeconds());
    algorithm->Build(limit->Start());
    if (ranOutOfTime) *ranOutOfTime = limit->ranOut();
    if (limit->ranOut() || !algorithm->IsDone() || algorithm->HasErrors()) return {};
    return algorithm->Shape();
}

}  // namespace corvex::cadhost::occt
