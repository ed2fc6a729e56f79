// Queued subtraction: a cut is carried out when the solid is next looked at, and then gives
// what cutting at the call gives. Every kind of look settles the queue first.
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepPrimAPI_MakeBox.hxx>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "automation/error.hpp"
#include "cadhost/occt/files/drawing_file.hpp"
#include "cadhost/occt/model/entities.hpp"
#include "cadhost/occt/cutting/guarded_cut.hpp"
#include "cadhost/occt/host_fixture.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

class LazySubtraction : public HostTest {
public:
    using HostTest::box;
    // A vertical prism cut: the rectangle extruded from z up by height.
    std::shared_ptr<Solid3D> prism(double x0, double y0, double x1, double y1, double z, double height) {
        auto outline = rectangle(x0, y0, x1, y1, z);
        return space->AddExtrudedSolid(obj(regionOf(outline)), num(height), i16(0));
    }
    void subtract(const std::shared_ptr<Solid3D>& part, const std::shared_ptr<Solid3D>& tool) {
        part->Boolean(Variant::int32(2), obj(tool));
    }
    static bool pending(const std::shared_ptr<Solid3D>& solid) {
        return dynamic_cast<const SolidEntity&>(*solid).cutsPending();
    }
    // Cuts of every kind the queue distinguishes: prisms sharing a span, prisms of their own
    // span, plunged cylinders and a turned (revolved) solid.
    void cutMixedJob(const std::shared_ptr<Solid3D>& part) {
        for (int i = 0; i < 6; ++i) subtract(part, prism(5 + 10 * i, 5, 12 + 10 * i, 60, -4, 10));
        for (int i = 0; i < 4; ++i) subtract(part, prism(10, 62 + 5 * i, 90, 65 + 5 * i, -2 - i, 10));
        subtract(part, space->AddCylinder(pt(20, 85, 0), num(3), num(8)));
        subtract(part, space->AddCylinder(pt(50, 85, 0), num(3), num(8)));
        auto profile = regionOf(rectangle(0, 18, 100, 30, 0));
        subtract(part, space->AddRevolvedSolid(obj(profile), pt(0, 0, 0), pt(1, 0, 0), num(2 * M_PI)));
    }
    void TearDown() override { setSubtractionHookForTesting(nullptr); }
};

TEST_F(LazySubtraction, QueuedCutsGiveTheVolumesAndJournalOfCutsMadeAtOnce) {
    auto lazyPart = box(0, 0, -20, 100, 100, 0);
    cutMixedJob(lazyPart);
    EXPECT_TRUE(pending(lazyPart));
    const auto lazyJournal = drawing->journal().lines();
    const auto lazy = measureSolid(*lazyPart);

    SetUp();  // a second drawing, cut at every call
    drawing->setEagerSubtraction(true);
    auto eagerPart = box(0, 0, -20, 100, 100, 0);
    cutMixedJob(eagerPart);
    EXPECT_FALSE(pending(eagerPart));
    const auto eager = measureSolid(*eagerPart);

    EXPECT_EQ(lazyJournal, drawing->journal().lines());
    EXPECT_REL(lazy.volume, eager.volume, 1e-9);
    EXPECT_EQ(lazy.solids, eager.solids);
    EXPECT_TRUE(lazy.valid);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(lazy.box.min[k], eager.box.min[k], 1e-7);
        EXPECT_NEAR(lazy.box.max[k], eager.box.max[k], 1e-7);
    }
}

TEST_F(LazySubtraction, PrismsOfOneSpanMergeIntoOneBooleanWithTheExactVolume) {
    drawing->setFloorMap(false);  // the queue's Booleans are what is counted
    auto part = box(0, 0, -20, 100, 100, 0);
    resetKernelCounters();
    // Overlapping strips of one span: their union is the 80 x 40 rectangle, 5 deep.
    for (int i = 0; i < 9; ++i) subtract(part, prism(10 + 8 * i, 10, 26 + 8 * i, 50, -5, 30));
    EXPECT_EQ(kernelCounters().booleans, 0);
    EXPECT_REL(volume(part), 200000 - 80 * 40 * 5, 1e-12);
    EXPECT_EQ(kernelCounters().booleans, 1);
    EXPECT_TRUE(measureSolid(*part).valid);
}

TEST_F(LazySubtraction, LayersOfTheSameOutlinesAreUnitedOnceAndCutExactly) {
    auto part = box(0, 0, -20, 100, 100, 0);
    // Three layers of the same overlapping strips (80 x 40), 3 deep each, then a fourth
    // layer whose last strip reaches 1 further: not the same outlines, so its own union.
    for (int layer = 0; layer < 4; ++layer) {
        const double z = -3.0 * (layer + 1);
        for (int i = 0; i < 9; ++i) {
            const double reach = layer == 3 && i == 8 ? 1 : 0;
            subtract(part, prism(10 + 8 * i, 10, 26 + 8 * i + reach, 50, z, 30));
        }
    }
    const double pocket = 81 * 40 * 12;  // the deepest layer's prisms reach up through the rest
    EXPECT_REL(volume(part), 200000 - pocket, 1e-12);
    EXPECT_TRUE(measureSolid(*part).valid);

    // The same layers once more elsewhere, in a later flush: the unions are moved, not remade,
    // and the part still comes out exact.
    for (int layer = 0; layer < 3; ++layer)
        for (int i = 0; i < 9; ++i) subtract(part, prism(10 + 8 * i, 55, 26 + 8 * i, 95, -2.0 * (layer + 1), 30));
    EXPECT_REL(volume(part), 200000 - pocket - 80 * 40 * 6, 1e-12);
    EXPECT_TRUE(measureSolid(*part).valid);
}

TEST_F(LazySubtraction, AMergedSpanMayTakeNoMoreThanItsUnionsVolume) {
    drawing->setFloorMap(false);  // the queue's Booleans are what is counted
    auto part = box(0, 0, -20, 100, 100, 0);
    // The merged Boolean goes wrong on every attempt and also takes the 9600 mm3 under the
    // pocket: less than the strips' sum, more than their union. The cuts one by one are sound.
    int spoiled = 0, plainAttempts = 0;
    setSubtractionHookForTesting([&](const TopoDS_Shape& result, int attempt) {
        plainAttempts += attempt == 0;
        if (plainAttempts > 1) return result;  // the merged cut's retries are over
        ++spoiled;
        return BRepAlgoAPI_Cut(result, BRepPrimAPI_MakeBox(gp_Pnt(10, 10, -8), gp_Pnt(90, 50, -5)).Shape()).Shape();
    });
    resetKernelCounters();
    // Nine overlapping strips, 5 deep: together 28800 mm3 of tools, their union only 16000.
    for (int i = 0; i < 9; ++i) subtract(part, prism(10 + 8 * i, 10, 26 + 8 * i, 50, -5, 5));
    EXPECT_REL(volume(part), 200000 - 16000, 1e-12);
    EXPECT_GE(spoiled, 3);
    EXPECT_EQ(kernelCounters().guardFailures, 1) << "the spoiled merged cut was believed";
    EXPECT_TRUE(measureSolid(*part).valid);
}

TEST_F(LazySubtraction, TurnsAboutOneAxisMergeIntoOneBooleanThatTheGuardBelieves) {
    auto part = box(0, -20, -20, 100, 20, 20);
    resetKernelCounters();
    // Overlapping bands about the X axis, on its one side: their union is turned at once.
    const double bands[3][4] = {{0, 4, 50, 8}, {20, 6, 100, 10}, {40, 2, 70, 12}};
    for (const auto& b : bands) {
        auto profile = regionOf(rectangle(b[0], b[1], b[2], b[3], 0));
        subtract(part, space->AddRevolvedSolid(obj(profile), pt(0, 0, 0), pt(1, 0, 0), num(2 * M_PI)));
    }
    // Along X the union's radii run 4-8, 4-10, 2-12 (from 40 to 70), then 6-10.
    EXPECT_REL(volume(part), 160000 - M_PI * (20 * 48 + 20 * 84 + 30 * 140 + 30 * 64), 1e-9);
    // A bound below the union's true volume would refuse the merged cut and retry it.
    EXPECT_EQ(kernelCounters().booleans, 1);
    EXPECT_EQ(kernelCounters().guardFailures, 0);
}

// Each way of looking at a solid, and each operation that needs its shape, settles it.
struct Look {
    const char* name;
    std::function<void(LazySubtraction&, Drawing&, std::shared_ptr<Solid3D>&)> run;
};

class EveryLook : public LazySubtraction, public ::testing::WithParamInterface<Look> {};

TEST_P(EveryLook, SettlesTheQueueFirst) {
    auto part = box(0, 0, -20, 100, 100, 0);
    subtract(part, prism(10, 10, 30, 30, -5, 30));
    subtract(part, prism(40, 40, 60, 60, -7, 30));
    ASSERT_TRUE(pending(part));
    GetParam().run(*this, *drawing, part);
    EXPECT_FALSE(pending(part));
    EXPECT_REL(volume(part), 200000 - 400 * 5 - 400 * 7, 1e-9);
}

std::string scratchFile(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::to_string(::getpid()) + name)).string();
}

INSTANTIATE_TEST_SUITE_P(
    Looks, EveryLook,
    ::testing::Values(
        Look{"Centroid", [](auto&, auto&, auto& part) { part->Centroid(); }},
        Look{"Measure", [](auto&, auto&, auto& part) { measureSolid(*part); }},
        Look{"BoundingBox", [](auto&, auto&, auto& part) { boundingBox(*part); }},
        Look{"Interference", [](auto& t, auto&, auto& part) { part->CheckInterference(obj(t.box(0, 0, -1, 5, 5, 1)), Variant::boolean(true)); }},
        Look{"Union", [](auto& t, auto&, auto& part) { part->Boolean(Variant::int32(0), obj(t.box(0, 0, -1, 5, 5, 0))); }},
        Look{"AsATool", [](auto& t, auto&, auto& part) { t.box(0, 0, -30, 10, 10, 10)->Boolean(Variant::int32(2), obj(part)); }},
        Look{"Move", [](auto&, auto&, auto& part) { part->Move(pt(0, 0, 0), pt(0, 0, 0)); }},
        Look{"Rotate", [](auto&, auto&, auto& part) { part->Rotate3D(pt(0, 0, 0), pt(0, 0, 1), num(0)); }},
        Look{"SavingTheDrawing", [](auto&, auto& drawing, auto&) {
            const auto file = scratchFile("-lazy.step");
            writeDrawing(drawing, file);
            std::remove(file.c_str());
        }},
        Look{"ExportingStl", [](auto&, auto&, auto& part) {
            const auto file = scratchFile("-lazy.stl");
            writeStl({part}, file);
            std::remove(file.c_str());
        }},
        Look{"Settle", [](auto&, auto& drawing, auto&) { drawing.settle(); }},
        Look{"TurningEager", [](auto&, auto& drawing, auto&) { drawing.setEagerSubtraction(true); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LazySubtraction, TheQueueIsCarriedOutWhenItGrowsLong) {
    drawing->setFloorMap(false);  // the queue's Booleans are what is counted
    auto part = box(0, 0, -20, 100, 100, 0);
    resetKernelCounters();
    // Cuts at depths of their own, which cannot merge: the queue takes a handful of them.
    double removed = 0;
    for (int i = 0; i < 25; ++i) {
        const double depth = 1 + 0.01 * i;
        subtract(part, prism(2 * i, 10, 2 * i + 1, 11, -depth, 30));
        removed += depth;
    }
    EXPECT_TRUE(kernelCounters().booleans > 0) << "nobody looked, yet cuts were made";
    EXPECT_REL(volume(part), 200000 - removed, 1e-9);
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
