// SubtractToolFromGroup takes the cut solid out of member 0 alone; drill_path drills every
// member with a cylinder of its own; subtract accepts anything and does nothing.
#include <numbers>

#include "mill_helpers.hpp"

namespace corvex::testing {
namespace {

using cadhost::occt::entityDeleted;
using cadhost::occt::measureSolid;
constexpr double kPi = std::numbers::pi;

class WorkpieceSubtractionTest : public MillTest {};

TEST_F(WorkpieceSubtractionTest, SubtractToolFromGroupCutsOnlyTheFirstMember) {
    startServer();
    const std::vector<std::shared_ptr<cadhost::Solid3D>> members = {
        addPartBox({0, 0, 0}, {10, 10, 10}),  // Solid3D#3
        addPartBox({0, 0, 0}, {10, 10, 10}),
        addPartBox({0, 0, 0}, {10, 10, 10}),
    };
    server.cutSolid = drawing->addBox({5, 5, 5}, {15, 15, 15});  // Solid3D#6, 125 inside each
    const auto mark = journalMark();

    server.SubtractToolFromGroup();

    EXPECT_EQ(journalSince(mark), ExpectedJournal()
                                      .partGroup()
                                      .line("Group(\"PART\").Item(0%) -> <Solid3D#3>")
                                      .line("Solid3D#3.Boolean(2&, <Solid3D#6>)")
                                      .line("Solid3D#3.Update()")
                                      .lines());
    EXPECT_NEAR(volumeOf(members[0]), 1000 - 125, 1e-9);
    EXPECT_NEAR(volumeOf(members[1]), 1000, 1e-9);
    EXPECT_NEAR(volumeOf(members[2]), 1000, 1e-9);
    EXPECT_TRUE(entityDeleted(*server.cutSolid));  // absorbed, but still the field's value
}

TEST_F(WorkpieceSubtractionTest, SubtractToolFromGroupFailsWithoutAMemberAndChangesNothing) {
    startServer();
    server.cutSolid = drawing->addBox({5, 5, 5}, {15, 15, 15});
    EXPECT_EQ(errorOf([&] { server.SubtractToolFromGroup(); }).hr(), automation::hresult::kInvalidArgument);

    addPartBox({0, 0, 0}, {1, 1, 1})->Delete();  // "PART" now exists, with no member
    errorOf([&] { server.SubtractToolFromGroup(); });
    EXPECT_FALSE(entityDeleted(*server.cutSolid));
}

TEST_F(WorkpieceSubtractionTest, DrillPathCentresTheCylinderHalfItsHeightAboveZ) {
    const auto stock = startWithStock();
    const auto mark = journalMark();

    server.drill_path(20, 30, -5, 10, 3);

    EXPECT_EQ(journalSince(mark), ExpectedJournal()
                                      .partGroup()
                                      .line("Group(\"PART\").Count() -> 1&")
                                      .line("Group(\"PART\").Item(0&) -> <Solid3D#3>")
                                      .add("AddCylinder([20, 30, 0], 3, 10) -> <Solid3D#4>")
                                      .line("Solid3D#3.Boolean(2&, <Solid3D#4>)")
                                      .line("Solid3D#3.Update()")
                                      .lines());
    // The hole runs from z = -5 to 5: only the part above the stock's floor is removed.
    const auto after = measureSolid(*stock);
    EXPECT_TRUE(after.valid);
    EXPECT_NEAR(200000 - after.volume, kPi * 9 * 5, 1e-6);
}

TEST_F(WorkpieceSubtractionTest, DrillPathGivesEveryMemberItsOwnCylinder) {
    startServer();
    const auto low = addPartBox({0, 0, 0}, {50, 50, 10});
    const auto high = addPartBox({0, 0, 8}, {50, 50, 30});

    server.drill_path(25, 25, 5, 20, 2);  // the hole spans 5 .. 25

    EXPECT_NEAR(25000 - volumeOf(low), kPi * 4 * 5, 1e-6);
    EXPECT_NEAR(55000 - volumeOf(high), kPi * 4 * 17, 1e-6);
    ASSERT_TRUE(server.cutSolid);
    EXPECT_EQ(ref(*server.cutSolid), "<Solid3D#6>");
    EXPECT_EQ(entitiesOfKind("Solid3D").size(), 3u);  // tool and the two members
}

TEST_F(WorkpieceSubtractionTest, DrillPathOnAnEmptyGroupMakesNothing) {
    startServer();
    addPartBox({0, 0, 0}, {1, 1, 1})->Delete();
    const auto before = entityCount();

    server.drill_path(0, 0, 0, 10, 1);

    EXPECT_FALSE(server.cutSolid);
    EXPECT_EQ(entityCount(), before);
}

TEST_F(WorkpieceSubtractionTest, DrillPathStopsAtAMemberThatIsNoSolid) {
    startServer();
    const auto first = addPartBox({0, 0, 0}, {50, 50, 10});
    drawing->addToGroup("PART", drawing->ModelSpace()->AddLine(pt(0, 0, 0), pt(1, 0, 0)));
    const auto last = addPartBox({0, 0, 0}, {50, 50, 10});

    const auto error = errorOf([&] { server.drill_path(25, 25, 0, 10, 1); });

    EXPECT_EQ(error.hr(), automation::hresult::kTypeMismatch);
    EXPECT_NEAR(25000 - volumeOf(first), kPi * 10, 1e-6);
    EXPECT_NEAR(volumeOf(last), 25000, 1e-9);
}

TEST_F(WorkpieceSubtractionTest, DrillPathWithAnOverflowingCentreMakesNothing) {
    startWithStock();
    const auto mark = journalMark();

    const auto error = errorOf([&] { server.drill_path(0, 0, 1.7e308, 1.7e308, 1); });

    EXPECT_EQ(error.hr(), automation::hresult::kOverflow);
    EXPECT_TRUE(journalSince(mark).empty());
}

TEST_F(WorkpieceSubtractionTest, SubtractAcceptsAnyReferenceAndDoesNothing) {
    const auto stock = startWithStock();
    const auto before = entityCount();

    server.subtract(stock);
    server.subtract(nullptr);

    EXPECT_TRUE(journal->lines().empty());
    EXPECT_EQ(entityCount(), before);
    EXPECT_NEAR(volumeOf(stock), 200000, 1e-6);
}

}  // namespace
}  // namespace corvex::testing
