// A 3-D finishing job over a terrain: the 100 x 100 x 20 block (top at Z 0) and the 6 mm flat
// end mill, 95 zig-zag rows 1 apart, each of 20 segments 4.7 long along X, and every segment cut
// at its own depth z = -2 - 3 (1 + sin(xm / 9) cos(y / 13)), xm the segment's middle. A row
// starts with a plunge (drill_path), and so does every segment deeper than the one before:
// 2,899 cuts in all. Floors at so many depths never merge, so the part keeps
// gaining faces: this is the job that shows whether a cut's cost stays flat.
// The volume is checked against a height map of the same cuts at 0.05 mm.
// Usage: terrain_bench [--smoke] [--eager]   (--smoke: 5 rows)
#include <cmath>
#include <vector>

#include "cut_figures.hpp"

namespace {

using namespace corvex;

constexpr double kRadius = 3, kSegment = 4.7, kFirst = 3;
constexpr int kSegments = 20;

double depthAt(double x, double y) { return -2 - 3 * (1 + std::sin(x / 9) * std::cos(y / 13)); }

// The deepest cut over each cell of a grid on the block's top, built from the cutter's
// footprints (a disc for a plunge, a disc swept along a segment for a slot).
class HeightMap {
public:
    explicit HeightMap(double cell) : cell_(cell), n_(static_cast<int>(std::lround(100 / cell))), floor_(n_ * n_, 0.0) {}

    void slot(double x0, double y0, double x1, double y1, double z) {
        double dx = x1 - x0, dy = y1 - y0, length2 = dx * dx + dy * dy;
        lower(std::min(x0, x1) - kRadius, std::max(x0, x1) + kRadius, std::min(y0, y1) - kRadius,
              std::max(y0, y1) + kRadius, z, [&](double px, double py) {
                  double t = length2 > 0 ? std::clamp(((px - x0) * dx + (py - y0) * dy) / length2, 0.0, 1.0) : 0;
                  double ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
                  return ex * ex + ey * ey <= kRadius * kRadius;
              });
    }
    void plunge(double x, double y, double z) { slot(x, y, x, y, z); }

    double remainingVolume() const {
        double removed = 0;
        for (double f : floor_) removed += -f;
        return 100 * 100 * 20 - removed * cell_ * cell_;
    }

private:
    template <typename Inside>
    void lower(double xa, double xb, double ya, double yb, double z, Inside&& inside) {
        int i0 = std::max(0, static_cast<int>(std::floor(xa / cell_))), i1 = std::min(n_ - 1, static_cast<int>(std::ceil(xb / cell_)));
        int j0 = std::max(0, static_cast<int>(std::floor(ya / cell_))), j1 = std::min(n_ - 1, static_cast<int>(std::ceil(yb / cell_)));
        for (int j = j0; j <= j1; ++j)
            for (int i = i0; i <= i1; ++i) {
                double px = (i + 0.5) * cell_, py = (j + 0.5) * cell_;
                double& f = floor_[j * n_ + i];
                if (z < f && inside(px, py)) f = z;
            }
    }
    double cell_;
    int n_;
    std::vector<double> floor_;
};

}  // namespace

int main(int argc, char** argv) {
    auto options = bench::benchOptions(argc, argv);
    bench::BenchSession session;
    session.startOnBlock(options.eager, options.floorMap);
    session.server.MakeToolMill(automation::Variant::point(kFirst, kFirst, 0), 2 * kRadius, 30, 0);

    bench::CutFigures figures;
    HeightMap heights(0.05);
    const int rows = options.smoke ? 5 : 95;
    using automation::Variant;
    for (int row = 0; row < rows; ++row) {
        const double y = kFirst + row;
        const bool forward = row % 2 == 0;
        double x = forward ? kFirst : kFirst + kSegments * kSegment;
        const double z0 = depthAt(x + (forward ? 1 : -1) * kSegment / 2, y);
        figures.cut([&] { session.server.drill_path(x, y, z0, 30, kRadius); });
        heights.plunge(x, y, z0);
        double previous = z0;
        for (int s = 0; s < kSegments; ++s) {
            double x1 = x + (forward ? kSegment : -kSegment);
            double z = depthAt((x + x1) / 2, y);
            if (z < previous) {  // the cutter goes down before it moves on
                figures.cut([&] { session.server.drill_path(x, y, z, 30, kRadius); });
                heights.plunge(x, y, z);
            }
            previous = z;
            auto p = bench::slotPoints(x, y, x1, y, kRadius);
            figures.cut([&] { session.server.ToolExtrudeLine(p[0], p[1], p[2], p[3], p[4], z); });
            heights.slot(x, y, x1, y, z);
            x = x1;
            figures.other([&] { session.server.MoveTool(Variant::real(x), Variant::real(y), z); });
        }
    }
    figures.print(options.named("terrain").c_str(), session, heights.remainingVolume(),
                  "height map (0.05 mm)");
    return 0;
}
