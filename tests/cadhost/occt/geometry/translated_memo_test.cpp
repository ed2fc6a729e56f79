// Region Booleans and turns are answered from earlier results moved by a translation. Each
// answer must be exactly what the kernel gives for the regions where they are now, and a
// region that is only nearly a translation, or moved across the axis, must not be taken for one.
#include <gtest/gtest.h>

#include <cmath>

#include "cadhost/occt/host_fixture.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

class TranslatedResults : public HostTest {
protected:
    // An insert-like outline: a 6 x 3 rectangle with a circle of `radius` on its corner at
    // (x, y), united; its area comes from the kernel.
    std::shared_ptr<Region> roundedOutline(double x, double y, double radius) {
        auto outline = regionOf(rectangle(x, y, x + 6, y + 3));
        auto corner = regionsOf(space->AddRegion(list({obj(space->AddCircle(pt(x, y, 0), num(radius)))}))).at(0);
        outline->Boolean(Variant::int32(0), obj(corner));
        return outline;
    }
    std::shared_ptr<Solid3D> turnedAboutX(const std::shared_ptr<Region>& region) {
        return space->AddRevolvedSolid(obj(region), pt(0, 0, 0), pt(1, 0, 0), i16(360));
    }
};

TEST_F(TranslatedResults, ABooleanOfMovedRegionsIsTheFirstResultMoved) {
    auto first = measureRegion(*roundedOutline(10, 5, 0.5));
    auto moved = measureRegion(*roundedOutline(37.25, -4.5, 0.5));
    EXPECT_REL(moved.area, first.area, 1e-12);
    EXPECT_NEAR(moved.box.min[0], first.box.min[0] + 27.25, 1e-9);
    EXPECT_NEAR(moved.box.max[1], first.box.max[1] - 9.5, 1e-9);
    EXPECT_EQ(moved.faces, first.faces);

    // A corner circle a little larger is another Boolean, with its own area.
    auto larger = measureRegion(*roundedOutline(37.25, -4.5, 0.5 + 1e-6));
    EXPECT_GT(larger.area, first.area);
    EXPECT_NEAR(larger.area - first.area, 3 * M_PI / 2 * 0.5 * 1e-6, 1e-9);
}

TEST_F(TranslatedResults, ATurnMovedAlongItsAxisIsTheSameSolidMoved) {
    auto first = measureSolid(*turnedAboutX(roundedOutline(10, 5, 0.5)));
    auto along = measureSolid(*turnedAboutX(roundedOutline(52, 5, 0.5)));
    EXPECT_REL(along.volume, first.volume, 1e-12);
    EXPECT_NEAR(along.box.min[0], first.box.min[0] + 42, 1e-9);
    EXPECT_TRUE(along.valid);

    // Moved away from the axis, the same outline sweeps more: Pappus, with the centroid 2
    // further out, adds 2 pi 2 times the area.
    auto region = roundedOutline(52, 7, 0.5);
    const double area = measureRegion(*region).area;
    auto across = measureSolid(*turnedAboutX(region));
    EXPECT_REL(across.volume, first.volume + 2 * M_PI * 2 * area, 1e-9);
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
