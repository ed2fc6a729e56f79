#include "probe/probe_helpers.hpp"

namespace corvex::testing {

namespace {
constexpr const char* kProbeGroup = "PROBESOLID";
}

std::shared_ptr<cadhost::Solid3D> ProbeTest::addProbeCube(const std::array<double, 3>& centre,
                                                          double size) {
    const double h = size / 2;
    auto cube = drawing->addBox({centre[0] - h, centre[1] - h, centre[2] - h},
                                {centre[0] + h, centre[1] + h, centre[2] + h});
    drawing->addToGroup(kProbeGroup, cube);
    return cube;
}

std::shared_ptr<cadhost::Entity> ProbeTest::addProbeLine(const std::array<double, 3>& start,
                                                         const std::array<double, 3>& end) {
    std::shared_ptr<cadhost::Entity> line = drawing->ModelSpace()->AddLine(
        Variant::point(start[0], start[1], start[2]), Variant::point(end[0], end[1], end[2]));
    drawing->addToGroup(kProbeGroup, line);
    return line;
}

void ProbeTest::addProbeLines(int count) {
    const bool wasRecording = journal->enabled();
    journal->setEnabled(false);
    const auto space = drawing->ModelSpace();
    for (int i = 0; i < count; ++i) {
        std::shared_ptr<cadhost::Entity> line =
            space->AddLine(Variant::point(0, i, 0), Variant::point(1, i, 0));
        drawing->addToGroup(kProbeGroup, line);
    }
    journal->setEnabled(wasRecording);
}

void ProbeTest::makeEmptyProbeGroup() {
    addProbeCube({0, 0, 0}, 1)->Delete();
    ASSERT_EQ(drawing->Groups()->Item(Variant::string(kProbeGroup))->Count(), 0);
}

std::array<double, 3> ProbeTest::centroidOf(const cadhost::Entity& solid) const {
    return cadhost::occt::measureSolid(solid).centroid;
}

std::array<double, 3> ProbeTest::lowCornerOf(const cadhost::Entity& entity) const {
    return cadhost::occt::boundingBox(entity).min;
}

void ProbeTest::setPosition(double x, double y, double z) {
    server.toolX = x;
    server.toolY = y;
    server.toolZ = z;
}

void expectShift(const std::array<double, 3>& before, const std::array<double, 3>& after,
                 const std::array<double, 3>& shift) {
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(after[i] - before[i], shift[i], 1e-9) << "coordinate " << i;
}

}  // namespace corvex::testing
