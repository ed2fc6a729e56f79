#pragma once
// Cut solids known to be swept regions, and their merging in 2-D (internal). A slot or a
// plunge is a horizontal region pushed straight up; prisms over the same height span unite
// exactly as their regions do, and uniting flat regions is far cheaper and safer than uniting
// solids. Full turns of profiles lying on one side of one axis unite the same way: the turn of
// the united profile (measured on a turning job: uniting ten turned solids took 0.85 s, their
// profiles' union and one turn a few ms).
#include <gp_Ax1.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Pnt.hxx>
#include <gp_Trsf.hxx>

#include <optional>
#include <vector>

#include "cadhost/occt/geometry/translated_memo.hpp"

namespace corvex::cadhost::occt {

// A region (a face or a compound of faces) lying at Z `bottom` and pushed up to `top`; or, for
// a turn, a region in a plane through `axis`, on the side `side` of it, turned a full turn.
struct SweepOrigin {
    TopoDS_Shape faces;
    double bottom = 0;
    double top = 0;
    bool turn = false;
    gp_Ax1 axis;
    gp_Dir side;
};

// How `region` extruded by `height` along its normal was made, when that is straight up.
std::optional<SweepOrigin> verticalPrismOrigin(const TopoDS_Shape& region, double height);
// The same for a cylinder standing on Z about `centre` (at mid-height).
SweepOrigin cylinderPrismOrigin(const gp_Pnt& centre, double radius, double height);
// The same for `region` revolved by `angle` radians about `axis`, when that is a full turn.
std::optional<SweepOrigin> fullTurnOrigin(const TopoDS_Shape& region, const gp_Ax1& axis, double angle);
// The origin of the solid after a rigid motion: null when it is no longer one that merges.
std::optional<SweepOrigin> movedSweep(const SweepOrigin& sweep, const gp_Trsf& motion);
// Whether the two solids' union is the sweep of their regions' union.
bool mergeable(const SweepOrigin& a, const SweepOrigin& b);

// One sweep of the union of the sweeps' regions, and its volume worked out from the united
// region alone (area times height, or for a turn by Pappus), so that a guard bounding a cut by
// it does not take the kernel's word for the solid it made.
struct MergedSweep {
    TopoDS_Shape solid;
    double volume = 0;
};
// For sweeps all mergeable with each other. Fails with an automation::Error when the kernel
// cannot unite the regions. Kept under `key` (their mergeKey), when there is one.
MergedSweep mergedSweep(const std::vector<const SweepOrigin*>& sweeps, const std::optional<TranslationKey>& key);
// What prisms are merged under: the same for the same outlines cut again at another depth or
// place (a pocket's layers), so that the union is made once. None for turns.
std::optional<TranslationKey> mergeKey(const std::vector<const SweepOrigin*>& sweeps);
// Whether a union's measure (a volume or an area) may be true: no less than its largest part and
// no more than all its parts together, within a share `relative` of them and `absolute` more. A
// union outside these bounds is not believed: its cut would take what no tool reached, or
// nothing (a union of ten ball sweeps once came back empty).
bool unionMeasureHolds(double united, double largest, double total, double relative, double absolute);
// The union of shapes by a balanced tree of fuses (each shape takes part in about log n
// fuses), the fuses of one level side by side. Fails with an automation::Error when a fuse
// fails.
TopoDS_Shape fusedTree(std::vector<TopoDS_Shape> shapes, bool unifyFaces);

}  // namespace corvex::cadhost::occt
