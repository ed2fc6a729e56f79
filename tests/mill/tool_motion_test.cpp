// MoveTool: the tool solid is moved by the difference between the commanded position and the
// recorded one, and the record follows; what a failure leaves behind depends on the step.
#include "mill_helpers.hpp"

namespace corvex::testing {
namespace {

using cadhost::occt::measureSolid;

class ToolMotionTest : public MillTest {
protected:
    std::array<double, 3> toolCentre() const { return measureSolid(*server.toolSolid).centroid; }
    void expectPosition(double x, double y, double z) const {
        EXPECT_DOUBLE_EQ(server.toolX, x);
        EXPECT_DOUBLE_EQ(server.toolY, y);
        EXPECT_DOUBLE_EQ(server.toolZ, z);
    }
    void expectCentre(double x, double y, double z) const {
        const auto c = toolCentre();
        EXPECT_NEAR(c[0], x, 1e-9);
        EXPECT_NEAR(c[1], y, 1e-9);
        EXPECT_NEAR(c[2], z, 1e-9);
    }
};

TEST_F(ToolMotionTest, DefaultToolFollowsTheFirstMoveFromWhereStartAcadMadeIt) {
    startServer();
    expectCentre(-100, -100, 0);

    const Variant result = server.MoveTool(Variant::int16(10), Variant::int16(20), 5);

    EXPECT_TRUE(result.isEmpty());
    expectCentre(-90, -80, 5);
    expectPosition(10, 20, 5);
    EXPECT_EQ(journal->lines(), (std::vector<std::string>{
                                    "Solid3D#1.Move([0, 0, 0], [10, 20, 5])",
                                    "Solid3D#1.Update()",
                                }));
}

TEST_F(ToolMotionTest, SecondMoveIsRelativeToTheFirst) {
    startServer();
    server.MoveTool(Variant::real(10), Variant::real(20), 5);
    server.MoveTool(Variant::real(-4.5), Variant::real(2), -1);

    expectCentre(-104.5, -98, -1);
    expectPosition(-4.5, 2, -1);
    EXPECT_EQ(journal->lines().at(2), "Solid3D#1.Move([0, 0, 0], [-14.5, -18, -6])");
}

TEST_F(ToolMotionTest, MoveToTheCurrentPositionStillMovesByZeroAndRedraws) {
    startServer();
    server.MoveTool(Variant::real(3), Variant::real(4), 5);
    journal->clear();

    server.MoveTool(Variant::real(3), Variant::real(4), 5);

    expectPosition(3, 4, 5);
    EXPECT_EQ(journal->lines(), (std::vector<std::string>{
                                    "Solid3D#1.Move([0, 0, 0], [0, 0, 0])",
                                    "Solid3D#1.Update()",
                                }));
}

TEST_F(ToolMotionTest, EmptyIsZeroAndNumericTextIsItsNumber) {
    startServer();
    server.MoveTool(Variant::real(7), Variant::real(8), 0);

    server.MoveTool(Variant(), Variant::string("2.5"), 1);

    expectPosition(0, 2.5, 1);
    expectCentre(-100, -97.5, 1);
}

TEST_F(ToolMotionTest, ArgumentThatIsNoNumberChangesNothing) {
    startServer();
    server.MoveTool(Variant::real(1), Variant::real(2), 3);
    journal->clear();

    for (const Variant& bad : {Variant::string("left"), Variant::null(), Variant::object(server.toolSolid)}) {
        const auto error = errorOf([&] { server.MoveTool(bad, Variant::real(0), 0); });
        EXPECT_EQ(error.hr(), automation::hresult::kTypeMismatch) << bad.toDebugString();
        const auto yError = errorOf([&] { server.MoveTool(Variant::real(0), bad, 0); });
        EXPECT_EQ(yError.hr(), automation::hresult::kTypeMismatch) << bad.toDebugString();
    }
    EXPECT_TRUE(journal->lines().empty());
    expectPosition(1, 2, 3);
    expectCentre(-99, -98, 3);
}

TEST_F(ToolMotionTest, OverflowingDifferenceFailsBeforeTheMove) {
    startServer();
    server.toolX = -1.7e308;

    const auto error = errorOf([&] { server.MoveTool(Variant::real(1.7e308), Variant::real(0), 0); });

    EXPECT_EQ(error.hr(), automation::hresult::kOverflow);
    EXPECT_TRUE(journal->lines().empty());
    EXPECT_DOUBLE_EQ(server.toolX, -1.7e308);
}

TEST_F(ToolMotionTest, WithoutAToolSolidFailsAndKeepsThePosition) {
    startServer();
    server.toolSolid.reset();

    const auto error = errorOf([&] { server.MoveTool(Variant::real(1), Variant::real(1), 1); });

    EXPECT_EQ(error.hr(), automation::hresult::kObjectRequired);
    expectPosition(0, 0, 0);
}

}  // namespace
}  // namespace corvex::testing
