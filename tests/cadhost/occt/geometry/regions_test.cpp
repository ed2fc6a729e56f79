// Regions from curves and Booleans of regions, checked by measuring the faces that come out.
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepGProp.hxx>
#include <GC_MakeArcOfCircle.hxx>
#include <GProp_GProps.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Circ.hxx>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "automation/error.hpp"
#include "cadhost/occt/geometry/regions.hpp"
#include "error_of.hpp"

namespace corvex::cadhost::occt {
namespace {

using corvex::testing::errorOf;

constexpr double kPi = std::numbers::pi;

double area(const TopoDS_Shape& shape) {
    GProp_GProps properties;
    BRepGProp::SurfaceProperties(shape, properties);
    return properties.Mass();
}

int count(const TopoDS_Shape& shape, TopAbs_ShapeEnum kind) {
    int found = 0;
    for (TopExp_Explorer explorer(shape, kind); explorer.More(); explorer.Next()) {
        ++found;
    }
    return found;
}

TopoDS_Wire polygon(std::initializer_list<gp_Pnt> points) {
    BRepBuilderAPI_MakePolygon maker;
    for (const gp_Pnt& point : points) {
        maker.Add(point);
    }
    maker.Close();
    return maker.Wire();
}

TopoDS_Wire square(double x, double y, double side, double z = 0) {
    return polygon({gp_Pnt(x, y, z), gp_Pnt(x + side, y, z), gp_Pnt(x + side, y + side, z),
                    gp_Pnt(x, y + side, z)});
}

TopoDS_Edge circle(double x, double y, double radius, double z = 0) {
    return BRepBuilderAPI_MakeEdge(gp_Circ(gp_Ax2(gp_Pnt(x, y, z), gp::DZ()), radius));
}

TopoDS_Edge line(const gp_Pnt& from, const gp_Pnt& to) {
    return BRepBuilderAPI_MakeEdge(from, to);
}

TopoDS_Edge arc(const gp_Pnt& from, const gp_Pnt& through, const gp_Pnt& to) {
    return BRepBuilderAPI_MakeEdge(GC_MakeArcOfCircle(from, through, to).Value());
}

TopoDS_Face onlyFace(const std::vector<TopoDS_Shape>& curves) {
    std::vector<TopoDS_Face> faces = regionsFromCurves(curves);
    EXPECT_EQ(faces.size(), 1u);
    return faces.at(0);
}

// A slot of width 4 whose end centres are 10 apart, as four separate curves: listed out of
// order, two of them backwards, and with ends `gap` apart where they meet.
std::vector<TopoDS_Shape> scrambledSlot(double gap) {
    TopoDS_Edge top = line(gp_Pnt(10, 2, 0), gp_Pnt(0, 2, 0));                 // backwards
    TopoDS_Edge bottom = line(gp_Pnt(0, -2, 0), gp_Pnt(10 - gap, -2, 0));
    TopoDS_Edge rightEnd = arc(gp_Pnt(10, 2 + gap, 0), gp_Pnt(12, 0, 0), gp_Pnt(10, -2, 0));
    TopoDS_Edge leftEnd = arc(gp_Pnt(0, 2, 0), gp_Pnt(-2, 0, 0), gp_Pnt(0, -2, 0));
    return {rightEnd, bottom, leftEnd, top};
}

TEST(RegionsFromCurves, ClosedWireGivesOneValidFaceWithItsArea) {
    TopoDS_Face face = onlyFace({polygon({gp_Pnt(0, 0, 0), gp_Pnt(4, 0, 0), gp_Pnt(4, 3, 0),
                                          gp_Pnt(0, 3, 0)})});
    EXPECT_NEAR(area(face), 12.0, 1e-9);
    EXPECT_TRUE(BRepCheck_Analyzer(face).IsValid());
}

TEST(RegionsFromCurves, CircleGivesADisc) {
    EXPECT_NEAR(area(onlyFace({circle(3, 4, 2.5)})), kPi * 2.5 * 2.5, 1e-9);
}

TEST(RegionsFromCurves, SeparateEdgesInAnyOrderAndDirectionJoinIntoOneLoop) {
    TopoDS_Face face = onlyFace(scrambledSlot(0));
    EXPECT_NEAR(area(face), 10 * 4 + kPi * 4 * 4 / 4, 1e-9);
    EXPECT_TRUE(BRepCheck_Analyzer(face).IsValid());
}

TEST(RegionsFromCurves, EndsJoinWithinTheToleranceAndNotBeyond) {
    TopoDS_Face face = onlyFace(scrambledSlot(0.5 * kJoinTolerance));
    EXPECT_NEAR(area(face), 10 * 4 + kPi * 4, 20 * kJoinTolerance);  // the gap, closed, shifts the outline by up to half of it
    EXPECT_TRUE(BRepCheck_Analyzer(face).IsValid());

    EXPECT_EQ(errorOf([] { regionsFromCurves(scrambledSlot(10 * kJoinTolerance)); }).hr(),
              automation::hresult::kInvalidArgument);
}

TEST(RegionsFromCurves, OpenWireAndEdgesCloseALoopTogether) {
    BRepBuilderAPI_MakeWire threeSides(line(gp_Pnt(0, 0, 0), gp_Pnt(5, 0, 0)));
    threeSides.Add(line(gp_Pnt(5, 0, 0), gp_Pnt(5, 2, 0)));
    threeSides.Add(line(gp_Pnt(5, 2, 0), gp_Pnt(0, 2, 0)));
    TopoDS_Face face = onlyFace({line(gp_Pnt(0, 0, 0), gp_Pnt(0, 2, 0)), threeSides.Wire()});
    EXPECT_NEAR(area(face), 10.0, 1e-9);
}

TEST(RegionsFromCurves, CurvesThatCloseNoLoopAreLeftOutAndNullEntriesSkipped) {
    std::vector<TopoDS_Face> faces = regionsFromCurves(
        {TopoDS_Shape(), line(gp_Pnt(20, 0, 0), gp_Pnt(30, 0, 0)), circle(0, 0, 1), TopoDS_Shape()});
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_NEAR(area(faces[0]), kPi, 1e-9);
}

TEST(RegionsFromCurves, NoClosedLoopIsAnError) {
    automation::Error error = errorOf([] {
        regionsFromCurves({line(gp_Pnt(0, 0, 0), gp_Pnt(1, 0, 0)),
                           line(gp_Pnt(1, 0, 0), gp_Pnt(1, 1, 0)), TopoDS_Shape()});
    });
    EXPECT_EQ(error.hr(), automation::hresult::kInvalidArgument);
    EXPECT_NE(error.description().find("no closed loop"), std::string::npos);
    EXPECT_EQ(errorOf([] { regionsFromCurves({}); }).hr(), automation::hresult::kInvalidArgument);
}

TEST(RegionsFromCurves, LoopOutOfPlaneIsAnError) {
    automation::Error error = errorOf([] {
        regionsFromCurves({polygon({gp_Pnt(0, 0, 0), gp_Pnt(4, 0, 0), gp_Pnt(4, 4, 1),
                                    gp_Pnt(0, 4, 0)})});
    });
    EXPECT_EQ(error.hr(), automation::hresult::kInvalidArgument);
    EXPECT_NE(error.description().find("plane"), std::string::npos);
}

TEST(RegionsFromCurves, LoopWithNoAreaIsAnError) {
    automation::Error error = errorOf([] {
        // A triangle thinner than the joining tolerance.
        regionsFromCurves({polygon({gp_Pnt(0, 0, 0), gp_Pnt(10, 0, 0), gp_Pnt(5, 1e-8, 0)})});
    });
    EXPECT_EQ(error.hr(), automation::hresult::kInvalidArgument);
    EXPECT_NE(error.description().find("no area"), std::string::npos);
}

TEST(RegionsFromCurves, EnclosingRegionComesFirst) {
    std::vector<TopoDS_Face> faces = regionsFromCurves({circle(0, 0, 2), circle(0, 0, 5)});
    ASSERT_EQ(faces.size(), 2u);
    EXPECT_NEAR(area(faces[0]), kPi * 25, 1e-9);
    EXPECT_NEAR(area(faces[1]), kPi * 4, 1e-9);

    TopoDS_Shape ring = regionBoolean(faces[0], faces[1], BooleanOp::Subtraction);
    EXPECT_NEAR(area(ring), kPi * (25 - 4), 1e-9);
    EXPECT_EQ(count(ring, TopAbs_FACE), 1);
    EXPECT_TRUE(BRepCheck_Analyzer(ring).IsValid());
}

TEST(RegionsFromCurves, RegionTouchingTheInsideOfAnotherCountsAsEnclosed) {
    // The small circle touches the large one from inside, at an angle where a polygon through
    // the large circle would cut the small one off; the square's corners touch it too.
    const gp_Dir toTouch(std::cos(0.3), std::sin(0.3), 0);
    TopoDS_Edge touching = BRepBuilderAPI_MakeEdge(
        gp_Circ(gp_Ax2(gp_Pnt(gp_XYZ(toTouch.XYZ()) * 3), gp::DZ(), toTouch), 2));
    const double half = 5 / std::sqrt(2.0);
    std::vector<TopoDS_Face> faces = regionsFromCurves(
        {touching, square(-half, -half, 2 * half), circle(0, 0, 5)});
    ASSERT_EQ(faces.size(), 3u);
    EXPECT_NEAR(area(faces[0]), kPi * 25, 1e-9);
    EXPECT_NEAR(area(faces[1]), kPi * 4, 1e-9);
    EXPECT_NEAR(area(faces[2]), 50, 1e-9);
}

TEST(RegionsFromCurves, SameLoopTwiceGivesTwoRegionsInListOrder) {
    std::vector<TopoDS_Face> faces = regionsFromCurves({square(0, 0, 2), circle(10, 10, 0.5),
                                                        square(0, 0, 2)});
    ASSERT_EQ(faces.size(), 3u);
    EXPECT_NEAR(area(faces[0]), 4, 1e-9);
    EXPECT_NEAR(area(faces[1]), kPi * 0.25, 1e-9);
    EXPECT_NEAR(area(faces[2]), 4, 1e-9);
}

TEST(RegionsFromCurves, NestedRegionsComeOutermostFirstAndOthersKeepTheirPlaces) {
    // Listed: smallest, an unrelated square, largest, middle.
    std::vector<TopoDS_Face> faces = regionsFromCurves(
        {circle(0, 0, 1), square(20, 20, 1), circle(0, 0, 3), circle(0, 0, 2)});
    ASSERT_EQ(faces.size(), 4u);
    EXPECT_NEAR(area(faces[0]), kPi * 9, 1e-9);
    EXPECT_NEAR(area(faces[1]), kPi * 4, 1e-9);
    EXPECT_NEAR(area(faces[2]), kPi * 1, 1e-9);
    EXPECT_NEAR(area(faces[3]), 1.0, 1e-9);
}

TEST(RegionsFromCurves, OverlappingRegionsKeepListOrder) {
    // A lathe insert: a rhombus outline, then circles of different sizes at three corners.
    TopoDS_Wire outline = polygon({gp_Pnt(0, 0, 0), gp_Pnt(10, 0, 0), gp_Pnt(14, 6, 0),
                                   gp_Pnt(4, 6, 0)});
    std::vector<TopoDS_Face> faces =
        regionsFromCurves({outline, circle(10, 0, 0.8), circle(14, 6, 0.4), circle(4, 6, 0.6)});
    ASSERT_EQ(faces.size(), 4u);
    EXPECT_NEAR(area(faces[0]), 60.0, 1e-9);
    EXPECT_NEAR(area(faces[1]), kPi * 0.64, 1e-9);
    EXPECT_NEAR(area(faces[2]), kPi * 0.16, 1e-9);
    EXPECT_NEAR(area(faces[3]), kPi * 0.36, 1e-9);

    // A circle that sticks out of an outline stays before it when listed first, also when it
    // lies within the outline's box (in the notch of an L).
    TopoDS_Wire notched = polygon({gp_Pnt(0, 0, 0), gp_Pnt(6, 0, 0), gp_Pnt(6, 2, 0),
                                   gp_Pnt(2, 2, 0), gp_Pnt(2, 6, 0), gp_Pnt(0, 6, 0)});
    for (const auto& [cornerCircle, shape] : std::vector<std::pair<TopoDS_Shape, TopoDS_Shape>>{
             {circle(10, 0, 0.8), outline}, {circle(2, 2, 0.8), notched}}) {
        faces = regionsFromCurves({cornerCircle, shape});
        ASSERT_EQ(faces.size(), 2u);
        EXPECT_NEAR(area(faces[0]), kPi * 0.64, 1e-9);
    }
}

TEST(RegionsFromCurves, NormalsFaceUpWhicheverWayTheLoopRuns) {
    TopoDS_Wire counterClockwise = square(0, 0, 2, 7);
    TopoDS_Wire clockwise = polygon({gp_Pnt(0, 0, 7), gp_Pnt(0, 2, 7), gp_Pnt(2, 2, 7),
                                     gp_Pnt(2, 0, 7)});
    TopoDS_Edge clockwiseCircle =
        BRepBuilderAPI_MakeEdge(gp_Circ(gp_Ax2(gp_Pnt(0, 0, -3), -gp::DZ()), 1));
    for (const TopoDS_Shape& loop : std::vector<TopoDS_Shape>{counterClockwise, clockwise,
                                                              clockwiseCircle}) {
        TopoDS_Face face = onlyFace({loop});
        EXPECT_TRUE(regionNormal(face).IsEqual(gp::DZ(), 1e-12));
        EXPECT_GT(area(face), 0);
    }
    // A tilted plane still faces up.
    TopoDS_Face tilted = onlyFace({polygon({gp_Pnt(0, 0, 0), gp_Pnt(0, 3, 0), gp_Pnt(3, 3, 3),
                                            gp_Pnt(3, 0, 3)})});
    EXPECT_GT(regionNormal(tilted).Z(), 0.7);
}

TEST(RegionsFromCurves, VerticalLoopGetsADeterministicNormal) {
    // The same rectangle in the plane y = 5, run both ways.
    TopoDS_Wire oneWay = polygon({gp_Pnt(0, 5, 0), gp_Pnt(4, 5, 0), gp_Pnt(4, 5, 2),
                                  gp_Pnt(0, 5, 2)});
    TopoDS_Wire otherWay = polygon({gp_Pnt(0, 5, 0), gp_Pnt(0, 5, 2), gp_Pnt(4, 5, 2),
                                    gp_Pnt(4, 5, 0)});
    for (const TopoDS_Wire& loop : {oneWay, otherWay}) {
        TopoDS_Face face = onlyFace({loop});
        EXPECT_NEAR(area(face), 8.0, 1e-9);
        EXPECT_TRUE(regionNormal(face).IsEqual(gp::DY(), 1e-12));
    }
}

class RegionBoolean : public ::testing::Test {
protected:
    TopoDS_Face first = onlyFace({square(0, 0, 2)});
    TopoDS_Face shiftedAlongX = onlyFace({square(1, 0, 2)});
    TopoDS_Face shiftedDiagonally = onlyFace({square(1, 1, 2)});
};

TEST_F(RegionBoolean, UnionOfOverlappingSquaresIsOneFaceWithNoSplitEdges) {
    TopoDS_Shape rectangle = regionBoolean(first, shiftedAlongX, BooleanOp::Union);
    EXPECT_NEAR(area(rectangle), 6.0, 1e-9);
    EXPECT_EQ(count(rectangle, TopAbs_FACE), 1);
    EXPECT_EQ(count(rectangle, TopAbs_EDGE), 4);
    EXPECT_TRUE(regionNormal(rectangle).IsEqual(gp::DZ(), 1e-12));

    TopoDS_Shape stepped = regionBoolean(first, shiftedDiagonally, BooleanOp::Union);
    EXPECT_NEAR(area(stepped), 7.0, 1e-9);
    EXPECT_EQ(count(stepped, TopAbs_FACE), 1);
    EXPECT_EQ(count(stepped, TopAbs_EDGE), 8);
    EXPECT_TRUE(BRepCheck_Analyzer(stepped).IsValid());
}

TEST_F(RegionBoolean, UnionOfApartRegionsIsACompoundOfBoth) {
    TopoDS_Shape both = regionBoolean(first, onlyFace({circle(10, 10, 1)}), BooleanOp::Union);
    EXPECT_EQ(both.ShapeType(), TopAbs_COMPOUND);
    EXPECT_EQ(count(both, TopAbs_FACE), 2);
    EXPECT_NEAR(area(both), 4 + kPi, 1e-9);
}

TEST_F(RegionBoolean, IntersectionKeepsTheCommonArea) {
    TopoDS_Shape common = regionBoolean(first, shiftedDiagonally, BooleanOp::Intersection);
    EXPECT_NEAR(area(common), 1.0, 1e-9);
    EXPECT_EQ(count(common, TopAbs_FACE), 1);
}

TEST_F(RegionBoolean, SubtractionKeepsWhatIsLeft) {
    EXPECT_NEAR(area(regionBoolean(first, shiftedDiagonally, BooleanOp::Subtraction)), 3.0, 1e-9);
}

TEST_F(RegionBoolean, SubtractionThatRemovesEverythingIsEmpty) {
    TopoDS_Shape nothing = regionBoolean(first, onlyFace({square(-1, -1, 4)}),
                                         BooleanOp::Subtraction);
    EXPECT_EQ(nothing.ShapeType(), TopAbs_COMPOUND);
    EXPECT_EQ(count(nothing, TopAbs_FACE), 0);

    TopoDS_Shape itself = regionBoolean(first, onlyFace({square(0, 0, 2)}), BooleanOp::Subtraction);
    EXPECT_EQ(count(itself, TopAbs_FACE), 0);
}

TEST_F(RegionBoolean, RegionsInDifferentPlanesAreAnError) {
    TopoDS_Face raised = onlyFace({square(0, 0, 2, 1)});
    automation::Error error =
        errorOf([&] { regionBoolean(first, raised, BooleanOp::Union); });
    EXPECT_EQ(error.hr(), automation::hresult::kInvalidArgument);
    EXPECT_NE(error.description().find("plane"), std::string::npos);
}

TEST_F(RegionBoolean, WorksInAVerticalPlane) {
    TopoDS_Face a = onlyFace({polygon({gp_Pnt(0, 5, 0), gp_Pnt(2, 5, 0), gp_Pnt(2, 5, 2),
                                       gp_Pnt(0, 5, 2)})});
    TopoDS_Face b = onlyFace({polygon({gp_Pnt(1, 5, 0), gp_Pnt(1, 5, 2), gp_Pnt(3, 5, 2),
                                       gp_Pnt(3, 5, 0)})});
    TopoDS_Shape result = regionBoolean(a, b, BooleanOp::Union);
    EXPECT_NEAR(area(result), 6.0, 1e-9);
    EXPECT_TRUE(regionNormal(result).IsEqual(gp::DY(), 1e-12));
}

}  // namespace
}  // namespace corvex::cadhost::occt
