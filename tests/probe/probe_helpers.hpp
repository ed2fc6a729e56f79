#pragma once
// Set-up for the probe tests: a started server whose drawing holds a probe group
// "PROBESOLID" made of solids and curves, and the shorthands to measure where they went.
#include <array>
#include <memory>
#include <string>

#include "server/server_helpers.hpp"

namespace corvex::testing {

class ProbeTest : public ServerTest {
protected:
    // A cube of side `size` centred on `centre`, added to the drawing and to "PROBESOLID".
    std::shared_ptr<cadhost::Solid3D> addProbeCube(const std::array<double, 3>& centre,
                                                   double size);
    // A line from `start` to `end`, added to the drawing and to "PROBESOLID".
    std::shared_ptr<cadhost::Entity> addProbeLine(const std::array<double, 3>& start,
                                                  const std::array<double, 3>& end);
    // `count` short lines along X at y = 0, 1, 2, ..., added without a journal (a group of
    // tens of thousands must stay quick to build).
    void addProbeLines(int count);
    // "PROBESOLID" exists and has no member.
    void makeEmptyProbeGroup();

    std::array<double, 3> centroidOf(const cadhost::Entity& solid) const;
    std::array<double, 3> lowCornerOf(const cadhost::Entity& entity) const;
    void setPosition(double x, double y, double z);
};

// The displacement from `before` to `after`, coordinate by coordinate, within 1e-9.
void expectShift(const std::array<double, 3>& before, const std::array<double, 3>& after,
                 const std::array<double, 3>& shift);

}  // namespace corvex::testing
