#include "cadhost/occt/geometry/outline_geometry.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvex::cadhost::occt {
namespace {

double cross(const Point2& a, const Point2& b) { return a[0] * b[1] - a[1] * b[0]; }
double dot(const Point2& a, const Point2& b) { return a[0] * b[0] + a[1] * b[1]; }
Point2 minus(const Point2& a, const Point2& b) { return {a[0] - b[0], a[1] - b[1]}; }

// One piece of an outline: from `start` to `end`, straight or about an arc's centre, which it
// turns through `sweep` radians (negative clockwise; a whole turn for a full circle).
struct Piece {
    Point2 start, end;
    std::optional<OutlineArc> arc;
    double startAngle = 0, sweep = 0;

    Point2 at(double t) const {
        if (!arc) return {start[0] + t * (end[0] - start[0]), start[1] + t * (end[1] - start[1])};
        const double angle = startAngle + t * sweep;
        return {arc->cx + arc->radius * std::cos(angle), arc->cy + arc->radius * std::sin(angle)};
    }
    // The direction the piece runs in at its middle.
    Point2 tangentAtMiddle() const {
        if (!arc) return minus(end, start);
        const double angle = startAngle + sweep / 2, turn = sweep > 0 ? 1 : -1;
        return {-std::sin(angle) * turn, std::cos(angle) * turn};
    }
};

std::vector<Piece> piecesOf(const Outline& outline) {
    const std::size_t n = outline.corners.size();
    std::vector<Piece> pieces;
    for (std::size_t i = 0; i < n; ++i) {
        Piece piece{outline.corners[i], outline.corners[(i + 1) % n], i < outline.arcs.size() ? outline.arcs[i] : std::nullopt};
        if (piece.arc) {
            const OutlineArc& arc = *piece.arc;
            piece.startAngle = std::atan2(piece.start[1] - arc.cy, piece.start[0] - arc.cx);
            const double endAngle = std::atan2(piece.end[1] - arc.cy, piece.end[0] - arc.cx);
            double turn = arc.clockwise ? piece.startAngle - endAngle : endAngle - piece.startAngle;
            turn = std::fmod(turn + 4 * M_PI, 2 * M_PI);
            if (n == 1 || turn == 0) turn = 2 * M_PI;  // a full circle
            piece.sweep = arc.clockwise ? -turn : turn;
        }
        pieces.push_back(piece);
    }
    return pieces;
}

// Whether the angle lies on the arc's turn.
bool onTurn(const Piece& piece, double angle) {
    const double from = piece.sweep > 0 ? angle - piece.startAngle : piece.startAngle - angle;
    return std::fmod(from + 4 * M_PI, 2 * M_PI) <= std::fabs(piece.sweep);
}

double distanceToPiece(const Piece& piece, const Point2& p) {
    if (piece.arc) {
        const OutlineArc& arc = *piece.arc;
        const Point2 fromCentre{p[0] - arc.cx, p[1] - arc.cy};
        if (onTurn(piece, std::atan2(fromCentre[1], fromCentre[0])))
            return std::fabs(std::hypot(fromCentre[0], fromCentre[1]) - arc.radius);
        const Point2 a = minus(p, piece.start), b = minus(p, piece.end);
        return std::min(std::hypot(a[0], a[1]), std::hypot(b[0], b[1]));
    }
    const Point2 along = minus(piece.end, piece.start), from = minus(p, piece.start);
    const double length2 = dot(along, along);
    const double t = length2 > 0 ? std::clamp(dot(from, along) / length2, 0.0, 1.0) : 0;
    return std::hypot(from[0] - t * along[0], from[1] - t * along[1]);
}

// The angle the piece turns through, seen from `p`: its chord's, and for an arc a whole turn
// more when `p` lies between the arc and its chord (the loop of arc and chord winds about it).
double angleSeen(const Piece& piece, const Point2& p) {
    const Point2 a = minus(piece.start, p), b = minus(piece.end, p);
    double angle = std::atan2(cross(a, b), dot(a, b));
    if (piece.arc) {
        const OutlineArc& arc = *piece.arc;
        const bool inCircle = std::hypot(p[0] - arc.cx, p[1] - arc.cy) < arc.radius;
        const Point2 chord = minus(piece.end, piece.start);
        const bool arcSide = std::fabs(piece.sweep) >= 2 * M_PI ||
                             (cross(chord, minus(p, piece.start)) > 0) == (cross(chord, minus(piece.at(0.5), piece.start)) > 0);
        if (inCircle && arcSide) angle += piece.sweep > 0 ? 2 * M_PI : -2 * M_PI;
    }
    return angle;
}

}  // namespace

bool insideOutline(const Outline& outline, const Point2& point) {
    double turned = 0;
    for (const Piece& piece : piecesOf(outline)) turned += angleSeen(piece, point);
    return std::lround(turned / (2 * M_PI)) != 0;
}

double distanceToOutline(const Outline& outline, const Point2& point) {
    double nearest = std::numeric_limits<double>::infinity();
    for (const Piece& piece : piecesOf(outline)) nearest = std::min(nearest, distanceToPiece(piece, point));
    return nearest;
}

std::array<double, 4> outlineBox(const Outline& outline) {
    const double inf = std::numeric_limits<double>::infinity();
    std::array<double, 4> box{inf, inf, -inf, -inf};
    auto add = [&](double x0, double y0, double x1, double y1) {
        box = {std::min(box[0], x0), std::min(box[1], y0), std::max(box[2], x1), std::max(box[3], y1)};
    };
    for (std::size_t i = 0; i < outline.corners.size(); ++i) {
        const auto& c = outline.corners[i];
        add(c[0], c[1], c[0], c[1]);
        if (i < outline.arcs.size() && outline.arcs[i]) {
            const OutlineArc& arc = *outline.arcs[i];
            add(arc.cx - arc.radius, arc.cy - arc.radius, arc.cx + arc.radius, arc.cy + arc.radius);
        }
    }
    return box;
}

std::vector<Point2> besidePieces(const Outline& outline, double offset) {
    std::vector<Point2> points;
    for (const Piece& piece : piecesOf(outline)) {
        const Point2 middle = piece.at(0.5), tangent = piece.tangentAtMiddle();
        const double norm = std::hypot(tangent[0], tangent[1]);
        if (!(norm > 0)) continue;
        const Point2 left{-tangent[1] / norm * offset, tangent[0] / norm * offset};
        points.push_back({middle[0] + left[0], middle[1] + left[1]});
        points.push_back({middle[0] - left[0], middle[1] - left[1]});
    }
    return points;
}

}  // namespace corvex::cadhost::occt
