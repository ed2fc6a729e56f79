#pragma once
// Shared set-up for the lathe tests: a started server with a bar of stock whose axis is the
// spindle axis (the drawing's X axis), inserts described as the client describes them, and a
// way to read the order of host calls from the journal without the entity numbers.
#include <array>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "server/server_helpers.hpp"

namespace corvex::testing {

// A closed rectangle between two corners, in the lathe plane (Z = 0), as a vertex list: five
// vertices, counter-clockwise, the last repeating the first.
Variant rectangleVertices(double x0, double y0, double x1, double y1);

// The solid of revolution of a region about the X axis (Pappus): 2π · ȳ · area.
inline double revolvedVolume(double area, double centroidY) {
    return 2 * std::numbers::pi * centroidY * area;
}

// "Receiver.Operation" of every line, entity numbers dropped: "Region.Boolean".
std::vector<std::string> callShapes(const std::vector<std::string>& lines);
// The lines that contain `text`.
std::vector<std::string> linesWith(const std::vector<std::string>& lines, const std::string& text);

class LatheTest : public ServerTest {
protected:
    // StartAcad, then a bar of `radius` from X = 0 to X = `length` about the X axis, the one
    // member of "PART".
    void startWithBar(double radius, double length);
    double barVolume() const;
    // The entities in the drawing now that were not in `before` (drawing->entities()).
    std::vector<std::shared_ptr<cadhost::Entity>> entitiesNotIn(
        const std::vector<std::shared_ptr<cadhost::Entity>>& before) const;

    std::shared_ptr<cadhost::Solid3D> bar;
};

}  // namespace corvex::testing
