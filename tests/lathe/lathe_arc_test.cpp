// The lathe arc cut: the ring sector between two concentric arcs, revolved about the spindle
// axis, comes out of a bar (closed forms), and the tool follows to the end point.
#include <numbers>

#include "automation/number_text.hpp"
#include "lathe_helpers.hpp"

namespace corvex::testing {
namespace {

using cadhost::occt::measureSolid;
constexpr double kPi = std::numbers::pi;

class LatheArcTest : public LatheTest {
protected:
    void SetUp() override {
        startWithBar(20, 100);
        server.MakeToolLathe(0, 0, Variant(), Variant::doubles({0, 0, 0.5}));
        tool = server.toolSolid;
        journal->clear();
    }

    std::shared_ptr<cadhost::Solid3D> tool;
};

TEST_F(LatheArcTest, QuarterSectorIsRevolvedAndTheToolFollows) {
    const double before = barVolume();
    // Arc 2 names another centre: it is drawn about arc 1's centre all the same.
    const Variant arc1 = Variant::doubles({50, 20, 5, 180, 270});
    const Variant arc2 = Variant::doubles({0, 0, 3, 180, 270});

    server.LatheArc(arc1, arc2, Variant::string("ignored"), Variant::null(), Variant::point(45, 20, 7));

    // A quarter ring of radii 3 and 5 below and left of (50, 20): its centroid lies
    // 4(R³ - r³) / 3π(R² - r²) below the centre.
    const double area = kPi * (5 * 5 - 3 * 3) / 4;
    const double centroidY = 20 - 4 * (125.0 - 27) / (3 * kPi * (25.0 - 9));
    const auto after = measureSolid(*bar);
    EXPECT_TRUE(after.valid);
    EXPECT_REL(before - after.volume, revolvedVolume(area, centroidY), 1e-6);

    EXPECT_EQ(server.toolSolid, tool);
    EXPECT_EQ(server.toolX, 45);
    EXPECT_EQ(server.toolY, 20);
    EXPECT_EQ(server.toolZ, 0);  // the end point's Z is not used
    EXPECT_NEAR(measureSolid(*tool).centroid[0], 45, 1e-9);

    const auto lines = journalSince(0);
    EXPECT_EQ(callShapes(lines),
              (std::vector<std::string>{
                  "Document.ModelSpace", "ModelSpace.AddArc",
                  "Document.ModelSpace", "ModelSpace.AddArc",
                  "Document.ModelSpace", "Arc.StartPoint", "Arc.StartPoint", "ModelSpace.AddLine",
                  "Document.ModelSpace", "Arc.EndPoint", "Arc.EndPoint", "ModelSpace.AddLine",
                  "Document.ModelSpace", "ModelSpace.AddRegion",
                  "Document.ModelSpace", "ModelSpace.AddRevolvedSolid",
                  "Document.Groups", "Groups.Item", "Group.Item", "Solid3D.Boolean", "Solid3D.Update",
                  "Region.Delete", "Arc.Delete", "Arc.Delete", "Line.Delete", "Line.Delete",
                  "Solid3D.Move", "Solid3D.Update"}));
    ASSERT_EQ(lines.size(), 28u);
    // Degrees times the client's factor 0.017453293, not the exact pi/180.
    const std::string start = automation::shortestText(180 * 0.017453293);
    const std::string end = automation::shortestText(270 * 0.017453293);
    EXPECT_EQ(lines[1].rfind("ModelSpace.AddArc([50, 20, 0], 5, " + start + ", " + end + ")", 0), 0u) << lines[1];
    EXPECT_EQ(lines[3].rfind("ModelSpace.AddArc([50, 20, 0], 3, " + start + ", " + end + ")", 0), 0u) << lines[3];
    EXPECT_NE(lines[15].find(", [0, 0, 0], [1, 0, 0], 360%) -> "), std::string::npos) << lines[15];
    // The region list is arc 1, arc 2, line 1, line 2; they are deleted in that order too.
    const auto made = [&](std::size_t i) { return lines[i].substr(lines[i].find("-> ") + 3); };
    EXPECT_EQ(lines[13].rfind("ModelSpace.AddRegion([" + made(1) + ", " + made(3) + ", " + made(7) + ", " +
                                  made(11) + "])", 0), 0u) << lines[13];
    const auto name = [&](std::size_t i) { return made(i).substr(1, made(i).size() - 2); };
    EXPECT_EQ(lines[22], name(1) + ".Delete()");
    EXPECT_EQ(lines[23], name(3) + ".Delete()");
    EXPECT_EQ(lines[24], name(7) + ".Delete()");
    EXPECT_EQ(lines[25], name(11) + ".Delete()");
}

TEST_F(LatheArcTest, QuarterRingFromTheAxisTurnsAHemisphericalShell) {
    const double before = barVolume();
    const auto entitiesBefore = drawing->entities();

    // Centred on the axis, from 0 to 90 degrees: line 1 lies on the axis. (Not to 180: the
    // client's factor makes 180 degrees a hair more than pi, just below the axis.)
    server.LatheArc(Variant::doubles({50, 0, 5, 0, 90}), Variant::doubles({50, 0, 3, 0, 90}),
                    Variant(), Variant(), Variant::point(50, 3, 0));

    EXPECT_REL(before - barVolume(), 2.0 / 3 * kPi * (125 - 27), 1e-6);
    EXPECT_TRUE(measureSolid(*bar).valid);
    EXPECT_EQ(drawing->entities(), entitiesBefore);
}

TEST_F(LatheArcTest, SectorAcrossTheAxisIsRefusedAndNothingIsCut) {
    const double before = barVolume();

    const auto error = errorOf([&] {
        server.LatheArc(Variant::doubles({50, 0, 5, 90, 270}), Variant::doubles({50, 0, 3, 90, 270}),
                        Variant(), Variant(), Variant::point(50, -3, 0));
    });

    EXPECT_NE(error.description(), "");
    EXPECT_EQ(barVolume(), before);
    EXPECT_TRUE(measureSolid(*bar).valid);
    EXPECT_EQ(server.toolX, 0);
    EXPECT_TRUE(linesWith(journalSince(0), "Solid3D.Boolean").empty());
}

}  // namespace
}  // namespace corvex::testing
