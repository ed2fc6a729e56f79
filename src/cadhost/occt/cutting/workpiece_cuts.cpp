#include "cadhost/occt/cutting/workpiece_cuts.hpp"

#include <BRepBndLib.hxx>
#include <Standard_Failure.hxx>

#include <algorithm>
#include <cmath>
#include <atomic>
#include <set>

#include "automation/error.hpp"
#include "automation/number_text.hpp"
#include "cadhost/occt/cutting/kernel_parallel.hpp"
#include "cadhost/occt/cutting/removal_check.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt {
namespace {

// A queue this long is carried out even if nobody looks: the merged tools, and what the
// kernel has to hold at once, stay of a modest size.
constexpr std::size_t kQueueLimit = 512;
// Cuts that cannot be merged go into the Boolean as tools of their own, and each tool also
// meets all the others: measured on a terrain job (a depth per cut), batches of about ten
// took a third of the time of one Boolean per cut, and batches of thirty took more.
constexpr std::size_t kSeparateToolLimit = 10;
// The floor map is kept after a look only when the cuts since the last one are at least this
// share of all it holds (1 in this many): its solid is built whole at every look.
constexpr std::size_t kCutsPerFloorBuild = 4;
// Cutters' straight sweeps the floor map cannot take (3-D moves) wait beside it, up to this many
// more than it holds, to be proven to take nothing once the map is whole: a profile job's
// ramped entry in every layer no longer sends the rest of the job to Booleans. A job of such
// cuts alone (a 3-D raster) goes to Booleans after this many.
constexpr std::size_t kDeferredBeyondMap = 256;
// Points of a cut's tool asked in the part before the cut is let go as taking nothing, as the
// guard asks of every cut it makes.
constexpr std::size_t kClearToolPoints = 3;
// How far a union's volume, by the quick integration, may stray outside the bounds a union
// must keep (see carryOutMerged): five times the error that integration has shown on a sweep.
constexpr double kUnionSlack = 1e-3;

bool mergesWith(const QueuedCut& cut, const std::vector<QueuedCut>& queue) {
    return cut.sweep && std::any_of(queue.begin(), queue.end(), [&](const QueuedCut& queued) {
               return queued.sweep && mergeable(*queued.sweep, *cut.sweep);
           });
}

// Failures of work that goes on past them, named together once it is all done: none is lost.
class Failures {
public:
    template <class Work>
    void attempt(Work&& work) {
        try {
            work();
        } catch (const automation::Error& error) {
            descriptions_.push_back(error.description());
        }
    }
    void throwIfAny() const {
        if (descriptions_.empty()) return;
        std::string message;
        for (const auto& description : descriptions_) message += (message.empty() ? "" : "; ") + description;
        throw automation::failure(message);
    }

private:
    std::vector<std::string> descriptions_;
};

// A cut the kernel could not make, and why its last result was refused.
struct FailedCut {
    const QueuedCut* cut;
    std::string refusal;
};

// The cuts that could not be made, named by the calls that made them, each with what was
// wrong with the kernel's result. Every other cut was made: the calls after a failed one were
// told they succeeded, so their cuts are not lost.
automation::Error cutFailure(const std::vector<FailedCut>& failed) {
    std::string message;
    for (std::size_t i = 0; i < failed.size(); ++i) {
        const QueuedCut& cut = *failed[i].cut;
        if (i > 0) message += "; ";
        message += cut.call.empty() ? std::string("a subtraction") : "the subtraction made by " + cut.call;
        message += " was refused: " + (failed[i].refusal.empty() ? std::string("no result") : failed[i].refusal);
    }
    message += ", even when retried; the solid was left as it was before ";
    message += failed.size() == 1 ? "that cut" : "those cuts";
    return automation::failure(message);
}

// A cut as the guarded subtraction takes it.
// `exact`: the part is the one each earlier cut was asked of, none left out, so that a common
// part may be taken out as the whole solid it was taken with.
CutTool toolOf(const QueuedCut& cut, bool exact = true) {
    CutTool tool{.shape = cut.tool, .volume = cut.toolVolume};
    if (cut.sweep && cut.sweep->turn) tool.turnedAbout = cut.sweep->axis;
    if (exact && cut.sameCut) tool.asked = {*cut.sameCut};
    if (exact) tool.sameCut = cut.sameCut;
    tool.removesAll = exact && cut.removesAll;
    return tool;
}

// The part as it was last checked whole, to take cuts out of again one at a time.
struct Replay {
    PartShape part;
    Bnd_Box box;
    explicit Replay(const TopoDS_Shape& lastValid) : part{.shape = lastValid, .volume = solidVolume(lastValid)} {
        BRepBndLib::Add(lastValid, box, false);
    }
    // Takes `cuts` out one at a time, as eager cutting does (`fullCheck`: each result checked
    // whole). A cut that cannot be made goes into `failed` and the rest go on, taken as asked;
    // with no `failed`, the first such cut ends the replay. False when any could not be made.
    bool cut(const std::vector<QueuedCut>& cuts, bool fullCheck, std::vector<FailedCut>* failed) {
        for (const auto& cut : cuts) {
            const bool exact = !failed || failed->empty();
            CutEvidence evidence = evidenceOf(part.shape, box, {cut.askedSolid(exact)});
            evidence.fullCheck = fullCheck;
            if (subtractChecked(part, {toolOf(cut, exact)}, evidence)) continue;
            if (!failed) return false;
            failed->push_back({&cut, part.refusal});
        }
        return !failed || failed->empty();
    }
};

std::uint64_t newStamp() {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

}  // namespace

namespace {
double highestOf(const TopoDS_Shape& shape) {
    Bnd_Box box;
    BRepBndLib::Add(shape, box, false);
    return box.IsVoid() ? -1e300 : box.CornerMax().Z();
}
}  // namespace

WorkpieceCuts::WorkpieceCuts(TopoDS_Shape shape)
    : part_(shape), highest_(highestOf(shape)), lastValid_(std::move(shape)), stamp_(newStamp()) {}

void WorkpieceCuts::flush() {
    if (queue_.empty()) return;
    // Taken off the queue first: a failure is reported once, by whoever looked.
    std::vector<QueuedCut> cuts;
    cuts.swap(queue_);
    separateTools_ = 0;
    carryOut(std::move(cuts));
}

const TopoDS_Shape& WorkpieceCuts::settled() {
    // A cut that could not be made is named once, by this look, and the look still leaves the
    // part with every other cut made and checked whole: the next look finds nothing new.
    Failures failures;
    failures.attempt([&] { settleFloors(false); });
    failures.attempt([&] { flush(); });
    // A part cut eagerly under a floor map's witness is looked at as the map's solid, when it
    // passes the map's checks: the same part, with the faces a queued job's has, where the
    // eager Booleans' faces were seen to mesh with holes and read back from STEP invalid.
    if (witness_ && witness_->takenSinceBuilt() > 0) {
        std::string refusal;
        if (auto built = witness_->build(refusal)) {
            adoptCheckedWhole(std::move(*built));
            eagerSinceLook_ = false;
        }
    }
    if (eagerSinceLook_) {
        eagerSinceLook_ = false;
        part_.mergeFaces();
        fullyChecked_ = false;
    }
    if (!fullyChecked_) {
        const bool valid = [&] {
            PlacementCheckTime time(true);
            return isValidShape(part_.shape());
        }();
        if (valid) {
            lastValid_ = part_.shape();
            sinceValid_.clear();
            fullyChecked_ = true;
        } else {
            failures.attempt([&] { remakeFromValid(); });
        }
    }
    failures.throwIfAny();
    return part_.shape();
}

void WorkpieceCuts::remakeFromValid() {
    Replay replay(lastValid_);
    std::vector<FailedCut> failed;
    replay.cut(sinceValid_, true, &failed);
    // Named before the cuts they point into are let go. A new stamp too: with a cut left out,
    // the part may hold more than it did.
    std::optional<automation::Error> error;
    if (!failed.empty()) error = cutFailure(failed);
    replace(replay.part.shape);
    if (error) throw *error;
}

double WorkpieceCuts::volume() {
    settleFloors(false);
    flush();
    return part_.volume();
}

void WorkpieceCuts::subtract(QueuedCut cut, bool eager, bool floorMap) {
    ++cutsAsked_;
    eagerSinceLook_ = eagerSinceLook_ || eager;
    floorMapAllowed_ = floorMap;
    // Eager cutting is each cut's Boolean at its call, as asked: the map is for queued cuts.
    if (!eager && floorMap && (takenByFloors(cut) || deferredBesideFloors(cut))) return;
    // A cut the map's solid could not take is reported here, and this cut is still made.
    std::optional<automation::Error> earlier;
    try {
        settleFloors(true);
    } catch (const automation::Error& error) {
        earlier = error;
    }
    try {
        if (eager && floorMap) eagerCut(std::move(cut));
        else enqueue(std::move(cut), eager);
    } catch (const automation::Error& error) {
        if (!earlier) throw;
        throw automation::failure(earlier->description() + "; " + error.description());
    }
    if (earlier) throw *earlier;
}

bool WorkpieceCuts::takenByFloors(const QueuedCut& cut) {
    // Only the part as it was given (or made whole by a look) can be stock for the map.
    if (!floors_ && !floorsTried_ && queue_.empty() && fullyChecked_) {
        floorsTried_ = true;
        floors_ = FloorCuts::of(part_.shape());
    }
    return floors_ && floors_->take(cut);
}

bool WorkpieceCuts::deferredBesideFloors(QueuedCut& cut) {
    if (!floors_ || !cut.shadow || deferred_.size() >= floors_->taken() + kDeferredBeyondMap) return false;
    deferred_.push_back({std::move(cut), floors_->taken()});
    return true;
}

void WorkpieceCuts::settleFloors(bool leave) {
    if (!floors_) return;
    std::vector<DeferredCut> deferred;
    deferred.swap(deferred_);
    // Each build is of the whole map: when looks come often, Booleans on cells serve better.
    const std::size_t since = floors_->takenSinceBuilt();
    leave = leave || (since > 0 && since * kCutsPerFloorBuild < floors_->taken());
    std::string refusal;
    std::optional<PartShape> built;
    if (!deferred.empty()) {
        bool clear = allClear(deferred);
        if (clear && since > 0) {
            if ((built = floors_->build(refusal))) {
                adoptCheckedWhole(std::move(*built));
            } else {
                ++kernelCountersForUpdate().floorMapRefusals;
                clear = false;
            }
        }
        if (!clear || !checkedClear(deferred)) return madeAsAsked(std::move(deferred));
        kernelCountersForUpdate().cutsFoundClear += static_cast<long>(deferred.size());
        if (leave) floors_.reset();
        return;
    }
    if (since == 0) {
        if (leave) floors_.reset();
        return;
    }
    if ((built = floors_->build(refusal))) {
        adoptCheckedWhole(std::move(*built));
        if (leave) floors_.reset();
        return;
    }
    // Refused: the cuts are made from the stock by Booleans, queued as any others, and every
    // one that fails is named.
    ++kernelCountersForUpdate().floorMapRefusals;
    const std::unique_ptr<FloorCuts> floors = endedFloors();
    madeByBooleans(floors->cuts(), 0, {});
}

std::unique_ptr<FloorCuts> WorkpieceCuts::endedFloors() {
    std::unique_ptr<FloorCuts> floors = std::move(floors_);
    replace(floors->stock());
    floorsTried_ = true;
    return floors;
}

bool WorkpieceCuts::allClear(const std::vector<DeferredCut>& deferred) {
    return std::all_of(deferred.begin(), deferred.end(),
                       [&](const DeferredCut& d) { return floors_->clearIn(*d.cut.shadow); });
}

bool WorkpieceCuts::checkedClear(const std::vector<DeferredCut>& deferred) {
    // The map's word is checked as the guard checks a cut it made: no point deep in a tool
    // lies in the part's material.
    std::vector<SolidRays> part = solidsWithRays(part_.shape());
    Bnd_Box box;
    BRepBndLib::Add(part_.shape(), box, false);
    return std::none_of(deferred.begin(), deferred.end(), [&](const DeferredCut& d) {
        const auto points = pointsWithinTool(d.cut.tool, box, kClearToolPoints);
        return pointLeftInside(part, points, {d.cut.askedSolid()}).has_value();
    });
}

void WorkpieceCuts::madeAsAsked(std::vector<DeferredCut> deferred) {
    // As if the map had ended at the first cut that waited: its solid holds the cuts asked
    // before that one, and the rest are made by Booleans in the order asked.
    const std::unique_ptr<FloorCuts> floors = endedFloors();
    const std::size_t before = deferred.front().takenBefore;
    std::size_t from = before;
    if (before > 0) {
        std::string refusal;
        if (auto built = floors->first(before)->build(refusal)) {
            adoptCheckedWhole(std::move(*built));
        } else {
            ++kernelCountersForUpdate().floorMapRefusals;
            from = 0;  // those cuts by Booleans too, from the stock
        }
    }
    madeByBooleans(floors->cuts(), from, std::move(deferred));
}

void WorkpieceCuts::madeByBooleans(const std::vector<QueuedCut>& mapped, std::size_t from,
                                   std::vector<DeferredCut> deferred) {
    Failures failures;
    std::size_t next = 0;
    for (std::size_t k = from; k <= mapped.size(); ++k) {
        for (; next < deferred.size() && deferred[next].takenBefore <= k; ++next)
            failures.attempt([&] { enqueue(std::move(deferred[next].cut), false); });
        if (k < mapped.size()) failures.attempt([&] { enqueue(mapped[k], false); });
    }
    failures.attempt([&] { flush(); });
    failures.throwIfAny();
}

void WorkpieceCuts::adoptCheckedWhole(PartShape built) {
    lastValid_ = built.shape;
    part_ = PartCells(std::move(built));
    sinceValid_.clear();
    fullyChecked_ = true;
}

void WorkpieceCuts::eagerCut(QueuedCut cut) {
    // Only the part as it was given (or made whole by a look) can be the witness's stock.
    if (!witness_ && !witnessTried_ && queue_.empty() && fullyChecked_ && sinceValid_.empty()) {
        witnessTried_ = true;
        witness_ = FloorCuts::of(part_.shape());
    }
    if (!witness_) return enqueue(std::move(cut), true);
    const PartCells before = part_;
    const std::string call = cut.call.empty() ? std::string("a subtraction") : "the subtraction made by " + cut.call;
    const bool followed = witness_->take(cut);
    enqueue(std::move(cut), true);  // fails, leaving the part, when the cut cannot be made
    // A cut the map cannot express, or a part made again from its last whole state: the map
    // can no longer say what is left.
    if (!followed || !witness_) {
        witness_.reset();
        return;
    }
    const double expected = witness_->volumeLeft(), made = part_.volume();
    if (std::fabs(made - expected) <= 1e-6 * expected + 1e-6 + 1e-6 * std::fabs(made)) return;
    ++kernelCountersForUpdate().witnessCorrections;
    std::string refusal;
    if (auto built = witness_->build(refusal)) {
        adoptCheckedWhole(std::move(*built));
        return;
    }
    // Neither the Boolean nor the map: the part stays as it was, and the cut is named.
    part_ = before;
    witness_.reset();
    if (!sinceValid_.empty()) sinceValid_.pop_back();
    throw automation::failure(call + " left the part " + automation::shortestText(made) +
                              " mm3 where a floor map of its cuts says " + automation::shortestText(expected) +
                              ", and the map's solid was refused (" + refusal +
                              "); the solid was left as it was before that cut");
}

void WorkpieceCuts::enqueue(QueuedCut cut, bool eager) {
    if (!mergesWith(cut, queue_)) ++separateTools_;
    queue_.push_back(std::move(cut));
    if (eager || queue_.size() >= kQueueLimit || separateTools_ >= kSeparateToolLimit) flush();
}

void WorkpieceCuts::replace(TopoDS_Shape shape) {
    // Cuts waiting beside a map are still owed, as queued ones are.
    for (DeferredCut& waiting : deferred_) queue_.push_back(std::move(waiting.cut));
    deferred_.clear();
    floors_.reset();
    floorsTried_ = false;
    witness_.reset();
    witnessTried_ = false;
    part_ = PartCells(shape);
    highest_ = highestOf(shape);
    lastValid_ = std::move(shape);
    sinceValid_.clear();
    fullyChecked_ = true;
    stamp_ = newStamp();
}

void WorkpieceCuts::transform(const gp_Trsf& motion) {
    settleFloors(true);
    flush();
    witness_.reset();  // the map's stock stands where the part no longer does
    part_.transform(motion);
    lastValid_ = movedShape(lastValid_, motion);
    highest_ = highestOf(part_.shape());
    for (auto& cut : sinceValid_) {
        cut.tool = movedShape(cut.tool, motion);
        if (cut.sweep) cut.sweep = movedSweep(*cut.sweep, motion);
        if (cut.sameCut) cut.sameCut = movedShape(*cut.sameCut, motion);
        cut.shadow.reset();
    }
    stamp_ = newStamp();
}

void WorkpieceCuts::carryOut(std::vector<QueuedCut> cuts) {
    if (cuts.size() > 1 && carryOutMerged(cuts)) {
        part_.tidy();
        fullyChecked_ = false;
        sinceValid_.insert(sinceValid_.end(), cuts.begin(), cuts.end());
        return;
    }
    // One by one: either there is one cut, or the merged cut was refused and the cut that
    // the kernel cannot make has to be found and named.
    std::vector<FailedCut> failed;
    for (const auto& cut : cuts) {
        if (part_.subtract({toolOf(cut, failed.empty())})) {
            part_.tidy();
            fullyChecked_ = false;
            sinceValid_.push_back(cut);
        } else {
            failed.push_back({&cut, part_.refusal()});
        }
    }
    if (!failed.empty() && !sinceValid_.empty() && replayedFromValid(cuts)) return;
    if (failed.empty()) return;
    std::vector<const QueuedCut*> unmade;
    for (const auto& cut : failed) unmade.push_back(cut.cut);
    if (floorMapAllowed_ && madeByFloorMap(unmade)) return;
    throw cutFailure(failed);
}

bool WorkpieceCuts::madeByFloorMap(const std::vector<const QueuedCut*>& failed) {
    auto floors = FloorCuts::of(lastValid_);
    if (!floors) return false;
    for (const auto& cut : sinceValid_)
        if (!floors->take(cut)) return false;
    for (const QueuedCut* cut : failed)
        if (!floors->take(*cut)) return false;
    std::string refusal;
    auto built = floors->build(refusal);
    if (!built) return false;
    adoptCheckedWhole(std::move(*built));
    return true;
}

bool WorkpieceCuts::replayedFromValid(const std::vector<QueuedCut>& cuts) {
    // In the order they were asked, and then with these cuts first: what is taken away is the
    // same in any order, and the kernel is not. A plunge and the ramp from its foot (the ramp's
    // end on the plunge's own cylinder) left the kernel taking nothing from the part with the
    // plunge's hole in every attempt; the ramp taken first, and the plunge after it, both cut.
    for (const bool theseFirst : {false, true}) {
        Replay replay(lastValid_);
        const auto& first = theseFirst ? cuts : sinceValid_;
        const auto& then = theseFirst ? sinceValid_ : cuts;
        if (!replay.cut(first, false, nullptr) || !replay.cut(then, false, nullptr)) continue;
        // Each cut was checked where it changed the part; the part it becomes is checked whole
        // once, as the last part checked whole must be.
        if (!isValidShape(replay.part.shape)) continue;
        replace(replay.part.shape);
        return true;
    }
    return false;
}

bool WorkpieceCuts::carryOutMerged(const std::vector<QueuedCut>& cuts) {
    // The cuts that merge (a span's prisms, one axis's turns), each group with its sweeps; the
    // first group holds the solids of no known sweep, united among themselves.
    struct Group {
        std::vector<const SweepOrigin*> sweeps;
        std::vector<const QueuedCut*> cuts;
    };
    std::vector<Group> groups(1);
    for (const auto& cut : cuts) {
        if (!cut.sweep) {
            groups.front().cuts.push_back(&cut);
            continue;
        }
        auto same = std::find_if(groups.begin() + 1, groups.end(),
                                 [&](const Group& group) { return mergeable(*group.sweeps.front(), *cut.sweep); });
        if (same == groups.end()) same = groups.insert(groups.end(), Group());
        same->sweeps.push_back(&*cut.sweep);
        same->cuts.push_back(&cut);
    }
    // What each group takes out: its merged solid, or its cuts one by one, and how much that
    // may remove. A merged sweep's bound is its own volume, not the sum of the cuts' (which
    // for overlapping slots is several times larger), so a cut that takes more is refused.
    std::vector<std::vector<CutTool>> made(groups.size());
    // Groups merge side by side (the unions work on copies, see fusedTree). A merge the kernel
    // cannot make costs speed, never the cut: the solids then go in one by one. A group that
    // repeats an earlier one's outlines elsewhere (the next layer of a pocket) waits for it,
    // and then takes its union moved.
    std::vector<int> first, repeats;
    std::vector<std::optional<TranslationKey>> keys(groups.size());
    std::set<std::string> seen;
    for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
        if (g > 0 && groups[g].cuts.size() > 1) keys[g] = mergeKey(groups[g].sweeps);
        (keys[g] && !seen.insert(keys[g]->text).second ? repeats : first).push_back(g);
    }
    // Solids of no sweep that the kernel could not unite are not put into one Boolean as they
    // are: that Boolean meets the same faces lying on each other that the union did. A bull-nose's
    // plunge and the 3-D move from its foot (one torus of revolution on the other) kept it
    // splitting shells for over 19 minutes, a step in which it never asks whether to stop (see
    // kernel_time_limit.hpp); one by one, the job's three runs took under a minute each.
    std::atomic<bool> ununited{false};
    auto merge = [&](int g) {
        const Group& group = groups[g];
        auto& tools = made[g];
        if (group.cuts.size() > 1) {
            try {
                if (g == 0) {
                    // Measured on a lathe job (turned rings): united first, they cut in about
                    // the time of one Boolean per cut; as tools of their own, in twice that.
                    std::vector<TopoDS_Shape> solids, asked;
                    double volume = 0, largest = 0;
                    for (const auto* cut : group.cuts) {
                        solids.push_back(cut->tool);
                        asked.push_back(cut->askedSolid());
                        volume += cut->toolVolume;
                        largest = std::max(largest, cut->toolVolume);
                    }
                    TopoDS_Shape united = fusedTree(solids, false);
                    // The quick integration errs by up to 2e-4 on a sweep's faces.
                    const double held = united.IsNull() ? 0 : solidVolume(united);
                    if (!unionMeasureHolds(held, largest, volume, kUnionSlack, 0))
                        throw automation::failure("the cut solids could not be united");
                    tools.push_back({.shape = united, .volume = volume, .asked = asked});
                } else {
                    double volume = 0;
                    std::vector<TopoDS_Shape> asked;
                    for (const auto* cut : group.cuts) {
                        volume += cut->toolVolume;
                        asked.push_back(cut->askedSolid());
                    }
                    MergedSweep merged = mergedSweep(group.sweeps, keys[g]);
                    CutTool tool = toolOf(*group.cuts.front());
                    tool.shape = merged.solid;
                    tool.volume = std::min(volume, merged.volume);
                    tool.asked = std::move(asked);
                    tools.push_back(std::move(tool));
                }
                return;
            } catch (const automation::Error&) {
            } catch (const Standard_Failure&) {
            }
            if (g == 0) {
                ununited = true;
                return;
            }
        }
        for (const auto* cut : group.cuts) tools.push_back(toolOf(*cut));
    };
    runSideBySide(static_cast<int>(first.size()), [&](int i) { merge(first[i]); });
    if (ununited) return false;  // the repeated groups' unions would not be used
    runSideBySide(static_cast<int>(repeats.size()), [&](int i) { merge(repeats[i]); });
    std::vector<CutTool> tools;
    for (std::size_t g = 1; g <= made.size(); ++g) {  // the solids of no sweep last
        const auto& group = made[g % made.size()];
        tools.insert(tools.end(), group.begin(), group.end());
    }
    return part_.subtract(tools);
}

}  // namespace corvex::cadhost::occt
