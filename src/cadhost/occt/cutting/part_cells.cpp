#include "cadhost/occt/cutting/part_cells.hpp"

#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepAlgoAPI_Splitter.hxx>
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_Copy.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRep_Builder.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_ListOfShape.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Pln.hxx>

#include <algorithm>
#include <cmath>

#include "automation/error.hpp"
#include "cadhost/occt/cutting/kernel_parallel.hpp"
#include "cadhost/occt/cutting/local_validity.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"

namespace corvex::cadhost::occt {
namespace {

Bnd_Box boxOf(const TopoDS_Shape& shape) {
    Bnd_Box box;
    if (!shape.IsNull()) BRepBndLib::Add(shape, box, false);
    box.Enlarge(1e-6);
    return box;
}

double volumeTolerance(double volume) { return 1e-9 * std::fabs(volume) + 1e-12; }

// Each Boolean of cells side by side gets tools of its own: the kernel may touch up its
// inputs (a tolerance, a curve on a face), and two cells must not do that to one edge.
TopoDS_Shape ownCopy(const TopoDS_Shape& shape) { return BRepBuilderAPI_Copy(shape, false).Shape(); }

// The solids as one shape: the solid itself when there is one.
TopoDS_Shape compoundOf(const std::vector<TopoDS_Shape>& solids) {
    if (solids.size() == 1) return solids.front();
    BRep_Builder builder;
    TopoDS_Compound compound;
    builder.MakeCompound(compound);
    for (const auto& solid : solids) builder.Add(compound, solid);
    return compound;
}

// The cells fused back into one part. Cells only meet on their cutting planes, which the
// kernel's glue option is made for; a fuse without it is the next try. `known` holds what the
// cells know of their faces' volumes: the fuse hands most faces through as they were. None
// when neither gives a valid part of the cells' volume (seen: a hole across a cutting plane
// filled back in).
std::optional<TopoDS_Shape> joinedCells(const std::vector<TopoDS_Shape>& cells, double volume, FaceVolumes& known) {
    for (const bool glued : {true, false}) {
        try {
            const TopoDS_Shape joined = fusedSolids(cells, glued, /*keepSolids=*/true);  // the cells go on taking cuts
            if (joined.IsNull()) continue;
            VolumeTally tally = known.tally(joined);
            if (std::fabs(tally.volume - volume) <= volumeTolerance(volume) &&
                (validWhereChanged(joined, tally.newFaces) || isValidShape(joined)))
                return joined;
        } catch (const Standard_Failure&) {
        }
    }
    return std::nullopt;
}

// The tools the client asked for that `tools` stand for.
std::vector<TopoDS_Shape> askedOf(const std::vector<CutTool>& tools) {
    std::vector<TopoDS_Shape> asked;
    for (const auto& tool : tools) {
        if (tool.asked.empty()) asked.push_back(tool.shape);
        else asked.insert(asked.end(), tool.asked.begin(), tool.asked.end());
    }
    return asked;
}

// How many cuts go into one Boolean when the whole part is brought up to date.
constexpr std::size_t kReplayBatch = 64;

}  // namespace

PartCells::Cell PartCells::cellOf(TopoDS_Shape shape, double volume) {
    Cell cell;
    cell.part.shape = std::move(shape);
    cell.part.volume = volume;
    return cell;
}

PartCells::PartCells(TopoDS_Shape shape, int facesPerCell) : facesPerCell_(facesPerCell) {
    whole_.shape = shape;
    cells_.push_back(cellOf(std::move(shape), 0));
    cells_.front().volumeKnown = false;
}

PartCells::PartCells(PartShape known, int facesPerCell) : facesPerCell_(facesPerCell) {
    whole_ = known;
    Cell cell;
    cell.part = std::move(known);
    cells_.push_back(std::move(cell));
}

const TopoDS_Shape& PartCells::shape() {
    if (cells_.size() == 1) return cells_.front().part.shape;
    if (!joined_) {
        const double total = volume();
        std::vector<TopoDS_Shape> shapes;
        FaceVolumes known;
        if (const auto& origin = cells_.front().part.faceVolumes.origin()) known.startAt(*origin);
        for (const auto& cell : cells_) {
            if (countSolids(cell.part.shape) == 0) continue;  // cut away altogether
            shapes.push_back(cell.part.shape);
            known.learn(cell.part.faceVolumes);
        }
        if (shapes.empty()) joined_ = compoundOf({});
        else if (shapes.size() == 1) joined_ = shapes.front();
        else if (auto joined = joinedCells(shapes, total, known)) joined_ = std::move(*joined);
        else joined_ = replayedWhole(total);
        keepWhole();
    }
    return *joined_;
}

TopoDS_Shape PartCells::replayedWhole(double cellsVolume) {
    // The whole part as it was when last whole, with every cut made since taken from it: what
    // cutting without cells gives, checked as every cut is, and then against the cells.
    PartShape whole = whole_;
    const Bnd_Box box = boxOf(whole.shape);
    VolumeTally tally = whole.faceVolumes.tally(whole.shape);
    whole.volume = tally.volume;
    whole.faceVolumes.adopt(std::move(tally));
    for (std::size_t first = 0; first < since_.size(); first += kReplayBatch) {
        const std::vector<CutTool> batch(since_.begin() + first,
                                         since_.begin() + std::min(since_.size(), first + kReplayBatch));
        if (!subtractChecked(whole, batch, evidenceOf(whole.shape, box, askedOf(batch)))) break;
        if (first + kReplayBatch >= since_.size() &&
            std::fabs(whole.volume - cellsVolume) <= 1e-7 * std::fabs(cellsVolume) + 1e-9)
            return whole.shape;
    }
    if (since_.empty() && std::fabs(whole.volume - cellsVolume) <= 1e-7 * std::fabs(cellsVolume) + 1e-9)
        return whole.shape;
    throw automation::failure("the part is kept in pieces to cut it faster, and the geometry kernel could "
                              "neither join them nor make its cuts on the whole part");
}

void PartCells::keepWhole() {
    whole_ = PartShape{.shape = *joined_, .volume = volume()};
    since_.clear();
}

double PartCells::volume() {
    double total = 0;
    for (auto& cell : cells_) {
        if (!cell.volumeKnown) {
            VolumeTally tally = cell.part.faceVolumes.tally(cell.part.shape);
            cell.part.volume = tally.volume;
            cell.part.faceVolumes.adopt(std::move(tally));
            cell.volumeKnown = true;
        }
        total += cell.part.volume;
    }
    return total;
}

bool PartCells::subtract(const std::vector<CutTool>& tools) {
    volume();
    std::vector<Bnd_Box> toolBoxes;
    // A tool reaches a cell when it, or any solid the client asked for in its place, does: a
    // union of ten ball sweeps once came back from the kernel with no solid in it, reached no
    // cell, and its ten cuts were dropped without a word. Reached by the solids asked for,
    // the cell's guard finds their material left.
    for (const auto& tool : tools) {
        Bnd_Box box = boxOf(tool.shape);
        for (const auto& asked : tool.asked) box.Add(boxOf(asked));
        toolBoxes.push_back(box);
    }
    struct Job {
        std::size_t cell;
        std::vector<std::size_t> tools;
        PartShape trial;
    };
    std::vector<Job> jobs;
    for (std::size_t c = 0; c < cells_.size(); ++c) {
        Job job{c, {}, {}};
        if (cells_[c].box.IsVoid()) cells_[c].box = boxOf(cells_[c].part.shape);
        for (std::size_t t = 0; t < tools.size(); ++t)
            if (!cells_[c].box.IsOut(toolBoxes[t])) job.tools.push_back(t);
        if (!job.tools.empty()) jobs.push_back(std::move(job));
    }
    if (jobs.empty()) return true;  // no tool reaches the part
    // What each job's result is checked against: points on the faces of the tools the
    // client asked for, within the cell.
    std::vector<CutEvidence> evidence;
    for (const auto& job : jobs) {
        std::vector<CutTool> reaching;
        for (std::size_t t : job.tools) reaching.push_back(tools[t]);
        evidence.push_back(evidenceOf(cells_[job.cell].part.shape, cells_[job.cell].box, askedOf(reaching)));
    }
    // The tools a job takes out, and the most they may remove; copied when cells run side by side.
    // A tool that reaches several cells takes only its share from each: the whole of a
    // common part is taken from the part, not from any one cell (every cell refused a part
    // of 150 holes "the whole tool" of a sweep's common part across them).
    std::vector<int> cellsReached(tools.size(), 0);
    for (const auto& job : jobs)
        for (std::size_t t : job.tools) ++cellsReached[t];
    auto cutBy = [&](std::size_t j, PartShape& part, bool copies) {
        std::vector<CutTool> taken;
        for (std::size_t t : jobs[j].tools) {
            taken.push_back(tools[t]);
            if (copies) taken.back().shape = ownCopy(tools[t].shape);
            if (cellsReached[t] > 1) taken.back().removesAll = false;
        }
        return subtractChecked(part, taken, evidence[j]);
    };
    if (cells_.size() == 1) {  // one Boolean, which leaves the part as it was when refused
        if (!cutBy(0, cells_.front().part, false)) return refusal_ = cells_.front().part.refusal, false;
        cells_.front().changed = true;
        cells_.front().cutSinceMerge = true;
        return true;
    }
    // Each reached cell is cut on a copy of its state, and the copies are taken only when
    // every cell accepted its cut.
    std::vector<char> accepted(jobs.size(), 0);
    runSideBySide(static_cast<int>(jobs.size()), [&](int j) {
        Job& job = jobs[j];
        job.trial = cells_[job.cell].part;
        accepted[j] = cutBy(j, job.trial, true);
    });
    if (auto refused = std::find(accepted.begin(), accepted.end(), 0); refused != accepted.end())
        return refusal_ = jobs[refused - accepted.begin()].trial.refusal, false;
    for (auto& job : jobs) {
        Cell& cell = cells_[job.cell];
        cell.part = std::move(job.trial);
        cell.changed = true;
        cell.cutSinceMerge = true;
    }
    since_.insert(since_.end(), tools.begin(), tools.end());
    joined_.reset();
    return true;
}

void PartCells::tidy() {
    std::vector<Cell> next;
    for (auto& cell : cells_) {
        if (!cell.changed) {
            next.push_back(std::move(cell));
            continue;
        }
        cell.changed = false;
        mergeFacesWhenItPays(cell);
        const int faces = countFaces(cell.part.shape);
        const int limit = cell.facesBeforeSplit > 0 ? cell.facesBeforeSplit : facesPerCell_;
        if (faces > limit) {
            if (auto split = halves(cell)) {
                if (cells_.size() == 1) {  // the part is about to stop being whole
                    whole_ = cell.part;
                    since_.clear();
                }
                next.push_back(std::move(split->first));
                next.push_back(std::move(split->second));
                joined_.reset();
                continue;
            }
            cell.facesBeforeSplit = faces * 2;  // a cell that would not split waits to grow
        }
        next.push_back(std::move(cell));
    }
    cells_ = std::move(next);
}

void PartCells::mergeFaces() {
    for (auto& cell : cells_) {
        if (!cell.cutSinceMerge) continue;
        cell.cutSinceMerge = false;
        const int faces = countFaces(cell.part.shape);
        if (!unifyChecked(cell.part) || countFaces(cell.part.shape) == faces) continue;
        cell.facesAtLastMerge = countFaces(cell.part.shape);
        cell.box.SetVoid();
        joined_.reset();
    }
}

void PartCells::transform(const gp_Trsf& motion) {
    for (auto& cell : cells_) {
        // A rigid motion keeps the volume, but no face is where it was; the origin goes along.
        const auto origin = cell.part.faceVolumes.origin();
        cell.part.shape = movedShape(cell.part.shape, motion);
        if (origin) cell.part.faceVolumes.startAt(origin->Transformed(motion));
        else cell.part.faceVolumes.forget();
        cell.box.SetVoid();              // found again when a cut needs it: a moved tool never does
    }
    if (joined_) joined_ = movedShape(*joined_, motion);
    whole_.shape = movedShape(whole_.shape, motion);
    whole_.faceVolumes.forget();
    for (auto& tool : since_) {
        tool.shape = movedShape(tool.shape, motion);
        for (auto& asked : tool.asked) asked = movedShape(asked, motion);
        if (tool.turnedAbout) tool.turnedAbout = tool.turnedAbout->Transformed(motion);
    }
}

void PartCells::mergeFacesWhenItPays(Cell& cell) {
    const int faces = countFaces(cell.part.shape);
    if (cell.facesAtLastMerge < 0) cell.facesAtLastMerge = faces;
    if (faces < cell.facesAtLastMerge + cell.facesBeforeMerge) return;

    const bool merged = unifyChecked(cell.part);
    const int after = countFaces(cell.part.shape);
    // On a part whose floors all lie at different heights a merge takes back little and
    // costs as much as a cut: then it waits for twice as many new faces before the next try.
    if (!merged || after > faces * 8 / 10) cell.facesBeforeMerge = std::min(cell.facesBeforeMerge * 2, 1 << 14);
    else cell.facesBeforeMerge = 30;
    cell.facesAtLastMerge = after;
    cell.cutSinceMerge = !merged;
}

std::optional<std::pair<PartCells::Cell, PartCells::Cell>> PartCells::halves(const Cell& cell) {
    // Across the middle of the cell's longest side.
    double x0, y0, z0, x1, y1, z1;
    (cell.box.IsVoid() ? boxOf(cell.part.shape) : cell.box).Get(x0, y0, z0, x1, y1, z1);
    const double extent[3] = {x1 - x0, y1 - y0, z1 - z0};
    const int axis = static_cast<int>(std::max_element(extent, extent + 3) - extent);
    const gp_Pnt middle((x0 + x1) / 2, (y0 + y1) / 2, (z0 + z1) / 2);
    const gp_Dir normal(axis == 0 ? 1 : 0, axis == 1 ? 1 : 0, axis == 2 ? 1 : 0);
    const double reach = extent[0] + extent[1] + extent[2];
    try {
        BRepAlgoAPI_Splitter splitter;
        TopTools_ListOfShape arguments, tools;
        arguments.Append(cell.part.shape);
        tools.Append(BRepBuilderAPI_MakeFace(gp_Pln(middle, normal), -reach, reach, -reach, reach).Face());
        splitter.SetArguments(arguments);
        splitter.SetTools(tools);
        splitter.SetNonDestructive(true);
        splitter.SetToFillHistory(false);
        splitter.Build();
        if (!splitter.IsDone() || splitter.HasErrors()) return std::nullopt;
        std::vector<TopoDS_Shape> below, above;
        for (TopExp_Explorer it(splitter.Shape(), TopAbs_SOLID); it.More(); it.Next()) {
            Bnd_Box box = boxOf(it.Current());
            double a0, b0, c0, a1, b1, c1;
            box.Get(a0, b0, c0, a1, b1, c1);
            const double centre = axis == 0 ? (a0 + a1) / 2 : axis == 1 ? (b0 + b1) / 2 : (c0 + c1) / 2;
            const double plane = axis == 0 ? middle.X() : axis == 1 ? middle.Y() : middle.Z();
            // Own copies: the halves share their cut face, and are cut side by side later.
            (centre < plane ? below : above).push_back(ownCopy(it.Current()));
        }
        if (below.empty() || above.empty()) return std::nullopt;
        std::pair<Cell, Cell> split{cellOf(compoundOf(below), 0), cellOf(compoundOf(above), 0)};
        double total = 0;
        for (Cell* half : {&split.first, &split.second}) {
            if (const auto& origin = cell.part.faceVolumes.origin()) half->part.faceVolumes.startAt(*origin);
            VolumeTally tally = half->part.faceVolumes.tally(half->part.shape);
            half->part.volume = tally.volume;
            half->part.faceVolumes.adopt(std::move(tally));
            half->facesAtLastMerge = countFaces(half->part.shape);
            half->changed = false;
            total += half->part.volume;
            if (!isValidShape(half->part.shape)) return std::nullopt;
        }
        // The halves must hold what the cell held: a split that loses or makes material is not
        // believed, and the cell stays whole.
        if (std::fabs(total - cell.part.volume) > volumeTolerance(cell.part.volume)) return std::nullopt;
        return split;
    } catch (const Standard_Failure&) {
        return std::nullopt;
    }
}

}  // namespace corvex::cadhost::occt
