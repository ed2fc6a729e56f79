// The lathe line cut: a straight turning move takes its swept area, revolved, out of a bar,
// then the insert's own shape at the end point; the tool follows to the end.
#include <numbers>

#include "lathe_helpers.hpp"

namespace corvex::testing {
namespace {

using cadhost::occt::measureSolid;
constexpr double kPi = std::numbers::pi;

// An insert 2 × 2 whose tool point is its lower right corner: it leads a move towards -X.
const Variant kInsertPoints = rectangleVertices(-2, 0, 0, 2);
const Variant kInsertExtent = Variant::doubles({-2, 0, 0});

class LatheLineTest : public LatheTest {
protected:
    void SetUp() override {
        startWithBar(20, 100);
        server.MakeToolLathe(4, 0, kInsertPoints, Variant());
        tool = server.toolSolid;
        journal->clear();
    }

    void line(const Variant& path, const Variant& end, const Variant& radii = Variant(),
              std::int16_t numRad = 0) {
        server.LatheLine(4, numRad, kInsertPoints, radii, path, Variant::point(-1e9, 5, 5), end,
                         kInsertExtent);
    }

    std::shared_ptr<cadhost::Solid3D> tool;
};

TEST_F(LatheLineTest, TurningPassRemovesTheSweptRingAndTheInsertAtTheEnd) {
    const double before = barVolume();

    // From X = 100 to X = 60 at radius 18; the path reaches beyond the bar's surface.
    line(rectangleVertices(60, 18, 100, 22), Variant::point(60, 18, 0));

    // The ring 18..20 over 60..100, and the insert's 58..60 ahead of it.
    const double ring = kPi * (20 * 20 - 18 * 18);
    const auto after = measureSolid(*bar);
    EXPECT_TRUE(after.valid);
    EXPECT_EQ(after.solids, 1);
    EXPECT_REL(before - after.volume, ring * (40 + 2), 1e-7);
    EXPECT_NEAR(after.box.max[1], 20, 1e-7);  // still whole up to X = 58

    // The tool is the insert, standing at the end point.
    EXPECT_EQ(server.toolSolid, tool);
    const auto toolBox = measureSolid(*tool).box;
    EXPECT_NEAR(toolBox.min[0], 58, 1e-9);
    EXPECT_NEAR(toolBox.max[0], 60, 1e-9);
    EXPECT_NEAR(toolBox.min[1], 18, 1e-9);
    EXPECT_EQ(server.toolX, 60);
    EXPECT_EQ(server.toolY, 18);
    EXPECT_EQ(server.toolZ, 0);

    const auto lines = journalSince(0);
    EXPECT_EQ(callShapes(lines),
              (std::vector<std::string>{
                  // The swept area, hidden, revolved and subtracted, then cleaned up.
                  "Document.ModelSpace", "ModelSpace.AddPolyline", "Polyline.Visible",
                  "Document.ModelSpace", "ModelSpace.AddRegion", "Region.Visible",
                  "Document.ModelSpace", "ModelSpace.AddRevolvedSolid",
                  "Document.Groups", "Groups.Item", "Group.Item", "Solid3D.Boolean", "Solid3D.Update",
                  "Region.Delete", "Polyline.Delete",
                  // The insert at the end point.
                  "Document.ModelSpace", "ModelSpace.AddPolyline",
                  "Document.ModelSpace", "ModelSpace.AddRegion",
                  "Document.ModelSpace", "ModelSpace.AddRevolvedSolid",
                  "Document.Groups", "Groups.Item", "Group.Item", "Solid3D.Boolean", "Solid3D.Update",
                  "Region.Delete", "Polyline.Delete",
                  // The tool follows.
                  "Solid3D.Move", "Solid3D.Update"}));
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[2].find(".Visible(False)") != std::string::npos, true) << lines[2];
    EXPECT_NE(lines[7].find(", [0, 0, 0], [1, 0, 0], 360%) -> "), std::string::npos) << lines[7];
    EXPECT_EQ(lines[16].rfind("ModelSpace.AddPolyline([58, 18, 0, 60, 18, 0, 60, 20, 0, 58, 20, 0, 58, 18, 0])", 0), 0u)
        << lines[16];
    EXPECT_EQ(lines[28], ref(*tool).substr(1, ref(*tool).size() - 2) +
                             ".Move([0, 0, 0], [60, 18, 0])");
}

TEST_F(LatheLineTest, FacingToTheCentreFlattensThePathOntoTheAxisAndSkipsTheInsert) {
    const double before = barVolume();

    // The path dips below the axis; only those vertices are lifted.
    line(rectangleVertices(98, -1, 100, 22), Variant::point(98, 0, 3));

    EXPECT_REL(before - barVolume(), kPi * 20 * 20 * 2, 1e-7);
    EXPECT_TRUE(measureSolid(*bar).valid);
    const auto lines = journalSince(0);
    EXPECT_EQ(lines[1].rfind("ModelSpace.AddPolyline([98, 0, 0, 100, 0, 0, 100, 22, 0, 98, 22, 0, 98, 0, 0])", 0), 0u)
        << lines[1];
    EXPECT_EQ(linesWith(lines, "AddRevolvedSolid").size(), 1u);
    EXPECT_EQ(server.toolX, 98);
    EXPECT_EQ(server.toolY, 0);
    EXPECT_EQ(server.toolZ, 3);
}

TEST_F(LatheLineTest, FailingInsertCutKeepsTheSweptCutAndLeavesTheToolWhereItWas) {
    const double before = barVolume();

    // One corner circle announced, none given.
    const auto error = errorOf([&] {
        line(rectangleVertices(60, 18, 100, 22), Variant::point(60, 18, 0), Variant::doubles({}), 1);
    });

    EXPECT_EQ(error.hr(), automation::hresult::kBadIndex);
    EXPECT_REL(before - barVolume(), kPi * (20 * 20 - 18 * 18) * 40, 1e-7);
    EXPECT_EQ(server.toolX, 0);
    EXPECT_EQ(server.toolY, 0);
    EXPECT_TRUE(linesWith(journalSince(0), ".Move(").empty());
}

}  // namespace
}  // namespace corvex::testing
