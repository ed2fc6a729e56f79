// Which solids the floor map can take as cuts: vertical prisms of lines and arcs, found
// whichever way the kernel walks their faces, and nothing else. An outline found is checked by
// the map itself: its area times the height must be the solid's volume.
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCone.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRepPrimAPI_MakeSphere.hxx>
#include <GC_MakeArcOfCircle.hxx>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "cadhost/occt/geometry/solid_ops.hpp"
#include "cadhost/occt/geometry/vertical_prism.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

// The slot a client's ToolExtrudeLine makes: two sides and two half circles, walked `clockwise`
// or not, extruded from z 2 by 30.
TopoDS_Shape slot(bool clockwise) {
    std::vector<gp_Pnt> corners{{10, 7, 2}, {40, 7, 2}, {40, 13, 2}, {10, 13, 2}};
    const std::vector<gp_Pnt> middles{{0, 0, 0}, {43, 10, 2}, {0, 0, 0}, {7, 10, 2}};  // of the arcs
    if (clockwise) std::swap(corners[0], corners[3]), std::swap(corners[1], corners[2]);
    BRepBuilderAPI_MakeWire wire;
    for (std::size_t i = 0; i < 4; ++i) {
        const gp_Pnt &a = corners[i], &b = corners[(i + 1) % 4];
        if (i % 2 == 0) wire.Add(BRepBuilderAPI_MakeEdge(a, b));
        else wire.Add(BRepBuilderAPI_MakeEdge(GC_MakeArcOfCircle(a, middles[i], b).Value()));
    }
    return BRepPrimAPI_MakePrism(BRepBuilderAPI_MakeFace(wire.Wire()).Face(), gp_Vec(0, 0, 30)).Shape();
}

// Half a ring, as ToolMillArc cuts it: its inner arc bends inward.
TopoDS_Shape halfRing() {
    BRepBuilderAPI_MakeWire wire;
    wire.Add(BRepBuilderAPI_MakeEdge(GC_MakeArcOfCircle(gp_Pnt(30, 0, 0), gp_Pnt(0, 30, 0), gp_Pnt(-30, 0, 0)).Value()));
    wire.Add(BRepBuilderAPI_MakeEdge(gp_Pnt(-30, 0, 0), gp_Pnt(-20, 0, 0)));
    wire.Add(BRepBuilderAPI_MakeEdge(GC_MakeArcOfCircle(gp_Pnt(-20, 0, 0), gp_Pnt(0, 20, 0), gp_Pnt(20, 0, 0)).Value()));
    wire.Add(BRepBuilderAPI_MakeEdge(gp_Pnt(20, 0, 0), gp_Pnt(30, 0, 0)));
    return BRepPrimAPI_MakePrism(BRepBuilderAPI_MakeFace(wire.Wire()).Face(), gp_Vec(0, 0, 5)).Shape();
}

TEST(VerticalPrism, IsFoundInTheMembersCutSolidsAndInNothingElse) {
    gp_Trsf tilt;
    tilt.SetRotation(gp::OX(), 0.1);
    const std::vector<std::tuple<std::string, TopoDS_Shape, bool, double, double>> cases = {
        {"a slot", slot(false), true, 2, 32},
        {"a slot walked clockwise", slot(true), true, 2, 32},
        {"a tool's disc", BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(5, 5, -3), gp::DZ()), 3, 30).Shape(), true, -3, 27},
        {"a box", BRepPrimAPI_MakeBox(gp_Pnt(0, 0, -20), gp_Pnt(100, 100, 0)).Shape(), true, -20, 0},
        {"a tilted slot", BRepBuilderAPI_Transform(slot(false), tilt).Shape(), false, 0, 0},
        {"a cylinder lying down", BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(0, 0, 0), gp::DX()), 3, 30).Shape(), false, 0, 0},
        {"a cone", BRepPrimAPI_MakeCone(3, 2, 10).Shape(), false, 0, 0},
        {"a ball", BRepPrimAPI_MakeSphere(3).Shape(), false, 0, 0},
        {"half a ring", halfRing(), true, 0, 5},
        {"a full ring",
         BRepAlgoAPI_Cut(BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(25, 25, -2), gp::DZ()), 8, 30).Shape(),
                         BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(25, 25, -3), gp::DZ()), 2, 40).Shape())
             .Shape(),
         true, -2, 28},
        {"a box with a square hole",
         BRepAlgoAPI_Cut(BRepPrimAPI_MakeBox(gp_Pnt(0, 0, 0), gp_Pnt(10, 10, 4)).Shape(),
                         BRepPrimAPI_MakeBox(gp_Pnt(3, 3, -1), gp_Pnt(6, 6, 5)).Shape())
             .Shape(),
         true, 0, 4},
    };
    for (const auto& [name, shape, prism, bottom, top] : cases) {
        const auto found = verticalPrismOf(shape);
        ASSERT_EQ(found.has_value(), prism) << name;
        if (!found) continue;
        EXPECT_DOUBLE_EQ(found->bottom, bottom) << name;
        EXPECT_DOUBLE_EQ(found->top, top) << name;
        // Cut from a plate of its heights, it takes its own volume: outline and holes each
        // walked the way that leaves the solid on their left.
        FloorMap map(Outline::polygon({{-100, -100}, {100, -100}, {100, 100}, {-100, 100}}), found->bottom - 1, found->top);
        map.cut(found->outline, found->bottom, found->holes);
        EXPECT_NEAR(map.removedVolume(), solidVolume(shape), 1e-6) << name;
        EXPECT_EQ(found->holes.size(), name.find("hole") != std::string::npos || name == "a full ring") << name;
        if (name.find("slot") != std::string::npos) {
            EXPECT_NEAR(solidVolume(shape), (30 * 6 + 9 * M_PI) * 30, 1e-6);
        }
    }
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
