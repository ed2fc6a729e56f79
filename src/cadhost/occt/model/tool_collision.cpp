#include "cadhost/occt/model/tool_collision.hpp"

#include <BRepBndLib.hxx>
#include <BRepClass3d_SolidClassifier.hxx>
#include <Bnd_Box.hxx>
#include <TopExp_Explorer.hxx>
#include <gp.hxx>
#include <gp_Trsf.hxx>

#include <algorithm>
#include <cmath>
#include <vector>

#include "cadhost/occt/model/entity_base.hpp"

namespace corvex::cadhost::occt {
namespace {

// How far above the tip the core's points lie, and how far inside material a point must be
// to count (the classifier's band): a tool standing on a floor it cut is not in the floor.
constexpr double kAboveTip = 1e-3;
constexpr double kBand = 1e-6;
constexpr int kRing = 8;

std::vector<TopoDS_Shape> solidsOf(Drawing& drawing, const std::string& group) {
    drawing.settle();
    std::vector<TopoDS_Shape> solids;
    for (const auto& member : drawing.groupMembers(group)) {
        if (member->kind() != "Solid3D") continue;
        const TopoDS_Shape shape = dynamic_cast<const EntityBase&>(*member).shape();
        for (TopExp_Explorer it(shape, TopAbs_SOLID); it.More(); it.Next()) solids.push_back(it.Current());
    }
    return solids;
}

// A tool's core: `axis`, and a ring of kRing points about `ringCentre` in its horizontal plane.
std::vector<gp_Pnt> core(const gp_Pnt& axis, const gp_Pnt& ringCentre, double ring) {
    std::vector<gp_Pnt> points{axis};
    for (int j = 0; j < kRing; ++j) {
        const double angle = 2 * M_PI * j / kRing;
        points.push_back(ringCentre.Translated(gp_Vec(ring * std::cos(angle), ring * std::sin(angle), 0)));
    }
    return points;
}

// The first point inside material of the core `coreAt` gives for the tool's reference point,
// every half radius from `from` to `to`.
template <class Core>
std::optional<Position> firstInMaterial(Drawing& drawing, const std::string& group, const Position& from,
                                        const Position& to, double radius, Core coreAt) {
    std::vector<std::unique_ptr<BRepClass3d_SolidClassifier>> classifiers;
    for (const auto& solid : solidsOf(drawing, group))
        classifiers.push_back(std::make_unique<BRepClass3d_SolidClassifier>(solid));
    if (classifiers.empty()) return std::nullopt;
    const double length = std::hypot(to[0] - from[0], to[1] - from[1], to[2] - from[2]);
    const int steps = std::max(1, static_cast<int>(std::ceil(length / (radius / 2))));
    for (int k = 0; k <= steps; ++k) {
        const double t = static_cast<double>(k) / steps;
        const gp_Pnt at(from[0] + t * (to[0] - from[0]), from[1] + t * (to[1] - from[1]), from[2] + t * (to[2] - from[2]));
        for (const gp_Pnt& point : coreAt(at))
            for (auto& classifier : classifiers) {
                classifier->Perform(point, kBand);
                if (classifier->State() == TopAbs_IN) return Position{point.X(), point.Y(), point.Z()};
            }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::array<double, 6>> groupBounds(Drawing& drawing, const std::string& group) {
    Bnd_Box box;
    for (const auto& solid : solidsOf(drawing, group)) BRepBndLib::Add(solid, box, false);
    if (box.IsVoid()) return std::nullopt;
    std::array<double, 6> bounds;
    box.Get(bounds[0], bounds[1], bounds[2], bounds[3], bounds[4], bounds[5]);
    return bounds;
}

std::optional<Position> materialOnTheWay(Drawing& drawing, const std::string& group, const Position& from,
                                         const Position& to, const MillShape& tool) {
    const double ring = 0.9 * tool.radius;
    // The ring lies where the tool is full width: above a ball's or bull-nose's corner.
    const double ringHeight = tool.corner + kAboveTip;
    return firstInMaterial(drawing, group, from, to, tool.radius, [&](const gp_Pnt& tip) {
        return core(tip.Translated(gp_Vec(0, 0, kAboveTip)), tip.Translated(gp_Vec(0, 0, ringHeight)), ring);
    });
}

std::optional<Position> materialOnTheTurnedWay(Drawing& drawing, const std::string& group, const Position& from,
                                               const Position& to, double radius) {
    const double ring = 0.9 * radius;
    return firstInMaterial(drawing, group, from, to, radius, [&](const gp_Pnt& centre) {
        const std::vector<gp_Pnt> points = core(centre, centre, ring);
        std::vector<gp_Pnt> turned;
        for (int quarter = 0; quarter < 4; ++quarter) {
            gp_Trsf turn;
            turn.SetRotation(gp::OX(), quarter * M_PI / 2);
            for (const gp_Pnt& point : points) turned.push_back(point.Transformed(turn));
        }
        return turned;
    });
}

}  // namespace corvex::cadhost::occt
