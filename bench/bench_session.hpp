#pragma once
// A corvex4 on the embedded host with a workpiece in "PART", as a client would drive it, for
// the benchmarks. Prints nothing; the benchmarks print their own figures.
#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "automation/variant.hpp"
#include "cadhost/occt/model/embedded_host.hpp"
#include "server/corvex4.hpp"

namespace corvex::bench {

class SilentUserInterface : public cadhost::UserInterface {
public:
    void messageBox(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
};

struct BenchSession {
    BenchSession() : application(cadhost::occt::EmbeddedApplication::create()), server(connector, ui) {
        drawing = application->open();
        connector.registerRunning(application);
    }
    // The reference workpiece of the milling benchmarks: a 100 x 100 x 20 block in "PART" with
    // its top at Z = 0, and StartAcad done; subtractions queued or, with `eager`, made at once;
    // without `floorMap`, queued prisms are made by Booleans too.
    void startOnBlock(bool eager, bool floorMap = true) {
        drawing->setEagerSubtraction(eager);
        drawing->setFloorMap(floorMap);
        addPartBox({0, 0, -20}, {100, 100, 0});
        server.StartAcad();
    }
    std::shared_ptr<cadhost::Solid3D> addPartBox(std::array<double, 3> a, std::array<double, 3> b) {
        auto box = drawing->addBox(a, b);
        drawing->addToGroup("PART", box);
        return box;
    }
    // The volume and face count of the solids of "PART", each measured by the kernel.
    std::pair<double, int> partVolumeAndFaces() {
        double volume = 0;
        int faces = 0;
        for (const auto& member : drawing->groupMembers("PART")) {
            auto measure = cadhost::occt::measureSolid(*member);
            volume += measure.volume;
            faces += measure.faces;
        }
        return {volume, faces};
    }

    cadhost::occt::EmbeddedConnector connector;
    SilentUserInterface ui;
    std::shared_ptr<cadhost::occt::EmbeddedApplication> application;
    std::shared_ptr<cadhost::occt::Drawing> drawing;
    corvex4 server;
};

// The five points ToolExtrudeLine takes for a cutter of radius `r` moving from (x0, y0) to
// (x1, y1): counter-clockwise, the fifth repeating the first.
inline std::array<automation::Variant, 5> slotPoints(double x0, double y0, double x1, double y1, double r) {
    double dx = x1 - x0, dy = y1 - y0;
    double length = std::hypot(dx, dy);
    double rx = dy / length * r, ry = -dx / length * r;  // to the right of the move
    using automation::Variant;
    auto p1 = Variant::point(x0 + rx, y0 + ry, 0);
    return {p1, Variant::point(x1 + rx, y1 + ry, 0), Variant::point(x1 - rx, y1 - ry, 0),
            Variant::point(x0 - rx, y0 - ry, 0), p1};
}

inline double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace corvex::bench
