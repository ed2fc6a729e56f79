// A subtraction whose result the guard refuses is retried or reported, never taken as success.
// A hook stands in for the kernel going wrong: it spoils the Boolean's results.
#include <BRepAdaptor_Surface.hxx>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBuilderAPI_Copy.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Shell.hxx>
#include <TopoDS_Solid.hxx>
#include <gp.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <gp_Ax2.hxx>
#include <BRepGProp.hxx>
#include <GProp_GProps.hxx>
#include <TopoDS_Compound.hxx>
#include <BRep_Builder.hxx>

#include <algorithm>
#include <cmath>
#include <new>

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include "automation/error.hpp"
#include "cadhost/occt/cutting/guarded_cut.hpp"
#include "cadhost/occt/cutting/kernel_counters.hpp"
#include "cadhost/occt/geometry/kernel_time_limit.hpp"
#include "cadhost/occt/cutting/solid_boolean.hpp"
#include "cadhost/occt/host_fixture.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

using ::testing::HasSubstr;

double volumeOf(const TopoDS_Shape& shape) {
    GProp_GProps properties;
    BRepGProp::VolumeProperties(shape, properties);
    return properties.Mass();
}

// The ways a Boolean has been seen to lie: a part turned inside out (negative volume), a
// part that grew, and a part wiped out.
TopoDS_Shape insideOut(const TopoDS_Shape& result) { return result.Reversed(); }
TopoDS_Shape grown(const TopoDS_Shape&) { return BRepPrimAPI_MakeBox(gp_Pnt(0, 0, -20), gp_Pnt(200, 100, 0)).Shape(); }
TopoDS_Shape outOfMemory(const TopoDS_Shape&) { throw std::bad_alloc(); }
TopoDS_Shape wipedOut(const TopoDS_Shape&) {
    TopoDS_Compound nothing;
    BRep_Builder().MakeCompound(nothing);
    return nothing;
}

// A result whose edges the kernel lets lie 0.05 mm off their faces: seen as 0.12 mm on a helix
// cut into a part whose faces could then be neither meshed closed nor measured twice alike,
// while the volume, the validity and the points all passed. A copy, so that every face is new.
TopoDS_Shape looselyJoined(const TopoDS_Shape& result) {
    const TopoDS_Shape copy = BRepBuilderAPI_Copy(result).Shape();
    BRep_Builder().UpdateEdge(TopoDS::Edge(TopExp_Explorer(copy, TopAbs_EDGE).Current()), 0.05);
    return copy;
}

// And the ways a volume check alone cannot see, for the first cut (10 x 10 x 1 at the corner
// of the block 100 x 100 x 20 below z = 0): nothing removed, half of it removed, and material
// added outside the part with an inside-out lump that cancels its volume.
TopoDS_Shape untouched(const TopoDS_Shape&) { return BRepPrimAPI_MakeBox(gp_Pnt(0, 0, -20), gp_Pnt(100, 100, 0)).Shape(); }
TopoDS_Shape halfCut(const TopoDS_Shape&) {
    return BRepAlgoAPI_Cut(untouched({}), BRepPrimAPI_MakeBox(gp_Pnt(5, 0, -1), gp_Pnt(10, 10, 1)).Shape()).Shape();
}
// A sliver 0.01 mm thick and 1 mm across left on the cut's floor, in a corner, inside the tool
// (as a finishing raster's Boolean left one beside the last pass): no point the guard takes in
// the tool lies in it, but its faces, the part's surface kept, lie inside the tool.
TopoDS_Shape sliverLeft(const TopoDS_Shape& result) {
    return BRepAlgoAPI_Fuse(result, BRepPrimAPI_MakeBox(gp_Pnt(0.5, 8.5, -1), gp_Pnt(1.5, 9.5, -0.99)).Shape()).Shape();
}
TopoDS_Shape addedAndHidden(const TopoDS_Shape& result) {
    BRep_Builder builder;
    TopoDS_Compound lumps;
    builder.MakeCompound(lumps);
    builder.Add(lumps, result);
    builder.Add(lumps, BRepPrimAPI_MakeBox(gp_Pnt(0, 0, 10), gp_Pnt(10, 10, 11)).Shape());
    builder.Add(lumps, BRepPrimAPI_MakeBox(gp_Pnt(50, 50, 10), gp_Pnt(60, 60, 11)).Shape().Reversed());
    return lumps;
}

class GuardedSubtraction : public HostTest {
protected:
    // The guard of the Booleans is what is tested: no cut goes into a floor map.
    void SetUp() override {
        HostTest::SetUp();
        drawing->setFloorMap(false);
    }
    void TearDown() override {
        setBooleanSecondsForTesting(kBooleanSeconds);
        setSubtractionHookForTesting(nullptr);
        setCommonHookForTesting(nullptr);
    }
    std::shared_ptr<Solid3D> cell(int i) {
        // Ten disjoint 10 x 10 x 1 cuts along the top of the block.
        return drawing->addBox({10.0 * i, 0, -1}, {10.0 * i + 10, 10, 5});
    }
    void cut(const std::shared_ptr<Solid3D>& part, int i) { part->Boolean(Variant::int32(2), obj(cell(i))); }
    // Spoils every result that holds cut number `from` or later (the block loses 100 a cut).
    void spoilFrom(int from, TopoDS_Shape (*spoil)(const TopoDS_Shape&)) {
        setSubtractionHookForTesting([from, spoil](const TopoDS_Shape& result, int) {
            return volumeOf(result) < 200000 - 100 * from - 50 ? spoil(result) : result;
        });
    }
};

TEST_F(GuardedSubtraction, ASpoiledFirstAttemptIsRetriedAndTheCutStillMade) {
    for (auto spoil : {insideOut, grown, wipedOut, untouched, halfCut, addedAndHidden, sliverLeft, outOfMemory,
                       looselyJoined}) {
        auto part = box(0, 0, -20, 100, 100, 0);
        setSubtractionHookForTesting([spoil](const TopoDS_Shape& result, int attempt) {
            return attempt == 0 ? spoil(result) : result;
        });
        resetKernelCounters();
        cut(part, 0);
        EXPECT_REL(volume(part), 200000 - 100, 1e-9);
        EXPECT_GE(kernelCounters().guardRetries, 1);
        EXPECT_TRUE(measureSolid(*part).valid);
    }
}

// A cut beside a pocket whose result fills the pocket back in: the volume adds up (nothing
// removed), and no point of the tool's faces lies inside. Only the pocket's lost faces, which
// lie in no tool, show it.
TEST_F(GuardedSubtraction, AResultThatFillsAHoleBesideTheToolIsRetried) {
    drawing->setEagerSubtraction(true);
    auto part = box(0, 0, -20, 100, 100, 0);
    part->Boolean(Variant::int32(2), obj(box(20, 20, -5, 30, 30, 5)));
    setSubtractionHookForTesting([](const TopoDS_Shape& result, int attempt) {
        if (attempt > 0) return result;
        return BRepAlgoAPI_Cut(untouched({}), BRepPrimAPI_MakeBox(gp_Pnt(30, 20, -5), gp_Pnt(40, 30, 5)).Shape()).Shape();
    });
    resetKernelCounters();
    part->Boolean(Variant::int32(2), obj(box(30, 20, -5, 40, 30, 5)));
    EXPECT_GE(kernelCounters().guardRetries, 1);
    EXPECT_REL(volume(part), 200000 - 1000, 1e-9);
}

// A tool half over the block's side (it takes 100 of its 1200 mm3) whose result takes more
// beside it, within the tool's volume: a deeper floor, a wider slot beside a wall the tool
// leaves, a ring cut as its whole disc. No point inside the tool shows it, and no face of the
// part is lost where no tool was: points of the material just outside the tool do.
TEST_F(GuardedSubtraction, AResultThatTakesMoreBesideTheToolIsRetried) {
    struct Case {
        const char* what;
        std::shared_ptr<Solid3D> (*tool)(Drawing&);
        double removes;
        TopoDS_Shape (*taken)();
    };
    const Case cases[] = {
        {"a deeper floor", [](Drawing& d) { return d.addBox({90, 0, -1}, {110, 10, 5}); }, 100,
         [] { return BRepPrimAPI_MakeBox(gp_Pnt(90, 0, -1.5), gp_Pnt(100, 10, 0)).Shape(); }},
        {"a wider slot", [](Drawing& d) { return d.addBox({90, 0, -1}, {110, 10, 5}); }, 100,
         [] { return BRepPrimAPI_MakeBox(gp_Pnt(80, 0, -1), gp_Pnt(100, 10, 0)).Shape(); }},
        {"a ring cut as its disc",
         [](Drawing& d) {
             auto ring = d.addAxisCylinder({50, 50, -2}, 5, 7, 2);
             ring->Boolean(Variant::int32(2), obj(d.addAxisCylinder({50, 50, -3}, 3, 9, 2)));
             return ring;
         },
         M_PI * 16 * 2, [] { return BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(50, 50, -2), gp::DZ()), 5, 2).Shape(); }},
    };
    for (const Case& c : cases) {
        drawing->setEagerSubtraction(true);
        auto part = box(0, 0, -20, 100, 100, 0);
        auto tool = c.tool(*drawing);
        static TopoDS_Shape (*taken)() = nullptr;
        taken = c.taken;
        setSubtractionHookForTesting([](const TopoDS_Shape& result, int attempt) {
            return attempt > 0 ? result : BRepAlgoAPI_Cut(untouched({}), taken()).Shape();
        });
        resetKernelCounters();
        part->Boolean(Variant::int32(2), obj(tool));
        EXPECT_GE(kernelCounters().guardRetries, 1) << c.what;
        EXPECT_REL(volume(part), 200000 - c.removes, 1e-9) << c.what;
        setSubtractionHookForTesting(nullptr);
    }
}

// The common part of a workpiece and a tool lies on the workpiece's own faces, where the
// kernel is weakest; cutting the whole tool leaves the same part, so long as the workpiece has
// only lost material since the common part was taken. Moved (even by nothing), it may not.
TEST_F(GuardedSubtraction, ACommonPartThatWillNotCutIsTakenOutAsTheWholeToolItCameFrom) {
    for (bool moved : {false, true}) {
        drawing->setEagerSubtraction(true);
        auto part = box(0, 0, -20, 100, 100, 0);
        part->Boolean(Variant::int32(2), obj(box(0, 0, -1, 10, 10, 5)));
        auto common = part->CheckInterference(obj(box(40, 40, -5, 60, 60, 5)), Variant::boolean(true));
        if (moved) part->Move(pt(0, 0, 0), pt(0, 0, 0));
        std::vector<int> attempts;
        setSubtractionHookForTesting([&attempts](const TopoDS_Shape& result, int attempt) {
            attempts.push_back(attempt);
            return attempt == 3 ? result : halfCut(result);
        });
        if (moved) {
            EXPECT_THROW(part->Boolean(Variant::int32(2), obj(common)), automation::Error);
            EXPECT_REL(volume(part), 200000 - 100, 1e-9);
        } else {
            part->Boolean(Variant::int32(2), obj(common));
            EXPECT_REL(volume(part), 200000 - 100 - 2000, 1e-9);
        }
        EXPECT_EQ(std::count(attempts.begin(), attempts.end(), 3), moved ? 0 : 1);
        setSubtractionHookForTesting(nullptr);
    }
}

// The common part is a Boolean too: one the kernel made short would take out too little, and
// its own volume would vouch for it. The result is judged against the whole tool instead.
TEST_F(GuardedSubtraction, ACommonPartTheKernelMadeShortIsCaughtByTheWholeTool) {
    for (bool eager : {true, false}) {
        drawing->setEagerSubtraction(eager);
        auto part = box(0, 0, -20, 100, 100, 0);
        setCommonHookForTesting([](const TopoDS_Shape& common) {
            return BRepAlgoAPI_Cut(common, BRepPrimAPI_MakeBox(gp_Pnt(50, 40, -5), gp_Pnt(60, 60, 5)).Shape()).Shape();
        });
        auto common = part->CheckInterference(obj(box(40, 40, -5, 60, 60, 5)), Variant::boolean(true));
        setCommonHookForTesting(nullptr);
        part->Boolean(Variant::int32(2), obj(common));
        EXPECT_REL(volume(part), 200000 - 2000, 1e-9) << (eager ? "eager" : "queued");
    }
}

// A common part taken from the workpiece as it is must come out whole: a result that leaves
// a layer of it is refused by its volume already, before any point is judged. Any other tool
// bounds the volume from one side only, and such a result is found by the points.
TEST_F(GuardedSubtraction, ACommonPartMustBeTakenWhole) {
    for (bool common : {true, false}) {
        drawing->setFloorMap(false);  // a cut the kernel refuses is not made in 2-D instead
        drawing->setEagerSubtraction(true);
        auto part = box(0, 0, -20, 100, 100, 0);
        auto tool = box(40, 40, -5, 60, 60, 5);
        if (common) tool = part->CheckInterference(obj(tool), Variant::boolean(true));
        setSubtractionHookForTesting([](const TopoDS_Shape&, int) {
            return BRepAlgoAPI_Cut(untouched({}), BRepPrimAPI_MakeBox(gp_Pnt(40, 40, -0.5), gp_Pnt(60, 60, 5)).Shape())
                .Shape();
        });
        try {
            part->Boolean(Variant::int32(2), obj(tool));
            ADD_FAILURE() << "a layer left uncut passed";
        } catch (const automation::Error& error) {
            EXPECT_THAT(error.description(), HasSubstr(common ? "was refused: it took less than the whole tool"
                                                              : "was refused: it kept material inside the tools"));
        }
        setSubtractionHookForTesting(nullptr);
        EXPECT_REL(volume(part), 200000, 1e-9);
    }
}

// A tool whose floor lies in an earlier slot and whose wall takes 3 mm of the slot's side: its
// deepest points are all in the slot's air, and a result that cut nothing holds none of them.
// Points in the part's material are judged first. The last retry, with a larger fuzzy value,
// is the one that cut such a wall when the kernel missed it every other way.
TEST_F(GuardedSubtraction, AWallLeftBesideAnEarlierSlotIsFoundByPointsInTheMaterial) {
    for (int firstClean : {8, 7, 6}) {  // 8: no attempt makes the cut
        drawing->setFloorMap(false);  // a cut the kernel refuses is not made in 2-D instead
        drawing->setEagerSubtraction(true);
        auto part = box(0, 0, -20, 100, 100, 0);
        part->Boolean(Variant::int32(2), obj(box(0, 30, -10, 100, 62, 5)));
        setSubtractionHookForTesting([firstClean](const TopoDS_Shape& result, int attempt) {
            if (attempt >= firstClean) return result;
            return BRepAlgoAPI_Cut(untouched({}), BRepPrimAPI_MakeBox(gp_Pnt(0, 30, -10), gp_Pnt(100, 62, 5)).Shape())
                .Shape();
        });
        auto tool = box(20, 35, -10, 80, 65, 20);
        if (firstClean < 8) {
            part->Boolean(Variant::int32(2), obj(tool));
            EXPECT_REL(volume(part), 200000 - 32000 - 1800, 1e-9);
        } else {
            try {
                part->Boolean(Variant::int32(2), obj(tool));
                ADD_FAILURE() << "a wall left uncut passed";
            } catch (const automation::Error& error) {
                EXPECT_THAT(error.description(), HasSubstr("was refused: it kept material inside the tools"));
            }
            EXPECT_REL(volume(part), 200000 - 32000, 1e-9);
        }
        setSubtractionHookForTesting(nullptr);
    }
}

// A Boolean that runs past its time is stopped by the kernel itself and refused, and the part is
// left as it was: a lone cut after its second attempt. With no time at all, no Boolean
// finishes, the union of queued cuts neither, and they go one by one.
TEST_F(GuardedSubtraction, ABooleanThatRunsPastItsTimeIsStoppedAndRefused) {
    struct Case {
        bool eager;
        int cuts;
        long booleans;  // what the kernel was asked before the cuts were given up
    };
    for (const Case c : {Case{true, 1, 2}, Case{false, 3, 3 * 2}}) {
        drawing->setEagerSubtraction(c.eager);
        auto part = box(0, 0, -20, 100, 100, 0);
        setBooleanSecondsForTesting(0);
        resetKernelCounters();
        try {
            for (int i = 0; i < c.cuts; ++i) {
                drawing->setCurrentCall("line " + std::to_string(10 + i) + ": ToolExtrudeLine");
                cut(part, i);
            }
            drawing->setCurrentCall("line 20: Centroid");
            part->Centroid();
            ADD_FAILURE() << "a Boolean stopped before its end was taken";
        } catch (const automation::Error& error) {
            for (int i = 0; i < c.cuts; ++i)
                EXPECT_THAT(error.description(), HasSubstr("line " + std::to_string(10 + i) +
                                                           ": ToolExtrudeLine was refused: the kernel did not finish within 0 s"));
        }
        EXPECT_EQ(kernelCounters().booleans, c.booleans) << c.cuts << " cuts";
        EXPECT_GE(kernelCounters().booleansOutOfTime, 1);
        setBooleanSecondsForTesting(kBooleanSeconds);
        EXPECT_REL(volume(part), 200000, 1e-9);
        EXPECT_TRUE(measureSolid(*part).valid);
    }
}

TEST_F(GuardedSubtraction, AnEagerCutThatCannotBeMadeFailsItsCallAndLeavesThePart) {
    drawing->setFloorMap(false);  // a cut the kernel refuses is not made in 2-D instead
    drawing->setEagerSubtraction(true);
    auto part = box(0, 0, -20, 100, 100, 0);
    cut(part, 0);
    spoilFrom(1, insideOut);
    drawing->setCurrentCall("line 12: ToolExtrudeLine");
    try {
        cut(part, 1);
        FAIL() << "a refused subtraction was reported as success";
    } catch (const automation::Error& error) {
        EXPECT_THAT(error.description(), HasSubstr("line 12: ToolExtrudeLine was refused: its volume was negative"));
    }
    setSubtractionHookForTesting(nullptr);
    EXPECT_REL(volume(part), 200000 - 100, 1e-9);
    EXPECT_TRUE(measureSolid(*part).valid);
}

TEST_F(GuardedSubtraction, AQueuedCutThatCannotBeMadeIsReportedByTheNextLookNamingItsCall) {
    drawing->setFloorMap(false);  // a cut the kernel refuses is not made in 2-D instead
    for (auto spoil : {insideOut, grown, wipedOut, looselyJoined}) {
        auto part = box(0, 0, -20, 100, 100, 0);
        spoilFrom(3, spoil);
        for (int i = 0; i < 6; ++i) {
            drawing->setCurrentCall("line " + std::to_string(10 + i) + ": ToolExtrudeLine");
            cut(part, i);  // queued: nothing fails yet
        }
        drawing->setCurrentCall("line 20: Centroid");
        try {
            part->Centroid();
            FAIL() << "a refused subtraction was reported as success";
        } catch (const automation::Error& error) {
            // Every cut from the fourth on is spoiled: each is named, none passes as made.
            for (const char* line : {"line 13: ToolExtrudeLine", "line 14: ToolExtrudeLine", "line 15: ToolExtrudeLine"})
                EXPECT_THAT(error.description(), HasSubstr(line));
            EXPECT_THAT(error.description(), ::testing::Not(HasSubstr("line 12")));
        }
        setSubtractionHookForTesting(nullptr);
        // The part without the cuts that failed: cuts 0, 1 and 2 made.
        EXPECT_REL(volume(part), 200000 - 300, 1e-9);
        EXPECT_TRUE(measureSolid(*part).valid);
        // Reported once: the next look sees the part as it is.
        EXPECT_NO_THROW(part->Centroid());
    }
}

// A face turned over where its plane passes through the part's volume origin changes no volume
// and no edge: only the kernel's full check of the shell sees it.
TopoDS_Shape wallTurnedOver(const TopoDS_Shape& result) {
    BRep_Builder builder;
    TopoDS_Shell shell;
    builder.MakeShell(shell);
    for (TopExp_Explorer it(result, TopAbs_FACE); it.More(); it.Next()) {
        BRepAdaptor_Surface surface(TopoDS::Face(it.Current()));
        const bool wall = surface.GetType() == GeomAbs_Plane && std::fabs(surface.Plane().Location().X() - 50) < 1e-9 &&
                          surface.Plane().Axis().Direction().IsParallel(gp::DX(), 1e-9);
        builder.Add(shell, wall ? it.Current().Reversed() : it.Current());
    }
    TopoDS_Solid solid;
    builder.MakeSolid(solid);
    builder.Add(solid, shell);
    return solid;
}

TEST_F(GuardedSubtraction, APartThatFailsTheFullCheckWhenLookedAtIsMadeAgainFromTheLastValidOne) {
    for (bool eager : {false, true}) {
        drawing->setEagerSubtraction(eager);
        auto part = box(0, 0, -20, 100, 100, 0);
        // The first attempt of every Boolean turns the slot's wall at X 50 over.
        setSubtractionHookForTesting([](const TopoDS_Shape& result, int attempt) {
            return attempt == 0 ? wallTurnedOver(result) : result;
        });
        resetKernelCounters();
        part->Boolean(Variant::int32(2), obj(box(40, 40, -1, 50, 60, 5)));
        const auto measure = measureSolid(*part);  // the look that checks the whole part
        EXPECT_TRUE(measure.valid);
        EXPECT_REL(measure.volume, 200000 - 10 * 20, 1e-9);
        EXPECT_GE(kernelCounters().guardRetries, 1);
        setSubtractionHookForTesting(nullptr);
    }
}

TEST_F(GuardedSubtraction, ACutThatSwallowsThePartMayLeaveNothing) {
    drawing->setEagerSubtraction(true);
    auto part = box(0, 0, 0, 10, 10, 10);
    part->Boolean(Variant::int32(2), obj(box(-1, -1, -1, 11, 11, 11)));
    auto m = measureSolid(*part);
    EXPECT_EQ(m.solids, 0);
    EXPECT_NEAR(m.volume, 0, 1e-9);
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
