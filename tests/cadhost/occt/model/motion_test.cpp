// Move and Rotate3D carry every kind of entity rigidly.
#include <gtest/gtest.h>

#include "automation/error.hpp"
#include "cadhost/occt/host_fixture.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

using Motion = HostTest;

TEST_F(Motion, MoveTranslatesASolidByTheDifference) {
    auto cylinder = space->AddCylinder(pt(-100, -100, 0), i16(1), num(2));
    cylinder->Move(pt(0, 0, 0), pt(10, 20, 5));
    auto m = measureSolid(*cylinder);
    EXPECT_NEAR(m.centroid[0], -90, 1e-9);
    EXPECT_NEAR(m.centroid[1], -80, 1e-9);
    EXPECT_NEAR(m.centroid[2], 5, 1e-9);
    EXPECT_REL(m.volume, 2 * M_PI, 1e-9);
}

TEST_F(Motion, Rotate3DFollowsTheRightHandRule) {
    // A quarter turn about +X takes +Y to +Z; about +Z takes +X to +Y.
    auto solid = box(-1, 9, -1, 1, 11, 1);
    solid->Rotate3D(pt(0, 0, 0), pt(1, 0, 0), num(M_PI / 2));
    auto m = measureSolid(*solid);
    EXPECT_NEAR(m.centroid[0], 0, 1e-9);
    EXPECT_NEAR(m.centroid[1], 0, 1e-9);
    EXPECT_NEAR(m.centroid[2], 10, 1e-9);

    auto other = box(9, -1, -1, 11, 1, 1);
    other->Rotate3D(pt(0, 0, 0), pt(0, 0, 1), num(M_PI / 2));
    auto n = measureSolid(*other);
    EXPECT_NEAR(n.centroid[0], 0, 1e-9);
    EXPECT_NEAR(n.centroid[1], 10, 1e-9);

    // The axis runs from point 1 to point 2: reversing them turns the other way.
    auto third = box(-1, 9, -1, 1, 11, 1);
    third->Rotate3D(pt(1, 0, 0), pt(0, 0, 0), num(M_PI / 2));
    EXPECT_NEAR(measureSolid(*third).centroid[2], -10, 1e-9);
}

TEST_F(Motion, PolylineKeepsItsShapeAndMovesWithItsPlacement) {
    auto outline = rectangle(0, 0, 2, 1);
    outline->Move(pt(0, 0, 0), pt(5, 5, 3));
    auto moved = measureRegion(*regionOf(outline));
    EXPECT_REL(moved.area, 2, 1e-9);
    EXPECT_NEAR(moved.centroid[0], 6, 1e-9);
    EXPECT_NEAR(moved.centroid[1], 5.5, 1e-9);
    EXPECT_NEAR(moved.centroid[2], 3, 1e-9);

    outline->Rotate3D(pt(5, 5, 3), pt(6, 5, 3), num(M_PI / 2));  // stands up in the XZ plane
    auto box = boundingBox(*outline);
    EXPECT_NEAR(box.max[1] - box.min[1], 0, 1e-9);
    EXPECT_NEAR(box.max[2] - box.min[2], 1, 1e-9);
    // The outline still takes new coordinates in its own plane.
    outline->putCoordinate(i16(2), pt(4, 1, 0));
    outline->putCoordinate(i16(1), pt(4, 0, 0));
    EXPECT_NEAR(boundingBox(*outline).max[0] - boundingBox(*outline).min[0], 4, 1e-9);
}

TEST_F(Motion, ElevationLiftsThePolylinesPlane) {
    auto outline = rectangle(0, 0, 1, 1, 2);
    EXPECT_NEAR(boundingBox(*outline).min[2], 2, 1e-9) << "the first vertex's Z is the elevation";
    outline->putElevation(num(-3));
    EXPECT_NEAR(boundingBox(*outline).max[2], -3, 1e-9);
}

TEST_F(Motion, RegionsLinesArcsAndCirclesTurnToo) {
    auto region = regionOf(rectangle(0, 9, 1, 10));
    region->Rotate3D(pt(0, 0, 0), pt(1, 0, 0), num(M_PI / 2));
    auto r = measureRegion(*region);
    EXPECT_NEAR(r.centroid[1], 0, 1e-9);
    EXPECT_NEAR(r.centroid[2], 9.5, 1e-9);

    auto line = space->AddLine(pt(0, 10, 0), pt(1, 10, 0));
    line->Rotate3D(pt(0, 0, 0), pt(1, 0, 0), num(M_PI / 2));
    EXPECT_NEAR(boundingBox(*line).min[2], 10, 1e-9);

    auto arc = space->AddArc(pt(0, 0, 0), num(2), num(0), num(M_PI / 2));
    arc->Move(pt(0, 0, 0), pt(1, 1, 1));
    auto start = arc->StartPoint().asArray();
    auto end = arc->EndPoint().asArray();
    EXPECT_NEAR(start.at(0).asDouble(), 3, 1e-9);
    EXPECT_NEAR(start.at(1).asDouble(), 1, 1e-9);
    EXPECT_NEAR(end.at(0).asDouble(), 1, 1e-9);
    EXPECT_NEAR(end.at(1).asDouble(), 3, 1e-9);
    EXPECT_NEAR(end.at(2).asDouble(), 1, 1e-9);

    auto circle = space->AddCircle(pt(5, 0, 0), num(1));
    circle->Rotate3D(pt(0, 0, 0), pt(0, 0, 1), num(M_PI));
    auto c = boundingBox(*circle);
    EXPECT_NEAR((c.min[0] + c.max[0]) / 2, -5, 1e-7);
}

TEST_F(Motion, BadMotionsAreRefused) {
    auto solid = box(0, 0, 0, 1, 1, 1);
    EXPECT_THROW(solid->Move(pt(0, 0, 0), Variant()), automation::Error);
    EXPECT_THROW(solid->Rotate3D(pt(1, 1, 1), pt(1, 1, 1), num(1)), automation::Error);
    EXPECT_THROW(solid->Rotate3D(pt(0, 0, 0), pt(1, 0, 0), num(std::nan(""))), automation::Error);
    EXPECT_NEAR(measureSolid(*solid).centroid[0], 0.5, 1e-12);
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
