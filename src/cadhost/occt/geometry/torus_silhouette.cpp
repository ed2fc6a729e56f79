#include "cadhost/occt/geometry/torus_silhouette.hpp"

#include <Geom2dAPI_Interpolate.hxx>
#include <GeomAPI_Interpolate.hxx>
#include <TColStd_HArray1OfReal.hxx>
#include <TColgp_HArray1OfPnt.hxx>
#include <TColgp_HArray1OfPnt2d.hxx>
#include <gp_Pnt2d.hxx>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "automation/error.hpp"

namespace corvex::cadhost::occt {
namespace {

// Points closer than this are one.
constexpr double kPoint = 1e-7;
// The silhouette of a torus is sampled until neighbouring chords turn by no more than this
// (eight degrees), then refined where the spline through the points strays. Each point is a
// knot, and the kernel's Booleans sample a surface by its knots: at two degrees a later cut
// into the sweep's faces took six times as long.
constexpr double kMostTurn = 8 * M_PI / 180;

}  // namespace

TorusSilhouette torusSilhouette(const Handle(Geom_ToroidalSurface) & torus, double along, double down, double first) {
    const double h = along, w = down, tube = torus->MinorRadius();
    // There tan(v) = h cos(theta) / w, theta = u - first + pi/2: from the equator at either end down
    // towards the bottom at the back, the lower the flatter the move.
    auto v = [&](double u) { return 2 * M_PI - std::atan(h * std::sin(u - first) / w); };
    std::vector<double> us{first};
    std::vector<gp_Pnt> points{torus->Value(first, v(first))};
    // Halves an interval until its chords turn by no more than kMostTurn; a nearly level move
    // turns the curve sharply near the ends, where only halving finds the turn.
    auto refine = [&](auto&& self, double ua, const gp_Pnt& pa, double ub, const gp_Pnt& pb, int depth) -> void {
        const double um = (ua + ub) / 2;
        const gp_Pnt pm = torus->Value(um, v(um));
        const gp_Vec before(pa, pm), after(pm, pb);
        const bool bent = before.Magnitude() > kPoint && after.Magnitude() > kPoint && before.Angle(after) > kMostTurn;
        if (depth < 64 && bent) {
            self(self, ua, pa, um, pm, depth + 1);
            self(self, um, pm, ub, pb, depth + 1);
        } else if (pb.Distance(points.back()) > kPoint) {
            us.push_back(ub);
            points.push_back(pb);
        } else {  // the end of the curve replaces a point too close to it
            us.back() = ub;
            points.back() = pb;
        }
    };
    constexpr int kFirstIntervals = 32;
    for (int i = 0; i < kFirstIntervals; ++i) {
        const double ua = first + M_PI * i / kFirstIntervals, ub = first + M_PI * (i + 1) / kFirstIntervals;
        refine(refine, ua, torus->Value(ua, v(ua)), ub, torus->Value(ub, v(ub)), 0);
    }
    // Interpolated through the points, by their distance along the curve; where the curves
    // stray too far between two points, the true point halfway joins them, and again.
    TorusSilhouette silhouette;
    for (int round = 0;; ++round) {
        const int n = static_cast<int>(points.size());
        Handle(TColgp_HArray1OfPnt) inSpace = new TColgp_HArray1OfPnt(1, n);
        Handle(TColgp_HArray1OfPnt2d) onSurface = new TColgp_HArray1OfPnt2d(1, n);
        Handle(TColStd_HArray1OfReal) lengths = new TColStd_HArray1OfReal(1, n);
        double length = 0;
        for (int i = 0; i < n; ++i) {
            if (i > 0) length += points[i].Distance(points[i - 1]);
            inSpace->SetValue(i + 1, points[i]);
            onSurface->SetValue(i + 1, gp_Pnt2d(us[i], v(us[i])));
            lengths->SetValue(i + 1, length);
        }
        GeomAPI_Interpolate spatial(inSpace, lengths, false, kPoint / 10);
        spatial.Perform();
        Geom2dAPI_Interpolate planar(onSurface, lengths, false, kPoint / 10);
        planar.Perform();
        if (!spatial.IsDone() || !planar.IsDone())
            throw automation::failure("a bull-nose's silhouette could not be interpolated");
        silhouette = {spatial.Curve(), planar.Curve(), length, 0};
        // How far the curves stray between the points: from each other, and from the true curve
        // (by the angle at which the normal misses being square to the move, along the tube).
        std::vector<double> refinedUs{us.front()};
        std::vector<gp_Pnt> refinedPoints{points.front()};
        for (int i = 1; i < n; ++i) {
            double stray = 0;
            for (const double share : {0.25, 0.5, 0.75}) {
                const double s = lengths->Value(i) + share * (lengths->Value(i + 1) - lengths->Value(i));
                const gp_Pnt2d uv = silhouette.onTorus->Value(s);
                const double across = h * std::cos(uv.X() - first + M_PI / 2);
                const double miss = std::fabs(std::cos(uv.Y()) * across - std::sin(uv.Y()) * w) / std::hypot(across, w);
                stray = std::max({stray, silhouette.curve->Value(s).Distance(torus->Value(uv.X(), uv.Y())),
                                  tube * std::asin(std::min(miss, 1.0))});
            }
            silhouette.tolerance = std::max(silhouette.tolerance, stray);
            if (stray > kSilhouetteTolerance / 4 && round < 8) {
                const double um = (us[i - 1] + us[i]) / 2;
                refinedUs.push_back(um);
                refinedPoints.push_back(torus->Value(um, v(um)));
            }
            refinedUs.push_back(us[i]);
            refinedPoints.push_back(points[i]);
        }
        if (refinedUs.size() == us.size()) break;
        us = std::move(refinedUs);
        points = std::move(refinedPoints);
    }
    if (silhouette.tolerance > kSilhouetteTolerance)
        throw automation::failure("a bull-nose's silhouette strays " + std::to_string(silhouette.tolerance) +
                                  " mm from the true one");
    silhouette.tolerance = std::max(2 * silhouette.tolerance, kPoint);
    return silhouette;
}

}  // namespace corvex::cadhost::occt
