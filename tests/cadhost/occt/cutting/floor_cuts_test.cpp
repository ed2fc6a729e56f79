// Queued prisms cut from box stock go into a floor map, and the solid it builds is believed only
// after its checks: a map or a solid spoiled as a fault would spoil it is refused, and the cuts
// are made by Booleans instead. Either way the part is the one eager cutting makes.
#include <gp_Ax1.hxx>
#include <gp_Trsf.hxx>
#include <BRepPrimAPI_MakeBox.hxx>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>

#include "automation/error.hpp"
#include "cadhost/occt/cutting/floor_cuts.hpp"
#include "cadhost/occt/cutting/guarded_cut.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"
#include "cadhost/occt/host_fixture.hpp"
#include "cadhost/occt/model/entities.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

class FloorCutsTest : public HostTest {
protected:
    void TearDown() override {
        setFloorCutsFaultsForTesting({});
        setSubtractionHookForTesting(nullptr);
    }

    std::shared_ptr<Solid3D> prism(std::shared_ptr<Polyline> outline, double height) {
        return space->AddExtrudedSolid(obj(regionOf(outline)), num(height), i16(0));
    }
    void subtract(const std::shared_ptr<Solid3D>& part, const std::shared_ptr<Solid3D>& tool) {
        part->Boolean(Variant::int32(2), obj(tool));
    }
    // On the 100 x 100 x 20 block (top at 0): slots, one out over the side, an L, a hole, a hole
    // through, a full ring; a look half way; then a cut no prism makes (a bar turned about X).
    // Returns the Booleans made before the turned cut.
    long cutJob(const std::shared_ptr<Solid3D>& part) {
        subtract(part, prism(rectangle(10, 10, 60, 16, -3), 13));
        subtract(part, prism(rectangle(-5, 40, 20, 46, -2), 12));
        subtract(part, prism(space->AddPolyline(Variant::doubles({70, 10, -1, 90, 10, -1, 90, 40, -1, 80, 40, -1, 80, 20, -1,
                                                                  70, 20, -1, 70, 10, -1})),
                             11));
        volume(part);  // a look half way: the map builds its solid, and goes on
        subtract(part, space->AddCylinder(pt(30, 70, 0), num(3), num(10)));
        subtract(part, space->AddCylinder(pt(70, 70, 0), num(2), num(50)));
        auto ring = space->AddCylinder(pt(45, 35, 0), num(8), num(10));
        subtract(ring, space->AddCylinder(pt(45, 35, 0), num(3), num(30)));
        subtract(part, ring);
        subtract(part, prism(rectangle(20, 12, 30, 60, -6), 16));
        const long booleans = kernelCounters().booleans;
        subtract(part, space->AddRevolvedSolid(obj(regionOf(rectangle(20, 0, 60, 3, 0))), pt(0, 0, 0), pt(1, 0, 0),
                                               num(2 * M_PI)));
        return booleans;
    }
};

TEST_F(FloorCutsTest, AMapOrSolidSpoiledIsRefusedAndTheCutsMadeByBooleansToTheSamePart) {
    drawing->setEagerSubtraction(true);
    auto eagerPart = box(0, 0, -20, 100, 100, 0);
    cutJob(eagerPart);
    const double eager = volume(eagerPart);

    gp_Trsf turned;  // half a turn about the block's middle: the same volume, elsewhere
    turned.SetRotation(gp_Ax1(gp_Pnt(50, 50, 0), gp::DZ()), M_PI);
    struct Case {
        std::string name;
        FloorCutsFaults faults;
        bool refused;
        bool map = true;
    };
    const Case cases[] = {
        {"sound", {}, false},
        // The ring, a cylinder cut by another, is no longer the disc it was swept from: queued
        // beside a hole of its height span, it once merged as that disc.
        {"no floor map", {}, false, false},
        {"a slot out over the side moved in the map",
         {[](VerticalPrism& p) {
              if (std::any_of(p.outline.corners.begin(), p.outline.corners.end(), [](auto& c) { return c[0] < 0; }))
                  for (auto& c : p.outline.corners) c[1] += 3;
          },
          {}},
         true},
        {"a hole left out of the map", {[](VerticalPrism& p) { if (p.outline.corners.size() == 1) p.bottom = 10; }, {}}, true},
        {"the ring's hole left out", {[](VerticalPrism& p) { p.holes.clear(); }, {}}, true},
        {"a solid of the stock's volume",
         {{}, [](const TopoDS_Shape&) { return BRepPrimAPI_MakeBox(gp_Pnt(0, 0, -20), gp_Pnt(100, 100, 0)).Shape(); }}, true},
        {"a solid turned round", {{}, [&](const TopoDS_Shape& s) { return movedShape(s, turned); }}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        setFloorCutsFaultsForTesting(c.faults);
        drawing->setFloorMap(c.map);
        resetKernelCounters();
        auto part = box(0, 0, -20, 100, 100, 0);
        const long booleansBeforeTurning = cutJob(part);
        if (!c.refused && c.map) {
            EXPECT_EQ(booleansBeforeTurning, 0) << "the prisms went to Booleans";
        }
        EXPECT_REL(volume(part), eager, 1e-9);
        EXPECT_TRUE(measureSolid(*part).valid);
        EXPECT_EQ(kernelCounters().floorMapRefusals > 0, c.refused);
    }
}

// Each look builds the whole map's solid: while looks are rare the map is kept, and once they
// come after only a few of its cuts, the part goes on by Booleans from the solid last built.
TEST_F(FloorCutsTest, LooksThatComeOftenLeaveTheMapToBooleans) {
    auto part = box(0, 0, -20, 100, 100, 0);
    resetKernelCounters();
    // Disjoint 5 x 5 pockets, 2 deep: each takes 50.
    auto pocket = [&](int i) {
        const double x = 10.0 * (i % 9) + 2, y = 10.0 * (i / 9) + 10;
        subtract(part, prism(rectangle(x, y, x + 5, y + 5, -2), 10));
    };
    const struct {
        int cuts;
        long mapped, booleans;  // after the look that follows them, counted from the start
    } steps[] = {{8, 8, 0}, {3, 11, 0}, {1, 12, 0}, {1, 12, 1}};
    int made = 0;
    for (const auto& step : steps) {
        for (int k = 0; k < step.cuts; ++k) pocket(made++);
        EXPECT_REL(volume(part), 200000 - 50.0 * made, 1e-12) << made << " cuts";
        EXPECT_EQ(kernelCounters().floorMapCuts, step.mapped) << made << " cuts";
        EXPECT_EQ(kernelCounters().booleans, step.booleans) << made << " cuts";
    }
    EXPECT_TRUE(measureSolid(*part).valid);
}

// Cutters' sweeps the map cannot take (3-D moves) wait beside it: when their tools lie where the
// whole map holds no material, they take nothing and are never made; otherwise every cut is
// made as if the map had ended at the first of them. Either way the part is the one eager
// Booleans make, and a refused map loses none of them.
TEST_F(FloorCutsTest, CutsBesideTheMapAreMadeOnItsSolidOrProvedToTakeNothing) {
    const CutterShape flat{6, 30, 0, 0, 0}, ball{6, 30, 3, 0, 0};
    struct Case {
        std::string name;
        CutterShape cutter;
        std::array<double, 3> from, to;
        bool clear;
        bool rampFirst = false;
        bool refusedMap = false;
    };
    const Case cases[] = {
        {"a ramp down to the slot's floor", flat, {30, 50, -1}, {60, 50, -2}, true},
        {"the same, asked before the slot", flat, {30, 50, -1}, {60, 50, -2}, true, true},
        {"a ball's 3-D move in the slot", ball, {25, 50, -0.5}, {75, 50, -2}, true},
        {"a ramp below the floor", flat, {30, 50, -1}, {60, 50, -2.5}, false},
        {"the same, asked before the slot", flat, {30, 50, -1}, {60, 50, -2.5}, false, true},
        {"a ramp a hair below the floor", flat, {30, 50, -1}, {60, 50, -2.001}, false},
        {"a ramp beside the slot", flat, {30, 52, -1}, {60, 52, -2}, false},
        {"a ramp out past the slot's end", flat, {60, 50, -1}, {81, 50, -2}, false},
        {"a ramp below the floor, the map refused", flat, {30, 50, -1}, {60, 50, -2.5}, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        double volumes[2];
        for (const bool eager : {true, false}) {
            SetUp();
            drawing->setEagerSubtraction(eager);
            drawing->setFloorMap(!eager);
            if (c.refusedMap && !eager)
                setFloorCutsFaultsForTesting({{}, [](const TopoDS_Shape&) {
                                                  return BRepPrimAPI_MakeBox(gp_Pnt(0, 0, -20), gp_Pnt(100, 100, 0)).Shape();
                                              }});
            resetKernelCounters();
            auto part = box(0, 0, -20, 100, 100, 0);
            auto ramp = [&] { subtract(part, drawing->addCutterSweep(c.cutter, c.from, c.to)); };
            if (c.rampFirst) ramp();
            // A slot along Y 50 from X 20 to 80, 6 wide and 2 deep, as a path's pieces.
            subtract(part, prism(rectangle(20, 47, 80, 53, -2), 12));
            subtract(part, space->AddCylinder(pt(20, 50, 4), num(3), num(12)));
            subtract(part, space->AddCylinder(pt(80, 50, 4), num(3), num(12)));
            if (!c.rampFirst) ramp();
            volumes[eager] = volume(part);
            EXPECT_TRUE(measureSolid(*part).valid);
            if (eager) continue;
            EXPECT_EQ(kernelCounters().cutsFoundClear, c.clear ? 1 : 0);
            if (c.clear) {
                EXPECT_EQ(kernelCounters().booleans, 0);
            }
            EXPECT_EQ(kernelCounters().floorMapRefusals, c.refusedMap ? 1 : 0);
        }
        EXPECT_NEAR(volumes[false], volumes[true], 1e-6);
        if (c.clear) {
            EXPECT_REL(volumes[false], 200000 - 2 * (60 * 6 + 9 * M_PI), 1e-12);
        }
    }
}

// A look that finds a waiting cut the kernel cannot make names it once: the part it leaves holds
// every other cut, checked whole, and the next look has nothing to report.
TEST_F(FloorCutsTest, AWaitingCutThatCannotBeMadeIsNamedOnceByTheLook) {
    auto part = box(0, 0, -20, 100, 100, 0);
    subtract(part, prism(rectangle(20, 47, 80, 53, -2), 12));                                  // 720, into the map
    subtract(part, drawing->addCutterSweep({6, 30, 0, 0, 0}, {30, 50, -1}, {60, 50, -2.5}));  // below the floor
    // Every Boolean leaves the block as the map's solid left it: the ramp is refused on every attempt.
    setSubtractionHookForTesting([](const TopoDS_Shape& result, int) -> TopoDS_Shape {
        return solidVolume(result) < 200000 - 721 ? TopoDS_Shape() : result;
    });
    try {
        volume(part);
        ADD_FAILURE() << "the refused ramp was not reported";
    } catch (const automation::Error& error) {
        EXPECT_NE(error.description().find("was refused"), std::string::npos) << error.description();
    }
    setSubtractionHookForTesting(nullptr);
    EXPECT_REL(volume(part), 200000 - 720, 1e-12);
    EXPECT_FALSE(dynamic_cast<const SolidEntity&>(*part).cutsPending());
    EXPECT_TRUE(measureSolid(*part).valid);
}

// When the map's solid is refused and the Booleans cannot make one of its cuts either, the
// call that found it fails naming that cut, and its own cut is still made.
TEST_F(FloorCutsTest, ACutTheBooleansCannotMakeAfterARefusedMapIsNamedAndTheNextCutStillMade) {
    auto part = box(0, 0, -20, 100, 100, 0);
    setFloorCutsFaultsForTesting(
        {{}, [](const TopoDS_Shape&) { return BRepPrimAPI_MakeBox(gp_Pnt(0, 0, -20), gp_Pnt(100, 100, 0)).Shape(); }});
    subtract(part, prism(rectangle(10, 10, 20, 20, -2), 10));  // 200, into the map
    // Every Boolean leaves the block whole: the pocket's cut is refused on every attempt.
    setSubtractionHookForTesting([](const TopoDS_Shape& result, int) -> TopoDS_Shape {
        if (solidVolume(result) > 200000 - 150) return result;
        return BRepPrimAPI_MakeBox(gp_Pnt(0, 0, -20), gp_Pnt(100, 100, 0)).Shape();
    });
    auto turned = space->AddRevolvedSolid(obj(regionOf(rectangle(20, 0, 60, 1, 0))), pt(0, 0, 0), pt(1, 0, 0), num(2 * M_PI));
    try {
        subtract(part, turned);
        ADD_FAILURE() << "the refused pocket was not reported";
    } catch (const automation::Error& error) {
        EXPECT_NE(error.description().find("was refused"), std::string::npos) << error.description();
    }
    EXPECT_TRUE(dynamic_cast<const SolidEntity&>(*part).cutsPending()) << "the turned cut was dropped";
    setSubtractionHookForTesting(nullptr);
    // The turned bar (radius 1 about the X axis, from 20 to 60) takes its quarter inside the block.
    EXPECT_REL(volume(part), 200000 - M_PI / 4 * 40, 1e-9);
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
