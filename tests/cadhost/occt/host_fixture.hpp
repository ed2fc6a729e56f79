#pragma once
// A fresh drawing of the embedded host with its journal on, and shorthands for arguments.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "automation/variant.hpp"
#include "cadhost/occt/model/embedded_host.hpp"
#include "cadhost/take.hpp"

namespace corvex::cadhost::occt::testing {

using automation::Variant;

inline Variant pt(double x, double y, double z) { return Variant::point(x, y, z); }
inline Variant num(double v) { return Variant::real(v); }
inline Variant i16(std::int16_t v) { return Variant::int16(v); }
inline Variant obj(const std::shared_ptr<automation::Object>& o) { return Variant::object(o); }
inline Variant list(std::vector<Variant> items) { return Variant::variants(std::move(items)); }

// The regions AddRegion returned, as entities.
inline std::vector<std::shared_ptr<Region>> regionsOf(const Variant& result) {
    std::vector<std::shared_ptr<Region>> regions;
    for (const auto& item : result.asArray().items()) regions.push_back(take<Region>(item, "a region"));
    return regions;
}

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        application = EmbeddedApplication::create();
        drawing = application->open();
        drawing->journal().setEnabled(true);
        space = drawing->ModelSpace();
    }

    std::shared_ptr<Polyline> rectangle(double x0, double y0, double x1, double y1, double z = 0) {
        return space->AddPolyline(Variant::doubles({x0, y0, z, x1, y0, z, x1, y1, z, x0, y1, z, x0, y0, z}));
    }
    std::shared_ptr<Region> regionOf(const std::shared_ptr<Entity>& curve) {
        return regionsOf(space->AddRegion(list({obj(curve)}))).at(0);
    }
    std::shared_ptr<Solid3D> box(double x0, double y0, double z0, double x1, double y1, double z1) {
        return drawing->addBox({x0, y0, z0}, {x1, y1, z1});
    }
    double volume(const std::shared_ptr<Solid3D>& solid) { return measureSolid(*solid).volume; }
    std::size_t entityCount() { return drawing->entities().size(); }

    std::shared_ptr<EmbeddedApplication> application;
    std::shared_ptr<Drawing> drawing;
    std::shared_ptr<ModelSpace> space;
};

#define EXPECT_REL(actual, expected, rel) EXPECT_NEAR((actual), (expected), std::fabs(expected) * (rel) + 1e-12)

}  // namespace corvex::cadhost::occt::testing
