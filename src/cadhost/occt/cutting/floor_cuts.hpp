#pragma once
// A workpiece's cuts kept in a floor map (internal). While the workpiece is prism stock (a box,
// a plate) and every cut is a vertical prism whose top clears it (the slots, arcs and holes of
// a 3-axis job), each cut is an update of the map in 2-D, and the solid is built from the map
// only when someone looks: no 3-D Boolean at all. The solid is believed only when the kernel's
// full check passes, its volume is the one the map's areas give, the map holds at points beside
// every cut and across the stock the heights that the cut prisms themselves give by plain
// geometry, and the solid holds material at sampled points exactly where those heights say.
// Otherwise the cuts are made by Booleans, as if the map had never been.
#include <TopoDS_Shape.hxx>

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cadhost/occt/cutting/guarded_cut.hpp"
#include "cadhost/occt/cutting/queued_cut.hpp"
#include "cadhost/occt/geometry/vertical_prism.hpp"

namespace corvex::cadhost::occt {

class FloorCuts {
public:
    // None when the stock is not a vertical prism.
    static std::unique_ptr<FloorCuts> of(const TopoDS_Shape& stock);

    // Takes the cut into the map when the map can express it; false leaves it to Booleans.
    bool take(const QueuedCut& cut);

    // The stock less every cut taken (an empty compound when they took it all), with its volume
    // and its faces' contributions, checked as above; none when refused, with why.
    std::optional<PartShape> build(std::string& refusal);

    // Whether the stock less every cut taken holds no material in `shadow`: a cut whose tool
    // lies wholly inside it takes nothing. False when the map cannot tell.
    bool clearIn(const VerticalPrism& shadow);

    std::size_t taken() const { return cuts_.size(); }
    // A map of the same stock with the first `count` cuts taken, as they were taken here.
    std::unique_ptr<FloorCuts> first(std::size_t count) const;
    // The volume the stock less every cut taken holds, by the map's own areas.
    double volumeLeft() const;
    std::size_t takenSinceBuilt() const { return sinceBuilt_; }
    // For Booleans to make when the map's solid is refused: the stock and every cut taken.
    const TopoDS_Shape& stock() const { return stock_; }
    const std::vector<QueuedCut>& cuts() const { return cuts_; }

private:
    FloorCuts(TopoDS_Shape stock, const VerticalPrism& prism);
    std::optional<PartShape> buildChecked(std::string& refusal);
    bool takePrism(const QueuedCut& cut, const VerticalPrism& prism);
    // Points beside every cut and across the stock, with the material's top there by the cut
    // prisms, each checked against the map; empty, with why, when the map differs.
    struct Sample {
        std::array<double, 2> point;
        double height;
    };
    std::vector<Sample> checkedSamples(std::string& refusal) const;
    std::optional<std::string> solidMismatch(const TopoDS_Shape& solid, const std::vector<Sample>& samples) const;

    TopoDS_Shape stock_;
    VerticalPrism stockPrism_;
    FloorMap map_;
    std::vector<QueuedCut> cuts_;
    std::vector<VerticalPrism> prisms_;  // the cuts' tools as prisms, which the map is checked against
    std::size_t sinceBuilt_ = 0;
    bool broken_ = false;  // a cut failed halfway into the map
};

// Why the last floor map in this process was refused (empty when none was), for the trust run.
std::string lastFloorMapRefusal();

// For tests: faults put into what the map takes (each cut's prism, as the map sees it) and into
// the solid it builds, which its checks must catch.
struct FloorCutsFaults {
    std::function<void(VerticalPrism&)> prism;
    std::function<TopoDS_Shape(const TopoDS_Shape&)> solid;
};
void setFloorCutsFaultsForTesting(FloorCutsFaults faults);

}  // namespace corvex::cadhost::occt
