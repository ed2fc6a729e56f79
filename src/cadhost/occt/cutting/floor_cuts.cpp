#include "cadhost/occt/cutting/floor_cuts.hpp"

#include <BRep_Builder.hxx>
#include <Standard_Failure.hxx>
#include <TopoDS_Compound.hxx>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <mutex>
#include <random>
#include <sstream>

#include "cadhost/occt/cutting/kernel_parallel.hpp"
#include "cadhost/occt/cutting/ray_caster.hpp"
#include "cadhost/occt/geometry/outline_geometry.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt {
namespace {

// A tool whose top lies this near the stock's top still clears it: the kernel's own tolerance.
constexpr double kClearance = 1e-7;
// How far from a cut's walls the points that prove it lie: one each side of every wall's middle.
constexpr double kBeside = 1e-3;
// Points nearer than this to an outline are not asked: there the map's exact corners (put on
// their circles to 2^-30) and plain rounding may each be right.
constexpr double kUndecided = 1e-6;
// Points of the solid asked by rays: each ray meets every face's box, so they are few.
constexpr std::size_t kSolidPoints = 48;

std::string at(const Point2& p) {
    std::ostringstream text;
    text.precision(10);
    text << "(" << p[0] << ", " << p[1] << ")";
    return text.str();
}

// The material's top at a point as the stock and the cut prisms give it, by plain geometry;
// NaN near an outline. The cuts are found through a grid of buckets over the stock's box.
class PrismHeights {
public:
    PrismHeights(const VerticalPrism& stock, const std::vector<VerticalPrism>& cuts) : stock_(stock), cuts_(cuts) {
        box_ = outlineBox(stock.outline);
        side_ = std::max<int>(1, static_cast<int>(std::sqrt(static_cast<double>(cuts.size()))));
        buckets_.resize(static_cast<std::size_t>(side_) * side_);
        for (std::size_t i = 0; i < cuts.size(); ++i) {
            const auto box = outlineBox(cuts[i].outline);
            for (int row = cell(box[1], 1); row <= cell(box[3], 1); ++row)
                for (int column = cell(box[0], 0); column <= cell(box[2], 0); ++column)
                    buckets_[row * side_ + column].push_back(i);
        }
    }

    double at(const Point2& p) const {
        const double undecided = std::numeric_limits<double>::quiet_NaN();
        if (distanceToOutline(stock_.outline, p) < kUndecided) return undecided;
        if (!insideOutline(stock_.outline, p)) return stock_.bottom;
        double height = stock_.top;
        for (std::size_t i : buckets_[cell(p[1], 1) * side_ + cell(p[0], 0)]) {
            const VerticalPrism& cut = cuts_[i];
            if (cut.bottom >= height) continue;
            if (distanceToOutline(cut.outline, p) < kUndecided) return undecided;
            bool inside = insideOutline(cut.outline, p);
            for (const Outline& hole : cut.holes) {
                if (distanceToOutline(hole, p) < kUndecided) return undecided;
                inside = inside && !insideOutline(hole, p);
            }
            if (inside) height = cut.bottom;
        }
        return std::max(height, stock_.bottom);
    }

    const std::array<double, 4>& box() const { return box_; }

private:
    int cell(double value, int axis) const {
        const double from = box_[axis], to = box_[axis + 2];
        const int k = static_cast<int>(std::floor((value - from) / (to - from) * side_));
        return std::clamp(k, 0, side_ - 1);
    }
    const VerticalPrism& stock_;
    const std::vector<VerticalPrism>& cuts_;
    std::array<double, 4> box_;
    int side_;
    std::vector<std::vector<std::size_t>> buckets_;
};

std::mutex refusalLock;
std::string lastRefusal;

FloorCutsFaults& faults() {
    static FloorCutsFaults faults;
    return faults;
}

}  // namespace

void setFloorCutsFaultsForTesting(FloorCutsFaults given) { faults() = std::move(given); }

std::string lastFloorMapRefusal() {
    std::lock_guard<std::mutex> lock(refusalLock);
    return lastRefusal;
}

std::unique_ptr<FloorCuts> FloorCuts::of(const TopoDS_Shape& stock) {
    try {
        const auto prism = verticalPrismOf(stock);
        if (!prism || !prism->holes.empty()) return nullptr;
        return std::unique_ptr<FloorCuts>(new FloorCuts(stock, *prism));
    } catch (const std::exception&) {
    } catch (const Standard_Failure&) {
    }
    return nullptr;  // a stock the kernel or the exact map cannot take: Booleans will do
}

FloorCuts::FloorCuts(TopoDS_Shape stock, const VerticalPrism& prism)
    : stock_(std::move(stock)), stockPrism_(prism), map_(prism.outline, prism.bottom, prism.top) {}

double FloorCuts::volumeLeft() const { return map_.stockVolume() - map_.removedVolume(); }

bool FloorCuts::clearIn(const VerticalPrism& shadow) {
    if (broken_ || !shadow.holes.empty()) return false;
    try {
        return !map_.holdsMaterialAbove(shadow.outline, shadow.bottom);
    } catch (const std::exception&) {
        broken_ = true;  // the map may be half updated
        return false;
    }
}

bool FloorCuts::take(const QueuedCut& cut) {
    if (broken_ || cut.sameCut) return false;
    std::optional<VerticalPrism> prism;
    try {
        prism = verticalPrismOf(cut.tool);
    } catch (const Standard_Failure&) {
        return false;  // the kernel could not tell: Booleans will do
    }
    if (!prism || prism->top < stockPrism_.top - kClearance) return false;
    return takePrism(cut, *prism);
}

bool FloorCuts::takePrism(const QueuedCut& cut, const VerticalPrism& prism) {
    VerticalPrism taken = prism;
    if (faults().prism) faults().prism(taken);
    try {
        map_.cut(taken.outline, taken.bottom, taken.holes);
    } catch (const std::exception&) {
        // The map may be half updated: it cannot be believed any more.
        broken_ = true;
        return false;
    }
    ++kernelCountersForUpdate().floorMapCuts;
    cuts_.push_back(cut);
    prisms_.push_back(prism);
    ++sinceBuilt_;
    return true;
}

std::unique_ptr<FloorCuts> FloorCuts::first(std::size_t count) const {
    std::unique_ptr<FloorCuts> map(new FloorCuts(stock_, stockPrism_));
    for (std::size_t k = 0; k < count && k < cuts_.size(); ++k)
        if (!map->takePrism(cuts_[k], prisms_[k])) break;  // broken: its build is refused
    return map;
}

std::optional<PartShape> FloorCuts::build(std::string& refusal) {
    auto built = buildChecked(refusal);
    if (!built) {
        std::lock_guard<std::mutex> lock(refusalLock);
        lastRefusal = refusal;
    }
    return built;
}

std::optional<PartShape> FloorCuts::buildChecked(std::string& refusal) {
    sinceBuilt_ = 0;
    if (broken_) {
        refusal = "the floor map could not take a cut";
        return std::nullopt;
    }
    // Each of the map's volumes walks every region.
    const double stock = map_.stockVolume(), removed = map_.removedVolume();
    const double expected = stock - removed, tolerance = 1e-6 + 1e-10 * stock;
    double asked = 0;
    for (const auto& cut : cuts_) asked += cut.toolVolume;
    if (removed > asked + tolerance) {
        refusal = "the floor map removed more than the tools hold";
        return std::nullopt;
    }
    const std::vector<Sample> samples = [&] {
        PlacementCheckTime time;
        return checkedSamples(refusal);
    }();
    if (!refusal.empty()) return std::nullopt;
    PartShape built;
    bool valid = false;
    std::string wrong;  // what the volume or the rays found
    try {
        FloorSolid solid = map_.solid(false);
        if (faults().solid && !solid.solid.IsNull()) solid.solid = faults().solid(solid.solid);
        if (solid.solid.IsNull()) {
            if (expected > tolerance) {
                refusal = "the floor map left material but its solid holds none";
                return std::nullopt;
            }
            TopoDS_Compound empty;
            BRep_Builder().MakeCompound(empty);
            return PartShape{.shape = empty};
        }
        built.shape = solid.solid;
        // The kernel's full check on one core, the volume and the rays on the other: they only
        // read the solid, and the check alone is most of a look.
        runSideBySide(2, [&](int job) {
            if (job == 0) {
                PlacementCheckTime time;
                valid = isValidShape(built.shape);
                return;
            }
            VolumeTally tally = built.faceVolumes.tally(built.shape);
            built.volume = tally.volume;
            built.faceVolumes.adopt(std::move(tally));
            if (std::fabs(built.volume - expected) > tolerance) {
                std::ostringstream text;
                text.precision(12);
                text << "the solid built from the floor map holds " << built.volume << " mm3, its map " << expected;
                wrong = text.str();
                return;
            }
            PlacementCheckTime time;
            if (auto mismatch = solidMismatch(built.shape, samples)) wrong = *mismatch;
        });
    } catch (const std::exception& error) {
        refusal = std::string("the floor map's solid could not be built or checked: ") + error.what();
        return std::nullopt;
    } catch (const Standard_Failure& failure) {
        refusal = std::string("the floor map's solid could not be built or checked: ") + failure.GetMessageString();
        return std::nullopt;
    }
    if (!valid) refusal = "the solid built from the floor map is not valid";
    else refusal = wrong;
    if (!refusal.empty()) return std::nullopt;
    return built;
}

std::vector<FloorCuts::Sample> FloorCuts::checkedSamples(std::string& refusal) const {
    std::vector<Point2> points;
    for (const Point2& p : map_.pointInEveryRegion()) points.push_back(p);
    for (const auto& prism : prisms_) {
        for (const Point2& p : besidePieces(prism.outline, kBeside)) points.push_back(p);
        for (const auto& hole : prism.holes)
            for (const Point2& p : besidePieces(hole, kBeside)) points.push_back(p);
    }
    const PrismHeights heights(stockPrism_, prisms_);
    std::mt19937 random(static_cast<unsigned>(prisms_.size()));
    std::uniform_real_distribution<double> x(heights.box()[0], heights.box()[2]), y(heights.box()[1], heights.box()[3]);
    const std::size_t spread = std::max<std::size_t>(256, 2 * prisms_.size());
    for (std::size_t i = 0; i < spread; ++i) points.push_back({x(random), y(random)});
    std::vector<double> mapped;
    try {
        mapped = map_.heightsAt(points);
    } catch (const std::exception& error) {
        refusal = std::string("the floor map could not be asked for its heights: ") + error.what();
        return {};
    }
    std::vector<Sample> samples;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double expected = heights.at(points[i]);
        if (std::isnan(expected) || std::isnan(mapped[i])) continue;
        if (std::fabs(mapped[i] - expected) > FloorMap::kFloorTolerance) {
            std::ostringstream text;
            text.precision(12);
            text << "the floor map leaves material up to " << mapped[i] << " at " << at(points[i])
                 << ", where the tools leave it up to " << expected;
            refusal = text.str();
            return {};
        }
        samples.push_back({points[i], expected});
    }
    // Points on the map's edges are not asked; most must be.
    if (samples.size() * 4 < points.size()) {
        refusal = "the floor map could not be asked where its regions lie";
        return {};
    }
    return samples;
}

std::optional<std::string> FloorCuts::solidMismatch(const TopoDS_Shape& solid, const std::vector<Sample>& samples) const {
    RayCaster rays(solid);
    const double bottom = stockPrism_.bottom, top = stockPrism_.top;
    const std::size_t step = std::max<std::size_t>(1, samples.size() / kSolidPoints);
    for (std::size_t i = 0; i < samples.size(); i += step) {
        const Sample& sample = samples[i];
        // Below the material's top, and above it.
        const std::pair<double, bool> asked[] = {{(bottom + sample.height) / 2, true}, {(sample.height + top) / 2, false}};
        for (const auto& [z, material] : asked) {
            if (std::fabs(z - sample.height) < 1e-5 || std::fabs(z - bottom) < 1e-5 || std::fabs(z - top) < 1e-5) continue;
            const gp_Pnt point(sample.point[0], sample.point[1], z);
            const RayCaster::Crossings crossings = rays.cast(point);
            if (!crossings.decided || crossings.onSurface || (crossings.count % 2 == 1) == material) continue;
            if ((oddRaysFrom(solid, point) >= 2) == material) continue;  // the first ray was misled
            return "the solid built from the floor map " + std::string(material ? "lacks" : "holds") +
                   " material at " + at(sample.point) + " height " + std::to_string(z);
        }
    }
    return std::nullopt;
}

}  // namespace corvex::cadhost::occt
