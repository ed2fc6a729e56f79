// SubtractArcToolFromGroup: each member loses its common volume with the cut solid; members
// the cut does not touch are neither changed nor redrawn; the cut solid goes at the end.
#include "mill_helpers.hpp"

namespace corvex::testing {
namespace {

using cadhost::occt::entityDeleted;
using cadhost::occt::measureSolid;

class ArcToolSubtractionTest : public MillTest {};

TEST_F(ArcToolSubtractionTest, OnlyMembersTheCutMeetsAreCutAndRedrawn) {
    startServer();
    const auto touched = addPartBox({0, 0, 0}, {10, 10, 10});     // Solid3D#3
    const auto untouched = addPartBox({50, 0, 0}, {60, 10, 10});  // Solid3D#4
    const auto alsoTouched = addPartBox({0, 8, 0}, {10, 20, 10}); // Solid3D#5
    server.cutSolid = drawing->addBox({5, 5, 5}, {15, 15, 15});   // Solid3D#6
    const auto mark = journalMark();

    server.SubtractArcToolFromGroup();

    EXPECT_EQ(journalSince(mark),
              ExpectedJournal()
                  .partGroup()
                  .line("Group(\"PART\").Count() -> 3&")
                  .line("Group(\"PART\").Item(0%) -> <Solid3D#3>")
                  .line("Solid3D#3.CheckInterference(<Solid3D#6>, True) -> <Solid3D#7>")
                  .line("Solid3D#3.Boolean(2&, <Solid3D#7>)")
                  .line("Solid3D#3.Update()")
                  .line("Group(\"PART\").Item(1%) -> <Solid3D#4>")
                  .line("Solid3D#4.CheckInterference(<Solid3D#6>, True) -> Nothing")
                  .line("Group(\"PART\").Item(2%) -> <Solid3D#5>")
                  .line("Solid3D#5.CheckInterference(<Solid3D#6>, True) -> <Solid3D#8>")
                  .line("Solid3D#5.Boolean(2&, <Solid3D#8>)")
                  .line("Solid3D#5.Update()")
                  .line("Solid3D#6.Delete()")
                  .lines());
    EXPECT_NEAR(volumeOf(touched), 1000 - 125, 1e-9);
    EXPECT_NEAR(volumeOf(untouched), 1000, 1e-9);
    EXPECT_NEAR(volumeOf(alsoTouched), 1200 - 5 * 7 * 5, 1e-9);
    EXPECT_TRUE(measureSolid(*alsoTouched).valid);
    EXPECT_TRUE(entityDeleted(*server.cutSolid));
    EXPECT_EQ(entitiesOfKind("Solid3D").size(), 4u);  // tool and three members
}

TEST_F(ArcToolSubtractionTest, EmptyGroupStillDeletesTheCut) {
    startServer();
    addPartBox({0, 0, 0}, {1, 1, 1})->Delete();
    server.cutSolid = drawing->addBox({5, 5, 5}, {15, 15, 15});

    server.SubtractArcToolFromGroup();

    EXPECT_TRUE(entityDeleted(*server.cutSolid));
}

TEST_F(ArcToolSubtractionTest, NoPartGroupFailsAndKeepsTheCut) {
    startServer();
    server.cutSolid = drawing->addBox({5, 5, 5}, {15, 15, 15});

    const auto error = errorOf([&] { server.SubtractArcToolFromGroup(); });

    EXPECT_EQ(error.hr(), automation::hresult::kInvalidArgument);
    EXPECT_FALSE(entityDeleted(*server.cutSolid));
}

TEST_F(ArcToolSubtractionTest, GroupTooLargeForASixteenBitCountFailsBeforeAnyCut) {
    const auto stock = startWithStock();
    for (int i = 1; i < 32768; ++i) drawing->addToGroup("PART", stock);
    server.cutSolid = drawing->addBox({5, 5, 5}, {15, 15, 15});
    const auto mark = journalMark();

    const auto error = errorOf([&] { server.SubtractArcToolFromGroup(); });

    EXPECT_EQ(error.hr(), automation::hresult::kOverflow);
    EXPECT_EQ(journalSince(mark).size(), 3u);  // Groups, Item, Count
    EXPECT_FALSE(entityDeleted(*server.cutSolid));
}

}  // namespace
}  // namespace corvex::testing
