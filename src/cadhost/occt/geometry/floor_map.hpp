#pragma once
// A floor map: a stock that is a vertical prism, cut only by vertical prisms whose tops clear
// it (slots, arcs and holes of a 3-axis job), recorded in 2-D as exact planar regions, each at
// the height of its floor. A cut is an update of the map (an exact arrangement of segments and
// circular arcs); the B-Rep (floors, walls, one solid) is built only when someone looks, with
// no 3-D Boolean. The map also knows the volume it removed, from its own areas, which checks
// the solid built from it without the kernel (internal to the embedded host).
#include <TopoDS_Shape.hxx>

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace corvex::cadhost::occt {

// A closed outline in the XY plane, walked counter-clockwise: each corner starts a piece to the
// next corner (the last one to the first), straight or an arc about a centre, turning
// counter-clockwise (bulging out) or clockwise (bending in, as a ring's inner side does).
// An arc's corners are put exactly on its circle (within a rounding of the given ones), so
// that arcs about one centre with one radius lie on one circle, as a tool's disc and the ends
// of its slots do, and overlap instead of crossing each other everywhere.
struct OutlineArc {
    double cx = 0, cy = 0, radius = 0;
    bool clockwise = false;
};
struct Outline {
    std::vector<std::array<double, 2>> corners;
    std::vector<std::optional<OutlineArc>> arcs;  // one per corner: its piece, straight when none

    static Outline polygon(std::vector<std::array<double, 2>> corners);
    static Outline circle(double cx, double cy, double radius);
    // The slot a flat end mill of `radius` cuts moving from one centre to the other.
    static Outline slot(const std::array<double, 2>& from, const std::array<double, 2>& to, double radius);
};

struct FloorSolid {
    // A solid, or a compound of solids where the material meets itself only along a line; null
    // when the stock is cut away wholly.
    TopoDS_Shape solid;
    int faces = 0;
    bool valid = false;  // by the kernel's full check
};

class FloorMap {
public:
    static constexpr double kFloorTolerance = 1e-7;  // the kernel's own

    // The stock: the prism of `footprint` from `bottom` to `top`.
    FloorMap(const Outline& footprint, double bottom, double top);
    ~FloorMap();
    FloorMap(const FloorMap&) = delete;
    FloorMap& operator=(const FloorMap&) = delete;

    // Takes away the material inside `outline` and outside its `holes` (each walked clockwise,
    // inside the outline and clear of the others) above `floor` (put at a height the map holds
    // already when within kFloorTolerance of it).
    void cut(const Outline& outline, double floor, const std::vector<Outline>& holes = {});

    // Whether the map holds material above `floor` (by more than kFloorTolerance) anywhere
    // inside `outline`, decided on the exact regions: where it holds none, no solid lying in
    // that prism can take anything. The map means what it meant before; only its faces are cut
    // and joined again.
    bool holdsMaterialAbove(const Outline& outline, double floor);

    // The volume the cuts took from the stock, from the map's areas.
    double removedVolume() const;
    double stockVolume() const;
    // The stock less every cut, one face per floor, per wall and per piece of the bottom, its
    // edges shared, and checked by the kernel in full. Where outlines touch at a single point
    // the map's regions meet themselves there, and the solid is not valid yet: such a part must
    // be cut by Booleans.
    // (`check` false leaves the check to the caller; valid is then false.)
    FloorSolid solid(bool check = true) const;

    // The top of the material at each point, as the map holds it: the stock's top where uncut,
    // a cut's floor (not below the bottom), the bottom outside the stock; NaN on an edge or a
    // corner of the map, where it is not one region's. All points are located in one sweep.
    std::vector<double> heightsAt(const std::vector<std::array<double, 2>>& points) const;

    // A point in each region of the stock, just inside the middle of one of its edges (in a
    // region narrower than that, the point may fall in a neighbour): asked with `heightsAt`, they
    // check the height of every region.
    std::vector<std::array<double, 2>> pointInEveryRegion() const;

    std::size_t regions() const;  // the map's faces, inside the stock and out
    double bottom() const { return bottom_; }
    double top() const { return top_; }

    struct Arrangement;  // the exact arrangement, private to the map's own sources

private:
    std::unique_ptr<Arrangement> map_;
    double bottom_, top_;
    // Every height the map holds: a floor within the kernel's tolerance of one of them is put
    // at it, so that no wall or riser is shorter than the kernel can build.
    std::set<double> heights_;
};

}  // namespace corvex::cadhost::occt
