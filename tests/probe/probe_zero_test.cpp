// The probe radius, and zeroing the probe group: every member moves by the vector that puts
// the centroid of member 1 on the origin, and the machine position is left alone.
#include "automation/coerce.hpp"
#include "probe/probe_helpers.hpp"

namespace corvex::testing {
namespace {

using automation::hresult::kObjectRequired;
using automation::hresult::kTypeMismatch;

TEST_F(ProbeTest, ProbeRadiusStoresAndAnswersTheRadius) {
    EXPECT_EQ(server.ProbeRadius(-1), Variant::real(0));  // a fresh instance, no host needed
    EXPECT_EQ(server.ProbeRadius(2.5), Variant::real(2.5));
    EXPECT_EQ(server.ProbeRadius(-1), Variant::real(2.5));
    EXPECT_EQ(server.ProbeRadius(0), Variant::real(0));
    EXPECT_EQ(server.ProbeRadius(-1), Variant::real(0));
    EXPECT_EQ(server.ProbeRadius(-1.5), Variant::real(-1.5));  // only -1 is the query
    EXPECT_EQ(server.probeRadius, -1.5);
}

TEST_F(ProbeTest, ZeroPutsTheProbeSolidsCentroidOnTheOriginAndCarriesEveryMember) {
    startServer();
    const auto holder = addProbeCube({12, 20, 40}, 4);
    const auto tip = addProbeCube({10, 20, 30}, 2);
    const auto stylus = addProbeLine({10, 20, 31}, {10, 20, 38});
    const auto holderBefore = lowCornerOf(*holder);
    const auto stylusBefore = lowCornerOf(*stylus);
    const auto toolBefore = centroidOf(*server.toolSolid);
    setPosition(3, 4, 5);

    server.ProbeToZero();

    const auto centre = centroidOf(*tip);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(centre[i], 0, 1e-9);
    expectShift(holderBefore, lowCornerOf(*holder), {-10, -20, -30});
    expectShift(stylusBefore, lowCornerOf(*stylus), {-10, -20, -30});
    expectShift(toolBefore, centroidOf(*server.toolSolid), {0, 0, 0});
    EXPECT_EQ(server.toolX, 3);
    EXPECT_EQ(server.toolY, 4);
    EXPECT_EQ(server.toolZ, 5);
}

TEST_F(ProbeTest, ZeroReadsTheCentroidPerCoordinateThenMovesAllAndRedrawsTheLast) {
    startServer();
    addProbeLine({0, 0, 0}, {0, 0, 5});                     // Line#3
    const auto tip = addProbeCube({10, 20, 30}, 2);         // Solid3D#4
    addProbeCube({10, 20, 40}, 2);                          // Solid3D#5
    const std::string centroid = tip->Centroid().toDebugString();
    const auto c = automation::toPoint(tip->Centroid());
    const std::string move = ".Move([0, 0, 0], " + Variant::point(-c.x, -c.y, -c.z).toDebugString() + ")";
    const auto mark = journalMark();

    server.ProbeToZero();

    const std::vector<std::string> expected = {
        "Application.ActiveDocument() -> <Document>",
        "Document.Groups() -> <Groups>",
        "Groups.Item(\"PROBESOLID\") -> <Group(\"PROBESOLID\")>",
        "Group(\"PROBESOLID\").Item(1%) -> <Solid3D#4>",
        "Solid3D#4.Centroid() -> " + centroid,
        "Solid3D#4.Centroid() -> " + centroid,
        "Solid3D#4.Centroid() -> " + centroid,
        "Group(\"PROBESOLID\").Count() -> 3&",
        "Group(\"PROBESOLID\").Item(0%) -> <Line#3>",
        "Line#3" + move,
        "Group(\"PROBESOLID\").Item(1%) -> <Solid3D#4>",
        "Solid3D#4" + move,
        "Group(\"PROBESOLID\").Item(2%) -> <Solid3D#5>",
        "Solid3D#5" + move,
        "Solid3D#5.Update()",
    };
    EXPECT_EQ(journalSince(mark), expected);
}

TEST_F(ProbeTest, ZeroWithoutAProbeSolidAtIndexOneMovesNothing) {
    startServer();
    const auto line = addProbeLine({0, 0, 0}, {0, 0, 5});
    const auto before = lowCornerOf(*line);

    // One member only: there is no member 1.
    const auto missing = errorOf([&] { server.ProbeToZero(); });
    EXPECT_NE(missing.description().find("outside the group"), std::string::npos)
        << missing.description();

    // Member 1 is a line, not a solid.
    addProbeLine({1, 0, 0}, {1, 0, 5});
    EXPECT_EQ(errorOf([&] { server.ProbeToZero(); }).hr(), kTypeMismatch);

    expectShift(before, lowCornerOf(*line), {0, 0, 0});
    for (const auto& entry : journal->lines()) EXPECT_EQ(entry.find(".Move("), std::string::npos) << entry;
}

TEST_F(ProbeTest, BothMovesFailWithoutAProbeGroupOrBeforeStart) {
    EXPECT_EQ(errorOf([&] { server.ProbeToZero(); }).hr(), kObjectRequired);
    EXPECT_EQ(errorOf([&] { server.MoveProbe(Variant(), Variant(), 0); }).hr(), kObjectRequired);

    startServer();
    setPosition(1, 1, 1);
    for (const auto& error : {errorOf([&] { server.ProbeToZero(); }),
                              errorOf([&] { server.MoveProbe(Variant::int16(9), Variant(), 9); })})
        EXPECT_NE(error.description().find("PROBESOLID"), std::string::npos) << error.description();
    EXPECT_EQ(server.toolX, 1);  // the group is fetched before the position is taken
    EXPECT_EQ(server.toolZ, 1);
}

TEST_F(ProbeTest, ZeroOnAnEmptyGroupFailsBeforeMoving) {
    startServer();
    makeEmptyProbeGroup();
    const auto mark = journalMark();

    EXPECT_EQ(errorOf([&] { server.ProbeToZero(); }).hr(), automation::hresult::kInvalidArgument);

    const auto lines = journalSince(mark);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("Group(\"PROBESOLID\").Item(1%) !!", 0), 0u) << lines.back();
}

}  // namespace
}  // namespace corvex::testing
