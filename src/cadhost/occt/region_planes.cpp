#include "cadhost/occt/region_planes.hpp"

#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepGProp.hxx>
#include <BRep_Tool.hxx>
#include <GProp_GProps.hxx>
#include <Geom_Plane.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>

#include <cmath>

#include "automation/error.hpp"

namespace corvex::cadhost::occt {

namespace {

// Below this a normal's component counts as zero, so that a plane that is vertical up to
// rounding still gets the vertical-plane rule instead of flipping on the sign of 1e-17.
constexpr double kZeroComponent = 1e-9;

// Planes within this angle count as parallel.
constexpr double kParallelAngle = 1e-9;

}  // namespace

gp_Dir upwardNormal(const gp_Dir& normal) {
    for (double component : {normal.Z(), normal.X(), normal.Y()}) {
        if (std::abs(component) > kZeroComponent) {
            return component > 0 ? normal : normal.Reversed();
        }
    }
    return normal;  // unreachable for a unit vector
}

std::optional<gp_Pln> facePlane(const TopoDS_Face& face) {
    TopLoc_Location location;
    Handle(Geom_Plane) plane = Handle(Geom_Plane)::DownCast(BRep_Tool::Surface(face, location));
    if (plane.IsNull()) {
        return std::nullopt;
    }
    gp_Pln result = plane->Pln().Transformed(location.Transformation());
    if (face.Orientation() == TopAbs_REVERSED) {
        gp_Ax3 axes = result.Position();
        axes.ZReverse();
        result.SetPosition(axes);
    }
    return result;
}

TopoDS_Face upwardFace(const TopoDS_Wire& loop) {
    BRepBuilderAPI_MakeFace onItsPlane(loop, /*OnlyPlane=*/true);
    if (!onItsPlane.IsDone()) {
        throw automation::invalidArgument(
            "a closed loop of the curves does not lie in one plane, so it cannot bound a region");
    }
    TopoDS_Face face = onItsPlane.Face();
    std::optional<gp_Pln> plane = facePlane(face);
    if (!plane) {
        throw automation::invalidArgument("a closed loop of the curves does not lie in one plane");
    }
    gp_Dir normal = plane->Axis().Direction();
    gp_Dir up = upwardNormal(normal);
    if (up.IsEqual(normal, kParallelAngle) && face.Orientation() == TopAbs_FORWARD) {
        return face;
    }
    // Rebuilt on the plane turned up, with the loop's orientation fixed to bound the inside,
    // rather than merely reversed: a FORWARD face keeps "surface axis = normal" true for any
    // reader of the face.
    BRepBuilderAPI_MakeFace turned(gp_Pln(plane->Location(), up), loop, /*Inside=*/true);
    if (!turned.IsDone()) {
        throw automation::failure("could not build the face of a closed loop of the curves");
    }
    return turned.Face();
}

TopoDS_Face facingUp(const TopoDS_Face& face) {
    std::optional<gp_Pln> plane = facePlane(face);
    if (!plane) {
        throw automation::invalidArgument("a region's face is not planar");
    }
    gp_Dir normal = plane->Axis().Direction();
    return upwardNormal(normal).IsEqual(normal, kParallelAngle) ? face
                                                                : TopoDS::Face(face.Reversed());
}

std::vector<TopoDS_Face> upwardFaces(const TopoDS_Shape& region) {
    std::vector<TopoDS_Face> faces;
    if (region.IsNull()) {
        return faces;
    }
    for (TopExp_Explorer explorer(region, TopAbs_FACE); explorer.More(); explorer.Next()) {
        faces.push_back(facingUp(TopoDS::Face(explorer.Current())));
    }
    return faces;
}

bool samePlane(const gp_Pln& a, const gp_Pln& b, double tolerance) {
    return a.Axis().Direction().IsParallel(b.Axis().Direction(), kParallelAngle) &&
           a.Distance(b.Location()) <= tolerance && b.Distance(a.Location()) <= tolerance;
}

double faceArea(const TopoDS_Shape& shape) {
    GProp_GProps properties;
    BRepGProp::SurfaceProperties(shape, properties);
    return properties.Mass();
}

}  // namespace corvex::cadhost::occt
