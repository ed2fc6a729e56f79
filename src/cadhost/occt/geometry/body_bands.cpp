#include "cadhost/occt/geometry/body_bands.hpp"

#include <BRepAlgoAPI_Splitter.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepGProp.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepBuilderAPI_Sewing.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepLib.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <Geom2d_Line.hxx>
#include <Geom_Circle.hxx>
#include <Geom_ConicalSurface.hxx>
#include <Geom_CylindricalSurface.hxx>
#include <Geom_SphericalSurface.hxx>
#include <GProp_GProps.hxx>
#include <Geom_ToroidalSurface.hxx>
#include <ShapeUpgrade_UnifySameDomain.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedDataMapOfShapeListOfShape.hxx>
#include <TopTools_ListOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Shell.hxx>
#include <TopoDS_Solid.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Pln.hxx>

#include <algorithm>
#include <cmath>
#include <utility>

#include "automation/error.hpp"
#include "cadhost/occt/geometry/torus_silhouette.hpp"

namespace corvex::cadhost::occt {
namespace {

// A radius or a height below this is none: the body's profile leaves such a piece out too.
constexpr double kPoint = 1e-7;
// Turns round the axis closer than this are one, so that no face is a sliver. A band taken as
// turning a little off its true turn puts the silhouette that far round, where the band lies
// square to the motion: the sweep's side moves in by radius x (this / 2)^2, 1e-10 of the radius.
constexpr double kSameTurn = 2e-5;

// A band of the body between its lower rim (r0 at height z0 above the tip) and its upper rim.
struct Band {
    enum class Kind { BottomDisc, Frustum, Torus, TopDisc } kind;
    double r0, z0, r1, z1;
};

std::vector<Band> bandsOf(const CutterProfile& cutter, double length) {
    using Kind = Band::Kind;
    const double r = cutter.radius, c = cutter.corner;
    std::vector<Band> bands;
    double top = r;  // the top disc's radius
    if (cutter.angle > 0) {
        const double t = cutter.tip / 2, flank = (r - t) / std::tan(cutter.angle / 2 * M_PI / 180);
        // A cone taller than the body ends at its top, with no shank.
        const double coneTop = flank < length - kPoint ? flank : length;
        if (t > kPoint) bands.push_back({Kind::BottomDisc, t, 0, t, 0});
        top = t + (r - t) * std::min(coneTop / flank, 1.0);
        bands.push_back({Kind::Frustum, t, 0, top, coneTop});
        if (coneTop < length) bands.push_back({Kind::Frustum, r, coneTop, r, length});
    } else {
        const double a = r - c;
        if (a > kPoint) bands.push_back({Kind::BottomDisc, a, 0, a, 0});
        if (c > kPoint) bands.push_back({Kind::Torus, a, 0, r, c});
        if (length - c > kPoint) bands.push_back({Kind::Frustum, r, c, r, length});
    }
    bands.push_back({Kind::TopDisc, top, length, top, length});
    return bands;
}

// Above 0 where the band's outward normal points along the motion (the band there leads),
// below 0 where it points back: on a frustum the same all along a line up it.
double frustumFacing(const Band& band, double theta, const MotionFrame& frame) {
    const double radial = band.z1 - band.z0, up = -(band.r1 - band.r0);  // the outward normal, unscaled
    return radial * frame.along * std::cos(theta) - up * frame.down;
}

// How the band faces at its lower or upper rim: a torus faces down at its lower rim and out at
// its upper one.
double rimFacing(const Band& band, bool upper, double theta, const MotionFrame& frame) {
    switch (band.kind) {
        case Band::Kind::BottomDisc: return frame.down;
        case Band::Kind::TopDisc: return -frame.down;
        case Band::Kind::Frustum: return frustumFacing(band, theta, frame);
        case Band::Kind::Torus: return upper ? std::cos(theta) : frame.down;
    }
    return 0;
}

// The angles round the axis where a band turns from facing back to facing forwards: square to
// the motion on a cylinder (and a torus's equator), and on a cone where its slope meets the
// motion's.
std::vector<double> turnsOf(const std::vector<Band>& bands, const MotionFrame& frame) {
    std::vector<double> turns{M_PI / 2, 3 * M_PI / 2};
    for (const Band& band : bands) {
        if (band.kind != Band::Kind::Frustum) continue;
        const double radial = band.z1 - band.z0, up = -(band.r1 - band.r0);
        const double cosine = up * frame.down / (radial * frame.along);
        if (std::fabs(cosine) >= 1) continue;
        turns.push_back(std::acos(cosine));
        turns.push_back(2 * M_PI - std::acos(cosine));
    }
    std::sort(turns.begin(), turns.end());
    std::vector<double> distinct;
    for (double turn : turns)
        if (distinct.empty() || turn - distinct.back() > kSameTurn) distinct.push_back(turn);
    if (distinct.size() > 1 && distinct.front() + 2 * M_PI - distinct.back() <= kSameTurn) distinct.pop_back();
    return distinct;
}

struct Piece {
    double from, span, middle;
};

TopoDS_Edge arc(const MotionFrame& frame, double from, double span, double radius, double height) {
    Handle(Geom_Curve) circle = new Geom_Circle(frame.axes(height).Ax2(), radius);
    return BRepBuilderAPI_MakeEdge(circle, frame.turn(from), frame.turn(from) + span).Edge();
}

// The piece of a frustum's or a torus's surface between `from` and `from + span`.
TopoDS_Face bandPiece(const Band& band, const MotionFrame& frame, const Piece& piece) {
    Handle(Geom_Surface) surface;
    double low = 0, high = 0;
    if (band.kind == Band::Kind::Torus && band.r0 < kPoint) {  // a ball's
        surface = new Geom_SphericalSurface(frame.axes(band.z1), band.z1 - band.z0);
        low = -M_PI / 2, high = 0;
    } else if (band.kind == Band::Kind::Torus) {
        surface = new Geom_ToroidalSurface(frame.axes(band.z1), band.r0, band.z1 - band.z0);
        low = 1.5 * M_PI, high = 2 * M_PI;
    } else if (std::fabs(band.r1 - band.r0) < kPoint) {
        surface = new Geom_CylindricalSurface(frame.axes(band.z0), band.r0);
        high = band.z1 - band.z0;
    } else {
        const double rise = band.z1 - band.z0, widening = band.r1 - band.r0;
        surface = new Geom_ConicalSurface(frame.axes(band.z0), std::atan2(widening, rise), band.r0);
        high = std::hypot(widening, rise);
    }
    const double first = frame.turn(piece.from);
    BRepBuilderAPI_MakeFace face(surface, first, first + piece.span, low, high, kPoint);
    if (!face.IsDone()) throw automation::failure("a band of a cutter's body could not be made");
    return face.Face();
}

TopoDS_Face disc(const Band& band, const MotionFrame& frame, const std::vector<Piece>& pieces) {
    BRepBuilderAPI_MakeWire wire;
    for (const Piece& piece : pieces) wire.Add(arc(frame, piece.from, piece.span, band.r0, band.z0));
    return BRepBuilderAPI_MakeFace(gp_Pln(frame.at(0, 0, band.z0), gp::DZ()), wire.Wire(), true).Face();
}

TopoDS_Vertex vertex(const gp_Pnt& at) {
    TopoDS_Vertex v;
    BRep_Builder().MakeVertex(v, at, kPoint);
    return v;
}

// An edge with its curve in space and on `surface`, from `a` to `b` over [first, last].
TopoDS_Edge edgeOn(const Handle(Geom_Curve) & curve, const Handle(Geom2d_Curve) & onSurface,
                   const Handle(Geom_Surface) & surface, double first, double last, const TopoDS_Vertex& a,
                   const TopoDS_Vertex& b, double tolerance) {
    BRep_Builder builder;
    TopoDS_Edge edge;
    builder.MakeEdge(edge, curve, tolerance);
    builder.UpdateEdge(edge, onSurface, surface, TopLoc_Location(), tolerance);
    builder.Add(edge, a.Oriented(TopAbs_FORWARD));
    builder.Add(edge, b.Oriented(TopAbs_REVERSED));
    builder.Range(edge, first, last);
    return edge;
}

TopoDS_Face faceOf(const Handle(Geom_Surface) & surface, const std::vector<std::pair<TopoDS_Edge, bool>>& edges) {
    BRep_Builder builder;
    TopoDS_Wire wire;
    builder.MakeWire(wire);
    for (const auto& [edge, forward] : edges) builder.Add(wire, edge.Oriented(forward ? TopAbs_FORWARD : TopAbs_REVERSED));
    wire.Closed(true);
    TopoDS_Face face;
    builder.MakeFace(face, surface, kPoint);
    builder.Add(face, wire);
    return face;
}

// The back half of the torus (the piece from theta = pi/2 to 3 pi/2) divided along its
// silhouette: the part above it faces back, the part below forwards.
struct TorusHalves {
    TopoDS_Face above, below;
    TopoDS_Edge silhouette;
    double tolerance;
};

TorusHalves dividedTorus(const Band& band, const MotionFrame& frame) {
    auto torusAt = [&] { return Handle(Geom_ToroidalSurface)(new Geom_ToroidalSurface(frame.axes(band.z1), band.r0, band.z1 - band.z0)); };
    const Handle(Geom_ToroidalSurface) upper = torusAt(), lower = torusAt();
    const double first = frame.turn(M_PI / 2), last = first + M_PI;
    const TorusSilhouette silhouette = torusSilhouette(upper, frame.along, frame.down, first);
    constexpr double kBottom = 1.5 * M_PI, kEquator = 2 * M_PI;
    const TopoDS_Vertex start = vertex(upper->Value(first, kEquator)), end = vertex(upper->Value(last, kEquator));
    const TopoDS_Vertex bottomStart = vertex(upper->Value(first, kBottom)), bottomEnd = vertex(upper->Value(last, kBottom));
    auto along = [](double v) { return Handle(Geom2d_Curve)(new Geom2d_Line(gp_Pnt2d(0, v), gp_Dir2d(1, 0))); };
    auto up = [](double u) { return Handle(Geom2d_Curve)(new Geom2d_Line(gp_Pnt2d(u, 0), gp_Dir2d(0, 1))); };
    TorusHalves halves;
    halves.tolerance = silhouette.tolerance;
    for (const bool isUpper : {true, false}) {
        const Handle(Geom_ToroidalSurface)& torus = isUpper ? upper : lower;
        const TopoDS_Edge curve = edgeOn(silhouette.curve, silhouette.onTorus, torus, 0, silhouette.last, start, end,
                                         silhouette.tolerance);
        if (isUpper) {
            const TopoDS_Edge equator = edgeOn(torus->VIso(kEquator), along(kEquator), torus, first, last, start, end, kPoint);
            halves.above = faceOf(torus, {{curve, true}, {equator, false}});
            halves.silhouette = curve;
            continue;
        }
        const TopoDS_Edge bottom = edgeOn(torus->VIso(kBottom), along(kBottom), torus, first, last, bottomStart, bottomEnd, kPoint);
        const TopoDS_Edge nearSide = edgeOn(torus->UIso(first), up(first), torus, kBottom, kEquator, bottomStart, start, kPoint);
        const TopoDS_Edge farSide = edgeOn(torus->UIso(last), up(last), torus, kBottom, kEquator, bottomEnd, end, kPoint);
        halves.below = faceOf(torus, {{bottom, true}, {farSide, true}, {curve, false}, {nearSide, false}});
    }
    return halves;
}

// A ball's back quarter (from theta = pi/2 to 3 pi/2, below the equator) divided along its
// silhouette, the great circle square to the motion: cut by that circle's plane, which the
// kernel meets exactly (a sphere's piece bounded through its pole by a wire of our own came
// out as the rest of the sphere).
TorusHalves dividedSphere(const Band& band, const MotionFrame& frame) {
    const Handle(Geom_SphericalSurface) sphere = new Geom_SphericalSurface(frame.axes(band.z1), band.z1 - band.z0);
    const double first = frame.turn(M_PI / 2);
    const TopoDS_Face quarter = BRepBuilderAPI_MakeFace(sphere, first, first + M_PI, -M_PI / 2, 0, kPoint).Face();
    const gp_Pnt centre = frame.at(0, 0, band.z1);
    const gp_Vec motion = frame.along * frame.forward - frame.down * gp_Vec(0, 0, 1);
    const double reach = 4 * (band.z1 - band.z0);
    const TopoDS_Face plane = BRepBuilderAPI_MakeFace(gp_Pln(centre, gp_Dir(motion)), -reach, reach, -reach, reach).Face();
    BRepAlgoAPI_Splitter splitter;
    TopTools_ListOfShape arguments, tools;
    arguments.Append(quarter);
    tools.Append(plane);
    splitter.SetArguments(arguments);
    splitter.SetTools(tools);
    splitter.SetToFillHistory(false);
    splitter.Build();
    if (!splitter.IsDone() || splitter.HasErrors()) throw automation::failure("a ball's body could not be divided");
    TorusHalves halves{};
    int faces = 0;
    for (TopExp_Explorer it(splitter.Shape(), TopAbs_FACE); it.More(); it.Next(), ++faces) {
        const TopoDS_Face& face = TopoDS::Face(it.Current());
        GProp_GProps area;
        BRepGProp::SurfaceProperties(face, area);
        (gp_Vec(centre, area.CentreOfMass()).Dot(motion) < 0 ? halves.above : halves.below) = face;
    }
    if (faces != 2 || halves.above.IsNull() || halves.below.IsNull())
        throw automation::failure("a ball's body did not divide along its silhouette");
    // The silhouette: the edge the two pieces share.
    TopTools_IndexedDataMapOfShapeListOfShape edgeFaces;
    TopExp::MapShapesAndAncestors(splitter.Shape(), TopAbs_EDGE, TopAbs_FACE, edgeFaces);
    for (int i = 1; i <= edgeFaces.Extent(); ++i)
        if (edgeFaces(i).Extent() == 2 && !BRep_Tool::Degenerated(TopoDS::Edge(edgeFaces.FindKey(i))))
            halves.silhouette = TopoDS::Edge(edgeFaces.FindKey(i));
    if (halves.silhouette.IsNull()) throw automation::failure("a ball's silhouette was not found");
    halves.tolerance = BRep_Tool::Tolerance(halves.silhouette);
    return halves;
}

}  // namespace

MotionFrame::MotionFrame(const gp_Pnt& tip, const gp_Vec& forward, double along, double down)
    : tip(tip), forward(forward), left(gp_Vec(0, 0, 1).Crossed(forward)), along(along), down(down) {}

double MotionFrame::turn(double theta) const {
    const double u = std::fmod(theta + std::atan2(forward.Y(), forward.X()), 2 * M_PI);
    return u < 0 ? u + 2 * M_PI : u;
}

gp_Pnt MotionFrame::at(double theta, double radius, double height) const {
    return tip.Translated(radius * (std::cos(theta) * forward + std::sin(theta) * left) + gp_Vec(0, 0, height));
}

gp_Ax3 MotionFrame::axes(double height) const { return gp_Ax3(tip.Translated(gp_Vec(0, 0, height)), gp::DZ(), gp::DX()); }

DividedBody bodyFacing(const CutterProfile& cutter, double length, const MotionFrame& frame) {
    const std::vector<Band> bands = bandsOf(cutter, length);
    const std::vector<double> turns = turnsOf(bands, frame);
    std::vector<Piece> pieces;
    for (std::size_t i = 0; i < turns.size(); ++i) {
        const double next = i + 1 < turns.size() ? turns[i + 1] : turns.front() + 2 * M_PI;
        pieces.push_back({turns[i], next - turns[i], (turns[i] + next) / 2});
    }
    DividedBody body;
    body.tolerance = kPoint * 10;
    auto place = [&](const TopoDS_Face& face, double facing) { (facing < 0 ? body.behind : body.ahead).push_back(face); };
    for (std::size_t b = 0; b < bands.size(); ++b) {
        const Band& band = bands[b];
        if (band.kind == Band::Kind::BottomDisc || band.kind == Band::Kind::TopDisc) {
            place(disc(band, frame, pieces), rimFacing(band, false, 0, frame));
        } else {
            for (std::size_t i = 0; i < pieces.size(); ++i) {
                const Piece& piece = pieces[i];
                if (band.kind == Band::Kind::Torus && std::cos(piece.middle) < 0) {
                    if (std::fabs(piece.from - M_PI / 2) > kSameTurn || std::fabs(piece.span - M_PI) > kSameTurn)
                        throw automation::failure("a cutter's corner turns where no silhouette was planned");
                    const TorusHalves halves = band.r0 < kPoint ? dividedSphere(band, frame) : dividedTorus(band, frame);
                    body.behind.push_back(halves.above);
                    body.ahead.push_back(halves.below);
                    body.silhouette.push_back(halves.silhouette);
                    body.tolerance = std::max(body.tolerance, 10 * halves.tolerance);
                    continue;
                }
                place(bandPiece(band, frame, piece), band.kind == Band::Kind::Torus ? 1 : frustumFacing(band, piece.middle, frame));
                // Up the band where it turns from facing back to forwards: a line of the silhouette.
                const Piece& before = pieces[(i + pieces.size() - 1) % pieces.size()];
                if (band.kind == Band::Kind::Frustum &&
                    (frustumFacing(band, before.middle, frame) < 0) != (frustumFacing(band, piece.middle, frame) < 0))
                    body.silhouette.push_back(BRepBuilderAPI_MakeEdge(frame.at(piece.from, band.r0, band.z0),
                                                                      frame.at(piece.from, band.r1, band.z1))
                                                  .Edge());
            }
        }
        // Where this band meets the next facing the other way: an arc of the silhouette.
        if (b + 1 == bands.size() || band.r1 < kPoint) continue;
        for (const Piece& piece : pieces)
            if ((rimFacing(band, true, piece.middle, frame) < 0) != (rimFacing(bands[b + 1], false, piece.middle, frame) < 0))
                body.silhouette.push_back(arc(frame, piece.from, piece.span, band.r1, band.z1));
    }
    return body;
}

TopoDS_Shape sweepSolid(const std::vector<TopoDS_Face>& faces, double tolerance) {
    BRepBuilderAPI_Sewing sewing(tolerance);
    for (const auto& face : faces) sewing.Add(face);
    sewing.Perform();
    if (sewing.NbFreeEdges() != 0 || sewing.NbMultipleEdges() != 0)
        throw automation::failure("the faces of a cutter's sweep do not close");
    TopExp_Explorer shells(sewing.SewedShape(), TopAbs_SHELL);
    if (!shells.More()) throw automation::failure("the faces of a cutter's sweep make no shell");
    BRep_Builder builder;
    TopoDS_Solid solid;
    builder.MakeSolid(solid);
    builder.Add(solid, TopoDS::Shell(shells.Current()));
    BRepLib::OrientClosedSolid(solid);
    // The pieces of one surface made one face again; a cone's pieces meeting at its point are
    // beyond the kernel's unifier, and stay pieces.
    TopoDS_Shape result = solid;
    try {
        ShapeUpgrade_UnifySameDomain unify(solid, true, true, false);
        unify.Build();
        result = unify.Shape();
    } catch (const Standard_Failure&) {
    }
    if (!BRepCheck_Analyzer(result).IsValid()) throw automation::failure("a cutter's sweep came out invalid");
    return result;
}

}  // namespace corvex::cadhost::occt
