// The drawing's bookkeeping: regions in order, deletion, groups, variables, the journal and
// the connector.
#include <gtest/gtest.h>

#include "automation/error.hpp"
#include "cadhost/occt/host_fixture.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

using DrawingRules = HostTest;

TEST_F(DrawingRules, ConcentricCirclesGiveTheRingAfterSubtractingTheSecondRegion) {
    auto inner = space->AddCircle(pt(0, 0, 0), num(2));
    auto outer = space->AddCircle(pt(0, 0, 0), num(5));
    auto regions = regionsOf(space->AddRegion(list({obj(inner), obj(outer)})));
    ASSERT_EQ(regions.size(), 2u);
    EXPECT_REL(measureRegion(*regions[0]).area, M_PI * 25, 1e-9) << "the enclosing region comes first";
    regions[0]->Boolean(Variant::int32(2), obj(regions[1]));
    EXPECT_REL(measureRegion(*regions[0]).area, M_PI * (25 - 4), 1e-9);
    EXPECT_TRUE(entityDeleted(*regions[1]));
}

TEST_F(DrawingRules, LatheStyleListKeepsTheOrderOfItsEntities) {
    // An insert outline, then circles at three of its corners.
    auto outline = space->AddPolyline(Variant::doubles({0, 1, 0, 4, 1, 0, 4, 3, 0, 0, 1, 0}));
    auto c1 = space->AddCircle(pt(0, 1, 0), num(0.2));
    auto c2 = space->AddCircle(pt(4, 1, 0), num(0.3));
    auto c3 = space->AddCircle(pt(4, 3, 0), num(0.4));
    auto regions = regionsOf(space->AddRegion(list({obj(outline), obj(c1), obj(c2), obj(c3)})));
    ASSERT_EQ(regions.size(), 4u);
    EXPECT_REL(measureRegion(*regions[0]).area, 4.0, 1e-9);
    EXPECT_REL(measureRegion(*regions[1]).area, M_PI * 0.04, 1e-9);
    EXPECT_REL(measureRegion(*regions[2]).area, M_PI * 0.09, 1e-9);
    EXPECT_REL(measureRegion(*regions[3]).area, M_PI * 0.16, 1e-9);
}

TEST_F(DrawingRules, EmptyEntriesAreSkippedAndOpenOrCrossingCurvesMakeNoRegion) {
    auto outline = rectangle(0, 0, 2, 2);
    auto regions = regionsOf(space->AddRegion(list({obj(outline), Variant(), Variant()})));
    EXPECT_EQ(regions.size(), 1u);
    auto open = space->AddPolyline(Variant::doubles({0, 0, 0, 1, 0, 0, 1, 1, 0}));
    // A bow tie: its two lobes would run opposite ways, and a solid made of it inside out.
    auto crossing = space->AddPolyline(Variant::doubles({0, 0, 0, 2, 2, 0, 2, 0, 0, 0, 2, 0, 0, 0, 0}));
    auto before = entityCount();
    EXPECT_THROW(space->AddRegion(list({obj(open)})), automation::Error);
    EXPECT_THROW(space->AddRegion(list({obj(crossing)})), automation::Error);
    EXPECT_THROW(space->AddRegion(list({Variant()})), automation::Error);
    EXPECT_THROW(space->AddRegion(list({obj(box(0, 0, 0, 1, 1, 1))})), automation::Error);
    EXPECT_EQ(entityCount(), before + 1);
}

TEST_F(DrawingRules, LinesAndArcsJoinedEndToEndMakeARegion) {
    auto l1 = space->AddLine(pt(0, 0, 0), pt(4, 0, 0));
    auto l2 = space->AddLine(pt(0, 2, 0), pt(4, 2, 0));
    auto a1 = space->AddArc(pt(4, 1, 0), num(1), num(-M_PI / 2), num(M_PI / 2));
    auto a2 = space->AddArc(pt(0, 1, 0), num(1), num(M_PI / 2), num(3 * M_PI / 2));
    auto regions = regionsOf(space->AddRegion(list({obj(l1), obj(l2), obj(a1), obj(a2)})));
    ASSERT_EQ(regions.size(), 1u);
    EXPECT_REL(measureRegion(*regions[0]).area, 8 + M_PI, 1e-9);
}

// A client computes the closing lines of an arc cut with exact trigonometry, while the arcs'
// angles come from degrees times 0.017453293; the ends still join on a large, long arc.
TEST_F(DrawingRules, ArcBandClosesWithLinesFromExactTrigonometry) {
    const double factor = 0.017453293, r1 = 100, r2 = 90, start = 10, end = 355;
    auto at = [](double r, double degrees) {
        return pt(r * std::cos(degrees * M_PI / 180), r * std::sin(degrees * M_PI / 180), 0);
    };
    auto l1 = space->AddLine(at(r2, start), at(r1, start));
    auto l2 = space->AddLine(at(r1, end), at(r2, end));
    auto a1 = space->AddArc(pt(0, 0, 0), num(r1), num(start * factor), num(end * factor));
    auto a2 = space->AddArc(pt(0, 0, 0), num(r2), num(start * factor), num(end * factor));
    auto regions = regionsOf(space->AddRegion(list({obj(l1), obj(l2), obj(a1), obj(a2)})));
    ASSERT_EQ(regions.size(), 1u);
    EXPECT_REL(measureRegion(*regions[0]).area, M_PI * (r1 * r1 - r2 * r2) * (end - start) / 360, 1e-5);
}

TEST_F(DrawingRules, ADeletedEntityFailsEveryLaterUse) {
    auto solid = box(0, 0, 0, 1, 1, 1);
    auto before = entityCount();
    solid->Delete();
    EXPECT_EQ(entityCount(), before - 1);
    try {
        solid->Move(pt(0, 0, 0), pt(1, 1, 1));
        FAIL() << "a deleted solid moved";
    } catch (const automation::Error& error) {
        EXPECT_NE(error.description().find("deleted"), std::string::npos) << error.description();
    }
    EXPECT_THROW(solid->Update(), automation::Error);
    EXPECT_THROW(solid->Delete(), automation::Error);
    EXPECT_THROW(solid->Centroid(), automation::Error);
    auto part = box(0, 0, 0, 2, 2, 2);
    EXPECT_THROW(part->Boolean(i16(2), obj(solid)), automation::Error);
    EXPECT_REL(volume(part), 8, 1e-12);
}

TEST_F(DrawingRules, GroupsByNameAndIndex) {
    auto a = box(0, 0, 0, 1, 1, 1);
    auto b = box(2, 0, 0, 3, 1, 1);
    drawing->addToGroup("PART", a);
    drawing->addToGroup("PART", b);
    drawing->addToGroup("ROTARYA", b);
    auto part = drawing->Groups()->Item(Variant::string("PART"));
    EXPECT_EQ(part->Count(), 2);
    EXPECT_EQ(part->Item(i16(0)), a);
    EXPECT_EQ(part->Item(i16(1)), b);
    EXPECT_EQ(drawing->Groups()->Item(Variant::string("part"))->Count(), 2) << "names ignore case";
    EXPECT_THROW(part->Item(i16(2)), automation::Error);
    EXPECT_THROW(part->Item(i16(-1)), automation::Error);
    EXPECT_THROW(drawing->Groups()->Item(Variant::string("PROBESOLID")), automation::Error);

    // A member that is deleted or absorbed leaves its groups.
    a->Boolean(i16(2), obj(b));
    EXPECT_EQ(part->Count(), 1);
    EXPECT_EQ(drawing->Groups()->Item(Variant::string("ROTARYA"))->Count(), 0);
}

TEST_F(DrawingRules, CecolorTakesWhatACadUserCouldType) {
    for (const char* good : {"1", "0", "256", "BYLAYER", "byblock", "red", "RGB:10,20,255"})
        EXPECT_NO_THROW(drawing->SetVariable(Variant::string("CECOLOR"), Variant::string(good))) << good;
    for (const char* bad : {"257", "-3", "", "purple-ish", "RGB:1,2", "RGB:1,2,300", "1.5"})
        EXPECT_THROW(drawing->SetVariable(Variant::string("CECOLOR"), Variant::string(bad)), automation::Error)
            << bad;
    EXPECT_EQ(drawing->variable("CECOLOR"), "RGB:10,20,255") << "a refused value changes nothing";
    drawing->SetVariable(Variant::string("CECOLOR"), Variant::string("1"));
    auto solid = space->AddCylinder(pt(0, 0, 0), num(1), num(1));
    EXPECT_EQ(entityColour(*solid), "1");
    EXPECT_THROW(drawing->SetVariable(Variant::string("NOSUCHVAR"), Variant::string("1")), automation::Error);
}

TEST_F(DrawingRules, JournalRecordsEachOperationWithItsArgumentsAndOutcome) {
    drawing->journal().clear();
    auto cylinder = space->AddCylinder(pt(-100, -100, 0), i16(1), num(2));
    cylinder->Update();
    EXPECT_THROW(drawing->Groups()->Item(Variant::string("PART")), automation::Error);
    const auto& lines = drawing->journal().lines();
    ASSERT_EQ(lines.size(), 4u) << ::testing::PrintToString(lines);
    auto id = std::to_string(entityId(*cylinder));
    EXPECT_EQ(lines[0], "ModelSpace.AddCylinder([-100, -100, 0], 1%, 2) -> <Solid3D#" + id + ">");
    EXPECT_EQ(lines[1], "Solid3D#" + id + ".Update()");
    EXPECT_EQ(lines[2], "Document.Groups() -> <Groups>");
    EXPECT_EQ(lines[3], "Groups.Item(\"PART\") !! there is no group named \"PART\"");
}

TEST(Connector, AttachFindsTheRunningApplicationAndLaunchStartsOne) {
    EmbeddedConnector connector;
    EXPECT_THROW(connector.attach(EmbeddedConnector::kProgId), automation::Error);
    auto launched = connector.launch(EmbeddedConnector::kProgId);
    ASSERT_TRUE(launched);
    EXPECT_TRUE(launched->ActiveDocument()) << "a launched application has an empty drawing";
    EXPECT_EQ(connector.attach(EmbeddedConnector::kProgId), launched);
    EXPECT_THROW(connector.launch("Other.Application"), automation::Error);

    EmbeddedConnector absent;
    absent.setInstalled(false);
    EXPECT_THROW(absent.launch(EmbeddedConnector::kProgId), automation::Error);

    auto bare = EmbeddedApplication::create();
    EXPECT_THROW(bare->ActiveDocument(), automation::Error);
    auto doc = bare->open();
    EXPECT_EQ(doc->Application(), bare);
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
