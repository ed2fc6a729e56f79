#pragma once
// A solid that cuts are taken from, with the cuts not yet carried out (internal).
// A workpiece takes thousands of subtractions, and one Boolean per cut costs more with every
// face the part gains. So a subtraction is queued, and the queue is carried out when someone
// looks at the solid (or it grows long): prisms of the same height span merged into one by
// uniting their regions in 2-D, other cut solids united among themselves, and the lot taken
// out in one guarded Boolean. The result is the one each cut at its call would have given.
// Before any of that, while the workpiece is prism stock cut only by prisms from above, the
// cuts go into a floor map instead (see floor_cuts.hpp), and no Boolean is made at all.
#include <gp_Trsf.hxx>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cadhost/occt/cutting/floor_cuts.hpp"
#include "cadhost/occt/cutting/part_cells.hpp"
#include "cadhost/occt/cutting/queued_cut.hpp"

namespace corvex::cadhost::occt {

class WorkpieceCuts {
public:
    explicit WorkpieceCuts(TopoDS_Shape shape);

    // The shape with every queued cut made, and valid by the kernel's full check. Fails with
    // an automation::Error naming the calls whose cuts could not be made; the solid then
    // holds every other cut.
    const TopoDS_Shape& settled();
    double volume();  // settles first

    // Queues a cut; `eager` carries it (and anything queued) out at once. `floorMap`: a
    // queued cut may go into the floor map, and a cut the kernel cannot make may be made by one.
    void subtract(QueuedCut cut, bool eager, bool floorMap = false);
    bool pending() const {
        return !queue_.empty() || !deferred_.empty() || (floors_ && floors_->takenSinceBuilt() > 0);
    }

    void replace(TopoDS_Shape shape);
    void transform(const gp_Trsf& motion);  // settles first

    // Tells this workpiece, as it is now, from any other and from itself once moved or
    // replaced: until then it only loses material.
    std::uint64_t stamp() const { return stamp_; }
    // How many cuts the workpiece has been asked for.
    std::uint64_t cutsAsked() const { return cutsAsked_; }
    // No material lies above this height, queued cuts made or not: cuts only take material.
    double highest() const { return highest_; }

private:
    void enqueue(QueuedCut cut, bool eager);
    // Makes an eager cut, witnessed where a floor map can follow the part (see witness_).
    void eagerCut(QueuedCut cut);
    bool takenByFloors(const QueuedCut& cut);
    // Keeps a cut the floor map cannot take for when its solid is built (see deferred_).
    bool deferredBesideFloors(QueuedCut& cut);
    // The floor map's solid made the part's, once checked, and the cuts beside it let go as
    // taking nothing; else the cuts made by Booleans (see deferred_). `leave`: the cuts after
    // it go to Booleans.
    void settleFloors(bool leave);
    struct DeferredCut {
        QueuedCut cut;
        std::size_t takenBefore;  // the map's cuts asked before it
    };
    // Whether the map holds no material in any of the cuts' shadows; and the part, the map's
    // solid, none at points deep in their tools.
    bool allClear(const std::vector<DeferredCut>& deferred);
    bool checkedClear(const std::vector<DeferredCut>& deferred);
    // The map's cuts and those beside it made as they were before cuts waited: the map's solid
    // of those asked before the first that waited, and every cut from there by Booleans.
    void madeAsAsked(std::vector<DeferredCut> deferred);
    // The floor map let go, the part its stock again and no new map tried: the map, for its cuts.
    std::unique_ptr<FloorCuts> endedFloors();
    // The map's cuts from `from` on, each deferred cut before the map's cut it came before,
    // queued for Booleans; fails naming every cut that could not be made.
    void madeByBooleans(const std::vector<QueuedCut>& mapped, std::size_t from, std::vector<DeferredCut> deferred);
    void flush();
    void carryOut(std::vector<QueuedCut> cuts);
    bool carryOutMerged(const std::vector<QueuedCut>& cuts);
    // The cuts since the part was last checked whole, then `cuts`, one at a time from that
    // part, as eager cutting makes them; true, with the part replaced, when every one was made.
    // A cut that the part left by merged cuts could not take was taken so: a ball-nose pass
    // whose pieces met the block's end faces exactly.
    bool replayedFromValid(const std::vector<QueuedCut>& cuts);
    void remakeFromValid();
    // A part built whole and checked in full (by a floor map) becomes the part and its last
    // valid state.
    void adoptCheckedWhole(PartShape built);
    // The part last checked whole, when it is prism stock, with every cut since and `failed`
    // taken into a floor map, and its solid built and checked as a queued job's would be; true,
    // with the part replaced, when that worked. A plunge tangent to the stock's side and a
    // slot from it along the side, its wall in the side and its end the plunge's wall, failed
    // in the kernel at every retry; the map's exact 2-D union of the two makes it.
    bool madeByFloorMap(const std::vector<const QueuedCut*>& failed);

    PartCells part_;
    double highest_ = 0;
    // A cut is checked where it changed the part, which is cheap; the whole part is checked
    // by the kernel when someone looks at it. Should that fail, the part is made again from
    // the last one that passed, every cut since checked in full, and a cut that still leaves
    // the part invalid is left out and reported.
    TopoDS_Shape lastValid_;
    std::vector<QueuedCut> sinceValid_;
    bool fullyChecked_ = true;
    // Cut eagerly since the last look. Each eager cut splits the faces it meets, and a part
    // of split floors and walls, though valid, was seen to read back from its STEP file
    // invalid (a floor's nearly tangent arcs crossed) and to mesh with holes: a look merges
    // such faces first, as queued cuts are merged before they are made.
    bool eagerSinceLook_ = false;
    bool floorMapAllowed_ = false;  // as the last cut asked
    // While the part is prism stock cut eagerly by vertical prisms only, every cut also goes
    // into a floor map of its own, whose areas say what volume the part must hold after each
    // cut. The kernel's Boolean of an arc that began on a plunge, tangent to its walls and on
    // its floor, left 54 mm3 of the cut and passed every check; the map's volume finds such a
    // result, and the part is then built from the map.
    std::unique_ptr<FloorCuts> witness_;
    bool witnessTried_ = false;
    std::vector<QueuedCut> queue_;
    std::size_t separateTools_ = 0;  // queued cuts that merge with no other
    std::unique_ptr<FloorCuts> floors_;
    // Cuts the floor map could not take that wait beside it, each with a shadow (a ramp into a
    // layer of a profile). When the whole map shows every one of them takes nothing, they are
    // never made; otherwise the cuts are made as they would have been had the map ended at the
    // first of them. Empty whenever there is no map.
    std::vector<DeferredCut> deferred_;
    bool floorsTried_ = false;  // whether the part was asked if it is a prism, since replaced
    std::uint64_t stamp_;
    std::uint64_t cutsAsked_ = 0;
};

}  // namespace corvex::cadhost::occt
