#include "cadhost/occt/geometry/region_loops.hpp"

#include <BRepAdaptor_Curve.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Tool.hxx>
#include <ShapeExtend_WireData.hxx>
#include <ShapeFix_Wire.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Vertex.hxx>
#include <gp_Pnt.hxx>

#include <algorithm>

#include "automation/error.hpp"

namespace corvex::cadhost::occt {

namespace {

// A curve of the list, or a run of edges of one open wire: edges in order from start to end.
struct Piece {
    std::size_t curve = 0;
    std::vector<TopoDS_Edge> edges;
    gp_Pnt start;
    gp_Pnt end;
};

struct Step {
    std::size_t piece;
    bool reversed;
};

// How many pieces the search for one loop may try before giving up. Joining is linear for the
// curves a member lists; only a tangle of many curves meeting at the same points could make the
// backtracking search explode, and that tangle then closes no loop rather than hanging the job.
constexpr long kSearchBudget = 200000;

gp_Pnt vertexPoint(const TopoDS_Vertex& vertex) {
    if (vertex.IsNull()) {
        throw automation::invalidArgument("a curve without end points cannot bound a region");
    }
    return BRep_Tool::Pnt(vertex);
}

gp_Pnt edgeStart(const TopoDS_Edge& edge) {
    return vertexPoint(TopExp::FirstVertex(edge, /*CumOri=*/true));
}

gp_Pnt edgeEnd(const TopoDS_Edge& edge) {
    return vertexPoint(TopExp::LastVertex(edge, /*CumOri=*/true));
}

// True for an edge that goes somewhere: not degenerate, and not a point-long line whose ends
// meet only because it has no length (a circle's ends meet too, but its middle is elsewhere).
bool hasExtent(const TopoDS_Edge& edge, double tolerance) {
    if (BRep_Tool::Degenerated(edge)) {
        return false;
    }
    BRepAdaptor_Curve curve(edge);
    gp_Pnt first = curve.Value(curve.FirstParameter());
    gp_Pnt middle = curve.Value(0.5 * (curve.FirstParameter() + curve.LastParameter()));
    gp_Pnt last = curve.Value(curve.LastParameter());
    return first.Distance(last) > tolerance || first.Distance(middle) > tolerance;
}

Piece pieceOf(std::size_t curve, std::vector<TopoDS_Edge> edges) {
    Piece piece;
    piece.curve = curve;
    piece.start = edgeStart(edges.front());
    piece.end = edgeEnd(edges.back());
    piece.edges = std::move(edges);
    return piece;
}

// The edges of an open wire in their order along it, or nothing when the wire branches (then
// its edges are joined one by one like separately listed curves).
std::vector<TopoDS_Edge> orderedEdges(const TopoDS_Wire& wire) {
    std::vector<TopoDS_Edge> edges;
    for (BRepTools_WireExplorer explorer(wire); explorer.More(); explorer.Next()) {
        edges.push_back(explorer.Current());
    }
    int count = 0;
    for (TopExp_Explorer explorer(wire, TopAbs_EDGE); explorer.More(); explorer.Next()) {
        ++count;
    }
    if (static_cast<int>(edges.size()) != count) {
        edges.clear();
    }
    return edges;
}

// A closed wire through `edges` (consecutive, oriented). Edges that share their vertices make a
// wire as they are; ends that only meet within `tolerance` are merged by ShapeFix, on copies,
// so that the caller's curves stay untouched.
TopoDS_Wire joinedWire(const std::vector<TopoDS_Edge>& edges, double tolerance) {
    BRepBuilderAPI_MakeWire maker;
    for (const TopoDS_Edge& edge : edges) {
        maker.Add(edge);
        if (!maker.IsDone()) {
            break;
        }
    }
    if (maker.IsDone() && BRep_Tool::IsClosed(maker.Wire())) {
        return maker.Wire();
    }
    Handle(ShapeExtend_WireData) data = new ShapeExtend_WireData;
    for (const TopoDS_Edge& edge : edges) {
        data->Add(edge);
    }
    ShapeFix_Wire fix;
    fix.Load(data);
    fix.SetPrecision(tolerance);
    fix.SetMaxTolerance(tolerance);
    fix.ClosedWireMode() = Standard_True;
    fix.FixConnected(tolerance);
    TopoDS_Wire wire = fix.WireAPIMake();
    if (wire.IsNull() || !BRep_Tool::IsClosed(wire)) {
        throw automation::failure("could not join curves whose ends meet into a closed loop");
    }
    return wire;
}

// Depth-first search for a chain of available pieces that leads from a piece's end back to its
// start. Pieces are tried in list order, so a loop takes the earliest curves that close it.
class LoopSearch {
public:
    LoopSearch(const std::vector<Piece>& pieces, std::vector<bool>& available, double tolerance)
        : pieces_(pieces), available_(available), tolerance_(tolerance) {}

    // The chain closing a loop that begins with `first` (forward), or nothing.
    std::vector<Step> from(std::size_t first) {
        chain_.assign(1, Step{first, false});
        budget_ = kSearchBudget;
        available_[first] = false;
        if (extend(pieces_[first].start, pieces_[first].end)) {
            return chain_;
        }
        available_[first] = true;
        return {};
    }

private:
    bool extend(const gp_Pnt& loopStart, const gp_Pnt& end) {
        for (std::size_t next = 0; next < pieces_.size(); ++next) {
            if (!available_[next]) {
                continue;
            }
            for (bool reversed : {false, true}) {
                const Piece& piece = pieces_[next];
                if ((reversed ? piece.end : piece.start).Distance(end) > tolerance_) {
                    continue;
                }
                if (--budget_ < 0) {
                    return false;
                }
                const gp_Pnt& newEnd = reversed ? piece.start : piece.end;
                available_[next] = false;
                chain_.push_back(Step{next, reversed});
                if (newEnd.Distance(loopStart) <= tolerance_ || extend(loopStart, newEnd)) {
                    return true;
                }
                chain_.pop_back();
                available_[next] = true;
            }
        }
        return false;
    }

    const std::vector<Piece>& pieces_;
    std::vector<bool>& available_;
    double tolerance_;
    std::vector<Step> chain_;
    long budget_ = 0;
};

std::vector<TopoDS_Edge> chainEdges(const std::vector<Piece>& pieces, const std::vector<Step>& chain) {
    std::vector<TopoDS_Edge> edges;
    for (const Step& step : chain) {
        const std::vector<TopoDS_Edge>& run = pieces[step.piece].edges;
        if (!step.reversed) {
            edges.insert(edges.end(), run.begin(), run.end());
            continue;
        }
        for (auto edge = run.rbegin(); edge != run.rend(); ++edge) {
            edges.push_back(TopoDS::Edge(edge->Reversed()));
        }
    }
    return edges;
}

}  // namespace

std::vector<CurveLoop> closedLoops(const std::vector<TopoDS_Shape>& curves, double tolerance) {
    // Closed curves are loops as they are; the rest become pieces to chain. Loops are collected
    // with their curve's position and sorted at the end, which keeps list order across both kinds.
    std::vector<CurveLoop> loops;
    std::vector<Piece> pieces;
    for (std::size_t index = 0; index < curves.size(); ++index) {
        const TopoDS_Shape& curve = curves[index];
        if (curve.IsNull()) {
            continue;
        }
        if (curve.ShapeType() == TopAbs_WIRE) {
            const TopoDS_Wire& wire = TopoDS::Wire(curve);
            if (BRep_Tool::IsClosed(wire)) {
                loops.push_back(CurveLoop{wire, index});
                continue;
            }
            std::vector<TopoDS_Edge> edges = orderedEdges(wire);
            if (!edges.empty()) {
                pieces.push_back(pieceOf(index, std::move(edges)));
                continue;
            }
            for (TopExp_Explorer explorer(wire, TopAbs_EDGE); explorer.More(); explorer.Next()) {
                const TopoDS_Edge& edge = TopoDS::Edge(explorer.Current());
                if (hasExtent(edge, tolerance)) {
                    pieces.push_back(pieceOf(index, {edge}));
                }
            }
        } else if (curve.ShapeType() == TopAbs_EDGE) {
            const TopoDS_Edge& edge = TopoDS::Edge(curve);
            if (hasExtent(edge, tolerance)) {
                pieces.push_back(pieceOf(index, {edge}));
            }
        } else {
            throw automation::invalidArgument(
                "only curves (lines, arcs, circles and polylines) can bound a region");
        }
    }

    // A piece whose own ends meet (a circle, or a polyline that returns to its start without
    // being marked closed) is a loop by itself and never a link of a longer chain.
    std::vector<bool> available(pieces.size(), true);
    for (std::size_t index = 0; index < pieces.size(); ++index) {
        const Piece& piece = pieces[index];
        if (piece.start.Distance(piece.end) <= tolerance) {
            loops.push_back(CurveLoop{joinedWire(piece.edges, tolerance), piece.curve});
            available[index] = false;
        }
    }
    // Each loop starts from the earliest piece still free, so that piece is also the earliest
    // curve in the loop. A piece that starts no loop now cannot join one later: fewer pieces
    // remain free.
    LoopSearch search(pieces, available, tolerance);
    for (std::size_t index = 0; index < pieces.size(); ++index) {
        if (!available[index]) {
            continue;
        }
        std::vector<Step> chain = search.from(index);
        if (!chain.empty()) {
            loops.push_back(
                CurveLoop{joinedWire(chainEdges(pieces, chain), tolerance), pieces[index].curve});
        }
    }
    std::stable_sort(loops.begin(), loops.end(), [](const CurveLoop& a, const CurveLoop& b) {
        return a.firstCurve < b.firstCurve;
    });
    return loops;
}

}  // namespace corvex::cadhost::occt
