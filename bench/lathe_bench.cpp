// Turning a bar of diameter 40 and length 100 (its axis the drawing's X axis) down to diameter
// 20 in radial steps of 0.5: 20 depths, each turned in ten 10 mm passes from the free end
// towards X 0, every pass one LatheLine with the insert of the turning example.
// Usage: lathe_bench [--smoke] [--eager]   (--smoke: 2 depths)
#include <cmath>

#include "cut_figures.hpp"

int main(int argc, char** argv) {
    using namespace corvex;
    using automation::Variant;
    auto options = bench::benchOptions(argc, argv);
    bench::BenchSession session;
    session.drawing->setEagerSubtraction(options.eager);
    auto bar = session.drawing->addAxisCylinder({0, 0, 0}, 20, 100, 0);
    session.drawing->addToGroup("PART", bar);
    session.server.StartAcad();

    const Variant toolPoints = Variant::doubles({0.5, 0, 0, 6, 0, 0, 6, 3, 0, 0, 3, 0, 0, 0.5, 0, 0.5, 0, 0});
    const Variant toolRadii = Variant::doubles({0.5, 0.5, 0.5});
    const Variant sp = Variant::doubles({0, 6, 0});
    session.server.MakeToolLathe(5, 1, toolPoints, toolRadii);

    bench::CutFigures figures;
    const int depths = options.smoke ? 2 : 20;
    double finalRadius = 20;
    for (int d = 1; d <= depths; ++d) {
        const double r = 20 - 0.5 * d;
        finalRadius = r;
        for (int pass = 0; pass < 10; ++pass) {
            const double x0 = 100 - 10 * pass, x1 = x0 - 10;
            // The swept band reaches the bar's first radius, so it covers whatever is left.
            const Variant path = Variant::doubles({x1, r, 0, x0, r, 0, x0, 20, 0, x1, 20, 0, x1, r, 0});
            figures.cut([&] {
                session.server.LatheLine(5, 1, toolPoints, toolRadii, path, Variant::doubles({x0, r, 0}),
                                         Variant::doubles({x1, r, 0}), sp);
            });
        }
    }
    const double expected = M_PI * finalRadius * finalRadius * 100;
    figures.print(options.eager ? "lathe (eager)" : "lathe", session, expected, "analytic volume");
    return 0;
}
