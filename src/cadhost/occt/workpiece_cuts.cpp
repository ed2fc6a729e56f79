#include "cadhost/occt/workpiece_cuts.hpp"

#include <Standard_Failure.hxx>
#include <TopLoc_Location.hxx>

#include <algorithm>

#include "automation/error.hpp"
#include "cadhost/occt/kernel_parallel.hpp"
#include "cadhost/occt/solid_ops.hpp"

namespace corvex::cadhost::occt {
namespace {

// A queue this long is carried out even if nobody looks: the merged tools, and what the
// kernel has to hold at once, stay of a modest size.
constexpr std::size_t kQueueLimit = 512;
// Cuts that cannot be merged go into the Boolean as tools of their own, and each tool also
// meets all the others: measured on a terrain job (a depth per cut), batches of about ten
// took a third of the time of one Boolean per cut, and batches of thirty took more.
constexpr std::size_t kSeparateToolLimit = 10;

bool mergesWith(const QueuedCut& cut, const std::vector<QueuedCut>& queue) {
    return cut.sweep && std::any_of(queue.begin(), queue.end(), [&](const QueuedCut& queued) {
               return queued.sweep && mergeable(*queued.sweep, *cut.sweep);
           });
}

automation::Error cutFailure(const QueuedCut& cut, std::size_t dropped) {
    std::string message = (cut.call.empty() ? std::string("a subtraction") : "the subtraction made by " + cut.call) +
                          " gave an invalid solid or a volume that does not add up, even when retried; "
                          "the solid was left as it was before that cut";
    if (dropped > 0)
        message += ", and the " + std::to_string(dropped) + " cut" + (dropped == 1 ? "" : "s") +
                   " made after it " + (dropped == 1 ? "was" : "were") + " not carried out";
    return automation::failure(message);
}

}  // namespace

WorkpieceCuts::WorkpieceCuts(TopoDS_Shape shape) { part_.shape = std::move(shape); }

const TopoDS_Shape& WorkpieceCuts::settled() {
    if (!queue_.empty()) {
        // Taken off the queue first: a failure is reported once, by whoever looked.
        std::vector<QueuedCut> cuts;
        cuts.swap(queue_);
        separateTools_ = 0;
        carryOut(std::move(cuts));
    }
    return part_.shape;
}

double WorkpieceCuts::volume() {
    settled();
    if (!volumeKnown_) {
        VolumeTally tally = part_.faceVolumes.tally(part_.shape);
        part_.volume = tally.volume;
        part_.faceVolumes.adopt(std::move(tally));
        volumeKnown_ = true;
    }
    return part_.volume;
}

void WorkpieceCuts::subtract(QueuedCut cut, bool eager) {
    if (!mergesWith(cut, queue_)) ++separateTools_;
    queue_.push_back(std::move(cut));
    if (eager || queue_.size() >= kQueueLimit || separateTools_ >= kSeparateToolLimit) settled();
}

void WorkpieceCuts::replace(TopoDS_Shape shape) {
    part_.shape = std::move(shape);
    part_.faceVolumes.forget();
    volumeKnown_ = false;
    facesAtLastMerge_ = -1;
}

void WorkpieceCuts::transform(const gp_Trsf& motion) {
    settled();
    part_.shape = part_.shape.Moved(TopLoc_Location(motion));
    part_.faceVolumes.forget();  // a rigid motion keeps the volume, but no face is where it was
}

void WorkpieceCuts::carryOut(std::vector<QueuedCut> cuts) {
    volume();
    if (facesAtLastMerge_ < 0) facesAtLastMerge_ = countFaces(part_.shape);
    if (cuts.size() > 1 && carryOutMerged(cuts)) {
        mergeFacesWhenItPays();
        return;
    }
    // One by one: either there is one cut, or the merged cut was refused and the cut that
    // the kernel cannot make has to be found and named.
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        if (!subtractChecked(part_, {cuts[i].tool}, cuts[i].toolVolume)) throw cutFailure(cuts[i], cuts.size() - i - 1);
        mergeFacesWhenItPays();
    }
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
    struct Tools {
        std::vector<TopoDS_Shape> shapes;
        double volume = 0;
    };
    std::vector<Tools> made(groups.size());
    // Groups merge side by side (the unions work on copies, see fusedTree). A merge the kernel
    // cannot make costs speed, never the cut: the solids then go in one by one.
    runSideBySide(static_cast<int>(groups.size()), [&](int g) {
        const Group& group = groups[g];
        Tools& tools = made[g];
        for (const auto* cut : group.cuts) tools.volume += cut->toolVolume;
        if (group.cuts.size() > 1) {
            try {
                if (g == 0) {
                    // Measured on a lathe job (turned rings): united first, they cut in about
                    // the time of one Boolean per cut; as tools of their own, in twice that.
                    std::vector<TopoDS_Shape> solids;
                    for (const auto* cut : group.cuts) solids.push_back(cut->tool);
                    tools.shapes.push_back(fusedTree(std::move(solids), false));
                } else {
                    MergedSweep merged = mergedSweep(group.sweeps);
                    tools.shapes.push_back(merged.solid);
                    tools.volume = std::min(tools.volume, merged.volume);
                }
                return;
            } catch (const automation::Error&) {
            } catch (const Standard_Failure&) {
            }
        }
        for (const auto* cut : group.cuts) tools.shapes.push_back(cut->tool);
    });
    std::vector<TopoDS_Shape> tools;
    double toolVolume = 0;
    for (std::size_t g = 1; g <= made.size(); ++g) {  // the solids of no sweep last
        const Tools& group = made[g % made.size()];
        tools.insert(tools.end(), group.shapes.begin(), group.shapes.end());
        toolVolume += group.volume;
    }
    return subtractChecked(part_, tools, toolVolume);
}

void WorkpieceCuts::mergeFacesWhenItPays() {
    const int faces = countFaces(part_.shape);
    if (faces < facesAtLastMerge_ + facesBeforeMerge_) return;
    const bool merged = unifyChecked(part_);
    const int after = countFaces(part_.shape);
    // On a part whose floors all lie at different heights a merge takes back little and
    // costs as much as a cut: then it waits for twice as many new faces before the next try.
    if (!merged || after > faces * 8 / 10) facesBeforeMerge_ = std::min(facesBeforeMerge_ * 2, 1 << 14);
    else facesBeforeMerge_ = 30;
    facesAtLastMerge_ = after;
}

}  // namespace corvex::cadhost::occt
