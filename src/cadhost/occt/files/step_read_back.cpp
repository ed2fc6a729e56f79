#include "cadhost/occt/files/step_read_back.hpp"

#include <BRepGProp.hxx>
#include <GProp_GProps.hxx>
#include <TopExp_Explorer.hxx>

#include <cmath>
#include <optional>
#include <utility>

#include "automation/error.hpp"
#include "automation/number_text.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"
#include "cadhost/occt/geometry/spline_extrusions.hpp"

namespace corvex::cadhost::occt {
namespace {

[[noreturn]] void differs(const std::string& what) {
    throw automation::failure("the written drawing does not read back as it was written: " + what);
}

int solidsIn(const TopoDS_Shape& shape) {
    int solids = 0;
    for (TopExp_Explorer it(shape, TopAbs_SOLID); it.More(); it.Next()) ++solids;
    return solids;
}

double volumeOf(const TopoDS_Shape& shape, double accuracy) {
    return volumeProperties(shape, accuracy).Mass();
}

// The volumes written and read when they differ, else none. A turned block's volume, integrated
// adaptively, differed by 6e-5 of it after the file's round trip while fine meshes of the two
// agreed: the kernel integrates the surfaces the file turns tori into less well. A thousandth
// is a difference no such error makes, and any lost lump or face does.
// The sign is left out: what a failed turn leaves behind (an open, inside-out solid) reads back
// turned the other way, and refusing the whole drawing for it lost the workpiece with it.
std::optional<std::pair<double, double>> volumesDiffer(const TopoDS_Shape& written, const TopoDS_Shape& read) {
    const auto close = [](double a, double b) {
        return std::fabs(std::fabs(a) - std::fabs(b)) <= 1e-3 * std::fabs(a) + 1e-9;
    };
    if (close(volumeOf(written, 0), volumeOf(read, 0))) return std::nullopt;
    constexpr double kAccuracy = 1e-9;
    const double mine = volumeOf(written, kAccuracy), theirs = volumeOf(read, kAccuracy);
    if (close(mine, theirs)) return std::nullopt;
    return std::make_pair(mine, theirs);
}

}  // namespace

void checkStepReadsBack(const StepContent& written, const std::string& path,
                        const std::function<bool(const std::string& name)>& isWhole,
                        std::vector<std::size_t>* invalid) {
    const StepContent read = readStepContent(path, isWhole);
    std::vector<std::size_t> turnedInvalid;
    if (read.items.size() != written.items.size())
        differs(std::to_string(read.items.size()) + " shapes of " + std::to_string(written.items.size()));
    for (std::size_t i = 0; i < written.items.size(); ++i) {
        const StepItem &mine = written.items[i], &theirs = read.items[i];
        const std::string which = "shape " + std::to_string(i + 1) + " (\"" + mine.name + "\")";
        if (theirs.name != mine.name) differs(which + " is named \"" + theirs.name + "\"");
        const int solids = solidsIn(mine.shape);
        if (solidsIn(theirs.shape) != solids) differs(which + " lost or gained solids");
        if (solids == 0) continue;
        if (auto volumes = volumesDiffer(mine.shape, theirs.shape))
            differs(which + " changed its volume from " + automation::shortestText(volumes->first) + " to " +
                    automation::shortestText(volumes->second));
        // A part that another program, or the next run, reads as an invalid solid is not the
        // part that was made (seen: a floor whose nearly tangent arcs crossed once read).
        if (!isValidShape(theirs.shape) && isValidShape(mine.shape)) turnedInvalid.push_back(i);
    }
    if (invalid) *invalid = turnedInvalid;
    if (!turnedInvalid.empty() && !invalid) {
        const StepItem& first = written.items[turnedInvalid.front()];
        differs("shape " + std::to_string(turnedInvalid.front() + 1) + " (\"" + first.name +
                "\") reads back as an invalid solid" +
                (turnedInvalid.size() > 1 ? " (and " + std::to_string(turnedInvalid.size() - 1) + " more)" : ""));
    }
    if (read.layers.size() != written.layers.size()) differs("its groups");
    for (std::size_t i = 0; i < written.layers.size(); ++i)
        if (read.layers[i].name != written.layers[i].name || read.layers[i].members != written.layers[i].members)
            differs("the group \"" + written.layers[i].name + "\"");
}

}  // namespace corvex::cadhost::occt
