// The lathe tool solid: what MakeToolLathe builds (measured), what it asks of the host and in
// which order, and what it leaves when it fails or refuses.
#include <numbers>

#include "lathe_helpers.hpp"

namespace corvex::testing {
namespace {

using cadhost::occt::entityDeleted;
using cadhost::occt::measureSolid;
constexpr double kPi = std::numbers::pi;

class LatheToolTest : public LatheTest {
protected:
    void SetUp() override { startServer(); }
    // The default tool StartAcad made, which every new insert replaces.
    std::shared_ptr<cadhost::Solid3D> oldTool() { return server.toolSolid; }
};

TEST_F(LatheToolTest, ProfileWithoutCornersIsTheExtrudedOutlineAndReplacesTheTool) {
    const auto old = oldTool();
    server.MoveTool(Variant::real(5), Variant::real(6), 7);  // the new tool must not inherit this
    const auto mark = journalMark();

    const auto tool = server.MakeToolLathe(4, 0, rectangleVertices(0, 0, 2, 1), Variant());

    ASSERT_TRUE(tool);
    EXPECT_EQ(tool, server.toolSolid);
    EXPECT_EQ(tool, server.cutSolid);
    EXPECT_TRUE(entityDeleted(*old));
    const auto measured = measureSolid(*tool);
    EXPECT_TRUE(measured.valid);
    EXPECT_NEAR(measured.volume, 2 * 1 * 0.1, 1e-9);
    EXPECT_NEAR(measured.box.min[0], 0, 1e-9);
    EXPECT_NEAR(measured.box.max[0], 2, 1e-9);
    EXPECT_NEAR(measured.box.max[1], 1, 1e-9);
    EXPECT_NEAR(measured.box.min[2], 0, 1e-9);
    EXPECT_NEAR(measured.box.max[2], 0.1, 1e-9);
    EXPECT_EQ(server.toolX, 0);
    EXPECT_EQ(server.toolY, 0);
    EXPECT_EQ(server.toolZ, 0);

    const auto lines = journalSince(mark);
    EXPECT_EQ(callShapes(lines),
              (std::vector<std::string>{
                  "Document.Application", "Application.ActiveDocument",
                  "Document.ModelSpace", "ModelSpace.AddPolyline",
                  "Document.ModelSpace", "ModelSpace.AddRegion",
                  "Document.ModelSpace", "ModelSpace.AddExtrudedSolid",
                  "Polyline.Delete", "Region.Delete", "Solid3D.Delete",
                  "Solid3D.Move", "Solid3D.Update"}));
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_NE(lines[7].find(", 0.1, 0%) -> " + ref(*tool)), std::string::npos) << lines[7];
    EXPECT_EQ(lines[10], ref(*old).substr(1, ref(*old).size() - 2) + ".Delete()");
    // The move by zero that records the origin (the fields were reset just before it).
    EXPECT_NE(lines[11].find(".Move([0, 0, 0], [0, 0, 0])"), std::string::npos) << lines[11];
}

TEST_F(LatheToolTest, CornerCirclesAreUnitedInOrderAndNonPositiveRadiiAreSkipped) {
    // A 2 × 2 square with circles on its corners: r 0.5, r 0 (skipped), r -1 (skipped), r 0.25.
    const Variant radii = Variant::doubles({0, 0, 0.5,  2, 0, 0,  2, 2, -1,  0, 2, 0.25});
    const auto mark = journalMark();

    const auto tool = server.MakeToolLathe(4, 4, rectangleVertices(0, 0, 2, 2), radii);

    // Three quarters of each corner disc lie outside the square.
    const double area = 4 + 0.75 * kPi * (0.5 * 0.5 + 0.25 * 0.25);
    const auto measured = measureSolid(*tool);
    EXPECT_TRUE(measured.valid);
    EXPECT_EQ(measured.solids, 1);
    EXPECT_NEAR(measured.volume, area * 0.1, 1e-9);
    EXPECT_NEAR(measured.box.min[0], -0.5, 1e-9);
    EXPECT_NEAR(measured.box.max[1], 2.25, 1e-9);

    const auto lines = journalSince(mark);
    const auto cylinders = linesWith(lines, "AddCylinder");
    ASSERT_EQ(cylinders.size(), 2u);
    EXPECT_NE(cylinders[0].find("AddCylinder([0, 0, 0.05], 0.5, 0.1)"), std::string::npos) << cylinders[0];
    EXPECT_NE(cylinders[1].find("AddCylinder([0, 2, 0.05], 0.25, 0.1)"), std::string::npos) << cylinders[1];
    EXPECT_EQ(linesWith(lines, ".Boolean(0&, ").size(), 2u);
    // The outline and its region go only after every corner is in.
    const auto shapes = callShapes(lines);
    EXPECT_EQ(std::vector<std::string>(shapes.begin() + 8, shapes.end()),
              (std::vector<std::string>{"Document.ModelSpace", "ModelSpace.AddCylinder", "Solid3D.Boolean",
                                        "Document.ModelSpace", "ModelSpace.AddCylinder", "Solid3D.Boolean",
                                        "Polyline.Delete", "Region.Delete", "Solid3D.Delete",
                                        "Solid3D.Move", "Solid3D.Update"}));
}

TEST_F(LatheToolTest, CircularInsertIsOneThinCylinderAboutItsCentre) {
    const auto old = oldTool();
    const auto mark = journalMark();

    // NumRad and ToolPoints are not looked at: an overflowing count and Empty points pass.
    const auto tool = server.MakeToolLathe(0, -32768, Variant(), Variant::doubles({3, 4, 1.5}));

    const auto measured = measureSolid(*tool);
    EXPECT_NEAR(measured.volume, kPi * 1.5 * 1.5 * 0.1, 1e-9);
    EXPECT_NEAR(measured.centroid[0], 3, 1e-9);
    EXPECT_NEAR(measured.centroid[1], 4, 1e-9);
    EXPECT_NEAR(measured.centroid[2], 0.05, 1e-9);
    EXPECT_NEAR(measured.box.min[2], 0, 1e-9);
    EXPECT_NEAR(measured.box.max[2], 0.1, 1e-9);
    EXPECT_TRUE(entityDeleted(*old));
    EXPECT_EQ(server.toolSolid, tool);

    const auto lines = journalSince(mark);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[3], "ModelSpace.AddCylinder([3, 4, 0.05], 1.5, 0.1) -> " + ref(*tool));
}

class CircularInsertWithoutSize : public LatheToolTest,
                                  public ::testing::WithParamInterface<double> {};

TEST_P(CircularInsertWithoutSize, IsRefusedAndTheOldToolStays) {
    const auto old = oldTool();
    const auto earlierCut = drawing->addBox({200, 0, 0}, {201, 1, 1});
    server.cutSolid = earlierCut;
    server.MoveTool(Variant::real(1), Variant::real(2), 3);
    const auto before = drawing->entities();
    const auto mark = journalMark();

    const auto error = errorOf([&] {
        server.MakeToolLathe(0, 0, Variant(), Variant::doubles({3, 4, GetParam()}));
    });

    EXPECT_EQ(error.hr(), automation::hresult::kInvalidArgument);
    EXPECT_NE(error.description().find("insert radius must be greater than 0"), std::string::npos)
        << error.description();
    EXPECT_TRUE(journalSince(mark).empty());
    EXPECT_EQ(drawing->entities(), before);
    EXPECT_FALSE(entityDeleted(*old));
    EXPECT_EQ(server.toolSolid, old);
    EXPECT_EQ(server.cutSolid, earlierCut);
    EXPECT_EQ(server.toolX, 1);
    EXPECT_EQ(server.toolY, 2);
    EXPECT_EQ(server.toolZ, 3);
}

INSTANTIATE_TEST_SUITE_P(ZeroOrNegativeRadius, CircularInsertWithoutSize,
                         ::testing::Values(0.0, -1.5));

TEST_F(LatheToolTest, OpenProfileFailsBeforeTheOldToolIsDeleted) {
    const auto old = oldTool();
    const Variant open = Variant::doubles({0, 0, 0, 2, 0, 0, 2, 1, 0});

    const auto error = errorOf([&] { server.MakeToolLathe(3, 0, open, Variant()); });

    EXPECT_NE(error.description(), "");
    EXPECT_FALSE(entityDeleted(*old));
    EXPECT_EQ(server.toolSolid, old);
}

TEST_F(LatheToolTest, CornerLoopBoundOverflowsAfterTheProfileIsBuilt) {
    const auto old = oldTool();

    // NumRad - 1 does not fit in 16 bits.
    const auto error = errorOf([&] {
        server.MakeToolLathe(4, -32768, rectangleVertices(0, 0, 1, 1), Variant());
    });

    EXPECT_EQ(error.hr(), automation::hresult::kOverflow);
    // The extruded profile is already the cut solid; the old tool is still the tool.
    ASSERT_TRUE(server.cutSolid);
    EXPECT_NE(server.cutSolid, old);
    EXPECT_NEAR(measureSolid(*server.cutSolid).volume, 0.1, 1e-9);
    EXPECT_EQ(server.toolSolid, old);
    EXPECT_FALSE(entityDeleted(*old));
}

}  // namespace
}  // namespace corvex::testing
