#pragma once
// The guarded subtraction (internal): one 3-D Boolean that takes any number of tools out of a
// part, checked before it is believed. OpenCASCADE has been seen to report success while
// wiping out most of a workpiece, so a result is taken only when its volume shrank, by no more
// than the tools' volume, it is a valid shape, and it is empty only when the tools swallowed
// the part. A refused result is retried with a small fuzzy value and then with the tools
// shifted by 1e-6 (which has fixed every refusal seen on real jobs).
#include <TopoDS_Shape.hxx>

#include <functional>
#include <optional>
#include <vector>

#include "cadhost/occt/face_volumes.hpp"

namespace corvex::cadhost::occt {

// A part that cuts are made in: its shape, its volume and its faces' volume contributions.
struct PartShape {
    TopoDS_Shape shape;
    double volume = 0;
    FaceVolumes faceVolumes;
};

// `part` minus every tool, as one Boolean, guarded and retried as above. `toolVolume` bounds
// what the tools may take (the sum of their volumes will do). On success `part` holds the
// result and true is returned; otherwise `part` is untouched.
bool subtractChecked(PartShape& part, const std::vector<TopoDS_Shape>& tools, double toolVolume);

// Same-domain faces of `part` merged, kept only when the volume stays within the guard's
// tolerance and the shape stays valid. False when the merged shape was refused.
bool unifyChecked(PartShape& part);

// For tests: sees (and may replace) every result of a 3-D subtraction before the guard does.
// `attempt` counts from 0 for the plain Boolean, 1 for the fuzzy one, 2 for the shifted one.
using SubtractionHook = std::function<TopoDS_Shape(const TopoDS_Shape& result, int attempt)>;
void setSubtractionHookForTesting(SubtractionHook hook);

// The process's tallies, kept by these functions (declared in embedded_host.hpp).
struct KernelCounters;
KernelCounters& kernelCountersForUpdate();

}  // namespace corvex::cadhost::occt
