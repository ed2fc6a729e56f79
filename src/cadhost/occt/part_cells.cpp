#include "cadhost/occt/part_cells.hpp"

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
#include "cadhost/occt/kernel_parallel.hpp"
#include "cadhost/occt/local_validity.hpp"
#include "cadhost/occt/solid_ops.hpp"

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
// kernel's glue option is made for; a fuse without it is the fallback. `known` holds what the
// cells know of their faces' volumes: the fuse hands most faces through as they were.
TopoDS_Shape joinedCells(const std::vector<TopoDS_Shape>& cells, double volume, FaceVolumes& known) {
    for (auto glue : {BOPAlgo_GlueShift, BOPAlgo_GlueOff}) {
        try {
            BRepAlgoAPI_Fuse fuse;
            TopTools_ListOfShape arguments, tools;
            arguments.Append(cells.front());
            for (std::size_t i = 1; i < cells.size(); ++i) tools.Append(cells[i]);
            fuse.SetArguments(arguments);
            fuse.SetTools(tools);
            fuse.SetGlue(glue);
            fuse.SetNonDestructive(true);  // the cells go on taking cuts
            fuse.SetToFillHistory(false);
            fuse.SetRunParallel(true);
            fuse.Build();
            if (!fuse.IsDone() || fuse.HasErrors()) continue;
            TopoDS_Shape joined = fuse.Shape();
            VolumeTally tally = known.tally(joined);
            if (std::fabs(tally.volume - volume) <= volumeTolerance(volume) &&
                (validWhereChanged(joined, tally.newFaces) || isValidShape(joined)))
                return joined;
        } catch (const Standard_Failure&) {
        }
    }
    throw automation::failure("the part is kept in pieces to cut it faster, and the geometry kernel could not join them");
}

}  // namespace

PartCells::Cell PartCells::cellOf(TopoDS_Shape shape, double volume) {
    Cell cell;
    cell.part.shape = std::move(shape);
    cell.part.volume = volume;
    return cell;
}

PartCells::PartCells(TopoDS_Shape shape, int facesPerCell) : facesPerCell_(facesPerCell) {
    cells_.push_back(cellOf(std::move(shape), 0));
    cells_.front().volumeKnown = false;
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
        else joined_ = joinedCells(shapes, total, known);
    }
    return *joined_;
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
    for (const auto& tool : tools) toolBoxes.push_back(boxOf(tool.shape));
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
    // The tools a job takes out, and the most they may remove; copied when cells run side by side.
    auto cutBy = [&](const Job& job, PartShape& part, bool copies) {
        std::vector<TopoDS_Shape> shapes;
        double toolVolume = 0;
        for (std::size_t t : job.tools) {
            shapes.push_back(copies ? ownCopy(tools[t].shape) : tools[t].shape);
            toolVolume += tools[t].volume;
        }
        return subtractChecked(part, shapes, toolVolume);
    };
    if (cells_.size() == 1) {  // one Boolean, which leaves the part as it was when refused
        if (!cutBy(jobs.front(), cells_.front().part, false)) return false;
        cells_.front().changed = true;
        return true;
    }
    // Each reached cell is cut on a copy of its state, and the copies are taken only when
    // every cell accepted its cut.
    std::vector<char> accepted(jobs.size(), 0);
    runSideBySide(static_cast<int>(jobs.size()), [&](int j) {
        Job& job = jobs[j];
        job.trial = cells_[job.cell].part;
        accepted[j] = cutBy(job, job.trial, true);
    });
    if (std::find(accepted.begin(), accepted.end(), 0) != accepted.end()) return false;
    for (auto& job : jobs) {
        Cell& cell = cells_[job.cell];
        cell.part = std::move(job.trial);
        cell.changed = true;
    }
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
