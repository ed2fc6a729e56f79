// A pocket as a CAM system mills it: a 100 x 100 x 20 block (top at Z 0), a 6 mm flat end
// mill, an 80 x 80 pocket from (10, 10) to (90, 90), 10 deep in layers of 2. Per layer: a
// plunge (drill_path), zig-zag rows 2.4 apart along X, then a finishing pass round the
// contour. Every move is a ToolExtrudeLine slot and the tool follows with MoveTool, exactly
// as a client calls corvex4.
// Usage: pocket_bench [--smoke] [--eager]   (--smoke: one layer)
#include <cmath>

#include "cut_figures.hpp"

namespace {

using namespace corvex;

constexpr double kRadius = 3, kLow = 10 + kRadius, kHigh = 90 - kRadius, kRowStep = 2.4;

struct PocketJob {
    bench::BenchSession& session;
    bench::CutFigures& figures;
    double x = kLow, y = kLow;

    void slotTo(double x1, double y1, double z) {
        auto p = bench::slotPoints(x, y, x1, y1, kRadius);
        figures.cut([&] { session.server.ToolExtrudeLine(p[0], p[1], p[2], p[3], p[4], z); });
        x = x1;
        y = y1;
        figures.other([&] { session.server.MoveTool(automation::Variant::real(x), automation::Variant::real(y), z); });
    }

    void layer(double z) {
        figures.other([&] { session.server.MoveTool(automation::Variant::real(kLow), automation::Variant::real(kLow), z); });
        x = y = kLow;
        figures.cut([&] { session.server.drill_path(kLow, kLow, z, 30, kRadius); });
        // Rows at kLow + k * kRowStep while they stay inside; the contour takes the rest.
        const int rows = static_cast<int>(std::floor((kHigh - kLow) / kRowStep)) + 1;
        for (int k = 0; k < rows; ++k) {
            if (k > 0) slotTo(x, kLow + k * kRowStep, z);
            slotTo(k % 2 == 0 ? kHigh : kLow, y, z);
        }
        slotTo(x, kHigh, z);
        // The finishing contour from the corner the rows ended at, round the four sides.
        const double corners[4][2] = {{kLow, kHigh}, {kLow, kLow}, {kHigh, kLow}, {kHigh, kHigh}};
        int start = x == kLow ? 1 : 0;
        for (int i = 0; i < 4; ++i) slotTo(corners[(start + i) % 4][0], corners[(start + i) % 4][1], z);
    }
};

}  // namespace

int main(int argc, char** argv) {
    auto options = bench::benchOptions(argc, argv);
    bench::BenchSession session;
    session.startOnBlock(options.eager, options.floorMap);
    session.server.MakeToolMill(automation::Variant::point(kLow, kLow, 0), 2 * kRadius, 30, 0);

    bench::CutFigures figures;
    PocketJob job{session, figures};
    const int layers = options.smoke ? 1 : 5;
    for (int layer = 1; layer <= layers; ++layer) job.layer(-2.0 * layer);

    // The pocket: 80 x 80 less the four corners the cutter's radius leaves, per mm of depth.
    const double area = 80 * 80 - 4 * (kRadius * kRadius - M_PI * kRadius * kRadius / 4);
    const double expected = 100 * 100 * 20 - area * 2.0 * layers;
    figures.print(options.named("pocket").c_str(), session, expected, "analytic volume");
    return 0;
}
