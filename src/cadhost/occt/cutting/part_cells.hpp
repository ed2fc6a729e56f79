#pragma once
// A workpiece kept as cells (internal). The cost of a Boolean grows with every face of the
// part it is given, not only with the faces the tool reaches; on a 3-D finishing job, where
// every cut leaves floors at a height of its own, a part of some thousand faces made a cut
// thirty times dearer than on the block. So a part that grows many faces is split into cells
// by planes, and a cut goes only to the cells its tools reach, each with its own guard. The
// whole part is joined from its cells when someone needs its shape, and kept until the next cut.
#include <Bnd_Box.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Trsf.hxx>

#include <optional>
#include <vector>

#include "cadhost/occt/cutting/guarded_cut.hpp"

namespace corvex::cadhost::occt {

class PartCells {
public:
    // Measured on the terrain job: cells of about 300 faces cut fastest. Smaller cells mean
    // more Booleans per cut (each with a fixed cost of a few ms), larger ones dearer Booleans.
    static constexpr int kFacesPerCell = 300;

    explicit PartCells(TopoDS_Shape shape, int facesPerCell = kFacesPerCell);
    // A part whose volume and faces' contributions are known already.
    explicit PartCells(PartShape known, int facesPerCell = kFacesPerCell);

    // The whole part: the only cell's shape, or the cells joined (once per change), or when the
    // kernel cannot join them, the last whole part with the cells' cuts made on it. Fails with
    // an automation::Error only when none of that gives the cells' part.
    const TopoDS_Shape& shape();
    double volume();  // the cells' volumes added up
    std::size_t cellCount() const { return cells_.size(); }

    // Takes every tool out of every cell it reaches, each cell by one guarded Boolean. All or
    // nothing: when a cell refuses, every cell is left as it was and false is returned, and
    // `refusal` says why.
    bool subtract(const std::vector<CutTool>& tools);
    const std::string& refusal() const { return refusal_; }
    // Merges same-domain faces of the cells that gained many since their last merge, and
    // splits those that still hold too many faces.
    void tidy();
    // Merges same-domain faces of every cell cut since its last merge, however few it gained.
    void mergeFaces();
    void transform(const gp_Trsf& motion);

private:
    struct Cell {
        PartShape part;
        Bnd_Box box;  // void until a cut needs it
        int facesAtLastMerge = -1;
        int facesBeforeMerge = 30;
        int facesBeforeSplit = 0;  // 0: the usual limit
        bool changed = true;       // cut since the last tidy
        bool cutSinceMerge = true;
        bool volumeKnown = true;
    };
    static Cell cellOf(TopoDS_Shape shape, double volume);
    static void mergeFacesWhenItPays(Cell& cell);
    static std::optional<std::pair<Cell, Cell>> halves(const Cell& cell);

    TopoDS_Shape replayedWhole(double cellsVolume);
    void keepWhole();

    int facesPerCell_;
    std::vector<Cell> cells_;
    std::optional<TopoDS_Shape> joined_;
    // The part as it last was in one piece, and every cut the cells took since: when the
    // kernel cannot join the cells, the cuts are made on the whole part instead, so that a
    // part is never lost for want of a join. While there is one cell, it is the whole part.
    PartShape whole_;
    std::vector<CutTool> since_;
    std::string refusal_;
};

}  // namespace corvex::cadhost::occt
