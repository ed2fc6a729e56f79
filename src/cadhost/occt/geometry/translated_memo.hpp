#pragma once
// Results remembered up to a translation (internal). A lathe job builds and turns the same
// insert outline at every pass, and a pocket cut in layers unites the same slot outlines at
// every depth, only somewhere else; the kernel's Boolean of two small regions, or a turn of
// one, costs a millisecond or more however simple they are, and a layer's union far more. An
// operation on regions that are those of one already made, moved by one amount, is answered
// by moving that result: the answer is the kernel's own.
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Ax1.hxx>
#include <gp_Pnt.hxx>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "cadhost/model.hpp"

namespace corvex::cadhost::occt {

// What an operation was asked, written exactly but for where its regions lie: two
// translations of the same regions (and the same numbers) give the same text.
struct TranslationKey {
    std::string text;
    gp_Pnt reference;  // where the regions lie: a point they carry along
};

// The key of operation `kind` on `regions` (faces, or compounds of faces) with `numbers`.
// None when a region is bounded by curves other than lines and circles, or is not flat.
std::optional<TranslationKey> translationKey(char kind, const std::vector<TopoDS_Shape>& regions,
                                             std::initializer_list<double> numbers = {});

// A shape and a number kept for a key.
struct RememberedResult {
    TopoDS_Shape shape;
    double number = 0;
};
// What was kept for a translation of `key`, moved to where the regions of `key` lie: a new
// shape with geometry of its own.
std::optional<RememberedResult> recall(const TranslationKey& key);
void keep(const TranslationKey& key, const TopoDS_Shape& shape, double number = 0);

// Off, nothing is recalled nor kept: every result is made afresh (for the differential test,
// which compares parts cut with and without remembered results).
void setTranslatedMemoEnabled(bool enabled);

// The key of `a` (op) `b`.
std::optional<TranslationKey> booleanKey(const std::vector<TopoDS_Face>& a, const std::vector<TopoDS_Face>& b,
                                         BooleanOp operation);
// The key of `region` turned by `angle` about `axis`: a turn of the same region moved along the
// same axis is the same solid moved along it, and no other move gives the same key.
std::optional<TranslationKey> revolutionKey(const std::vector<TopoDS_Face>& region, const gp_Ax1& axis,
                                            double angle);

}  // namespace corvex::cadhost::occt
