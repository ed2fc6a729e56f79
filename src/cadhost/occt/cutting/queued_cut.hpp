#pragma once
// A cut asked of a workpiece and not yet made (internal).
#include <TopoDS_Shape.hxx>

#include <optional>
#include <string>

#include "cadhost/occt/cutting/sweep_merge.hpp"
#include "cadhost/occt/geometry/vertical_prism.hpp"

namespace corvex::cadhost::occt {

// A layer this thin is no material (the guard's band is ten times as wide), and the outlines of
// one path's slots, made by different calls, differ by slivers of some 1e-12 mm.
inline constexpr double kShadowInset = 1e-6;

struct QueuedCut {
    TopoDS_Shape tool;
    std::optional<SweepOrigin> sweep;
    double toolVolume = 0;
    // When `tool` is the common part of this workpiece and another solid: that solid, which
    // cut from the workpiece leaves the same part (see CutTool::sameCut).
    std::optional<TopoDS_Shape> sameCut;
    // When `tool` is that common part and the workpiece has not been cut since it was taken:
    // the cut must remove the whole of it.
    bool removesAll = false;
    // A vertical prism that `tool` lies inside, but for a layer on its sides thinner than
    // kShadowInset, when one is known from how the tool was made (a cutter's sweep: the slot
    // its widest circle covers, from its tip's lowest point up). A part that holds no material
    // in it loses nothing to the cut but such a layer, which the guard too calls no material.
    std::optional<VerticalPrism> shadow;
    std::string call;  // the client call that made the cut, for a failure found later

    // What the cut's result is checked against: for a common part, the whole solid it was
    // taken with, so that a common part the kernel made short (a Boolean too) is caught as
    // well; else the tool itself. Only while `exact`: with an earlier cut left out, the part
    // may hold material of the whole solid that the common part did not.
    const TopoDS_Shape& askedSolid(bool exact = true) const { return exact && sameCut ? *sameCut : tool; }
};

}  // namespace corvex::cadhost::occt
