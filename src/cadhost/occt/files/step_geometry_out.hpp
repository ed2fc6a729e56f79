#pragma once
// The kernel's curves and surfaces as STEP geometry, number for number (internal to the host).
// Each kind is written in the form STEP has for it, with the same parameters, so a reader
// rebuilds the very curve or surface; a kind STEP would need approximated (an offset curve,
// a degenerate torus) throws NotWritableFast and the drawing is written the slow way.
#include <Geom_Curve.hxx>
#include <Geom_Surface.hxx>
#include <gp_Ax3.hxx>
#include <gp_Dir.hxx>
#include <gp_Pnt.hxx>

#include "cadhost/occt/files/step_text_out.hpp"

namespace corvex::cadhost::occt {

class StepGeometryOut {
public:
    explicit StepGeometryOut(StepTextOut& out) : out_(out) {}

    int point(const gp_Pnt& point);
    int direction(const gp_Dir& direction);
    // A right-handed placement: STEP has no other.
    int placement(const gp_Ax3& axes);
    // A unit VECTOR along `direction`.
    int vector(const gp_Dir& direction);
    // A trimmed curve is written as its basis: an edge's vertices bound it.
    int curve(const Handle(Geom_Curve)& curve);

    struct Surface {
        int id = 0;
        bool reversed = false;  // the written surface's normal points the other way
    };
    Surface surface(const Handle(Geom_Surface)& surface);

private:
    int splineCurve(const Handle(Geom_Curve)& curve);
    int splineSurface(const Handle(Geom_Surface)& surface);
    Surface elementary(const Handle(Geom_Surface)& surface);

    StepTextOut& out_;
};

}  // namespace corvex::cadhost::occt
