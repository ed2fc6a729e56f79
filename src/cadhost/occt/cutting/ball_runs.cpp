#include "cadhost/occt/cutting/ball_runs.hpp"

#include <Standard_Failure.hxx>

#include <algorithm>
#include <cmath>

#include "automation/error.hpp"
#include "cadhost/occt/cutting/sweep_merge.hpp"
#include "cadhost/occt/geometry/cutter_sweep.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt {
namespace {

// How far one move's end may lie from the next one's start: the same point, written once by
// the client and read back from a session.
constexpr double kJointTolerance = 1e-9;
// As for merged solids: the quick integration errs by up to 2e-4 on a sweep's faces.
constexpr double kPassVolumeSlack = 1e-3;

// Whether `move` goes on from `run`'s last move: same ball and top, from its end, forward along
// the run's plane and within it.
bool continues(const std::vector<const QueuedCut*>& run, const BallMove& move) {
    const BallMove& first = *run.front()->ballMove;
    const BallMove& last = *run.back()->ballMove;
    if (!followsOn(last, move)) return false;
    const double fx = first.to.X() - first.from.X(), fy = first.to.Y() - first.from.Y();
    const double length = std::hypot(fx, fy);
    const double dx = move.to.X() - move.from.X(), dy = move.to.Y() - move.from.Y();
    const double forward = (dx * fx + dy * fy) / length;
    const double across = (move.to.X() - first.from.X()) * fy - (move.to.Y() - first.from.Y()) * fx;
    return forward > kSweepFlatness && std::fabs(across) / length <= kPassPlaneTolerance;
}

bool startsRun(const BallMove& move) {
    return std::hypot(move.to.X() - move.from.X(), move.to.Y() - move.from.Y()) > kSweepFlatness;
}

}  // namespace

bool followsOn(const BallMove& earlier, const BallMove& later) {
    return later.radius == earlier.radius && later.top == earlier.top &&
           later.from.Distance(earlier.to) <= kJointTolerance;
}

std::vector<std::vector<const QueuedCut*>> ballRuns(const std::vector<const QueuedCut*>& cuts,
                                                    std::vector<const QueuedCut*>& rest) {
    std::vector<std::vector<const QueuedCut*>> runs;
    std::vector<const QueuedCut*> run;
    auto close = [&] {
        if (run.size() > 1) runs.push_back(std::move(run));
        else rest.insert(rest.end(), run.begin(), run.end());
        run.clear();
    };
    for (const auto* cut : cuts) {
        if (!cut->ballMove) {
            rest.push_back(cut);  // leaves the run open: cuts only take material, in any order
            continue;
        }
        if (!run.empty() && continues(run, *cut->ballMove)) {
            run.push_back(cut);
            continue;
        }
        close();
        if (startsRun(*cut->ballMove)) run.push_back(cut);
        else rest.push_back(cut);
    }
    close();
    return runs;
}

std::optional<CutTool> passTool(const std::vector<const QueuedCut*>& run) {
    const BallMove& first = *run.front()->ballMove;
    std::vector<gp_Pnt> tips{first.from};
    CutTool tool;
    double largest = 0;
    for (const auto* cut : run) {
        tips.push_back(cut->ballMove->to);
        tool.asked.push_back(cut->askedSolid());
        tool.volume += cut->toolVolume;
        largest = std::max(largest, cut->toolVolume);
    }
    try {
        auto pass = ballPass(first.radius, first.top, tips);
        if (!pass) return std::nullopt;
        if (!unionMeasureHolds(solidVolume(*pass), largest, tool.volume, kPassVolumeSlack, 0)) return std::nullopt;
        tool.shape = std::move(*pass);
        return tool;
    } catch (const automation::Error&) {
    } catch (const Standard_Failure&) {
    }
    return std::nullopt;
}

}  // namespace corvex::cadhost::occt
