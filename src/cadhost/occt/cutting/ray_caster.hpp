#pragma once
// Whether points lie inside a solid, by the parity of the faces a ray from each crosses
// (internal). The point classifier finds a good ray for every point by trying faces, about
// 1.3 ms a point on a terrain cell; one fixed, skew ray meets few faces' boxes, and only those
// are intersected. A ray that touches an edge or grazes a face decides nothing.
#include <Bnd_Box.hxx>
#include <IntCurvesFace_Intersector.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Pnt.hxx>

#include <memory>
#include <vector>

namespace corvex::cadhost::occt {

// Points this close to a face are on it: the guard's retry moves tools by 1e-6, and a layer
// this thin left on a wall is no material.
constexpr double kSurfaceBand = 1e-5;

class RayCaster {
public:
    struct Crossings {
        int count = 0;
        bool decided = true;
        bool onSurface = false;  // within the band of a face, along the ray
    };

    explicit RayCaster(const TopoDS_Shape& solid);
    RayCaster(RayCaster&&) noexcept = default;
    RayCaster& operator=(RayCaster&&) noexcept = default;
    RayCaster(const RayCaster&) = delete;
    RayCaster& operator=(const RayCaster&) = delete;
    Crossings cast(const gp_Pnt& point);

private:
    struct Face {
        TopoDS_Face face;
        Bnd_Box box;
        std::unique_ptr<IntCurvesFace_Intersector> hits;  // made when a ray first meets its box
    };
    std::vector<Face> faces_;
};

// How many of three more skew rays from `point` cross the faces of `shape` an odd number of
// times: a second opinion, asked only where the first one has found a fault. One ray has
// missed a face of a turned tool that others met, and one missed a nearly flat cone (the side
// of a ring turned by a client's degrees, its apex 5e7 mm away), where the kernel's line and
// cone intersection is ill-conditioned, though a point 5e-10 away met it.
int oddRaysFrom(const TopoDS_Shape& shape, const gp_Pnt& point);

}  // namespace corvex::cadhost::occt
