#pragma once
// A solid's volume as the sum of its faces' contributions about a fixed origin (internal).
// A Boolean hands most faces of the part through unchanged, so keeping each face's
// contribution and computing only those of the faces it made turns the guard's volume, a
// whole-solid integration that costs as much as a small cut on a part of some hundred faces,
// into a few per cent of the cut.
#include <NCollection_DataMap.hxx>
#include <TopTools_OrientedShapeMapHasher.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Pnt.hxx>

#include <optional>
#include <vector>

namespace corvex::cadhost::occt {

using FaceContributions = NCollection_DataMap<TopoDS_Shape, double, TopTools_OrientedShapeMapHasher>;

// A shape's volume and the contributions of its faces, ready to be adopted once the shape is.
struct VolumeTally {
    double volume = 0;
    FaceContributions faces;
    std::vector<TopoDS_Face> newFaces;  // the faces not seen in the adopted shape
};

class FaceVolumes {
public:
    // The volume of `shape`, reusing what is known of faces seen in the adopted shape.
    VolumeTally tally(const TopoDS_Shape& shape);
    // `tally` becomes the known faces: those of the shape the part now has.
    void adopt(VolumeTally tally) { known_ = std::move(tally.faces); }
    // How much `tally`'s shape holds more than the adopted one, from the faces it made and the
    // faces it lost, each integrated to `accuracy` (relative): far dearer than `tally`, for
    // when its quick figures are too close to call.
    double accurateChange(const VolumeTally& tally, double accuracy) const;
    // After a motion no face is where it was.
    void forget();

    // The cells of one part share one origin, so that the part joined from them reuses what
    // each cell knows of its faces. `origin` comes from the part the cells were cut from.
    const std::optional<gp_Pnt>& origin() const { return origin_; }
    void startAt(const gp_Pnt& origin);  // forgets every face
    // Takes on what `other`, about the same origin, knows of its faces.
    void learn(const FaceVolumes& other);

private:
    std::optional<gp_Pnt> origin_;
    FaceContributions known_;
};

}  // namespace corvex::cadhost::occt
