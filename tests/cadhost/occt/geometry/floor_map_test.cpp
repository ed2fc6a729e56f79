// The floor map against plain Booleans: the same prisms taken one by one from the same box must
// leave a solid of the same volume, and the map's own volume, from its areas, must agree; the
// solid built from the map must pass the kernel's full check. Cuts on a coarse grid meet, touch
// and overlap one another and the stock's sides, which is where an arrangement goes wrong.
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepClass3d_SolidClassifier.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <gp_Circ.hxx>
#include <GC_MakeArcOfCircle.hxx>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "cadhost/occt/geometry/floor_map.hpp"
#include "cadhost/occt/geometry/outline_geometry.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

struct Cut {
    Outline outline;
    double floor;
};

constexpr double kBottom = -20, kTop = 0;

Outline box() { return Outline::polygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}}); }

// The prism of a cut as a client's cut solid is made: the outline's face extruded from the floor
// to above the stock.
TopoDS_Shape prism(const Cut& cut) {
    const auto& corners = cut.outline.corners;
    const auto& arcs = cut.outline.arcs;
    TopoDS_Shape face;
    if (corners.size() == 1) {
        const OutlineArc& arc = *arcs[0];
        face = BRepBuilderAPI_MakeFace(BRepBuilderAPI_MakeWire(BRepBuilderAPI_MakeEdge(
                                           gp_Circ(gp_Ax2(gp_Pnt(arc.cx, arc.cy, cut.floor), gp::DZ()), arc.radius))));
    } else {
        BRepBuilderAPI_MakeWire wire;
        for (std::size_t i = 0; i < corners.size(); ++i) {
            const auto& a = corners[i];
            const auto& b = corners[(i + 1) % corners.size()];
            const gp_Pnt start(a[0], a[1], cut.floor), end(b[0], b[1], cut.floor);
            if (!arcs[i]) {
                wire.Add(BRepBuilderAPI_MakeEdge(start, end));
                continue;
            }
            // Through the arc's middle, half way round from start to end the way it turns.
            const OutlineArc& arc = *arcs[i];
            const double from = std::atan2(a[1] - arc.cy, a[0] - arc.cx), to = std::atan2(b[1] - arc.cy, b[0] - arc.cx);
            double sweep = arc.clockwise ? from - to : to - from;
            while (sweep <= 0) sweep += 2 * M_PI;
            const double middle = from + (arc.clockwise ? -sweep : sweep) / 2;
            const gp_Pnt through(arc.cx + arc.radius * std::cos(middle), arc.cy + arc.radius * std::sin(middle), cut.floor);
            wire.Add(BRepBuilderAPI_MakeEdge(GC_MakeArcOfCircle(start, through, end).Value()));
        }
        face = BRepBuilderAPI_MakeFace(wire.Wire());
    }
    return BRepPrimAPI_MakePrism(face, gp_Vec(0, 0, kTop + 5 - cut.floor)).Shape();
}

// The cuts, and what a plain Boolean leaves of the box after them.
double booleanVolume(const std::vector<Cut>& cuts) {
    TopoDS_Shape part = BRepPrimAPI_MakeBox(gp_Pnt(0, 0, kBottom), gp_Pnt(100, 100, kTop)).Shape();
    for (const Cut& cut : cuts) part = BRepAlgoAPI_Cut(part, prism(cut)).Shape();
    return solidVolume(part);
}

// The sector of the ring about `centre` between two radii, from `start` turning by `sweep`
// (radians), as ToolMillArc cuts it.
Outline ringSector(const std::array<double, 2>& centre, double inner, double outer, double start, double sweep) {
    auto at = [&](double r, double angle) {
        return std::array<double, 2>{centre[0] + r * std::cos(angle), centre[1] + r * std::sin(angle)};
    };
    return {{at(outer, start), at(outer, start + sweep), at(inner, start + sweep), at(inner, start)},
            {OutlineArc{centre[0], centre[1], outer}, std::nullopt, OutlineArc{centre[0], centre[1], inner, true},
             std::nullopt}};
}

// Slots and discs (and with `rings`, ring sectors too) anywhere or on a grid, at random depths.
std::vector<Cut> randomCuts(unsigned seed, int count, double grid, bool rings = false) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> place(-2, 102), depth(-22, -0.5), unit(0, 1);
    auto snap = [&](double v) { return grid > 0 ? std::round(v / grid) * grid : v; };
    std::vector<Cut> cuts;
    for (int i = 0; i < count; ++i) {
        if (rings && unit(random) < 0.3) {
            const std::array<double, 2> centre{snap(place(random)), snap(place(random))};
            const double inner = grid > 0 ? 5 : 2 + 6 * unit(random);
            const double start = grid > 0 ? std::round(unit(random) * 8) * M_PI / 4 : unit(random) * 2 * M_PI;
            const double sweep = grid > 0 ? (1 + std::round(unit(random) * 5)) * M_PI / 4 : 0.3 + 4.5 * unit(random);
            cuts.push_back({ringSector(centre, inner, inner + 6, start, sweep), snap(depth(random))});
            continue;
        }
        const std::array<double, 2> from{snap(place(random)), snap(place(random))};
        const double radius = grid > 0 ? 3 : 1 + 3 * unit(random), floor = snap(depth(random));
        if (unit(random) < 0.3) {
            cuts.push_back({Outline::circle(from[0], from[1], radius), floor});
            continue;
        }
        const double angle = grid > 0 ? std::round(unit(random) * 8) * M_PI / 4 : unit(random) * 2 * M_PI;
        const double length = snap(2 + 30 * unit(random));
        const std::array<double, 2> to{snap(from[0] + length * std::cos(angle)), snap(from[1] + length * std::sin(angle))};
        cuts.push_back({Outline::slot(from, to, radius), floor});
    }
    return cuts;
}

// The upper half of the ring about (50, 50) from radius 10 to 20, as ToolMillArc cuts it: its
// inner arc bends inward.
Outline halfRing() {
    return {{{70, 50}, {30, 50}, {40, 50}, {60, 50}},
            {OutlineArc{50, 50, 20}, std::nullopt, OutlineArc{50, 50, 10, true}, std::nullopt}};
}

// A ring's sector whose end lies a hair past the leftmost point of its circles, as a client's
// degrees put 180 degrees: the map splits each arc there, and the piece left over, shorter
// than the kernel can build, joins its ends.
Outline sectorPastLeftmost() {
    const double end = M_PI + 7e-8, start = -0.5;
    auto on = [](double r, double a) { return std::array<double, 2>{64 + r * std::cos(a), 18.5 + r * std::sin(a)}; };
    return {{on(10.5, start), on(10.5, end), on(6.5, end), on(6.5, start)},
            {OutlineArc{64, 18.5, 10.5}, std::nullopt, OutlineArc{64, 18.5, 6.5, true}, std::nullopt}};
}

TEST(FloorMap, LeavesTheSolidThatPlainBooleansLeave) {
    const double pi = M_PI;
    struct Case {
        std::string name;
        std::vector<Cut> cuts;
        double removed;  // < 0: from the Booleans alone
    };
    const std::vector<Case> cases = {
        {"a hole", {{Outline::circle(50, 50, 3), -5}}, 9 * pi * 5},
        {"a slot", {{Outline::slot({20, 50}, {60, 50}, 3), -2}}, (240 + 9 * pi) * 2},
        {"a hole through the bottom", {{Outline::circle(50, 50, 3), -25}}, 9 * pi * 20},
        {"a slot along the stock's side", {{Outline::slot({3, 3}, {7.7, 3}, 3), -6.636}}, (4.7 * 6 + 9 * pi) * 6.636},
        {"a hole in the corner", {{Outline::circle(3, 3, 3), -6.636}}, 9 * pi * 6.636},
        {"a hole touching a side", {{Outline::circle(50, 3, 3), -6}}, 9 * pi * 6},
        {"two holes touching", {{Outline::circle(50, 50, 3), -6}, {Outline::circle(56, 50, 3), -4}}, 9 * pi * 10},
        // What is left: two blocks that meet along the vertical line at (50, 50), two lumps.
        {"corners meeting along a line",
         {{Outline::polygon({{0, 0}, {50, 0}, {50, 50}, {0, 50}}), -25}, {Outline::polygon({{50, 50}, {100, 50}, {100, 100}, {50, 100}}), -25}},
         2 * 2500 * 20},
        {"half a ring", {{halfRing(), -4}}, 150 * pi * 4},
        {"a sector ending a hair past its circles' leftmost point", {{sectorPastLeftmost(), -7.75}}, -1},
        {"half a ring, a slot across its inner side and a hole in it",
         {{halfRing(), -4}, {Outline::slot({50, 45}, {50, 75}, 3), -2}, {Outline::circle(50, 65, 2), -7}},
         -1},
        {"crossing slots at four depths",
         {{Outline::slot({20, 50}, {80, 50}, 3), -2}, {Outline::slot({50, 20}, {50, 80}, 3), -6},
          {Outline::circle(50, 50, 2), -9}, {Outline::polygon({{47, 47}, {53, 47}, {53, 53}, {47, 53}}), -4}},
         -1},
        {"a slot out over the side", {{Outline::slot({-10, 50}, {10, 50}, 3), -4}}, (10 * 6 + 9 * pi / 2) * 4},
        {"crossing, nested and deeper",
         {{Outline::slot({20, 50}, {60, 50}, 3), -2},
          {Outline::circle(40, 50, 3), -5},
          {Outline::slot({40, 30}, {40, 70}, 3), -1},
          {Outline::circle(98, 50, 3), -4}},
         -1},
        {"the same slot twice, then shallower", {{Outline::slot({20, 20}, {40, 40}, 3), -3}, {Outline::slot({20, 20}, {40, 40}, 3), -3}, {Outline::slot({20, 20}, {40, 40}, 3), -1}}, -1},
        {"a row of the terrain", {}, -1},
        {"random, on a 1 mm grid", randomCuts(7, 40, 1), -1},
        {"random, anywhere", randomCuts(11, 40, 0), -1},
        {"random with ring sectors, on a 1 mm grid", randomCuts(5, 30, 1, true), -1},
        {"random with ring sectors, anywhere", randomCuts(5, 30, 0, true), -1},
    };
    for (Case c : cases) {
        if (c.name == "a row of the terrain")
            for (int k = 0; k < 20; ++k)
                c.cuts.push_back({Outline::slot({3 + 4.7 * k, 3}, {7.7 + 4.7 * k, 3}, 3), -2 - 6 * std::fabs(std::sin(k))});
        SCOPED_TRACE(c.name);
        FloorMap map(box(), kBottom, kTop);
        for (const Cut& cut : c.cuts) map.cut(cut.outline, cut.floor);
        // The map puts an arc's corners on its circle, up to 1e-8 mm from where a client's
        // doubles put them: against the Booleans, volumes agree to 1e-4 mm3. The map and the
        // solid built from it agree to 1e-6, and so do the cases worked out by hand.
        const double expected = booleanVolume(c.cuts);
        EXPECT_NEAR(map.stockVolume() - map.removedVolume(), expected, 1e-4);
        if (c.removed >= 0) {
            EXPECT_NEAR(map.removedVolume(), c.removed, 1e-6);
        }
        const FloorSolid built = map.solid();
        EXPECT_TRUE(built.valid);
        EXPECT_TRUE(isValidShape(built.solid));
        // Within what a look accepts: vertices closer than 1e-6 are one in the solid, which
        // moves a wall by as much (7e-6 mm3 at the sector's end).
        EXPECT_NEAR(solidVolume(built.solid), map.stockVolume() - map.removedVolume(), 1e-6 + 1e-10 * map.stockVolume());
    }
}

// Cuts that end at one floor leave one region of it: the edges between them go, or a pass of
// thousands of cuts would keep every outline it ever met. Counted with the outside (one region,
// however the cuts reach past the stock) and the uncut stock.
TEST(FloorMap, KeepsOneRegionPerFloor) {
    std::vector<Cut> row;
    for (int k = 0; k < 10; ++k) row.push_back({Outline::slot({10 + 4.0 * k, 50}, {14 + 4.0 * k, 50}, 3), -4});
    const std::vector<std::pair<std::vector<Cut>, std::size_t>> cases = {
        {{{Outline::slot({20, 50}, {60, 50}, 3), -2}}, 3},
        {{{Outline::slot({20, 50}, {60, 50}, 3), -2}, {Outline::slot({20, 50}, {60, 50}, 3), -2}}, 3},
        {row, 3},
        {{{Outline::slot({20, 50}, {60, 50}, 3), -2}, {Outline::slot({40, 50}, {80, 50}, 3), -5}}, 4},
        {{{Outline::polygon({{-5, -5}, {105, -5}, {105, 105}, {-5, 105}}), -3}}, 2},
    };
    for (const auto& [cuts, regions] : cases) {
        FloorMap map(box(), kBottom, kTop);
        for (const Cut& cut : cuts) map.cut(cut.outline, cut.floor);
        EXPECT_EQ(map.regions(), regions) << cuts.size() << " cuts";
    }
}

// What the map answers and builds for a slot 2 deep and a hole through: the height at points
// (the bottom outside the stock and in the hole, none on an edge) and in each region; a floor within the kernel's
// tolerance of the slot's taken as the slot's, adding no region; and one bottom face under the
// whole stock, the hole's walls its only hole: 2 tops, 1 bottom, 4 sides, 6 slot walls (each
// end's half circle in two x-monotone halves) and 2 hole walls.
TEST(FloorMap, AnswersHeightsAndBuildsOneBottomUnderTheStock) {
    FloorMap map(box(), kBottom, kTop);
    map.cut(Outline::slot({20, 50}, {60, 50}, 3), -2);
    map.cut(Outline::circle(80, 80, 3), -25);
    const std::size_t regions = map.regions();
    map.cut(Outline::slot({30, 50}, {40, 50}, 3), -2 + 1e-9);
    EXPECT_EQ(map.regions(), regions);
    const auto heights = map.heightsAt({{50, 50}, {10, 10}, {80, 80}, {-5, -5}, {40, 53}});
    EXPECT_EQ(heights[0], -2);
    EXPECT_EQ(heights[1], kTop);
    EXPECT_EQ(heights[2], kBottom);
    EXPECT_EQ(heights[3], kBottom);
    EXPECT_TRUE(std::isnan(heights[4]));
    // A point in each of the stock's three regions, each in its own.
    std::vector<double> regionHeights = map.heightsAt(map.pointInEveryRegion());
    std::sort(regionHeights.begin(), regionHeights.end());
    EXPECT_EQ(regionHeights, (std::vector<double>{kBottom, -2, kTop}));
    const FloorSolid built = map.solid();
    EXPECT_TRUE(built.valid);
    EXPECT_EQ(built.faces, 15);
}

// The plain geometry that checks the map against the cuts: for the cuts of every kind (slots,
// discs, ring sectors turning either way, half a ring, a polygon), which random points lie
// inside must be what the kernel's classifier says of the cut's prism, wherever a point is
// clear of the outline; and the points beside every piece lie one inside, one outside.
TEST(OutlineGeometry, TellsInsideFromOutsideAsTheKernelDoes) {
    std::vector<Outline> outlines = {halfRing(), Outline::polygon({{10, 10}, {60, 10}, {60, 30}, {30, 30}, {30, 70}, {10, 70}})};
    for (const Cut& cut : randomCuts(5, 30, 0, true)) outlines.push_back(cut.outline);
    std::mt19937 random(3);
    for (std::size_t k = 0; k < outlines.size(); ++k) {
        const Outline& outline = outlines[k];
        BRepClass3d_SolidClassifier kernel(prism({outline, -10}));
        const auto box = outlineBox(outline);
        std::uniform_real_distribution<double> x(box[0] - 1, box[2] + 1), y(box[1] - 1, box[3] + 1);
        int asked = 0;
        for (int i = 0; i < 200; ++i) {
            const Point2 p{x(random), y(random)};
            if (distanceToOutline(outline, p) < 1e-6) continue;
            kernel.Perform(gp_Pnt(p[0], p[1], -5), 1e-7);
            ++asked;
            EXPECT_EQ(insideOutline(outline, p), kernel.State() == TopAbs_IN) << "outline " << k << " at " << p[0] << " " << p[1];
        }
        EXPECT_GT(asked, 150) << "outline " << k;
        const auto beside = besidePieces(outline, 1e-3);
        for (std::size_t i = 0; i + 1 < beside.size(); i += 2) {
            EXPECT_TRUE(insideOutline(outline, beside[i])) << "outline " << k << " piece " << i / 2;
            EXPECT_FALSE(insideOutline(outline, beside[i + 1])) << "outline " << k << " piece " << i / 2;
        }
    }
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
