// Turned cuts: full turns of profiles about one axis are queued and united as profiles, and
// arcs turn into tori; the part must come out as cutting each turn at its call leaves it.
#include <BRepAdaptor_Surface.hxx>
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepPrimAPI_MakeRevol.hxx>
#include <ElCLib.hxx>
#include <GC_MakeArcOfCircle.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <gtest/gtest.h>

#include "cadhost/occt/model/embedded_host.hpp"
#include "cadhost/occt/model/entities.hpp"
#include "cadhost/occt/geometry/revolved_tori.hpp"
#include "cadhost/occt/host_fixture.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

class TurnedCuts : public HostTest {
public:
    std::shared_ptr<Solid3D> turned(const std::shared_ptr<Entity>& curve) {
        return space->AddRevolvedSolid(obj(regionOf(curve)), pt(0, 0, 0), pt(1, 0, 0), num(2 * M_PI));
    }
    // Overlapping bands, a groove with a round bottom, an arc profile reaching past the bar,
    // and one profile below the axis (the same turn, from the other side).
    void turnJob(const std::shared_ptr<Solid3D>& bar) {
        auto cut = [&](const std::shared_ptr<Solid3D>& tool) { bar->Boolean(Variant::int32(2), obj(tool)); };
        cut(turned(rectangle(80, 18, 100, 20)));
        cut(turned(rectangle(70, 17, 90, 20)));
        cut(turned(space->AddCircle(pt(50, 19, 0), num(2))));
        cut(turned(space->AddCircle(pt(30, 20, 0), num(1.5))));
        cut(turned(rectangle(5, -20, 15, -16)));
        cut(turned(rectangle(60, 16.5, 75, 20)));
    }
};

TEST_F(TurnedCuts, ATurnedCircleIsATorusOfExactVolume) {
    auto torus = turned(space->AddCircle(pt(50, 10, 0), num(3)));
    const auto measure = measureSolid(*torus);
    EXPECT_TRUE(measure.valid);
    EXPECT_REL(measure.volume, 2 * M_PI * M_PI * 10 * 9, 1e-9);
    EXPECT_EQ(measure.faces, 1);
}

TEST_F(TurnedCuts, QueuedTurnsGiveThePartOfTurnsCutAtTheirCalls) {
    auto lazyBar = drawing->addAxisCylinder({0, 0, 0}, 20, 100, 0);
    resetKernelCounters();
    turnJob(lazyBar);
    const auto lazy = measureSolid(*lazyBar);
    const long lazyBooleans = kernelCounters().booleans;
    const auto lazyJournal = drawing->journal().lines();

    SetUp();
    drawing->setEagerSubtraction(true);
    auto eagerBar = drawing->addAxisCylinder({0, 0, 0}, 20, 100, 0);
    resetKernelCounters();
    turnJob(eagerBar);
    const auto eager = measureSolid(*eagerBar);

    EXPECT_EQ(lazyJournal, drawing->journal().lines());
    EXPECT_TRUE(lazy.valid);
    EXPECT_TRUE(eager.valid);
    EXPECT_EQ(lazy.solids, 1);
    EXPECT_REL(lazy.volume, eager.volume, 1e-9);
    // Profiles on the two sides of the axis are not united, so two tools at most.
    EXPECT_LE(lazyBooleans, 2);
    EXPECT_GT(kernelCounters().booleans, lazyBooleans);
}

TEST_F(TurnedCuts, ATurnedBandTakesItsAnalyticVolume) {
    auto bar = drawing->addAxisCylinder({0, 0, 0}, 20, 100, 0);
    for (int pass = 0; pass < 10; ++pass)
        bar->Boolean(Variant::int32(2), obj(turned(rectangle(90 - 10 * pass, 15, 100 - 10 * pass, 20))));
    const auto measure = measureSolid(*bar);
    EXPECT_TRUE(measure.valid);
    EXPECT_REL(measure.volume, M_PI * 15 * 15 * 100, 1e-9);
}

// A torus face's quick box, which distances, rays and the Boolean prune by, must hold the face:
// on a left-handed frame with the second parameter starting below 0 the kernel's was flat.
TEST(TurnedArcs, EveryToroidalFaceLiesInItsQuickBox) {
    int tori = 0;
    for (double start = -180; start < 180; start += 45) {
        SCOPED_TRACE(start);
        const double a = start * M_PI / 180, b = a + M_PI / 2;
        const gp_Circ circle(gp_Ax2(gp_Pnt(50, 10, 0), gp_Dir(0, 0, 1)), 3);
        const gp_Pnt p = ElCLib::Value(a, circle), q = ElCLib::Value(b, circle);
        const TopoDS_Wire wire = BRepBuilderAPI_MakeWire(BRepBuilderAPI_MakeEdge(GC_MakeArcOfCircle(circle, a, b, true).Value()),
                                                         BRepBuilderAPI_MakeEdge(q, p));
        const TopoDS_Shape turned =
            withToroidalFaces(BRepPrimAPI_MakeRevol(BRepBuilderAPI_MakeFace(wire), gp_Ax1(gp_Pnt(0, 0, 0), gp_Dir(1, 0, 0))).Shape());
        for (TopExp_Explorer it(turned, TopAbs_FACE); it.More(); it.Next()) {
            const TopoDS_Face& face = TopoDS::Face(it.Current());
            if (BRepAdaptor_Surface(face).GetType() != GeomAbs_Torus) continue;
            ++tori;
            Bnd_Box quick, tight;
            BRepBndLib::Add(face, quick, false);
            BRepBndLib::AddOptimal(face, tight, false, false);
            quick.Enlarge(1e-7);
            double x0, y0, z0, x1, y1, z1;
            tight.Get(x0, y0, z0, x1, y1, z1);
            EXPECT_FALSE(quick.IsOut(gp_Pnt(x0, y0, z0)) || quick.IsOut(gp_Pnt(x1, y1, z1)));
        }
    }
    EXPECT_EQ(tori, 8);
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
