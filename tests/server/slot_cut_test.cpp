// The linear slot cut: the outline ToolPolyCreate makes, and what ToolExtrudeLine asks of the
// host for every member of "PART" and takes out of it.
#include <numbers>

#include "server_helpers.hpp"

namespace corvex::testing {
namespace {

using cadhost::occt::boundingBox;
using cadhost::occt::entityDeleted;
using cadhost::occt::entityVisible;
using cadhost::occt::measureSolid;

// The host calls of one pass of ToolExtrudeLine over member `index`.
std::vector<std::string> passJournal(int outlineId, int regionId, int cutId, int index,
                                     const std::string& member) {
    const std::string region = "Region#" + std::to_string(regionId);
    const std::string cut = "<Solid3D#" + std::to_string(cutId) + ">";
    return {
        "Document.ModelSpace() -> <ModelSpace>",
        "ModelSpace.AddRegion([<Polyline#" + std::to_string(outlineId) + ">]) -> [<" + region + ">]",
        "Document.ModelSpace() -> <ModelSpace>",
        "ModelSpace.AddExtrudedSolid(<" + region + ">, 2, 0%) -> " + cut,
        region + ".Delete()",
        "Group(\"PART\").Item(" + std::to_string(index) + "%) -> <" + member + ">",
        member + ".Boolean(2&, " + cut + ")",
        member + ".Update()",
    };
}

class SlotCutTest : public ServerTest {
protected:
    // A slot 40 long and 6 wide along X at y = 25, cut at elevation 15 (through 15..17).
    Variant cut(double z = 15) {
        const auto p = slotAlongX(10, 50, 25, 6);
        return server.ToolExtrudeLine(p[0], p[1], p[2], p[3], p[4], z);
    }
    static constexpr double kSlotVolume = (40 * 6 + std::numbers::pi * 6 * 6 / 4) * 2;

    // The journal of the outline's reshaping, up to and including the group's Count.
    std::vector<std::string> reshapeJournal(const std::string& outline, int count) {
        return {
            "Document.Application() -> <Application>",
            "Application.ActiveDocument() -> <Document>",
            outline + ".Visible(False)",
            outline + ".Coordinate(0%, [10, 22, 0])",
            outline + ".Coordinate(1%, [50, 22, 0])",
            outline + ".Coordinate(2%, [50, 28, 0])",
            outline + ".Coordinate(3%, [10, 28, 0])",
            outline + ".Coordinate(4%, [10, 22, 0])",
            outline + ".SetBulge(1%, 1)",
            outline + ".SetBulge(3%, 1)",
            outline + ".Elevation(15)",
            "Document.Groups() -> <Groups>",
            "Groups.Item(\"PART\") -> <Group(\"PART\")>",
            "Group(\"PART\").Count() -> " + std::to_string(count) + "&",
        };
    }
};

TEST_F(SlotCutTest, ToolPolyCreateTwiceLeavesBothOutlines) {
    startServer();
    const auto first = server.slotOutline;
    server.ToolPolyCreate();
    server.ToolPolyCreate();

    const std::vector<std::string> once = {
        "Document.Application() -> <Application>",
        "Application.ActiveDocument() -> <Document>",
        "Document.ModelSpace() -> <ModelSpace>",
        "ModelSpace.AddPolyline([-100, 0, 0, -100, 1, 0, -101, 1, 0, -101, 0, 0, -100, 0, 0]) -> ",
    };
    const auto lines = journal->lines();
    ASSERT_EQ(lines.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(lines[i].rfind(once[i % 4], 0), 0u) << lines[i];
    EXPECT_EQ(lines[7], once[3] + "<Polyline#4>");

    const auto entities = drawing->entities();
    ASSERT_EQ(entities.size(), 4u);  // tool, and three outlines
    EXPECT_EQ(server.slotOutline, entities[3]);
    EXPECT_FALSE(entityDeleted(*first));
    EXPECT_TRUE(entityVisible(*server.slotOutline));
}

TEST_F(SlotCutTest, EmptyPartGroupReshapesTheOutlineAndCutsNothing) {
    startServer();
    addPartBox({0, 0, 0}, {1, 1, 1})->Delete();  // leaves "PART" with no member
    const auto earlierCut = drawing->addBox({200, 0, 0}, {201, 1, 1});
    server.cutSolid = earlierCut;
    const auto mark = journalMark();

    const Variant result = cut();

    EXPECT_EQ(result, Variant::int16(1));
    EXPECT_EQ(journalSince(mark), reshapeJournal("Polyline#2", 0));
    EXPECT_EQ(server.cutSolid, earlierCut);
    EXPECT_FALSE(entityVisible(*server.slotOutline));
    // The outline is now the slot, at elevation 15.
    const auto box = boundingBox(*server.slotOutline);
    EXPECT_NEAR(box.min[0], 7, 1e-9);
    EXPECT_NEAR(box.max[0], 53, 1e-9);
    EXPECT_NEAR(box.min[1], 22, 1e-9);
    EXPECT_NEAR(box.max[1], 28, 1e-9);
    EXPECT_NEAR(box.min[2], 15, 1e-9);
    EXPECT_NEAR(box.max[2], 15, 1e-9);
}

TEST_F(SlotCutTest, SlotRemovesExactlyItsSweptVolume) {
    startServer();
    const auto part = addPartBox({0, 0, 0}, {100, 50, 20});  // Solid3D#3
    const double before = measureSolid(*part).volume;
    const auto mark = journalMark();

    EXPECT_EQ(cut(), Variant::int16(1));

    auto expected = reshapeJournal("Polyline#2", 1);
    const auto pass = passJournal(2, 4, 5, 0, "Solid3D#3");
    expected.insert(expected.end(), pass.begin(), pass.end());
    EXPECT_EQ(journalSince(mark), expected);
    const auto after = measureSolid(*part);
    EXPECT_TRUE(after.valid);
    EXPECT_EQ(after.solids, 1);
    EXPECT_REL(before - after.volume, kSlotVolume, 1e-9);
    // The region is gone and the cut solid was absorbed: only tool, outline and part remain.
    EXPECT_TRUE(entityDeleted(*server.cutSolid));
    EXPECT_EQ(entityCount(), 3u);
}

TEST_F(SlotCutTest, EveryMemberGetsItsOwnRegionAndCutSolid) {
    startServer();
    // Three overlapping solids, each crossing the cut's heights 15..17.
    const std::vector<std::shared_ptr<cadhost::Solid3D>> members = {
        addPartBox({0, 0, 0}, {100, 50, 20}),   // Solid3D#3
        addPartBox({0, 0, 10}, {100, 50, 30}),  // Solid3D#4
        addPartBox({0, 0, 5}, {100, 50, 25}),   // Solid3D#5
    };
    std::vector<double> before;
    for (const auto& member : members) before.push_back(measureSolid(*member).volume);
    const auto mark = journalMark();

    EXPECT_EQ(cut(), Variant::int16(1));

    auto expected = reshapeJournal("Polyline#2", 3);
    for (int i = 0; i < 3; ++i) {
        const auto pass = passJournal(2, 6 + 2 * i, 7 + 2 * i, i, "Solid3D#" + std::to_string(3 + i));
        expected.insert(expected.end(), pass.begin(), pass.end());
    }
    EXPECT_EQ(journalSince(mark), expected);
    EXPECT_EQ(ref(*server.cutSolid), "<Solid3D#11>");
    for (std::size_t i = 0; i < members.size(); ++i) {
        const auto after = measureSolid(*members[i]);
        EXPECT_TRUE(after.valid);
        EXPECT_REL(before[i] - after.volume, kSlotVolume, 1e-9) << "member " << i;
    }
    EXPECT_EQ(entityCount(), 5u);  // tool, outline, three members
}

TEST_F(SlotCutTest, NoPartGroupFailsAfterTheOutlineWasReshaped) {
    startServer();
    const auto mark = journalMark();

    const auto error = errorOf([&] { cut(); });

    EXPECT_EQ(error.hr(), automation::hresult::kInvalidArgument);
    const auto lines = journalSince(mark);
    auto expected = reshapeJournal("Polyline#2", 0);
    expected.resize(12);  // up to Groups()
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 12), expected);
    EXPECT_EQ(lines[12].rfind("Groups.Item(\"PART\") !! ", 0), 0u) << lines[12];
    EXPECT_NEAR(boundingBox(*server.slotOutline).min[2], 15, 1e-9);
    EXPECT_EQ(entityCount(), 2u);
}

TEST_F(SlotCutTest, MemberThatIsNoSolidStopsThePassAfterItsCutSolidWasMade) {
    startServer();
    const auto first = addPartBox({0, 0, 0}, {100, 50, 20});
    const auto line = drawing->ModelSpace()->AddLine(Variant::point(0, 0, 0), Variant::point(1, 1, 0));
    drawing->addToGroup("PART", line);
    const auto last = addPartBox({0, 0, 0}, {100, 50, 20});
    const double full = measureSolid(*last).volume;

    const auto error = errorOf([&] { cut(); });

    EXPECT_EQ(error.hr(), automation::hresult::kTypeMismatch);
    EXPECT_REL(full - measureSolid(*first).volume, kSlotVolume, 1e-9);
    EXPECT_REL(measureSolid(*last).volume, full, 1e-12);
    // The failing pass made its cut solid and deleted its region; the solid stays.
    ASSERT_TRUE(server.cutSolid);
    EXPECT_FALSE(entityDeleted(*server.cutSolid));
    EXPECT_REL(measureSolid(*server.cutSolid).volume, kSlotVolume, 1e-9);
    const auto lines = journal->lines();
    EXPECT_EQ(lines.back(), "Group(\"PART\").Item(1%) -> <" + line->describe() + ">");
    for (const auto& entity : drawing->entities()) EXPECT_NE(entity->kind(), "Region");
}

TEST_F(SlotCutTest, OutlineThatDoesNotCloseCutsNothing) {
    startServer();
    const auto part = addPartBox({0, 0, 0}, {100, 50, 20});
    const double full = measureSolid(*part).volume;
    const auto p = slotAlongX(10, 50, 25, 6);

    const auto error = errorOf([&] {
        server.ToolExtrudeLine(p[0], p[1], p[2], p[3], Variant::point(11, 22, 0), 15);
    });

    EXPECT_NE(journal->lines().back().find("AddRegion"), std::string::npos);
    EXPECT_NE(journal->lines().back().find(" !! "), std::string::npos);
    EXPECT_FALSE(server.cutSolid);
    EXPECT_REL(measureSolid(*part).volume, full, 1e-12);
    EXPECT_EQ(entityCount(), 3u);
    EXPECT_FALSE(error.description().empty());
}

TEST_F(SlotCutTest, GroupTooLargeForASixteenBitCountOverflowsBeforeTheFirstPass) {
    startServer();
    const auto part = addPartBox({0, 0, 0}, {100, 50, 20});
    for (int i = 1; i < 32768; ++i) drawing->addToGroup("PART", part);
    const auto mark = journalMark();

    const auto error = errorOf([&] { cut(); });

    EXPECT_EQ(error.hr(), automation::hresult::kOverflow);
    EXPECT_EQ(journalSince(mark), reshapeJournal("Polyline#2", 32768));
    EXPECT_FALSE(server.cutSolid);
}

TEST_F(SlotCutTest, MissingOutlineFailsBeforeTouchingTheDrawing) {
    startServer();
    addPartBox({0, 0, 0}, {100, 50, 20});
    server.slotOutline.reset();

    const auto error = errorOf([&] { cut(); });

    EXPECT_EQ(error.hr(), automation::hresult::kObjectRequired);
    EXPECT_EQ(journal->lines().size(), 2u);  // the document refresh only
    EXPECT_EQ(entityCount(), 3u);
}

TEST_F(SlotCutTest, HeightComesFromSweepHeight) {
    startServer();
    const auto part = addPartBox({0, 0, 0}, {100, 50, 20});
    server.sweepHeight = 3.5;
    const double before = measureSolid(*part).volume;

    cut(10);

    EXPECT_REL(before - measureSolid(*part).volume, kSlotVolume / 2 * 3.5, 1e-9);
}

}  // namespace
}  // namespace corvex::testing
