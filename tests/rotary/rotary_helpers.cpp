#include "rotary/rotary_helpers.hpp"

#include <string>

namespace corvex::testing {

std::shared_ptr<cadhost::Solid3D> RotaryTest::addCube(GroupNames groups,
                                                      const std::array<double, 3>& centre,
                                                      double size) {
    const double h = size / 2;
    auto cube = drawing->addBox({centre[0] - h, centre[1] - h, centre[2] - h},
                                {centre[0] + h, centre[1] + h, centre[2] + h});
    join(groups, cube);
    return cube;
}

std::shared_ptr<cadhost::Entity> RotaryTest::addLine(GroupNames groups,
                                                     const std::array<double, 3>& start,
                                                     const std::array<double, 3>& end) {
    std::shared_ptr<cadhost::Entity> line = drawing->ModelSpace()->AddLine(
        Variant::point(start[0], start[1], start[2]), Variant::point(end[0], end[1], end[2]));
    join(groups, line);
    return line;
}

std::shared_ptr<cadhost::Entity> RotaryTest::addCircle(GroupNames groups,
                                                       const std::array<double, 3>& centre,
                                                       double radius) {
    std::shared_ptr<cadhost::Entity> circle = drawing->ModelSpace()->AddCircle(
        Variant::point(centre[0], centre[1], centre[2]), Variant::real(radius));
    join(groups, circle);
    return circle;
}

void RotaryTest::addLines(const char* group, int count) {
    const bool wasRecording = journal->enabled();
    journal->setEnabled(false);
    const auto space = drawing->ModelSpace();
    for (int i = 0; i < count; ++i) {
        std::shared_ptr<cadhost::Entity> line =
            space->AddLine(Variant::point(0, i, 1), Variant::point(1, i, 1));
        drawing->addToGroup(group, line);
    }
    journal->setEnabled(wasRecording);
}

void RotaryTest::makeEmptyGroup(const char* group) {
    addCube({group}, {0, 0, 0})->Delete();
    ASSERT_EQ(drawing->Groups()->Item(Variant::string(group))->Count(), 0);
}

std::array<double, 3> RotaryTest::centroidOf(const cadhost::Entity& solid) const {
    return cadhost::occt::measureSolid(solid).centroid;
}

cadhost::occt::BoundingBox RotaryTest::boxOf(const cadhost::Entity& entity) const {
    return cadhost::occt::boundingBox(entity);
}

void RotaryTest::join(GroupNames groups, const std::shared_ptr<cadhost::Entity>& entity) {
    for (const char* group : groups) drawing->addToGroup(group, entity);
}

void expectPoint(const std::array<double, 3>& actual, const std::array<double, 3>& expected,
                 double tolerance) {
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "coordinate " << i;
}

double rotationAngleOf(const std::string& journalLine) {
    const auto call = journalLine.find(".Rotate3D(");
    const auto lastComma = journalLine.rfind(", ");
    const auto close = journalLine.rfind(')');
    if (call == std::string::npos || lastComma == std::string::npos || close < lastComma) {
        ADD_FAILURE() << "not a Rotate3D line: " << journalLine;
        return 0;
    }
    return std::stod(journalLine.substr(lastComma + 2, close - lastComma - 2));
}

}  // namespace corvex::testing
