#include "cadhost/occt/model/entity_definitions.hpp"

#include <Standard_Failure.hxx>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

#include "automation/error.hpp"
#include "cadhost/occt/geometry/curves.hpp"
#include "cadhost/occt/model/entities.hpp"

namespace corvex::cadhost::occt {
namespace {

// Numbers in the shortest text that reads back as the same double.
std::string exact(double value) {
    char text[32];
    for (int digits = 15; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}

void append(std::string& text, double value) { text += (text.empty() ? "" : " ") + exact(value); }

void appendPlacement(std::string& text, const gp_Trsf& placement) {
    for (int row = 1; row <= 3; ++row)
        for (int column = 1; column <= 4; ++column) append(text, placement.Value(row, column));
}

bool hasZeroLengthSegment(const PolylineGeometry& geometry) {
    for (std::size_t i = 0; i + 1 < geometry.vertices.size(); ++i)
        if (geometry.vertices[i].IsEqual(geometry.vertices[i + 1], kPointTolerance)) return true;
    return false;
}

[[noreturn]] void unreadable(const std::string& kind) {
    throw automation::failure("the name of a " + kind + " states a definition that cannot be read");
}

std::vector<double> numbersOf(const std::string& text, const std::string& kind) {
    std::istringstream in(text);
    std::vector<double> numbers;
    for (std::string word; in >> word;) {
        char* end = nullptr;
        const double value = std::strtod(word.c_str(), &end);
        if (end != word.c_str() + word.size() || !std::isfinite(value)) unreadable(kind);
        numbers.push_back(value);
    }
    return numbers;
}

gp_Trsf placementOf(const double* values, const std::string& kind) {
    gp_Trsf placement;
    try {
        placement.SetValues(values[0], values[1], values[2], values[3], values[4], values[5], values[6], values[7],
                            values[8], values[9], values[10], values[11]);
    } catch (const Standard_Failure&) {
        unreadable(kind);
    }
    return placement;
}

}  // namespace

std::optional<std::string> definitionForFile(const EntityBase& entity) {
    std::string text;
    if (const auto* polyline = dynamic_cast<const PolylineEntity*>(&entity)) {
        const PolylineGeometry& geometry = polyline->geometry();
        if (!hasZeroLengthSegment(geometry)) return std::nullopt;
        // vertices (x y bulge each), the elevation, the placement's twelve numbers.
        for (std::size_t i = 0; i < geometry.vertices.size(); ++i) {
            append(text, geometry.vertices[i].X());
            append(text, geometry.vertices[i].Y());
            append(text, i < geometry.bulges.size() ? geometry.bulges[i] : 0.0);
        }
        append(text, geometry.elevation);
        appendPlacement(text, geometry.placement);
        return text;
    }
    if (const auto* line = dynamic_cast<const LineEntity*>(&entity)) {
        if (line->start().Distance(line->end()) > kPointTolerance) return std::nullopt;
        for (const gp_Pnt& p : {line->start(), line->end()})
            for (double value : {p.X(), p.Y(), p.Z()}) append(text, value);
        return text;
    }
    return std::nullopt;
}

std::shared_ptr<EntityBase> entityFromDefinition(const std::string& kind, const std::string& definition) {
    const std::vector<double> n = numbersOf(definition, kind);
    if (kind == "Polyline") {
        // At least two vertices of three numbers, then thirteen.
        if (n.size() < 19 || (n.size() - 13) % 3 != 0) unreadable(kind);
        PolylineGeometry geometry;
        const std::size_t vertices = (n.size() - 13) / 3;
        for (std::size_t i = 0; i < vertices; ++i) {
            geometry.vertices.emplace_back(n[3 * i], n[3 * i + 1]);
            geometry.bulges.push_back(n[3 * i + 2]);
        }
        geometry.elevation = n[3 * vertices];
        geometry.placement = placementOf(&n[3 * vertices + 1], kind);
        return std::make_shared<PolylineEntity>(std::move(geometry));
    }
    if (kind == "Line" && n.size() == 6) return std::make_shared<LineEntity>(gp_Pnt(n[0], n[1], n[2]), gp_Pnt(n[3], n[4], n[5]));
    unreadable(kind);
}

}  // namespace corvex::cadhost::occt
