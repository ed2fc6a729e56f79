// The points the guard judges a cut by beside its tools: each must lie in the part's material
// and in no tool, just off the tool's face, or a sound cut would be refused (a point in a tool)
// and a wrong one passed (a point in the air proves nothing).
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepBndLib.hxx>
#include <BRepClass3d_SolidClassifier.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <gp_Ax2.hxx>

#include <gtest/gtest.h>

#include "cadhost/occt/cutting/removal_check.hpp"

namespace corvex::cadhost::occt {
namespace {

TopoDS_Shape block(double x0, double y0, double z0, double x1, double y1, double z1) {
    return BRepPrimAPI_MakeBox(gp_Pnt(x0, y0, z0), gp_Pnt(x1, y1, z1)).Shape();
}
TopoDS_Shape cylinder(double x, double y, double z, double radius, double height) {
    return BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(x, y, z), gp::DZ()), radius, height).Shape();
}
TopAbs_State where(const TopoDS_Shape& solid, const gp_Pnt& point) {
    return BRepClass3d_SolidClassifier(solid, point, 1e-7).State();
}

TEST(PointsBesideTools, LieInTheMaterialOutsideEveryToolJustOffTheTool) {
    const TopoDS_Shape stock = block(0, 0, -20, 100, 100, 0);
    struct Case {
        const char* what;
        TopoDS_Shape part;
        TopoDS_Shape tool;
        std::vector<TopoDS_Shape> others;  // cut in the same batch
    };
    const Case cases[] = {
        {"a tool half over the side", stock, block(90, 0, -1, 110, 10, 5), {}},
        {"a ring: its hole is material", stock,
         BRepAlgoAPI_Cut(cylinder(50, 50, -2, 5, 7), cylinder(50, 50, -3, 3, 9)).Shape(), {}},
        {"a slot beside an earlier one", BRepAlgoAPI_Cut(stock, block(0, 30, -10, 100, 62, 5)).Shape(),
         block(20, 58, -10, 80, 64, 5), {}},
        {"a slot in a batch with its neighbours", stock, block(20, 20, -3, 80, 26, 5),
         {block(20, 14, -3, 80, 21, 5), block(20, 25, -3, 80, 31, 5)}},
    };
    for (const Case& c : cases) {
        Bnd_Box box;
        BRepBndLib::Add(c.part, box, false);
        std::vector<TopoDS_Shape> all = c.others;
        all.push_back(c.tool);
        ToolSolids tools(all);
        RayCaster material(c.part);
        const std::vector<gp_Pnt> points = pointsBesideTool(c.tool, box, 4, tools, material);
        EXPECT_FALSE(points.empty()) << c.what;
        for (const gp_Pnt& p : points) {
            EXPECT_EQ(where(c.part, p), TopAbs_IN) << c.what;
            for (const TopoDS_Shape& tool : all) EXPECT_EQ(where(tool, p), TopAbs_OUT) << c.what;
            EXPECT_NEAR(distanceToFaces(c.tool, p), 1e-4, 1e-6) << c.what;
        }
    }
}

}  // namespace
}  // namespace corvex::cadhost::occt
