#pragma once
// A ball-nose cutter's queued moves, end to start, made as one pass (internal). A finishing
// raster is rows of short moves; each move's sweep ends in the sphere and shank the next one
// starts with, so their solids, united or cut one after the other, lie face on face at every
// joint, which the kernel's Booleans handle slowly and at times wrongly (a five-row raster
// was refused within its second row). The row's pass (ball_pass.hpp) has none of those faces.
// It is checked as any merged tool is: against every move's own solid, bounded by their
// volumes, and its volume must be a union's of theirs.
#include <optional>
#include <vector>

#include "cadhost/occt/cutting/guarded_cut.hpp"
#include "cadhost/occt/cutting/queued_cut.hpp"

namespace corvex::cadhost::occt {

// Whether `later` starts where `earlier` ended, with the same ball and top: it may join its run.
bool followsOn(const BallMove& earlier, const BallMove& later);

// The runs among `cuts`, in order, of two or more ball moves that follow each other end to
// start at one radius and top, in one vertical plane and forward all the way along it; every
// other cut goes to `rest`.
std::vector<std::vector<const QueuedCut*>> ballRuns(const std::vector<const QueuedCut*>& cuts,
                                                    std::vector<const QueuedCut*>& rest);

// The tool that takes a run out: its pass, with the moves' own solids to check it against.
// None when the moves make no pass, or the kernel cannot make it, or its volume is no union's
// of theirs: the moves are then cut as they are.
std::optional<CutTool> passTool(const std::vector<const QueuedCut*>& run);

}  // namespace corvex::cadhost::occt
