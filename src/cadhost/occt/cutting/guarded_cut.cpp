#include "cadhost/occt/cutting/guarded_cut.hpp"

#include <BRepAdaptor_Surface.hxx>
#include <BRepBndLib.hxx>
#include <BRepGProp.hxx>
#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <GProp_GProps.hxx>
#include <ShapeUpgrade_UnifySameDomain.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopLoc_Location.hxx>
#include <TopTools_MapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Trsf.hxx>

#include <atomic>
#include <cmath>
#include <ctime>
#include <new>
#include <sstream>

#include "automation/number_text.hpp"
#include "cadhost/occt/cutting/kernel_counters.hpp"
#include "cadhost/occt/cutting/kept_boundary.hpp"
#include "cadhost/occt/cutting/local_validity.hpp"
#include "cadhost/occt/cutting/ray_caster.hpp"
#include "cadhost/occt/cutting/removal_check.hpp"
#include "cadhost/occt/geometry/kernel_time_limit.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"
#include "cadhost/occt/geometry/spline_extrusions.hpp"

namespace corvex::cadhost::occt {
namespace {

// Cells of a part are cut side by side, so the tallies are counted atomically.
void count(long& counter) { std::atomic_ref<long>(counter).fetch_add(1, std::memory_order_relaxed); }

// Points on each asked tool's faces that the result must not hold inside. A tool that meets
// the part leaves faces of its own across it, so a cut that removed nothing, or missed a
// piece, holds some of them. Finding and judging the points costs about 0.5 ms each on a
// terrain cell: at twelve points a tool the terrain job took 15 % longer, and a merged pocket
// layer of 335 slots twice as long; at these figures the check costs the terrain about 6 %.
constexpr std::size_t kPointsPerTool = 3;
constexpr std::size_t kPointsPerBoolean = 64;
// A retry is rare, and it is where the kernel has already gone wrong once (a shifted turn once
// left 2.4 mm3 uncut that twelve points missed): it is judged by four times as many points.
constexpr std::size_t kRetryPointsPerTool = 12;
// Points of the material just outside each tool, one from each face it meets the part with,
// of some tools spread through the batch. Beside a tool every other tool may be asked about a
// point, so that a batch of 400 turned passes cost 0.2 s at 16 tools.
constexpr std::size_t kBesidePointsPerTool = 4;
constexpr std::size_t kBesideToolsPerBoolean = 8;
// Points on the faces a cut took from the part, each of which must lie in a tool or on a face
// the cut made (see kept_boundary.hpp); a retry is judged by four times as many.
constexpr std::size_t kLostFacePoints = 32;
constexpr std::size_t kRetryLostFacePoints = 128;

SubtractionHook& subtractionHook() {
    static SubtractionHook hook;
    return hook;
}

double guardTolerance(double before, double toolVolume) {
    return 1e-9 * (std::fabs(before) + std::fabs(toolVolume)) + 1e-12;
}

// The kernel integrates curved faces (tori above all) to about 1e-7 of their volume: a ring
// cut wholly inside a bar removed its own volume and 1.2e-7 of it more. Taking more than the
// tools by a millionth of them is no fault. Not more: path sweeps that seemed to take 1e-5 of
// their volume too much, measured again exactly, took their whole volume where part of it was
// already cut away, and the differential test found them wrong.
double removalTolerance(double before, double toolVolume) {
    return guardTolerance(before, toolVolume) + 1e-6 * std::fabs(toolVolume);
}

// How far the quick integration of the faces a cut made and lost may err, as a share of the
// volumes involved. It has erred by 5e-3 (a bull-nose path sweep down through an earlier
// cut's walls: 4.5 of 889 mm3), so results are measured again up to four times that.
constexpr double kQuickVolumeError = 2e-2;

// The loosest tolerance the edges of a result's new faces may have: how far off its faces the
// kernel lets an edge lie. A helix cut into a part left edges 0.12 mm off (and vertices 3 mm),
// a part that could be neither meshed closed nor measured twice alike, with every other check
// passed. Sound results of the random differential test (helices and 3-D sweeps among them)
// stayed within 0.003 mm; the drawing's own tolerance, promised for every cut, is the limit.
// Vertices are not held to it: a rotary job's sound cut left one 0.3 mm wide.
constexpr double kLoosestTolerance = 1e-2;

// Whether a result's volume may follow from the cut: no more than before, no less than before
// less what the tools may take. The quick integration of curved faces errs (see above), so a
// result near the bounds is measured again, what it made and lost integrated adaptively, and
// the tools too.
// Only the volume is settled so: where the material lies is checked after, as for any result
// (results let through here once filled back part of an earlier cut).
// `mustRemove`: what the cut must take at least (0: nothing is known).
bool volumeAddsUp(const PartShape& part, const VolumeTally& tally, const std::vector<TopoDS_Shape>& tools,
                  double removable, double mustRemove, double tolerance) {
    const double before = part.volume, after = tally.volume;
    if (after < -tolerance) return false;
    const double ceiling = before + tolerance - mustRemove;
    if (after <= ceiling && after >= before - removable) return true;
    const double slack = kQuickVolumeError * (removable + std::fabs(before - after)) + tolerance;
    if (after > ceiling + slack || after < before - removable - slack) return false;
    constexpr double kAccuracy = 1e-9;
    const double change = part.faceVolumes.accurateChange(tally, kAccuracy);
    double toolVolume = 0;
    for (const auto& tool : tools) {
        toolVolume += volumeProperties(tool, kAccuracy).Mass();
    }
    return change <= tolerance && -change <= toolVolume + removalTolerance(before, toolVolume) &&
           -change >= mustRemove;
}

// Every lump of a result must hold material: a lump turned inside out counts against the
// volume, and has been seen to hide material added outside the part.
bool everyLumpHasVolume(const TopoDS_Shape& result, const FaceContributions& faces, double tolerance) {
    if (countSolids(result) < 2) return true;
    for (TopExp_Explorer solids(result, TopAbs_SOLID); solids.More(); solids.Next()) {
        double volume = 0;
        for (TopExp_Explorer it(solids.Current(), TopAbs_FACE); it.More(); it.Next())
            if (const double* known = faces.Seek(it.Current())) volume += *known;
        if (volume <= tolerance) return false;
    }
    return true;
}

// A Boolean can leave a lump of no volume along an edge the tool grazed (seen: 3.9e-21 mm3,
// two faces). It is no material, and it makes the part invalid once written and read back,
// so such lumps are dropped. Genuine islands are many orders of magnitude larger.
TopoDS_Shape withoutSlivers(const TopoDS_Shape& shape, double scale) {
    if (shape.IsNull() || countSolids(shape) < 2) return shape;
    const double negligible = 1e-12 * scale + 1e-15;
    BRep_Builder builder;
    TopoDS_Compound kept;
    builder.MakeCompound(kept);
    bool dropped = false;
    for (TopExp_Explorer it(shape, TopAbs_SOLID); it.More(); it.Next()) {
        if (std::fabs(solidVolume(it.Current())) <= negligible) {
            dropped = true;
            continue;
        }
        builder.Add(kept, it.Current());
    }
    if (!dropped) return shape;
    // A compound of one solid is still a compound; callers count solids, not shape types.
    return kept;
}

// Whether any tool's box meets `partBox`.
bool toolsReachInto(const Bnd_Box& partBox, const std::vector<TopoDS_Shape>& tools) {
    if (partBox.IsVoid()) return true;
    for (const auto& tool : tools) {
        Bnd_Box box;
        BRepBndLib::Add(tool, box, false);
        if (!partBox.IsOut(box)) return true;
    }
    return false;
}

// An empty result is believed only when the tools really hold the whole part.
bool toolsSwallow(const TopoDS_Shape& part, double volume, const std::vector<TopoDS_Shape>& tools) {
    TopoDS_Shape common = runBoolean({part}, tools, BooleanOp::Intersection, 0);
    return !common.IsNull() && std::fabs(solidVolume(common) - volume) <= guardTolerance(volume, 0) * 10;
}

std::vector<TopoDS_Shape> shifted(const std::vector<TopoDS_Shape>& tools) {
    gp_Trsf shift;
    shift.SetTranslation(gp_Vec(1e-6, 1e-6, 1e-6));
    std::vector<TopoDS_Shape> moved;
    for (const auto& tool : tools) moved.push_back(tool.Moved(TopLoc_Location(shift)));
    return moved;
}

// The tools written out in the kernel's own text form and read back: the same solids, stated
// afresh. A path sweep down an earlier cut's end, as made, met the part in no volume at all
// (its common part 4e-7 mm3, its cut removing nothing, both checks found it); read back from
// its text, it cut 622 mm3 as it should.
std::vector<TopoDS_Shape> restated(const std::vector<TopoDS_Shape>& tools) {
    std::vector<TopoDS_Shape> fresh;
    for (const auto& tool : tools) {
        std::stringstream text;
        BRepTools::Write(tool, text, false, false, TopTools_FormatVersion_CURRENT);
        TopoDS_Shape back;
        BRep_Builder builder;
        BRepTools::Read(back, text, builder);
        fresh.push_back(back.IsNull() ? tool : back);
    }
    return fresh;
}

// The tools with every full turn turned a radian further about its own axis: the same solid,
// with its seams elsewhere. A ring that touches a turned part's surface (a groove to the
// diameter) once met that surface along the bar's own seam, and no fuzzy value nor shift made
// the kernel cut it; turned, it cut exactly. None when no tool is a full turn.
std::optional<std::vector<TopoDS_Shape>> turnedAboutOwnAxes(const std::vector<CutTool>& tools) {
    std::vector<TopoDS_Shape> turned;
    bool any = false;
    for (const auto& tool : tools) {
        if (!tool.turnedAbout) {
            turned.push_back(tool.shape);
            continue;
        }
        gp_Trsf turn;
        turn.SetRotation(*tool.turnedAbout, 1.0);
        turned.push_back(movedShape(tool.shape, turn));
        any = true;
    }
    if (!any) return std::nullopt;
    return turned;
}

// The tools with every common part replaced by the whole solid it was taken with (see
// CutTool::sameCut). None when no tool is a common part.
std::optional<std::vector<TopoDS_Shape>> commonPartsTakenWhole(const std::vector<CutTool>& tools) {
    std::vector<TopoDS_Shape> whole;
    bool any = false;
    for (const auto& tool : tools) {
        whole.push_back(tool.sameCut ? *tool.sameCut : tool.shape);
        any = any || tool.sameCut;
    }
    if (!any) return std::nullopt;
    return whole;
}

}  // namespace

void setSubtractionHookForTesting(SubtractionHook hook) { subtractionHook() = std::move(hook); }

KernelCounters& kernelCountersForUpdate() {
    static KernelCounters counters;
    return counters;
}
KernelCounters kernelCounters() { return kernelCountersForUpdate(); }

namespace {
double processorSeconds(bool wholeProcess) {
    timespec now{};
    clock_gettime(wholeProcess ? CLOCK_PROCESS_CPUTIME_ID : CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}
}  // namespace

PlacementCheckTime::PlacementCheckTime(bool wholeProcess)
    : wholeProcess_(wholeProcess), start_(processorSeconds(wholeProcess)) {}
PlacementCheckTime::~PlacementCheckTime() {
    std::atomic_ref<double>(kernelCountersForUpdate().placementCheckSeconds)
        .fetch_add(processorSeconds(wholeProcess_) - start_, std::memory_order_relaxed);
}
void resetKernelCounters() { kernelCountersForUpdate() = KernelCounters(); }

namespace {

// `perTool` points within each of the sampled tools, leaving out the first `skipped` of each
// (with `material`, the part's rays, those in its material first). Finding points costs about
// as much as classifying them: of many tools, some spread evenly through them are sampled.
std::vector<gp_Pnt> pointsWithinTools(const CutEvidence& evidence, std::size_t perTool, std::size_t skipped,
                                      RayCaster* material) {
    const auto& asked = evidence.asked;
    const std::size_t tools = std::min(asked.size(), kPointsPerBoolean / kPointsPerTool);
    std::vector<gp_Pnt> all;
    for (std::size_t k = 0; k < tools; ++k) {
        auto points = pointsWithinTool(asked[k * asked.size() / tools], evidence.partBox, perTool, material);
        if (points.size() > skipped) all.insert(all.end(), points.begin() + skipped, points.end());
    }
    return all;
}

}  // namespace

CutEvidence evidenceOf(const TopoDS_Shape& part, const Bnd_Box& partBox, const std::vector<TopoDS_Shape>& asked) {
    PlacementCheckTime time;
    CutEvidence evidence{part, partBox, asked, {}, {}};
    std::optional<RayCaster> material;
    if (!part.IsNull()) material.emplace(part);
    evidence.toolPoints = pointsWithinTools(evidence, kPointsPerTool, 0, material ? &*material : nullptr);
    if (material) {
        ToolSolids all(asked);
        // From the last tool back: beside an early tool of a batch, a later one has often cut.
        const std::size_t tools = std::min(asked.size(), kBesideToolsPerBoolean);
        for (std::size_t k = 0; k < tools; ++k) {
            const TopoDS_Shape& tool = asked[asked.size() - 1 - k * asked.size() / tools];
            const auto points = pointsBesideTool(tool, partBox, kBesidePointsPerTool, all, *material);
            evidence.besidePoints.insert(evidence.besidePoints.end(), points.begin(), points.end());
        }
    }
    return evidence;
}

bool subtractChecked(PartShape& part, const std::vector<CutTool>& tools, const CutEvidence& evidence) {
    auto& counters = kernelCountersForUpdate();
    double toolVolume = 0;
    for (const auto& tool : tools) toolVolume += tool.volume;
    const double before = part.volume;
    const double tolerance = guardTolerance(before, toolVolume);
    const double removable = toolVolume + removalTolerance(before, toolVolume);
    // Only a lone tool: tools cut together may overlap, and then take less than their sum.
    // Its volume is the quick integration's, which errs by up to 2e-4 on a sweep's faces: a
    // thousandth of it is left as slack (the points judge what is smaller).
    const double mustRemove = tools.size() == 1 && tools.front().removesAll
                                  ? std::max(0.0, toolVolume * (1 - 1e-3) - tolerance)
                                  : 0.0;
    std::string firstCause, lastCause;
    // The more points a retry is judged by, found when a retry first needs them: finding
    // them for every cut cost the terrain job a tenth of its time.
    std::optional<std::vector<gp_Pnt>> moreToolPoints;
    auto retryPoints = [&]() -> const std::vector<gp_Pnt>& {
        if (!moreToolPoints) {
            std::optional<RayCaster> material;
            if (!evidence.part.IsNull()) material.emplace(evidence.part);
            moreToolPoints = pointsWithinTools(evidence, kRetryPointsPerTool, kPointsPerTool, material ? &*material : nullptr);
        }
        return *moreToolPoints;
    };
    // The asked tools as solids to ask about points, made when a result first needs them.
    std::optional<ToolSolids> asked;
    auto askedSolids = [&]() -> ToolSolids& {
        if (!asked) asked.emplace(evidence.asked);
        return *asked;
    };
    // Booleans that ran past their time. A batch of cuts that did is given up at once: the
    // cuts one by one are its next attempt, and cuts lying on each other are what slowed the
    // kernel most. A lone cut is given up after the second.
    int outOfTime = 0;
    const int outOfTimeAllowed = tools.size() > 1 || (!tools.empty() && tools.front().asked.size() > 1) ? 1 : 2;
    // Tries one Boolean; on refusal says why in `lastCause`.
    auto attempt = [&](const std::vector<TopoDS_Shape>& cutters, double fuzzy, int number,
                       double mayRemove) -> bool {
        if (outOfTime >= outOfTimeAllowed) return false;
        if (number > 0) count(counters.guardRetries);
        count(counters.booleans);
        const bool taken = [&]() -> bool {
            TopoDS_Shape result;
            try {
                bool ranOut = false;
                result = runBoolean({part.shape}, cutters, BooleanOp::Subtraction, fuzzy, &ranOut);
                if (ranOut) {
                    ++outOfTime;
                    count(counters.booleansOutOfTime);
                    return lastCause = "the kernel did not finish within " + automation::shortestText(booleanSeconds()) + " s",
                           false;
                }
                if (subtractionHook()) result = subtractionHook()(result, number);
                result = withoutSlivers(result, before);
                if (result.IsNull()) return lastCause = "the kernel gave no result", false;
                // The cheap checks first: the volume from the faces' contributions, then validity.
                VolumeTally tally = part.faceVolumes.tally(result);
                const double after = tally.volume;
                if (!volumeAddsUp(part, tally, cutters, mayRemove, mustRemove, tolerance))
                    return lastCause = after > before                 ? "its volume grew"
                                       : after < 0                    ? "its volume was negative"
                                       : after > before - mustRemove ? "it took less than the whole tool"
                                                                      : "it took more than the tools hold",
                           false;
                if (countSolids(result) == 0 || after <= tolerance) {
                    if (!toolsSwallow(part.shape, before, cutters))
                        return lastCause = "it was empty, though the tools do not hold the whole part", false;
                } else if (evidence.fullCheck ? !isValidShape(result)
                                              : !validWhereChanged(result, tally.newFaces) && !isValidShape(result)) {
                    return lastCause = "it was not a valid solid", false;
                }
                if (const double loosest = loosestEdgeTolerance(tally.newFaces); loosest > kLoosestTolerance) {
                    count(counters.looseResults);
                    return lastCause = "it left an edge " + automation::shortestText(loosest) + " mm off its faces", false;
                }
                // Then where the material is, which no volume shows.
                PlacementCheckTime time;
                const char* misplaced = nullptr;
                if (!madeWithin(tally.newFaces, evidence.partBox))
                    misplaced = "it made faces outside the part";
                else if (!everyLumpHasVolume(result, tally.faces, tolerance))
                    misplaced = "it held a lump turned inside out";
                else if (std::vector<SolidRays> solids = solidsWithRays(result);
                         pointLeftInside(solids, evidence.toolPoints, evidence.asked) ||
                         (number > 0 && pointLeftInside(solids, retryPoints(), evidence.asked)))
                    misplaced = "it kept material inside the tools";
                else if (faceKeptInsideTools(tally.newFaces, cutters, askedSolids()))
                    misplaced = "it kept part of the workpiece's surface inside the tools";
                else if (pointTakenBeside(evidence.part, solids, evidence.besidePoints, evidence.asked))
                    misplaced = "it took material beside the tools";
                else if (boundaryLostOutsideTools(part.shape, result, tally.newFaces, evidence.asked,
                                                  number > 0 ? kRetryLostFacePoints : kLostFacePoints))
                    misplaced = "it filled in part of the workpiece beside the tools";
                if (misplaced) {
                    count(counters.misplacedResults);
                    return lastCause = misplaced, false;
                }
                part.shape = result;
                part.volume = after;
                part.faceVolumes.adopt(std::move(tally));
                return true;
            } catch (const Standard_Failure&) {
                return lastCause = "the kernel gave up", false;  // the next attempt may do
            } catch (const std::bad_alloc&) {
                // The kernel's surface walking once took 18 GB on one pair of faces; under the
                // process's memory bound it fails here, and the next attempt made the cut.
                return lastCause = "the kernel ran out of memory", false;
            }
        }();
        if (!taken && firstCause.empty()) firstCause = lastCause;
        return taken;
    };
    std::vector<TopoDS_Shape> shapes;
    for (const auto& tool : tools) shapes.push_back(tool.shape);
    if (attempt(shapes, 0, 0, removable)) {
        // A result that took nothing, of tools that reach into the part's box, is asked again
        // of the tools shifted by 1e-6, and the second answer is taken when it removes
        // material (it is checked as every result is). An eager ring sector that began on a
        // plunge's axis, its floor on the plunge's floor, reached 75 mm3 into a block's corner:
        // the plain Boolean and its common part both said the two did not meet, every point on
        // the tools' faces fell outside that corner, and the shifted tools cut it.
        if (part.volume < before - tolerance || !toolsReachInto(evidence.partBox, shapes)) return true;
        const PartShape untouched = part;
        if (attempt(shifted(shapes), 0, 4, removable) && part.volume < before - tolerance) return true;
        part = untouched;
        return true;
    }
    if (attempt(shapes, 1e-7, 1, removable)) return true;
    // A turn turned about its axis is the very solid asked for, so it is tried before a shift.
    if (auto turned = turnedAboutOwnAxes(tools); turned && attempt(*turned, 0, 2, removable)) return true;
    // Whole solids may take more than their common parts say: the kernel may have made a
    // common part short, and then only the whole solid takes what the client asked for.
    const auto whole = commonPartsTakenWhole(tools);
    double mayRemoveWhole = removable;
    if (whole) {
        double wholeVolume = 0;
        for (const auto& solid : *whole) wholeVolume += solidVolume(solid);
        mayRemoveWhole = std::max(removable, wholeVolume + removalTolerance(before, wholeVolume));
        if (attempt(*whole, 0, 3, mayRemoveWhole)) return true;
    }
    if (attempt(shifted(shapes), 0, 4, removable)) return true;
    const std::vector<TopoDS_Shape>& widest = whole ? *whole : shapes;
    if (attempt(restated(widest), 0, 5, mayRemoveWhole)) return true;
    // A path run back beside an earlier slot, at its floor's height, left 273 mm3 of the wall
    // between them uncut in every attempt above, and took it with this fuzzy value: a tenth of
    // the band within which points count as on a face.
    if (attempt(widest, 1e-6, 6, mayRemoveWhole)) return true;
    // A ball's pass beside the last pass of a finishing raster, its faces nearly coaxial with
    // the last pass's: every attempt above kept material inside the tool (the kernel reported
    // its own arguments self-interfering); with the faces within a micron taken as one, the
    // cut was made, and it matched the ball's envelope. A micron is a tenth of the drawing's
    // tolerance, and the result passes every check above.
    if (attempt(widest, 1e-3, 7, mayRemoveWhole)) return true;
    count(counters.guardFailures);
    part.refusal = firstCause == lastCause ? firstCause : firstCause + " (the last retry: " + lastCause + ")";
    return false;
}

bool unifyChecked(PartShape& part) {
    auto& counters = kernelCountersForUpdate();
    count(counters.unifies);
    try {
        ShapeUpgrade_UnifySameDomain unify(part.shape, true, true, false);
        unify.SetSafeInputMode(true);
        // Only flat faces merge: on a part whose curved faces met curved faces of the same
        // cylinder (a plunge where a slot ended), the kernel's merge of curved faces never
        // came back. Keeping the edges of curved faces leaves them as they are.
        TopTools_MapOfShape keep;
        for (TopExp_Explorer faces(part.shape, TopAbs_FACE); faces.More(); faces.Next()) {
            if (BRepAdaptor_Surface(TopoDS::Face(faces.Current()), false).GetType() == GeomAbs_Plane) continue;
            for (TopExp_Explorer edges(faces.Current(), TopAbs_EDGE); edges.More(); edges.Next()) keep.Add(edges.Current());
        }
        unify.KeepShapes(keep);
        unify.Build();
        TopoDS_Shape unified = unify.Shape();
        if (!unified.IsNull()) {
            VolumeTally tally = part.faceVolumes.tally(unified);
            // On a 3-D job merging faces is what once grew a part's volume and then turned it
            // negative while every check of the shape passed: its volume must not move at all.
            if (std::fabs(tally.volume - part.volume) <= guardTolerance(part.volume, 0) && isValidShape(unified)) {
                part.shape = unified;
                part.volume = tally.volume;
                part.faceVolumes.adopt(std::move(tally));
                return true;
            }
        }
    } catch (const Standard_Failure&) {
        // Merging is an optimisation: the exact, un-merged part is kept.
    }
    count(counters.unifiesRejected);
    return false;
}

}  // namespace corvex::cadhost::occt
