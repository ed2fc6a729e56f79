#pragma once
// A ledger of the cuts taken from each solid, for the differential test of cutting: a part is
// right when a point lies in it exactly when it lies in the stock and in no tool, which needs
// no Boolean to know. Off unless switched on: it keeps every tool solid of the session.
#include <TopoDS_Shape.hxx>
#include <gp_Trsf.hxx>

#include <vector>

#include "cadhost/model.hpp"

namespace corvex::cadhost::occt {

// Switches the ledger on or off for solids made from now on (process-wide).
void setCutLedgerEnabled(bool enabled);
bool cutLedgerEnabled();

// What a solid's ledger holds, in the frame the solid was made in: its first shape, the tools
// taken from it, and the motion that took it from that frame to where it is now.
struct CutLedger {
    TopoDS_Shape stock;
    std::vector<TopoDS_Shape> tools;
    gp_Trsf placement;
    bool complete = false;  // false when the ledger was off, or the solid was replaced by a union
};
// Fails with an automation error for an entity that is not a solid of the embedded host.
CutLedger cutLedgerOf(const Entity& solid);

}  // namespace corvex::cadhost::occt
