// The utility members: MakeRegion hands the host a list of three with the curve first,
// distance measures in the plane, setcolor passes the colour to the host as text.
#include "mill_helpers.hpp"

namespace corvex::testing {
namespace {

using cadhost::occt::measureRegion;

class UtilityMembersTest : public MillTest {};

TEST_F(UtilityMembersTest, DistanceInThePlane) {
    EXPECT_EQ(server.distance(0, 0, 3, 4), Variant::real(5.0));
    EXPECT_EQ(server.distance(3, 4, 0, 0), Variant::real(5.0));
    EXPECT_EQ(server.distance(1, 1, 1, 1), Variant::real(0.0));
    EXPECT_TRUE(journal->lines().empty());  // no host needed, not even a started one
}

TEST_F(UtilityMembersTest, DistanceOverflowFails) {
    EXPECT_EQ(errorOf([&] { server.distance(-1e308, 0, 1e308, 0); }).hr(), automation::hresult::kOverflow);
    EXPECT_EQ(errorOf([&] { server.distance(0, 0, 1e200, 1e200); }).hr(), automation::hresult::kOverflow);
}

TEST_F(UtilityMembersTest, SetcolorPassesNumbersAndTextAsText) {
    startServer();
    server.setcolor(Variant::int16(1));
    EXPECT_EQ(drawing->variable("CECOLOR"), "1");
    server.setcolor(Variant::real(256));
    EXPECT_EQ(drawing->variable("CECOLOR"), "256");
    server.setcolor(Variant::string("BYLAYER"));
    EXPECT_EQ(drawing->variable("CECOLOR"), "BYLAYER");
    server.setcolor(Variant::string("RGB:10,20,30"));

    EXPECT_EQ(journal->lines(), (std::vector<std::string>{
                                    "Document.SetVariable(\"CECOLOR\", \"1\")",
                                    "Document.SetVariable(\"CECOLOR\", \"256\")",
                                    "Document.SetVariable(\"CECOLOR\", \"BYLAYER\")",
                                    "Document.SetVariable(\"CECOLOR\", \"RGB:10,20,30\")",
                                }));
}

TEST_F(UtilityMembersTest, SetcolorLetsTheHostJudgeTheValue) {
    startServer();
    server.setcolor(Variant::int16(3));

    const auto error = errorOf([&] { server.setcolor(Variant::int16(-3)); });

    EXPECT_FALSE(error.description().empty());
    EXPECT_EQ(journal->lines().back().rfind("Document.SetVariable(\"CECOLOR\", \"-3\") !! ", 0), 0u)
        << journal->lines().back();
    EXPECT_EQ(drawing->variable("CECOLOR"), "3");
}

TEST_F(UtilityMembersTest, SetcolorWithNoTextFailsBeforeTheHost) {
    startServer();
    for (const Variant& bad : {Variant::null(), Variant::object(server.toolSolid)})
        EXPECT_EQ(errorOf([&] { server.setcolor(bad); }).hr(), automation::hresult::kTypeMismatch);
    EXPECT_TRUE(journal->lines().empty());
}

TEST_F(UtilityMembersTest, MakeRegionHandsTheCurveFirstInAListOfThree) {
    startServer();
    const auto square = drawing->ModelSpace()->AddPolyline(
        Variant::doubles({0, 0, 4, 10, 0, 4, 10, 5, 4, 0, 5, 4, 0, 0, 4}));  // Polyline#3
    journal->clear();

    const Variant result = server.MakeRegion(Variant::object(square));

    EXPECT_EQ(journal->lines(),
              ExpectedJournal().add("AddRegion([<Polyline#3>, Empty, Empty]) -> [<Region#4>]").lines());
    ASSERT_TRUE(result.isArray());
    ASSERT_EQ(result.asArray().size(), 1u);
    const auto region = cadhost::take<cadhost::Region>(result.asArray().at(0), "a region");
    const auto m = measureRegion(*region);
    EXPECT_NEAR(m.area, 50, 1e-9);
    EXPECT_NEAR(m.box.min[2], 4, 1e-9);
    EXPECT_EQ(entityCount(), 4u);  // the curve stays too
}

TEST_F(UtilityMembersTest, MakeRegionPassesWhateverItIsGiven) {
    startServer();
    const auto error = errorOf([&] { server.MakeRegion(Variant::real(7)); });
    EXPECT_FALSE(error.description().empty());
    EXPECT_EQ(journal->lines().back().rfind("ModelSpace.AddRegion([7, Empty, Empty]) !! ", 0), 0u)
        << journal->lines().back();
}

}  // namespace
}  // namespace corvex::testing
