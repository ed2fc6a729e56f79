#pragma once
// The guarded subtraction (internal): one 3-D Boolean that takes any number of tools out of a
// part, checked before it is believed. OpenCASCADE has been seen to report success while
// wiping out most of a workpiece, so a result is taken only when its volume shrank, by no more
// than the tools' volume, it is a valid shape whose new edges lie on their faces within the
// drawing's tolerance, and it is empty only when the tools swallowed the part; and, since a
// volume bounds a cut from one side only, when the result holds no material where the asked
// tools were, none of the part's own surface lies inside them, and the part's boundary away
// from the tools is kept (see removal_check.hpp, kept_boundary.hpp). A refused result is
// retried with a small fuzzy value, then with full turns turned about their own axes, then with
// common parts taken whole, then with the tools shifted by 1e-6, then restated from the
// kernel's text form, then with a larger fuzzy value, and last with a fuzzy value of a micron.
#include <Bnd_Box.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Ax1.hxx>
#include <gp_Pnt.hxx>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cadhost/occt/cutting/face_volumes.hpp"
#include "cadhost/occt/cutting/kernel_counters.hpp"

namespace corvex::cadhost::occt {

// A part that cuts are made in: its shape, its volume and its faces' volume contributions.
struct PartShape {
    TopoDS_Shape shape;
    double volume = 0;
    FaceVolumes faceVolumes;
    std::string refusal;  // why the last subtraction refused its results, for the error
};

// A solid taken out of the part; the most it may remove; the client's tools it stands for when
// it is their union (none: the solid itself), which the result is checked against; for a full
// turn, its axis (turning it about that axis leaves the same solid); and, for the common part
// of the part and another solid, that solid: the part has only lost material since the common
// part was taken, so cutting the whole solid leaves the same part. The common part's faces lie
// on the part's own, where the kernel is weakest.
struct CutTool {
    TopoDS_Shape shape;
    double volume = 0;
    std::vector<TopoDS_Shape> asked;
    std::optional<gp_Ax1> turnedAbout;
    std::optional<TopoDS_Shape> sameCut;
    // The part holds the whole tool (a common part taken from it as it is): the cut must take
    // the tool's whole volume, a check from the other side too.
    bool removesAll = false;
};

// What a result is checked against besides its volume (see removal_check.hpp and
// kept_boundary.hpp): a box the part lies within, the tools the client asked for, and points
// just inside them, which the result must not hold inside. Those tools may differ from the
// ones the Boolean takes out (merged into one, or remembered from an earlier cut), so that a
// wrong merge is caught too.
struct CutEvidence {
    TopoDS_Shape part;  // before the cut: points in its material are the ones that prove a cut
    Bnd_Box partBox;
    std::vector<TopoDS_Shape> asked;
    std::vector<gp_Pnt> toolPoints;  // a retry is judged by more, found when it needs them
    std::vector<gp_Pnt> besidePoints;  // in the part's material just outside the tools
    bool fullCheck = false;  // the whole result checked by the kernel, not only where it changed
};

// The evidence for taking `asked` out of `part`, which lies within `partBox` (void: anywhere).
CutEvidence evidenceOf(const TopoDS_Shape& part, const Bnd_Box& partBox, const std::vector<TopoDS_Shape>& asked);

// `part` minus every tool, as one Boolean, guarded and retried as above (full turns also turned
// about their own axes). The tools' volumes bound what they may take. On success `part` holds
// the result and true is returned; otherwise only `part.refusal` changes: what was wrong.
bool subtractChecked(PartShape& part, const std::vector<CutTool>& tools, const CutEvidence& evidence);

// Same-domain faces of `part` merged, kept only when the volume stays within the guard's
// tolerance and the shape stays valid. False when the merged shape was refused.
bool unifyChecked(PartShape& part);

// For tests: sees (and may replace) every result of a 3-D subtraction before the guard does.
// `attempt` counts from 0 for the plain Boolean, 1 for the fuzzy one, 2 for the full turns
// turned about their axes, 3 for the common parts taken whole, 4 for the shifted one, 5 for
// the tools (whole) restated from the kernel's text form, 6 for them with a larger fuzzy value,
// 7 for them with the largest (a micron).
using SubtractionHook = std::function<TopoDS_Shape(const TopoDS_Shape& result, int attempt)>;
void setSubtractionHookForTesting(SubtractionHook hook);

// Books the processor time from its making to its end as time spent checking where material
// lies. `wholeProcess`: the time of every thread (for the kernel's own parallel checks, made
// while nothing else runs); otherwise the calling thread's only (cells are cut side by side).
class PlacementCheckTime {
public:
    explicit PlacementCheckTime(bool wholeProcess = false);
    ~PlacementCheckTime();
    PlacementCheckTime(const PlacementCheckTime&) = delete;
    PlacementCheckTime& operator=(const PlacementCheckTime&) = delete;

private:
    bool wholeProcess_;
    double start_;
};

// The process's tallies, kept by these functions (see kernel_counters.hpp).
KernelCounters& kernelCountersForUpdate();

}  // namespace corvex::cadhost::occt
