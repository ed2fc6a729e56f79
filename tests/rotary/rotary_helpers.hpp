#pragma once
// Set-up for the rotary axis tests: a started server whose drawing holds the axis groups
// ("ROTARYA", "ROTARYB", "ROTARYC") and the C axis marker ("CAXIS"), each entity in as many
// groups as a test asks for, and the shorthands to measure where things turned to.
#include <array>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "server/server_helpers.hpp"

namespace corvex::testing {

using GroupNames = std::initializer_list<const char*>;

class RotaryTest : public ServerTest {
protected:
    // A cube of side `size` centred on `centre`, added to the drawing and to every group named.
    std::shared_ptr<cadhost::Solid3D> addCube(GroupNames groups, const std::array<double, 3>& centre,
                                              double size = 2);
    std::shared_ptr<cadhost::Entity> addLine(GroupNames groups, const std::array<double, 3>& start,
                                             const std::array<double, 3>& end);
    // A circle in the XY plane.
    std::shared_ptr<cadhost::Entity> addCircle(GroupNames groups, const std::array<double, 3>& centre,
                                               double radius);
    // `count` short lines added to `group` without a journal, so that a group of tens of
    // thousands stays quick to build.
    void addLines(const char* group, int count);
    // `group` exists and has no member.
    void makeEmptyGroup(const char* group);

    std::array<double, 3> centroidOf(const cadhost::Entity& solid) const;
    cadhost::occt::BoundingBox boxOf(const cadhost::Entity& entity) const;

private:
    void join(GroupNames groups, const std::shared_ptr<cadhost::Entity>& entity);
};

// Each coordinate within `tolerance`: the turns go through a degree factor that is not
// exactly pi/180, so a quarter turn misses by a few parts in 1e8.
void expectPoint(const std::array<double, 3>& actual, const std::array<double, 3>& expected,
                 double tolerance = 1e-6);

// The angle argument of a journal line "Entity#n.Rotate3D(point1, point2, angle)".
double rotationAngleOf(const std::string& journalLine);

}  // namespace corvex::testing
