#include "mill_helpers.hpp"

#include <cmath>

namespace corvex::testing {
namespace {

using Vertex = std::array<double, 2>;

// The outline as a fine polygon: every bulged segment sampled along its arc, so that the
// polygon formulas give the area and moment to well within the tests' tolerances.
std::vector<Vertex> densified(const BulgedOutline& outline) {
    constexpr int kArcSamples = 4000;
    std::vector<Vertex> points;
    for (std::size_t i = 0; i + 1 < outline.vertices.size(); ++i) {
        const Vertex p0 = outline.vertices[i];
        const Vertex p1 = outline.vertices[i + 1];
        const double bulge = i < outline.bulges.size() ? outline.bulges[i] : 0.0;
        points.push_back(p0);
        if (bulge == 0) continue;
        // The arc's centre lies left of the chord for a counter-clockwise (positive) bulge,
        // at (chord / 2) * cot(theta / 2) from its middle, theta = 4 atan(bulge).
        const double du = p1[0] - p0[0], dv = p1[1] - p0[1];
        const double chord = std::hypot(du, dv);
        const double offset = (1 - bulge * bulge) / (2 * bulge) * chord / 2;
        const Vertex centre = {(p0[0] + p1[0]) / 2 - dv / chord * offset,
                               (p0[1] + p1[1]) / 2 + du / chord * offset};
        const double radius = std::hypot(p0[0] - centre[0], p0[1] - centre[1]);
        const double start = std::atan2(p0[1] - centre[1], p0[0] - centre[0]);
        const double sweep = 4 * std::atan(bulge);
        for (int k = 1; k < kArcSamples; ++k) {
            const double angle = start + sweep * k / kArcSamples;
            points.push_back({centre[0] + radius * std::cos(angle), centre[1] + radius * std::sin(angle)});
        }
    }
    return points;
}

}  // namespace

double outlineArea(const BulgedOutline& outline) {
    const auto p = densified(outline);
    double twice = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const auto& a = p[i];
        const auto& b = p[(i + 1) % p.size()];
        twice += a[0] * b[1] - b[0] * a[1];
    }
    return twice / 2;
}

double outlineMomentAboutU(const BulgedOutline& outline) {
    // The polygon's integral of v: sum over edges of (a x b) (va + vb) / 6.
    const auto p = densified(outline);
    double sum = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const auto& a = p[i];
        const auto& b = p[(i + 1) % p.size()];
        sum += (a[0] * b[1] - b[0] * a[1]) * (a[1] + b[1]);
    }
    return sum / 6;
}

BulgedOutline cutterHalfSection(double R, double c, double L) {
    return {{{0, 0.005}, {L, 0.005}, {L, R}, {c, R}, {0, R - c}, {0, 0.005}}, {0, 0, 0, 0.5, 0}};
}

BulgedOutline cutterSilhouette(double R, double C, double H) {
    return {{{C, -R}, {H, -R}, {H, R}, {C, R}, {0, R - C}, {0, -R + C}, {C, -R}}, {0, 0, 0, 0.5, 0, 0.5}};
}

BulgedOutline cutterHalfSilhouette(double R, double C, double H) {
    return {{{0, 0}, {H, 0}, {H, R}, {C, R}, {0, R - C}, {0, 0}}, {0, 0, 0, 0.5, 0}};
}

std::vector<std::string> modelSpaceCall(const std::string& call) {
    return {"Document.ModelSpace() -> <ModelSpace>", "ModelSpace." + call};
}

ExpectedJournal& ExpectedJournal::line(const std::string& text) {
    lines_.push_back(text);
    return *this;
}

ExpectedJournal& ExpectedJournal::add(const std::string& call) { return append(modelSpaceCall(call)); }

ExpectedJournal& ExpectedJournal::refresh() {
    return line("Document.Application() -> <Application>").line("Application.ActiveDocument() -> <Document>");
}

ExpectedJournal& ExpectedJournal::partGroup() {
    return line("Document.Groups() -> <Groups>").line("Groups.Item(\"PART\") -> <Group(\"PART\")>");
}

ExpectedJournal& ExpectedJournal::append(const std::vector<std::string>& lines) {
    lines_.insert(lines_.end(), lines.begin(), lines.end());
    return *this;
}

std::shared_ptr<cadhost::Solid3D> MillTest::startWithStock() {
    startServer();
    return addPartBox({0, 0, 0}, {100, 100, 20});
}

double MillTest::volumeOf(const std::shared_ptr<cadhost::Solid3D>& solid) const {
    return cadhost::occt::measureSolid(*solid).volume;
}

std::vector<std::shared_ptr<cadhost::Entity>> MillTest::entitiesOfKind(const std::string& kind) const {
    std::vector<std::shared_ptr<cadhost::Entity>> found;
    for (const auto& entity : drawing->entities())
        if (entity->kind() == kind && !cadhost::occt::entityDeleted(*entity)) found.push_back(entity);
    return found;
}

}  // namespace corvex::testing
