#include "cadhost/occt/geometry/cutter_sweep.hpp"

#include <BRepAlgoAPI_Splitter.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepGProp.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRepPrimAPI_MakeRevol.hxx>
#include <GC_MakeArcOfCircle.hxx>
#include <GProp_GProps.hxx>
#include <ShapeUpgrade_UnifySameDomain.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_ListOfShape.hxx>
#include <gp_Ax1.hxx>
#include <gp_Ax2.hxx>

#include <cmath>
#include <string>
#include <vector>

#include "automation/error.hpp"
#include "cadhost/occt/geometry/silhouette_sweep.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt {
namespace {

gp_Pnt operator+(const gp_Pnt& p, const gp_Vec& v) { return p.Translated(v); }

// Half a disc: the diameter across `across` through `centre`, the half on the side of `towards`.
TopoDS_Shape halfDisc(const gp_Pnt& centre, const gp_Vec& across, const gp_Vec& towards) {
    const gp_Pnt a = centre + across, b = centre + across.Reversed(), middle = centre + towards;
    BRepBuilderAPI_MakeWire wire(BRepBuilderAPI_MakeEdge(a, b).Edge(),
                                 BRepBuilderAPI_MakeEdge(GC_MakeArcOfCircle(b, middle, a).Value()).Edge());
    return BRepBuilderAPI_MakeFace(wire.Wire(), true).Face();
}

TopoDS_Shape rectangle(const gp_Pnt& corner, const gp_Vec& side, const gp_Vec& up) {
    BRepBuilderAPI_MakePolygon polygon(corner, corner + side, corner + side + up, corner + up, true);
    return BRepBuilderAPI_MakeFace(polygon.Wire(), true).Face();
}

TopoDS_Shape prism(const TopoDS_Shape& face, const gp_Vec& move) { return BRepPrimAPI_MakePrism(face, move).Shape(); }

TopoDS_Shape fused(const std::vector<TopoDS_Shape>& pieces) {
    for (const bool glued : {true, false}) {
        const TopoDS_Shape joined = fusedSolids(pieces, glued, /*keepSolids=*/false);
        if (joined.IsNull()) continue;
        ShapeUpgrade_UnifySameDomain unify(joined, true, true, false);
        unify.Build();
        return unify.Shape();
    }
    throw automation::failure("the kernel could not join the parts of a cutter's sweep");
}

// The body divided by `faces` into the part behind them and the part ahead of them (along
// `forward`, from `tip`).
std::pair<TopoDS_Shape, TopoDS_Shape> dividedBody(const TopoDS_Shape& body, const std::vector<TopoDS_Shape>& faces,
                                                  const gp_Pnt& tip, const gp_Vec& forward) {
    BRepAlgoAPI_Splitter splitter;
    TopTools_ListOfShape arguments, tools;
    arguments.Append(body);
    for (const auto& face : faces) tools.Append(face);
    splitter.SetArguments(arguments);
    splitter.SetTools(tools);
    splitter.SetToFillHistory(false);
    splitter.Build();
    if (!splitter.IsDone() || splitter.HasErrors()) throw automation::failure("the kernel could not divide a cutter's body");
    std::vector<TopoDS_Shape> parts[2];  // behind, ahead
    for (TopExp_Explorer solid(splitter.Shape(), TopAbs_SOLID); solid.More(); solid.Next()) {
        GProp_GProps properties;
        BRepGProp::VolumeProperties(solid.Current(), properties);
        parts[gp_Vec(tip, properties.CentreOfMass()).Dot(forward) > 0].push_back(solid.Current());
    }
    if (parts[0].size() != 1 || parts[1].size() != 1) throw automation::failure("a cutter's body did not divide into two parts");
    return {parts[0].front(), parts[1].front()};
}

// The cutter's section by the upright plane through its axis across `across` (a unit level
// vector), from its tip at `tip` up to `height`: the profile on both sides of the axis.
TopoDS_Shape axialSection(const CutterProfile& cutter, const gp_Pnt& tip, double height, const gp_Vec& across) {
    const double r = cutter.radius, c = cutter.corner;
    auto at = [&](double a, double u) { return tip.Translated(a * across + gp_Vec(0, 0, u)); };
    BRepBuilderAPI_MakeWire wire;
    auto line = [&](double a0, double u0, double a1, double u1) {
        if (std::hypot(a1 - a0, u1 - u0) > kSweepFlatness) wire.Add(BRepBuilderAPI_MakeEdge(at(a0, u0), at(a1, u1)).Edge());
    };
    // A quarter circle of the corner about (side * (r - c), c), from below it to beside it or back.
    auto corner = [&](double side, bool down) {
        const double ca = side * (r - c), h = c / std::sqrt(2.0);
        const gp_Pnt low = at(ca, 0), middle = at(ca + side * h, c - h), beside = at(side * r, c);
        wire.Add(BRepBuilderAPI_MakeEdge(down ? GC_MakeArcOfCircle(beside, middle, low).Value()
                                              : GC_MakeArcOfCircle(low, middle, beside).Value())
                     .Edge());
    };
    if (cutter.angle > 0) {
        const double half = cutter.tip / 2, flank = (r - half) / std::tan(cutter.angle / 2 * M_PI / 180);
        const double top = std::min(flank, height), reach = half + (r - half) * top / flank;
        line(-half, 0, half, 0);
        line(half, 0, reach, top);
        line(reach, top, reach, height);
        line(reach, height, -reach, height);
        line(-reach, height, -reach, top);
        line(-reach, top, -half, 0);
    } else {
        line(-(r - c), 0, r - c, 0);
        if (c > 0) corner(1, false);
        line(r, c, r, height);
        line(r, height, -r, height);
        line(-r, height, -r, c);
        if (c > 0) corner(-1, true);
    }
    if (!wire.IsDone()) throw automation::failure("a cutter's section is not one closed wire");
    return BRepBuilderAPI_MakeFace(wire.Wire(), true).Face();
}

// Along a level move every cutter's silhouette is its section across the move: the body's
// part behind that section at the start, its part ahead at the end, and the section's prism.
TopoDS_Shape levelSweep(const CutterProfile& cutter, double length, const gp_Pnt& from, const gp_Pnt& to) {
    const gp_Vec move(from, gp_Pnt(to.X(), to.Y(), from.Z()));
    const gp_Dir forward(move);
    const gp_Vec left = gp_Vec(gp::DZ()).Crossed(gp_Vec(forward));
    const TopoDS_Shape section = axialSection(cutter, from, length, left);
    const auto [behind, ahead] = dividedBody(cutterBody(cutter, from, length), {section}, from, gp_Vec(forward));
    gp_Trsf shift;
    shift.SetTranslation(move);
    return fused({behind, prism(section, move), BRepBuilderAPI_Transform(ahead, shift, true).Shape()});
}

}  // namespace

TopoDS_Shape arcSweep(const CutterProfile& cutter, double length, const gp_Pnt& from, const gp_Pnt& centre, double turn) {
    const gp_Vec outward(centre, gp_Pnt(from.X(), from.Y(), centre.Z()));
    const double radius = outward.Magnitude();
    if (std::fabs(from.Z() - centre.Z()) > kSweepFlatness)
        throw automation::invalidArgument("an arc's centre must lie at its start's height");
    if (!(radius > cutter.radius + kSweepFlatness))
        throw automation::invalidArgument("an arc's radius must exceed the cutter's");
    if (!(std::fabs(turn) >= kSweepFlatness / radius) || !std::isfinite(turn))
        throw automation::invalidArgument("an arc must turn");
    const gp_Ax1 axis(centre, gp::DZ());
    const bool full = std::fabs(turn) >= 2 * M_PI - 1e-12;
    // Counter-clockwise from the start, or clockwise from it as counter-clockwise from the end.
    gp_Pnt first = from;
    if (turn < 0 && !full) first.Rotate(axis, turn);
    const double angle = full ? 2 * M_PI : std::fabs(turn);
    gp_Pnt last = first;
    last.Rotate(axis, angle);
    try {
        auto across = [&](const gp_Pnt& tip) { return gp_Vec(centre, gp_Pnt(tip.X(), tip.Y(), centre.Z())).Normalized(); };
        const TopoDS_Shape section = axialSection(cutter, first, length, across(first));
        const TopoDS_Shape ring = BRepPrimAPI_MakeRevol(section, axis, angle).Shape();
        if (full) return ring;
        // Each end's half from the body made where it stands, so that where the arc meets a
        // plunge or a move there, their faces lie on the very same surfaces.
        auto half = [&](const gp_Pnt& tip, bool ahead) {
            const gp_Vec forward = gp_Vec(gp::DZ()).Crossed(across(tip));
            const auto parts = dividedBody(cutterBody(cutter, tip, length),
                                           {axialSection(cutter, tip, length, across(tip))}, tip, forward);
            return ahead ? parts.second : parts.first;
        };
        return fused({half(first, false), ring, half(last, true)});
    } catch (const Standard_Failure& failure) {
        throw automation::failure(std::string("making a cutter's arc failed in OpenCASCADE: ") + failure.GetMessageString());
    }
}

TopoDS_Shape straightSweep(const CutterProfile& cutter, double length, const gp_Pnt& from, const gp_Pnt& to) {
    const double across = std::hypot(to.X() - from.X(), to.Y() - from.Y());
    double rise = to.Z() - from.Z();
    if (across < kSweepFlatness) {
        const gp_Pnt low = rise < 0 ? gp_Pnt(from.X(), from.Y(), to.Z()) : from;
        return cutterBody(cutter, low, length + std::fabs(rise));
    }
    const bool flatOrBall = cutter.angle == 0 && (cutter.corner == 0 || cutter.corner == cutter.radius);
    const bool ball = flatOrBall && cutter.corner > 0;
    // Sloping moves of every body but the ball's are made face by face: a flat end mill's ramp
    // so takes an eighth of the time its divided body's pieces took to unite.
    if (!ball && std::fabs(rise) >= kSweepFlatness) return silhouetteSweep(cutter, length, from, to);
    if (!flatOrBall) {
        try {
            return levelSweep(cutter, length, from, to);
        } catch (const Standard_Failure& failure) {
            throw automation::failure(std::string("making a cutter's sweep failed in OpenCASCADE: ") +
                                      failure.GetMessageString());
        }
    }
    const double r = cutter.radius;
    if (!(r > 0) || !(length > (ball ? r : 0)))
        throw automation::invalidArgument("a cutter needs a radius above 0 and a length above its corner");
    if (std::fabs(rise) < kSweepFlatness) rise = 0;
    try {
        // The move's frame: forward across, left, up.
        const gp_Dir forward(to.X() - from.X(), to.Y() - from.Y(), 0), up = gp::DZ(), left = up.Crossed(forward);
        const gp_Vec move(across * gp_Vec(forward) + rise * gp_Vec(up));
        const gp_Vec toLeft = r * gp_Vec(left), toFront = r * gp_Vec(forward);
        // Where the straight side starts: at the tip, or at the ball's equator.
        const double sideFrom = ball ? r : 0;
        const gp_Pnt sideBase = from + gp_Vec(0, 0, sideFrom);
        // The surface dividing the body into the part behind it and the part ahead: the axial
        // rectangle square to the move along the straight side, and on a ball the lower half of
        // its great disc square to the move.
        std::vector<TopoDS_Shape> divide{
            rectangle(sideBase + toLeft.Reversed(), 2 * toLeft, gp_Vec(0, 0, length - sideFrom))};
        if (ball) {
            const double norm = move.Magnitude();
            const gp_Vec down = r / norm * (rise * gp_Vec(forward) - across * gp_Vec(up));  // in the disc, downwards
            divide.push_back(halfDisc(sideBase, toLeft, down));
        }
        // The parts come from the body as the plunges make it, so that where sweeps and plunges
        // meet, their curved faces lie on the very same surfaces.
        const auto [behind, ahead] = dividedBody(cutterBody(cutter, from, length), divide, from, gp_Vec(forward));
        gp_Trsf shift;
        shift.SetTranslation(move);
        std::vector<TopoDS_Shape> pieces{behind, BRepBuilderAPI_Transform(ahead, shift, true).Shape()};
        for (const auto& face : divide) pieces.push_back(prism(face, move));
        // The flat disc a ball's sloping move sweeps: the half of the top that leads downhill
        // (the front going down, the back going up).
        if (rise != 0) {
            const gp_Vec downhill = rise < 0 ? toFront : toFront.Reversed();
            pieces.push_back(prism(halfDisc(from + gp_Vec(0, 0, length), toLeft, downhill), move));
        }
        return fused(pieces);
    } catch (const Standard_Failure& failure) {
        throw automation::failure(std::string("making a cutter's sweep failed in OpenCASCADE: ") +
                                  failure.GetMessageString());
    }
}

}  // namespace corvex::cadhost::occt
