// Ring sectors turned by a client's decimal degrees: their sides, 1e-7 rad off square or parallel
// to the axis, must turn into exact planes and cylinders, not cones the kernel cannot
// intersect reliably; sides slanted on purpose stay cones; the volume stays Pappus's.
#include <BRepAdaptor_Surface.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <gp_Pln.hxx>
#include <BRepGProp.hxx>
#include <ElCLib.hxx>
#include <GC_MakeArcOfCircle.hxx>
#include <GProp_GProps.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <gtest/gtest.h>

#include <cmath>

#include "automation/error.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

constexpr double kClientDegree = 0.017453293;  // a decimal, as clients turn degrees to radians

// The sector of the ring about (40, 8) between radii 3 and 5, from `start` to `end` degrees,
// closed by two lines from the inner arc's ends to the outer arc's, as a lathe arc cut makes it.
TopoDS_Shape ringSector(double start, double end) {
    const double a = start * kClientDegree, b = end * kClientDegree;
    const gp_Ax2 frame(gp_Pnt(40, 8, 0), gp_Dir(0, 0, 1));
    const gp_Circ inner(frame, 3), outer(frame, 5);
    BRepBuilderAPI_MakeWire wire;
    wire.Add(BRepBuilderAPI_MakeEdge(GC_MakeArcOfCircle(inner, a, b, true).Value()));
    wire.Add(BRepBuilderAPI_MakeEdge(ElCLib::Value(b, inner), ElCLib::Value(b, outer)));
    wire.Add(BRepBuilderAPI_MakeEdge(GC_MakeArcOfCircle(outer, a, b, true).Value()));
    wire.Add(BRepBuilderAPI_MakeEdge(ElCLib::Value(a, outer), ElCLib::Value(a, inner)));
    return BRepBuilderAPI_MakeFace(wire.Wire());
}

// Pappus: 2 pi times the region's first moment about the axis (its Y).
double turnedVolume(double start, double end) {
    const double a = start * kClientDegree, b = end * kClientDegree;
    const double area = (25.0 - 9.0) / 2 * (b - a);
    const double moment = 8 * area + (125.0 - 27.0) / 3 * (std::cos(a) - std::cos(b));
    return 2 * M_PI * moment;
}

TEST(SquaredRegion, SidesNearlySquareOrParallelTurnIntoPlanesAndCylinders) {
    struct Case {
        double start, end;
        int cones;  // sides slanted on purpose
    };
    for (const Case& c : {Case{0, 90, 0}, Case{90, 180, 0}, Case{180, 270, 0}, Case{270, 360, 0},
                          Case{270, 352.541744766053, 1}, Case{102.18942093177498, 192.18942093177498, 2}}) {
        SCOPED_TRACE(std::to_string(c.start) + " to " + std::to_string(c.end));
        const TopoDS_Shape solid = revolveRegion(ringSector(c.start, c.end), gp_Ax1(gp_Pnt(0, 0, 0), gp_Dir(1, 0, 0)), 2 * M_PI);
        int cones = 0, faces = 0;
        for (TopExp_Explorer it(solid, TopAbs_FACE); it.More(); it.Next(), ++faces)
            cones += BRepAdaptor_Surface(TopoDS::Face(it.Current())).GetType() == GeomAbs_Cone;
        EXPECT_EQ(faces, 4);
        EXPECT_EQ(cones, c.cones);
        EXPECT_TRUE(isValidShape(solid));
        const double expected = turnedVolume(c.start, c.end);
        EXPECT_NEAR(solidVolume(solid), expected, 1e-7 * expected);
    }
}

// A ring sector about (20, -5) whose outer arc reaches toward the X axis: touching it at one
// point (the pinched solid no STEP drawing keeps) is refused; near it, or an arc about a centre
// on the axis, is revolved.
TEST(SquaredRegion, AnArcTouchingTheAxisAtOnePointIsRefusedAndOneNearItRevolved) {
    struct Case {
        double centreY, outer;
        bool refused;
    };
    for (const Case& c : {Case{-5, 5, true}, Case{-5, 5 - 1e-9, true}, Case{-5, 5 - 1e-6, false},
                          Case{-5, 4.5, false}, Case{0, 5, false}}) {
        SCOPED_TRACE("about y " + std::to_string(c.centreY) + ", outer radius " + std::to_string(c.outer));
        const gp_Ax2 frame(gp_Pnt(20, c.centreY, 0), gp_Dir(0, 0, 1));
        const gp_Circ inner(frame, 3), outer(frame, c.outer);
        const double a = 0.3, b = M_PI / 2;  // the outer arc ends nearest the axis
        BRepBuilderAPI_MakeWire wire;
        wire.Add(BRepBuilderAPI_MakeEdge(GC_MakeArcOfCircle(inner, a, b, true).Value()));
        wire.Add(BRepBuilderAPI_MakeEdge(ElCLib::Value(b, inner), ElCLib::Value(b, outer)));
        wire.Add(BRepBuilderAPI_MakeEdge(GC_MakeArcOfCircle(outer, a, b, true).Value()));
        wire.Add(BRepBuilderAPI_MakeEdge(ElCLib::Value(a, outer), ElCLib::Value(a, inner)));
        const TopoDS_Shape region = BRepBuilderAPI_MakeFace(wire.Wire());
        const gp_Ax1 axis(gp_Pnt(0, 0, 0), gp_Dir(1, 0, 0));
        if (c.refused) {
            EXPECT_THROW(revolveRegion(region, axis, 2 * M_PI), automation::Error);
            continue;
        }
        const TopoDS_Shape solid = revolveRegion(region, axis, 2 * M_PI);
        EXPECT_TRUE(isValidShape(solid));
        GProp_GProps face;
        BRepGProp::SurfaceProperties(region, face);
        const double pappus = 2 * M_PI * std::fabs(face.CentreOfMass().Y()) * face.Mass();
        EXPECT_NEAR(solidVolume(solid), pappus, 1e-7 * pappus);
    }
}

// A 2 x 1 rectangle swept 10 along X, stood up as the mill's path sweep stands its outline
// (6.3e-6 rad short of square), is swept square: its end faces are exactly across the path. One
// tilted on purpose (1e-3 rad) keeps its tilt.
TEST(SquaredRegion, AnOutlineNearlySquareToItsPathIsSweptSquare) {
    for (const double tilt : {M_PI / 2 - 1.57079, 1e-3}) {
        SCOPED_TRACE(tilt);
        const TopoDS_Shape flat = BRepBuilderAPI_MakeFace(gp_Pln(gp_Pnt(0, 0, 0), gp_Dir(1, 0, 0)), -1, 1, 0, 1).Face();
        gp_Trsf stand;
        stand.SetRotation(gp_Ax1(gp_Pnt(0, 0, 0), gp_Dir(0, 1, 0)), tilt);
        const TopoDS_Shape region = BRepBuilderAPI_Transform(flat, stand, true).Shape();
        const TopoDS_Wire path = BRepBuilderAPI_MakeWire(BRepBuilderAPI_MakeEdge(gp_Pnt(0, 0, 0), gp_Pnt(10, 0, 0))).Wire();
        const TopoDS_Shape swept = sweepRegion(region, path);
        double worst = 0;
        for (TopExp_Explorer it(swept, TopAbs_FACE); it.More(); it.Next()) {
            BRepAdaptor_Surface surface(TopoDS::Face(it.Current()));
            if (surface.GetType() != GeomAbs_Plane) continue;
            const gp_Dir normal = surface.Plane().Axis().Direction();
            if (std::fabs(normal.X()) > 0.5) worst = std::max(worst, normal.Angle(gp_Dir(normal.X() > 0 ? 1 : -1, 0, 0)));
        }
        if (tilt < 1e-5) EXPECT_EQ(worst, 0.0);
        else EXPECT_NEAR(worst, tilt, 1e-12);
        EXPECT_NEAR(solidVolume(swept), 20 * std::cos(tilt), 1e-9);
    }
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
