#pragma once
// A cheap validity check for the result of a cut (internal). Checking a whole part of some
// hundred faces cost a quarter of every cut on a terrain job, while a Boolean hands most faces
// through untouched, and those were checked when they were made.
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>

#include <vector>

namespace corvex::cadhost::occt {

// True when each of `newFaces` passes the kernel's checks (with its wires, edges and vertices)
// and every shell of `shape` is closed, with no free edge. False means only
// "not shown valid here": the caller then checks the whole shape.
bool validWhereChanged(const TopoDS_Shape& shape, const std::vector<TopoDS_Face>& newFaces);

// The largest tolerance (mm) of the edges of `newFaces`: how far off its faces the kernel lets
// an edge lie. See guarded_cut.cpp for the limit a result is held to.
double loosestEdgeTolerance(const std::vector<TopoDS_Face>& newFaces);

}  // namespace corvex::cadhost::occt
