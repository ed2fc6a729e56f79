// Sharp inserts: a corner radius of 0 or less is a sharp corner in every lathe member, as in
// the tool solid. No circle is drawn for it, and every move cuts exactly and moves the tool
// (volumes by Pappus).
#include <algorithm>
#include <functional>
#include <numbers>
#include <optional>
#include <ostream>

#include "lathe_helpers.hpp"

namespace corvex::testing {
namespace {

using cadhost::occt::measureSolid;
constexpr double kPi = std::numbers::pi;

// A 2 × 2 insert whose tool point is its lower right corner, both listed corners sharp: one of
// radius 0, one negative.
const Variant kInsertPoints = rectangleVertices(-2, 0, 0, 2);
const Variant kSharpCorners = Variant::doubles({-2, 0, 0,  0, 2, -0.5});
const Variant kInsertExtent = Variant::doubles({-2, 0, 0});

struct SharpMove {
    const char* name;
    std::function<void(corvex4&)> call;
    double removed;
    std::optional<std::array<double, 2>> toolAt;  // where the tool stands after, if it moves
};

void PrintTo(const SharpMove& move, std::ostream* out) { *out << move.name; }

// The half ring about (50, 15) between radii 1 and 3, above its centre, revolved.
double halfRingRevolved() {
    const double area = kPi * (9 - 1) / 2;
    const double centroidY = 15 + 4 * (27 - 1) / (3 * kPi * (9 - 1));
    return revolvedVolume(area, centroidY);
}

class SharpInsertTest : public LatheTest, public ::testing::WithParamInterface<SharpMove> {};

TEST_P(SharpInsertTest, CutsExactlyWithNoCircleForASharpCorner) {
    startWithBar(20, 100);
    server.MakeToolLathe(4, 2, kInsertPoints, kSharpCorners);
    const auto mark = journalMark();
    const double before = barVolume();

    GetParam().call(server);

    const auto after = measureSolid(*bar);
    EXPECT_TRUE(after.valid);
    // LatheArc's angles go through the client's own degrees factor, off pi/180 by 1e-8.
    EXPECT_REL(before - after.volume, GetParam().removed, 1e-6);
    const auto shapes = callShapes(journalSince(mark));
    EXPECT_EQ(std::count(shapes.begin(), shapes.end(), "ModelSpace.AddCircle"), 0);
    if (const auto& at = GetParam().toolAt) {
        EXPECT_EQ(server.toolX, (*at)[0]);
        EXPECT_EQ(server.toolY, (*at)[1]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryLatheMember, SharpInsertTest,
    ::testing::Values(
        // The insert alone at (50, 18): the ring 18..20 over X 48..50.
        SharpMove{"LatheInsert",
                  [](corvex4& s) {
                      s.LatheInsert(4, 2, kInsertPoints, kSharpCorners, Variant(), Variant::point(50, 18, 0),
                                    kInsertExtent);
                  },
                  kPi * (400 - 324) * 2, std::nullopt},
        // A circular insert of no size has nothing to revolve: no cut, no error.
        SharpMove{"LatheInsertCircularOfNoSize",
                  [](corvex4& s) {
                      s.LatheInsert(0, 0, kInsertPoints, Variant::doubles({0, 1, 0}), Variant(),
                                    Variant::point(50, 18, 0), kInsertExtent);
                  },
                  0, std::nullopt},
        // From X = 100 to 60 at radius 18, then the insert ahead of the path: 58..60.
        SharpMove{"LatheLine",
                  [](corvex4& s) {
                      s.LatheLine(4, 2, kInsertPoints, kSharpCorners, rectangleVertices(60, 18, 100, 22),
                                  Variant::point(100, 18, 0), Variant::point(60, 18, 0), kInsertExtent);
                  },
                  kPi * (400 - 324) * 42, std::array<double, 2>{60, 18}},
        SharpMove{"LatheArc",
                  [](corvex4& s) {
                      s.LatheArc(Variant::doubles({50, 15, 1, 0, 180}), Variant::doubles({50, 15, 3, 0, 180}),
                                 Variant::null(), Variant::null(), Variant::point(47, 15, 0));
                  },
                  halfRingRevolved(), std::array<double, 2>{47, 15}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvex::testing
