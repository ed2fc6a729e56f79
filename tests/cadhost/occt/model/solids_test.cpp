// Solids of the embedded host, checked by measurement.
#include <gtest/gtest.h>

#include "automation/error.hpp"
#include "cadhost/occt/host_fixture.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

class Solids : public HostTest {
protected:
    // The slot a straight milling move cuts: sides p1-p2 and p3-p4, half circles at the ends.
    std::shared_ptr<Polyline> slot(double length, double width, double z) {
        auto outline = space->AddPolyline(Variant::doubles(
            {0, 0, z, length, 0, z, length, width, z, 0, width, z, 0, 0, z}));
        outline->SetBulge(i16(1), num(1.0));
        outline->SetBulge(i16(3), num(1.0));
        return outline;
    }
};

TEST_F(Solids, CylinderStandsOnItsMidHeightCentre) {
    auto cylinder = space->AddCylinder(pt(-100, -100, 0), i16(1), num(2.0));
    auto m = measureSolid(*cylinder);
    EXPECT_REL(m.volume, M_PI * 1 * 1 * 2, 1e-9);
    EXPECT_NEAR(m.box.min[2], -1.0, 1e-7);
    EXPECT_NEAR(m.box.max[2], 1.0, 1e-7);
    EXPECT_NEAR(m.box.min[0], -101.0, 1e-7);
    EXPECT_NEAR(m.box.max[1], -99.0, 1e-7);
    EXPECT_TRUE(m.valid);
}

TEST_F(Solids, ExtrudedSlotHasTheSlotVolume) {
    const double length = 7, width = 3, height = 2.5;
    auto outline = slot(length, width, -4);
    auto regions = regionsOf(space->AddRegion(list({obj(outline)})));
    ASSERT_EQ(regions.size(), 1u);
    auto solid = space->AddExtrudedSolid(obj(regions[0]), num(height), i16(0));
    auto m = measureSolid(*solid);
    EXPECT_REL(m.volume, (length * width + M_PI * width * width / 4) * height, 1e-9);
    EXPECT_NEAR(m.box.min[2], -4, 1e-7);
    EXPECT_NEAR(m.box.max[2], -4 + height, 1e-7);
    EXPECT_NEAR(m.box.min[0], -width / 2, 1e-7);
    EXPECT_NEAR(m.box.max[0], length + width / 2, 1e-7);
}

TEST_F(Solids, ClockwiseOutlineStillExtrudesUpwards) {
    auto outline = space->AddPolyline(Variant::doubles({0, 0, 1, 0, 2, 1, 3, 2, 1, 3, 0, 1, 0, 0, 1}));
    auto solid = space->AddExtrudedSolid(obj(regionOf(outline)), num(2), i16(0));
    auto m = measureSolid(*solid);
    EXPECT_REL(m.volume, 12.0, 1e-9);
    EXPECT_NEAR(m.box.min[2], 1, 1e-7);
    EXPECT_NEAR(m.box.max[2], 3, 1e-7);
}

TEST_F(Solids, RevolvingARectangleAboutXGivesPappusVolume) {
    // Rectangle x 0..10, y 2..5: area 30, centroid 3.5 from the axis.
    auto region = regionOf(rectangle(0, 2, 10, 5));
    auto full = space->AddRevolvedSolid(obj(region), pt(0, 0, 0), pt(1, 0, 0), i16(360));
    EXPECT_REL(volume(full), 2 * M_PI * 3.5 * 30, 1e-9);

    auto region2 = regionOf(rectangle(0, 2, 10, 5));
    auto quarter = space->AddRevolvedSolid(obj(region2), pt(0, 0, 0), pt(1, 0, 0), num(M_PI / 2));
    auto m = measureSolid(*quarter);
    EXPECT_REL(m.volume, M_PI / 2 * 3.5 * 30, 1e-9);
    // A positive quarter turn about +X carries +Y towards +Z.
    EXPECT_GT(m.centroid[2], 1.0);
    EXPECT_NEAR(m.box.min[2], 0, 1e-6);

    auto region3 = regionOf(rectangle(0, 2, 10, 5));
    auto backwards = space->AddRevolvedSolid(obj(region3), pt(0, 0, 0), pt(1, 0, 0), num(-M_PI / 2));
    auto b = measureSolid(*backwards);
    EXPECT_REL(b.volume, M_PI / 2 * 3.5 * 30, 1e-9);
    EXPECT_LT(b.centroid[2], -1.0);
}

TEST_F(Solids, SweepAlongAStraightPathIsAreaTimesLength) {
    // A 2 x 1 rectangle in the YZ plane, swept 7 along X.
    auto profile = rectangle(0, 0, 2, 1);
    profile->Rotate3D(pt(0, 0, 0), pt(0, 1, 0), num(-M_PI / 2));
    auto path = space->AddPolyline(Variant::doubles({0, 0, 0, 7, 0, 0}));
    auto solid = space->AddExtrudedSolidAlongPath(obj(regionOf(profile)), obj(path));
    auto m = measureSolid(*solid);
    EXPECT_REL(m.volume, 2 * 1 * 7, 1e-9);
    EXPECT_NEAR(m.box.max[0] - m.box.min[0], 7, 1e-6);
}

TEST_F(Solids, SubtractionRemovesExactlyTheOverlap) {
    auto part = box(0, 0, -20, 100, 100, 0);
    auto tool = box(90, 90, -5, 110, 110, 5);
    part->Boolean(i16(2), obj(tool));
    EXPECT_REL(volume(part), 100 * 100 * 20 - 10 * 10 * 5, 1e-9);
    EXPECT_TRUE(entityDeleted(*tool)) << "the tool is absorbed";
    EXPECT_TRUE(measureSolid(*part).valid);
}

TEST_F(Solids, SubtractionThatTakesEverythingLeavesAnEmptySolid) {
    auto part = box(0, 0, 0, 1, 1, 1);
    part->Boolean(i16(2), obj(box(-1, -1, -1, 2, 2, 2)));
    auto m = measureSolid(*part);
    EXPECT_EQ(m.solids, 0);
    EXPECT_NEAR(m.volume, 0, 1e-12);
}

TEST_F(Solids, UnionAndIntersection) {
    auto a = box(0, 0, 0, 2, 2, 2);
    a->Boolean(i16(0), obj(box(1, 1, 1, 3, 3, 3)));
    EXPECT_REL(volume(a), 8 + 8 - 1, 1e-9);
    auto b = box(0, 0, 0, 2, 2, 2);
    b->Boolean(Variant::int32(1), obj(box(1, 1, 1, 3, 3, 3)));
    EXPECT_REL(volume(b), 1, 1e-9);
}

TEST_F(Solids, InterferenceGivesTheCommonVolumeOrNothing) {
    auto part = box(0, 0, 0, 4, 4, 4);
    auto cut = box(3, 3, 3, 6, 6, 6);
    auto before = entityCount();
    auto common = part->CheckInterference(obj(cut), Variant::boolean(true));
    ASSERT_TRUE(common);
    EXPECT_REL(volume(common), 1, 1e-9);
    EXPECT_EQ(entityCount(), before + 1) << "the common solid joins the drawing";
    EXPECT_REL(volume(part), 64, 1e-9) << "neither solid changes";

    auto apart = box(10, 10, 10, 11, 11, 11);
    EXPECT_EQ(part->CheckInterference(obj(apart), Variant::boolean(true)), nullptr);
    auto touching = box(4, 0, 0, 5, 4, 4);
    EXPECT_EQ(part->CheckInterference(obj(touching), Variant::boolean(true)), nullptr)
        << "solids that only touch do not interfere";
}

TEST_F(Solids, CentroidIsTheCentreOfVolume) {
    auto solid = box(0, 0, 0, 2, 4, 6);
    auto c = solid->Centroid();
    ASSERT_TRUE(c.isArray());
    EXPECT_NEAR(c.asArray().at(0).asDouble(), 1, 1e-9);
    EXPECT_NEAR(c.asArray().at(1).asDouble(), 2, 1e-9);
    EXPECT_NEAR(c.asArray().at(2).asDouble(), 3, 1e-9);
}

TEST_F(Solids, BadSolidArgumentsAreRefusedAndChangeNothing) {
    auto before = entityCount();
    const auto nan = std::nan("");
    EXPECT_THROW(space->AddCylinder(pt(0, 0, nan), num(1), num(1)), automation::Error);
    EXPECT_THROW(space->AddCylinder(pt(0, 0, 0), num(0), num(1)), automation::Error);
    EXPECT_THROW(space->AddCylinder(pt(0, 0, 0), num(1), num(-2)), automation::Error);
    EXPECT_THROW(space->AddCylinder(Variant::doubles({0, 0}), num(1), num(1)), automation::Error);
    EXPECT_THROW(space->AddCylinder(Variant::string("here"), num(1), num(1)), automation::Error);
    EXPECT_EQ(entityCount(), before);

    auto region = regionOf(rectangle(0, 0, 1, 1));
    before = entityCount();
    EXPECT_THROW(space->AddExtrudedSolid(obj(region), num(1), num(0.1)), automation::Error);
    EXPECT_THROW(space->AddExtrudedSolid(obj(region), num(0), i16(0)), automation::Error);
    EXPECT_THROW(space->AddExtrudedSolid(obj(box(0, 0, 0, 1, 1, 1)), num(1), i16(0)), automation::Error);
    EXPECT_THROW(space->AddRevolvedSolid(obj(region), pt(0, 0, 0), pt(0, 0, 0), num(1)), automation::Error);
    EXPECT_EQ(entityCount(), before + 1) << "only the box made for the test was added";

    auto part = box(0, 0, 0, 1, 1, 1);
    EXPECT_THROW(part->Boolean(i16(3), obj(box(0, 0, 0, 2, 2, 2))), automation::Error);
    EXPECT_THROW(part->Boolean(i16(2), obj(region)), automation::Error);
    EXPECT_THROW(part->Boolean(i16(2), obj(part)), automation::Error);
    EXPECT_REL(volume(part), 1, 1e-12);
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
