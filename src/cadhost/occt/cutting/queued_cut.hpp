#pragma once
// A cut asked of a workpiece and not yet made (internal).
#include <TopoDS_Shape.hxx>

#include <optional>
#include <string>

#include "cadhost/occt/cutting/sweep_merge.hpp"

namespace corvex::cadhost::occt {

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
    std::string call;  // the client call that made the cut, for a failure found later

    // What the cut's result is checked against: for a common part, the whole solid it was
    // taken with, so that a common part the kernel made short (a Boolean too) is caught as
    // well; else the tool itself. Only while `exact`: with an earlier cut left out, the part
    // may hold material of the whole solid that the common part did not.
    const TopoDS_Shape& askedSolid(bool exact = true) const { return exact && sameCut ? *sameCut : tool; }
};

}  // namespace corvex::cadhost::occt
