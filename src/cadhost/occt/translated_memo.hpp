#pragma once
// Results remembered up to a translation (internal). A lathe job builds and turns the same
// insert outline at every pass, only somewhere else, and the kernel's Boolean of two small
// regions, or a turn of one (with its arcs made tori and checked), costs a millisecond or more
// however simple they are. An operation on regions that are those of one already made, moved
// by one amount, is answered by moving that result: the answer is the kernel's own.
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Ax1.hxx>

#include <optional>
#include <vector>

#include "cadhost/model.hpp"

namespace corvex::cadhost::occt {

// The result of `a` (op) `b` when a translation of the same regions was done before: a new
// shape of its own, moved to where `a` and `b` are.
std::optional<TopoDS_Shape> rememberedBoolean(const std::vector<TopoDS_Face>& a,
                                              const std::vector<TopoDS_Face>& b, BooleanOp operation);
// Keeps `result` for later translations of the same regions. Regions bounded by curves other
// than lines and circles are not kept.
void rememberBoolean(const std::vector<TopoDS_Face>& a, const std::vector<TopoDS_Face>& b,
                     BooleanOp operation, const TopoDS_Shape& result);

// The same for `region` turned by `angle` about `axis`: a turn of the same region moved along
// the same axis is the same solid moved along it.
std::optional<TopoDS_Shape> rememberedRevolution(const std::vector<TopoDS_Face>& region, const gp_Ax1& axis,
                                                 double angle);
void rememberRevolution(const std::vector<TopoDS_Face>& region, const gp_Ax1& axis, double angle,
                        const TopoDS_Shape& solid);

}  // namespace corvex::cadhost::occt
