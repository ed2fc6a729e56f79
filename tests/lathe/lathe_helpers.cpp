#include "lathe_helpers.hpp"

#include <algorithm>
#include <regex>

namespace corvex::testing {

using cadhost::occt::measureSolid;

Variant rectangleVertices(double x0, double y0, double x1, double y1) {
    return Variant::doubles({x0, y0, 0, x1, y0, 0, x1, y1, 0, x0, y1, 0, x0, y0, 0});
}

std::vector<std::string> callShapes(const std::vector<std::string>& lines) {
    static const std::regex number("#[0-9]+");
    static const std::regex groupName("^Group\\(\"[^\"]*\"\\)");
    std::vector<std::string> shapes;
    for (const auto& line : lines) {
        const std::string plain = std::regex_replace(line, groupName, "Group");
        shapes.push_back(std::regex_replace(plain.substr(0, plain.find('(')), number, ""));
    }
    return shapes;
}

std::vector<std::string> linesWith(const std::vector<std::string>& lines, const std::string& text) {
    std::vector<std::string> found;
    for (const auto& line : lines)
        if (line.find(text) != std::string::npos) found.push_back(line);
    return found;
}

void LatheTest::startWithBar(double radius, double length) {
    startServer();
    bar = drawing->addAxisCylinder({0, 0, 0}, radius, length, 0);
    drawing->addToGroup("PART", bar);
    journal->clear();
}

double LatheTest::barVolume() const { return measureSolid(*bar).volume; }

std::vector<std::shared_ptr<cadhost::Entity>> LatheTest::entitiesNotIn(
    const std::vector<std::shared_ptr<cadhost::Entity>>& before) const {
    std::vector<std::shared_ptr<cadhost::Entity>> added;
    for (const auto& entity : drawing->entities())
        if (std::find(before.begin(), before.end(), entity) == before.end()) added.push_back(entity);
    return added;
}

}  // namespace corvex::testing
