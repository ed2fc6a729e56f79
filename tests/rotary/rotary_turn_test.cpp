// Where RotateAxis puts things, measured: A and B turn about X and Y through the origin,
// C about the line from the origin through the marker's centroid, and each turn goes against
// the sign of the angle the machine is given.
#include "rotary/rotary_helpers.hpp"

namespace corvex::testing {
namespace {

TEST_F(RotaryTest, AxisATurnsItsGroupAboutX) {
    startServer();
    const auto part = addCube({"ROTARYA"}, {0, 10, 0});
    const auto bystander = addCube({"PART"}, {0, 10, 0});
    const double volume = cadhost::occt::measureSolid(*part).volume;

    server.RotateAxis(1, 90);

    expectPoint(centroidOf(*part), {0, 0, -10});
    expectPoint(centroidOf(*bystander), {0, 10, 0}, 1e-12);
    EXPECT_REL(cadhost::occt::measureSolid(*part).volume, volume, 1e-9);
    EXPECT_TRUE(cadhost::occt::measureSolid(*part).valid);
}

TEST_F(RotaryTest, AxisBTurnsItsGroupAboutY) {
    startServer();
    const auto part = addCube({"ROTARYB"}, {0, 0, 10});
    const auto onA = addCube({"ROTARYA"}, {0, 0, 10});

    server.RotateAxis(2, 90);

    expectPoint(centroidOf(*part), {-10, 0, 0});
    expectPoint(centroidOf(*onA), {0, 0, 10}, 1e-12);
}

TEST_F(RotaryTest, AxisCTurnsAboutTheLineThroughTheMarker) {
    startServer();
    addCube({"CAXIS"}, {0, 0, 5});  // straight above the origin: C is the Z axis
    const auto part = addCube({"ROTARYC"}, {10, 0, 0});

    server.RotateAxis(3, 90);

    expectPoint(centroidOf(*part), {0, -10, 0});
}

TEST_F(RotaryTest, AxisCFollowsTheMarkerWhereAnotherAxisCarriedIt) {
    startServer();
    // The C table rides on the A table: its marker turns with A.
    const auto marker = addCube({"CAXIS", "ROTARYA"}, {0, 0, 5});
    const auto part = addCube({"ROTARYC"}, {10, 0, 0});

    server.RotateAxis(1, 90);
    expectPoint(centroidOf(*marker), {0, 5, 0});
    expectPoint(centroidOf(*part), {10, 0, 0}, 1e-12);

    server.RotateAxis(3, 90);  // C is now the Y axis
    expectPoint(centroidOf(*part), {0, 0, 10});
}

TEST_F(RotaryTest, CurvesInAnAxisGroupTurnLikeSolids) {
    startServer();
    const auto line = addLine({"ROTARYA"}, {0, 10, 0}, {5, 10, 0});
    const auto circle = addCircle({"ROTARYA"}, {0, 10, 0}, 2);

    server.RotateAxis(1, 90);

    const auto lineBox = boxOf(*line);
    expectPoint(lineBox.min, {0, 0, -10});
    expectPoint(lineBox.max, {5, 0, -10});
    const auto circleBox = boxOf(*circle);
    expectPoint(circleBox.min, {-2, 0, -12});
    expectPoint(circleBox.max, {2, 0, -8});
}

TEST_F(RotaryTest, ANegativeAngleTurnsTheSameWayAsItsPositiveComplement) {
    startServer();
    const auto part = addCube({"ROTARYA"}, {0, 10, 0});

    // The degree factor's error grows with the angle: 1.3e-7 rad at 270 degrees, 1e-5 wide
    // at a radius of 10.
    server.RotateAxis(1, -90);  // 270 degrees: (0, 10, 0) goes to (0, 0, 10)
    expectPoint(centroidOf(*part), {0, 0, 10}, 1e-5);

    server.RotateAxis(1, 90);  // together a full turn
    expectPoint(centroidOf(*part), {0, 10, 0}, 1e-5);
}

}  // namespace
}  // namespace corvex::testing
