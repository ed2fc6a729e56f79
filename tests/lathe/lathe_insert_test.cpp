// The lathe insert sweep: the insert's outline placed at the end point, clipped at the spindle
// axis where it reaches below it, revolved and turned out of a bar (measured by Pappus).
#include <numbers>

#include "lathe_helpers.hpp"

namespace corvex::testing {
namespace {

using cadhost::occt::boundingBox;
using cadhost::occt::entityVisible;
using cadhost::occt::measureSolid;
constexpr double kPi = std::numbers::pi;

class LatheInsertTest : public LatheTest {
protected:
    void SetUp() override { startWithBar(20, 100); }

    void insert(std::int16_t numPoints, std::int16_t numRad, const Variant& points,
                const Variant& radii, const Variant& end, const Variant& sp) {
        server.LatheInsert(numPoints, numRad, points, radii, Variant(), end, sp);
    }
};

// The part of a disc of radius r about a corner of a square that lies outside the square:
// three quarters of its area, and its first moment about the corner's height (the missing
// quadrant's centroid lies 4r/3π inside the corner).
struct CornerOutside {
    double area, momentY;
};
CornerOutside cornerOutside(double r, double centreY, bool quadrantBelowCentre) {
    const double quadrantArea = kPi * r * r / 4;
    const double quadrantY = centreY + (quadrantBelowCentre ? -1 : 1) * 4 * r / (3 * kPi);
    return {kPi * r * r - quadrantArea, kPi * r * r * centreY - quadrantArea * quadrantY};
}

TEST_F(LatheInsertTest, ProfileAboveTheAxisRemovesItsRoundedOutlineRevolved) {
    // A 2 × 2 square with its tool point at the lower left corner; circle 1 reaches the axis
    // and is left out, circles 0 and 2 round two corners.
    const Variant radii = Variant::doubles({0, 0, 0.5,  1, -15.8, 0.5,  2, 2, 0.25});
    const auto tool = server.toolSolid;
    const double before = barVolume();
    const auto entitiesBefore = drawing->entities();

    insert(4, 3, rectangleVertices(0, 0, 2, 2), radii, Variant::point(50, 16, 99), Variant());

    const double endY = 16;
    const auto lower = cornerOutside(0.5, endY, false);
    const auto upper = cornerOutside(0.25, endY + 2, true);
    const double area = 4 + lower.area + upper.area;
    const double centroidY = (4 * (endY + 1) + lower.momentY + upper.momentY) / area;
    const auto after = measureSolid(*bar);
    EXPECT_TRUE(after.valid);
    EXPECT_REL(before - after.volume, revolvedVolume(area, centroidY), 1e-7);

    const auto lines = journalSince(0);
    EXPECT_EQ(callShapes(lines),
              (std::vector<std::string>{
                  "Document.ModelSpace", "ModelSpace.AddPolyline",
                  "Document.ModelSpace", "ModelSpace.AddCircle",
                  "Document.ModelSpace", "ModelSpace.AddCircle",
                  "Document.ModelSpace", "ModelSpace.AddRegion",
                  "Region.Boolean", "Region.Boolean",
                  "Document.ModelSpace", "ModelSpace.AddRevolvedSolid",
                  "Document.Groups", "Groups.Item", "Group.Item", "Solid3D.Boolean", "Solid3D.Update",
                  "Region.Delete", "Polyline.Delete", "Circle.Delete", "Circle.Delete"}));
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[1].rfind("ModelSpace.AddPolyline([50, 16, 0, 52, 16, 0, 52, 18, 0, 50, 18, 0, 50, 16, 0])", 0), 0u)
        << lines[1];
    EXPECT_EQ(lines[3].rfind("ModelSpace.AddCircle([50, 16, 0], 0.5)", 0), 0u) << lines[3];
    EXPECT_EQ(lines[5].rfind("ModelSpace.AddCircle([52, 18, 0], 0.25)", 0), 0u) << lines[5];
    // The entity list follows ToolRadii's order; the union uses the 32-bit code 0.
    const auto polyline = lines[1].substr(lines[1].find("-> ") + 3);
    const auto circle0 = lines[3].substr(lines[3].find("-> ") + 3);
    const auto circle2 = lines[5].substr(lines[5].find("-> ") + 3);
    EXPECT_EQ(lines[7].rfind("ModelSpace.AddRegion([" + polyline + ", " + circle0 + ", " + circle2 + "])", 0), 0u)
        << lines[7];
    EXPECT_NE(lines[8].find(".Boolean(0&, <Region#"), std::string::npos) << lines[8];
    EXPECT_NE(lines[11].find(".AddRevolvedSolid(<Region#"), std::string::npos);
    EXPECT_NE(lines[11].find(">, [0, 0, 0], [1, 0, 0], 360%) -> " + ref(*server.cutSolid)), std::string::npos)
        << lines[11];

    // Everything made is gone again; the tool did not move.
    EXPECT_EQ(drawing->entities(), entitiesBefore);
    EXPECT_EQ(server.toolSolid, tool);
    EXPECT_EQ(server.toolX, 0);
    EXPECT_EQ(server.toolY, 0);
}

TEST_F(LatheInsertTest, InsertReachingBelowTheAxisIsClippedThereAndTheRectangleStaysHidden) {
    // A 2 × 2 square from the tool point down to -1; its one corner circle reaches the axis.
    const double before = barVolume();
    const auto entitiesBefore = drawing->entities();

    insert(4, 1, rectangleVertices(0, -1, 2, 1), Variant::doubles({0, -1, 0.5}),
           Variant::point(50, 0.5, 0), Variant::doubles({0, 2, -1}));

    // What is left above the axis is 2 long and 1.5 high: a solid cylinder once revolved.
    EXPECT_REL(before - barVolume(), kPi * 1.5 * 1.5 * 2, 1e-7);
    EXPECT_TRUE(measureSolid(*bar).valid);
    EXPECT_TRUE(linesWith(journalSince(0), "AddCircle").empty());
    EXPECT_EQ(linesWith(journalSince(0), ".Boolean(2&, <Region#").size(), 1u);

    const auto left = entitiesNotIn(entitiesBefore);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0]->kind(), "Polyline");
    EXPECT_FALSE(entityVisible(*left[0]));
    // 0.1 beyond the insert on the left, the right and below.
    const auto box = boundingBox(*left[0]);
    EXPECT_NEAR(box.min[0], 49.9, 1e-9);
    EXPECT_NEAR(box.max[0], 52.1, 1e-9);
    EXPECT_NEAR(box.min[1], -0.6, 1e-9);
    EXPECT_NEAR(box.max[1], 0, 1e-12);
}

TEST_F(LatheInsertTest, VertexOnTheAxisIsNotBelowItAndTheExtentIsNotRead) {
    const double before = barVolume();
    const auto entitiesBefore = drawing->entities();

    // sp is Empty: reading it would fail.
    insert(4, 0, rectangleVertices(0, 0, 2, 1), Variant(), Variant::point(50, 0, 0), Variant());

    EXPECT_REL(before - barVolume(), kPi * 1 * 1 * 2, 1e-7);
    EXPECT_EQ(drawing->entities(), entitiesBefore);
}

TEST_F(LatheInsertTest, CircularInsertTouchingTheAxisMakesAndCutsNothing) {
    const auto earlierCut = drawing->addBox({200, 0, 0}, {201, 1, 1});
    server.cutSolid = earlierCut;
    const double before = barVolume();
    const auto entitiesBefore = drawing->entities();

    insert(0, 0, Variant::doubles({0, 0, 0}), Variant::doubles({0, 0, 1}), Variant::point(50, 1, 0),
           Variant());

    EXPECT_TRUE(journalSince(0).empty());
    EXPECT_EQ(barVolume(), before);
    EXPECT_EQ(drawing->entities(), entitiesBefore);
    EXPECT_EQ(server.cutSolid, earlierCut);
}

TEST_F(LatheInsertTest, CircularInsertAboveTheAxisTurnsATorus) {
    const double before = barVolume();
    const auto entitiesBefore = drawing->entities();

    // A negative NumPoints never looks at ToolPoints (Empty here) nor at NumRad.
    insert(-1, -32768, Variant(), Variant::doubles({0, 0, 1}), Variant::point(50, 5, 0), Variant());

    EXPECT_REL(before - barVolume(), revolvedVolume(kPi * 1 * 1, 5), 1e-7);
    EXPECT_EQ(callShapes(journalSince(0)),
              (std::vector<std::string>{
                  "Document.ModelSpace", "ModelSpace.AddCircle",
                  "Document.ModelSpace", "ModelSpace.AddRegion",
                  "Document.ModelSpace", "ModelSpace.AddRevolvedSolid",
                  "Document.Groups", "Groups.Item", "Group.Item", "Solid3D.Boolean", "Solid3D.Update",
                  "Region.Delete", "Circle.Delete"}));
    EXPECT_EQ(journalSince(0)[1].rfind("ModelSpace.AddCircle([50, 5, 0], 1)", 0), 0u);
    EXPECT_EQ(drawing->entities(), entitiesBefore);
}

TEST_F(LatheInsertTest, CircularInsertWhoseFirstVertexIsBelowIsStillClipped) {
    // With NumPoints 0, vertex 0 decides whether the clip is made; the circle itself is above
    // the axis, so the clip takes nothing from it.
    const double before = barVolume();
    const auto entitiesBefore = drawing->entities();

    insert(0, 0, Variant::doubles({0, -10, 0}), Variant::doubles({0, 0, 1}), Variant::point(50, 5, 0),
           Variant::doubles({-1, 1, -1}));

    EXPECT_REL(before - barVolume(), revolvedVolume(kPi * 1 * 1, 5), 1e-7);
    const auto left = entitiesNotIn(entitiesBefore);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0]->kind(), "Polyline");
    EXPECT_FALSE(entityVisible(*left[0]));
}

TEST_F(LatheInsertTest, CornerIndexPastThe16BitRangeOverflowsBeforeAnythingIsMade) {
    // Circle k = 10922 has its radius at 3k + 2 = 32768. Every circle reaches the axis.
    std::vector<double> radii(32768, 0.0);
    for (std::size_t i = 2; i < radii.size(); i += 3) radii[i] = 100;
    const auto entitiesBefore = drawing->entities();

    const auto error = errorOf([&] {
        insert(4, 10923, rectangleVertices(0, 0, 2, 2), Variant::doubles(radii),
               Variant::point(50, 16, 0), Variant());
    });

    EXPECT_EQ(error.hr(), automation::hresult::kOverflow);
    EXPECT_TRUE(journalSince(0).empty());
    EXPECT_EQ(drawing->entities(), entitiesBefore);
}

}  // namespace
}  // namespace corvex::testing
