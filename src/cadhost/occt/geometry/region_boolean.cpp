// Booleans of planar regions. OpenCASCADE's Boolean works on coplanar faces as a 2-D operation;
// its result is split along every edge of both arguments, so it is unified afterwards (safe in
// 2-D, unlike on the 3-D workpiece). The result is measured against what the operation allows
// before it is handed out: a Boolean that reports success is not trusted blindly.
#include <BRepAlgoAPI_BooleanOperation.hxx>
#include <BRep_Builder.hxx>
#include <ShapeUpgrade_UnifySameDomain.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_ListOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>

#include <algorithm>
#include <cmath>

#include "automation/error.hpp"
#include "cadhost/occt/geometry/region_errors.hpp"
#include "cadhost/occt/geometry/region_planes.hpp"
#include "cadhost/occt/geometry/regions.hpp"
#include "cadhost/occt/geometry/translated_memo.hpp"

namespace corvex::cadhost::occt {

namespace {

TopoDS_Compound compoundOf(const std::vector<TopoDS_Face>& faces) {
    BRep_Builder builder;
    TopoDS_Compound compound;
    builder.MakeCompound(compound);
    for (const TopoDS_Face& face : faces) {
        builder.Add(compound, face);
    }
    return compound;
}

// A face when there is one, otherwise a compound (empty when the region has no area left).
TopoDS_Shape regionOf(const std::vector<TopoDS_Face>& faces) {
    if (faces.size() == 1) {
        return faces.front();
    }
    return compoundOf(faces);
}

std::vector<TopoDS_Face> concatenated(std::vector<TopoDS_Face> a, const std::vector<TopoDS_Face>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void requireOnePlane(const std::vector<TopoDS_Face>& faces) {
    if (faces.empty()) {
        return;
    }
    const gp_Pln reference = *facePlane(faces.front());
    for (const TopoDS_Face& face : faces) {
        if (!samePlane(reference, *facePlane(face), kJoinTolerance)) {
            throw automation::invalidArgument(
                "the regions of a Boolean must lie in one plane, and these do not");
        }
    }
}

BOPAlgo_Operation occtOperation(BooleanOp operation) {
    switch (operation) {
    case BooleanOp::Union:
        return BOPAlgo_FUSE;
    case BooleanOp::Intersection:
        return BOPAlgo_COMMON;
    case BooleanOp::Subtraction:
        return BOPAlgo_CUT;
    }
    throw automation::invalidArgument("unknown Boolean operation on regions");
}

// The answer when one side has no area at all; OpenCASCADE is not asked about nothing.
TopoDS_Shape booleanWithNothing(const std::vector<TopoDS_Face>& a,
                                const std::vector<TopoDS_Face>& b, BooleanOp operation) {
    switch (operation) {
    case BooleanOp::Union:
        return regionOf(concatenated(a, b));
    case BooleanOp::Intersection:
        return compoundOf({});
    case BooleanOp::Subtraction:
        return regionOf(b.empty() ? a : std::vector<TopoDS_Face>{});
    }
    throw automation::invalidArgument("unknown Boolean operation on regions");
}

TopoDS_Shape occtBoolean(const TopoDS_Shape& a, const TopoDS_Shape& b, BooleanOp operation) {
    BRepAlgoAPI_BooleanOperation boolean;
    TopTools_ListOfShape arguments;
    TopTools_ListOfShape tools;
    arguments.Append(a);
    tools.Append(b);
    boolean.SetArguments(arguments);
    boolean.SetTools(tools);
    boolean.SetOperation(occtOperation(operation));
    boolean.SetToFillHistory(false);
    boolean.SetRunParallel(false);
    boolean.Build();
    if (!boolean.IsDone() || boolean.HasErrors()) {
        throw automation::failure("OpenCASCADE could not compute the Boolean of the regions");
    }
    return boolean.Shape();
}

// True when `area` is one the operation can give for arguments of areas `a` and `b`.
bool plausibleArea(double area, double a, double b, BooleanOp operation) {
    const double slack = 1e-7 * (a + b) + 1e-12;
    switch (operation) {
    case BooleanOp::Union:
        return area >= std::max(a, b) - slack && area <= a + b + slack;
    case BooleanOp::Intersection:
        return area >= -slack && area <= std::min(a, b) + slack;
    case BooleanOp::Subtraction:
        return area >= a - b - slack && area <= a + slack;
    }
    return false;
}

TopoDS_Shape unified(const TopoDS_Shape& shape) {
    ShapeUpgrade_UnifySameDomain unify(shape, /*UnifyEdges=*/true, /*UnifyFaces=*/true,
                                       /*ConcatBSplines=*/false);
    unify.Build();
    return unify.Shape();
}

// The faces of a result, turned up. Faces of no measurable area are dropped: where edges of the
// two regions coincide a Boolean may leave such slivers, and a region that is all gone must
// come back as nothing rather than as a face no one can see.
std::vector<TopoDS_Face> facesOf(const TopoDS_Shape& shape, double negligibleArea) {
    std::vector<TopoDS_Face> faces;
    for (TopExp_Explorer explorer(shape, TopAbs_FACE); explorer.More(); explorer.Next()) {
        const TopoDS_Face& face = TopoDS::Face(explorer.Current());
        if (faceArea(face) > negligibleArea) {
            faces.push_back(facingUp(face));
        }
    }
    return faces;
}

}  // namespace

TopoDS_Shape regionBoolean(const TopoDS_Shape& a, const TopoDS_Shape& b, BooleanOp operation) {
    return withRegionErrors("a Boolean of regions", [&]() -> TopoDS_Shape {
        // Faces turned up alike, so that OpenCASCADE sees two regions of one orientation.
        const std::vector<TopoDS_Face> facesA = upwardFaces(a);
        const std::vector<TopoDS_Face> facesB = upwardFaces(b);
        requireOnePlane(concatenated(facesA, facesB));
        if (facesA.empty() || facesB.empty()) {
            return booleanWithNothing(facesA, facesB, operation);
        }
        const auto key = booleanKey(facesA, facesB, operation);
        if (key)
            if (auto remembered = recall(*key)) return remembered->shape;
        const double areaA = faceArea(compoundOf(facesA));
        const double areaB = faceArea(compoundOf(facesB));
        const TopoDS_Shape raw = occtBoolean(regionOf(facesA), regionOf(facesB), operation);
        if (!plausibleArea(faceArea(raw), areaA, areaB, operation)) {
            throw automation::failure(
                "the Boolean of the regions gave an area that the operation cannot give, so its "
                "result was refused");
        }
        // Unifying only merges what the Boolean split; should it ever change the area or fail,
        // the split but correct result is the better answer.
        const double negligibleArea = 1e-9 * (areaA + areaB);
        TopoDS_Shape result = raw;
        try {
            TopoDS_Shape merged = unified(raw);
            if (std::abs(faceArea(merged) - faceArea(raw)) <= negligibleArea) {
                result = merged;
            }
        } catch (const Standard_Failure&) {
        }
        TopoDS_Shape region = regionOf(facesOf(result, negligibleArea));
        if (key) keep(*key, region);
        return region;
    });
}

}  // namespace corvex::cadhost::occt
