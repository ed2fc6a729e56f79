#include "cadhost/occt/cutting/face_volumes.hpp"

#include <BRepBndLib.hxx>
#include <Bnd_Box.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>

#include "cadhost/occt/geometry/spline_extrusions.hpp"

namespace corvex::cadhost::occt {
namespace {

// The face's share of the volume: the signed cone from `origin` over the face, as
// BRepGProp::VolumeProperties integrates it for every face of a solid.
// `accuracy` > 0 integrates adaptively to that relative error; 0 takes the kernel's quick rule.
double contributionOf(const TopoDS_Face& face, const gp_Pnt& origin, double accuracy = 0) {
    return faceVolumeProperties(face, origin, accuracy).Mass();
}

// Far from the drawing's origin the cones of opposite faces are large and cancel; about a
// point near the part they stay of the part's size.
gp_Pnt originNear(const TopoDS_Shape& shape) {
    Bnd_Box box;
    BRepBndLib::Add(shape, box, false);
    if (box.IsVoid()) return gp_Pnt(0, 0, 0);
    double x0, y0, z0, x1, y1, z1;
    box.Get(x0, y0, z0, x1, y1, z1);
    return gp_Pnt((x0 + x1) / 2, (y0 + y1) / 2, (z0 + z1) / 2);
}

}  // namespace

VolumeTally FaceVolumes::tally(const TopoDS_Shape& shape) {
    VolumeTally result;
    if (shape.IsNull()) return result;
    if (!origin_) origin_ = originNear(shape);
    for (TopExp_Explorer it(shape, TopAbs_FACE); it.More(); it.Next()) {
        const TopoDS_Face& face = TopoDS::Face(it.Current());
        // As the whole-solid integration does: internal and external faces bound nothing.
        if (face.Orientation() != TopAbs_FORWARD && face.Orientation() != TopAbs_REVERSED) continue;
        const double* known = known_.Seek(face);
        double contribution = known ? *known : contributionOf(face, *origin_);
        if (!known) result.newFaces.push_back(face);
        result.faces.Bind(face, contribution);
        result.volume += contribution;
    }
    return result;
}

double FaceVolumes::accurateChange(const VolumeTally& tally, double accuracy) const {
    if (!origin_) return tally.volume;
    double change = 0;
    for (const auto& face : tally.newFaces) change += contributionOf(face, *origin_, accuracy);
    for (FaceContributions::Iterator it(known_); it.More(); it.Next())
        if (!tally.faces.IsBound(it.Key())) change -= contributionOf(TopoDS::Face(it.Key()), *origin_, accuracy);
    return change;
}

void FaceVolumes::startAt(const gp_Pnt& origin) {
    origin_ = origin;
    known_.Clear();
}

void FaceVolumes::learn(const FaceVolumes& other) {
    if (!origin_ || !other.origin_ || origin_->Distance(*other.origin_) != 0) return;
    for (FaceContributions::Iterator it(other.known_); it.More(); it.Next()) known_.Bind(it.Key(), it.Value());
}

void FaceVolumes::forget() {
    origin_.reset();
    known_.Clear();
}

}  // namespace corvex::cadhost::occt
