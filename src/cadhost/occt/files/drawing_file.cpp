// Drawings to and from STEP: the entities in drawing order as named, coloured shapes, and the
// groups as layers. What STEP alone cannot carry back (which kind a loose edge was, a colour
// text that is not just a colour) travels in the entity's name.
#include "cadhost/occt/files/drawing_file.hpp"

#include <BRepAdaptor_Surface.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <ShapeAnalysis_ShapeTolerance.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "automation/error.hpp"
#include "cadhost/occt/cutting/guarded_cut.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"
#include "cadhost/occt/model/entities_from_shape.hpp"
#include "cadhost/occt/model/entity_definitions.hpp"
#include "cadhost/occt/model/entity_base.hpp"
#include "cadhost/occt/model/entity_names.hpp"
#include "cadhost/occt/files/native_drawing.hpp"
#include "cadhost/occt/files/replace_file.hpp"
#include "cadhost/occt/files/step_census.hpp"
#include "cadhost/occt/files/step_content.hpp"
#include "cadhost/occt/files/step_fast_write.hpp"
#include "cadhost/occt/files/step_read_back.hpp"
#include "cadhost/occt/files/written_file_check.hpp"

namespace corvex::cadhost::occt {
namespace {

// STEP keeps no empty shape, nor a layer of a lone point: a solid or a region with nothing left
// is written as a short edge under its name, which the reader takes back as the empty solid or
// region it names. (An empty region in the file stopped the writer, and the drawing was lost.)
TopoDS_Shape emptyMarker() { return BRepBuilderAPI_MakeEdge(gp_Pnt(0, 0, 0), gp_Pnt(1, 0, 0)).Edge(); }

// What the file holds for an entity. A curve whose shape would not give it back (see
// entity_definitions.hpp) is stated in its name, over its shape or over a mark when it has
// none; any other curve with no geometry has nothing a file could hold and is left out. A
// solid is never left out: a queued cut that fails is reported once, by whoever looked first,
// and the solid then holds the cuts made before it, so a second look gives the part; if even
// that fails, the drawing is not written.
// A solid cut away altogether, or a region with no face left, is written as a mark that keeps
// it in its groups.
TopoDS_Shape shapeOrNothing(const EntityBase& entity) {
    // A curve the file must state in its name has a place in the file whatever its shape.
    if (definitionForFile(entity)) {
        try {
            if (TopoDS_Shape shape = entity.shape(); !shape.IsNull()) return shape;
        } catch (const automation::Error&) {
        }
        return emptyMarker();
    }
    const bool solid = entity.kind() == "Solid3D";
    TopoDS_Shape shape;
    try {
        shape = entity.shape();
    } catch (const automation::Error&) {
        if (!solid) return {};
        shape = entity.shape();
    } catch (const Standard_Failure&) {
        if (!solid) return {};
        throw;
    }
    return holdsNothingOfItsKind(shape, entity.kind()) ? emptyMarker() : shape;
}

StepItem itemOf(const EntityBase& entity, TopoDS_Shape shape) {
    StepItem item;
    item.shape = std::move(shape);
    item.colour = colourOfText(entity.colour());
    item.visible = entity.visible();
    // An invisible shape is written with a colour even when it has none, so the file alone
    // would not say BYLAYER.
    const bool fileSaysColour =
        textOfColour(item.colour) == entity.colour() && (item.visible || item.colour);
    EntityName name{entity.kind(), entity.id(), {}, definitionForFile(entity)};
    if (!fileSaysColour) name.colour = entity.colour();
    item.name = formatEntityName(name);
    return item;
}

// `leftOut` names the entities the file cannot hold (none is known to be left out: every
// curve with no geometry of its own is stated in its name).
StepContent contentOf(const DrawingState& state, std::vector<std::string>& leftOut) {
    StepContent content;
    std::map<const EntityBase*, std::size_t> itemOfEntity;
    for (const auto& [id, entity] : state.entities) {
        TopoDS_Shape shape = shapeOrNothing(*entity);
        if (shape.IsNull()) {
            leftOut.push_back(entity->describe());
            continue;
        }
        itemOfEntity[entity.get()] = content.items.size();
        content.items.push_back(itemOf(*entity, std::move(shape)));
    }
    for (const GroupData& group : state.groups) {
        StepLayer layer{group.name, {}};
        for (const auto& member : group.members) {
            auto found = itemOfEntity.find(member.get());
            if (found != itemOfEntity.end()) layer.members.push_back(found->second);
        }
        content.layers.push_back(std::move(layer));
    }
    return content;
}

// Rebuilds the drawing's entities from the file's items. Items this system named keep their
// ids; anything else (parts from another CAD program, the second of two items claiming one
// id, the further entities one item splits into) is numbered after the highest id named.
class DrawingRebuilder {
public:
    DrawingRebuilder(const StepContent& content, DrawingState& state)
        : content_(content), state_(state) {}

    void rebuild() {
        std::vector<std::optional<EntityName>> names;
        int highest = 0;
        for (const StepItem& item : content_.items) {
            names.push_back(parseEntityName(item.name));
            if (names.back()) highest = std::max(highest, names.back()->id);
        }
        nextFreeId_ = highest + 1;
        for (std::size_t i = 0; i < content_.items.size(); ++i)
            entitiesOfItem_.push_back(addItem(content_.items[i], names[i]));
        for (const StepLayer& layer : content_.layers) addGroup(layer);
    }

private:
    std::vector<std::shared_ptr<EntityBase>> addItem(const StepItem& item,
                                                     const std::optional<EntityName>& name) {
        std::vector<std::shared_ptr<EntityBase>> entities;
        try {
            if (name && name->definition) entities = {entityFromDefinition(name->kind, *name->definition)};
            else entities = entitiesFromShape(item.shape, name ? name->kind : std::string());
        } catch (const automation::Error& error) {
            throw automation::failure(describe(item) + ": " + error.description());
        } catch (const Standard_Failure& failure) {
            throw automation::failure(describe(item) + ": " + failure.GetMessageString());
        }
        for (std::size_t k = 0; k < entities.size(); ++k) {
            const bool keepsId = k == 0 && name && takenIds_.insert(name->id).second;
            state_.restore(entities[k], keepsId ? name->id : nextFreeId_++);
            entities[k]->setColour(name && name->colour ? *name->colour : textOfColour(item.colour));
            entities[k]->setVisibleFlag(item.visible);
        }
        return entities;
    }

    void addGroup(const StepLayer& layer) {
        GroupData& group = state_.group(layer.name);
        for (std::size_t index : layer.members)
            for (const auto& entity : entitiesOfItem_.at(index))
                if (std::find(group.members.begin(), group.members.end(), entity) ==
                    group.members.end())
                    group.members.push_back(entity);
    }

    static std::string describe(const StepItem& item) {
        return item.name.empty() ? std::string("an unnamed shape") : "the shape \"" + item.name + "\"";
    }

    const StepContent& content_;
    DrawingState& state_;
    int nextFreeId_ = 1;
    std::set<int> takenIds_;
    std::vector<std::vector<std::shared_ptr<EntityBase>>> entitiesOfItem_;
};

}  // namespace

namespace {
// Our own shapes' names are taken whole even where the writer made assemblies of them.
bool isOurShape(const std::string& name) { return parseEntityName(name).has_value(); }
}  // namespace

namespace {
// The items' solids with their same-domain faces merged, where that keeps their volume and
// validity; false when none changed.
bool withFacesMerged(StepContent& content, const std::vector<std::size_t>& items) {
    bool changed = false;
    for (std::size_t i : items) {
        PartShape part{.shape = content.items[i].shape, .volume = solidVolume(content.items[i].shape)};
        if (!unifyChecked(part)) continue;
        content.items[i].shape = part.shape;
        changed = true;
    }
    return changed;
}

// What is wrong with a written drawing whose items `invalid` read back as invalid solids.
std::string readsBackInvalid(const StepContent& content, const std::vector<std::size_t>& invalid) {
    std::string which;
    for (std::size_t i : invalid) which += (which.empty() ? "" : ", ") + content.items[i].name;
    return which + (invalid.size() == 1 ? " reads" : " read") + " back from it as an invalid solid, though valid as made";
}

// Our own STEP file of a drawing is proved by the census (step_census.hpp) rather than read
// back whole by the kernel's reader, which proves volumes and validity as another program will
// find them but takes about a second per thousand faces. A small drawing is read back whole, as
// are the shapes of a large one that a reader might rebuild otherwise than they were made: those
// with faces other than planes, cylinders, cones, spheres and tori, whose curves a reader finds
// by projecting the edges (given edges alone, the kernel's reader rebuilt an extruded face of a
// sweep smaller), or with tolerances looser than 1e-3 mm, which a file cannot state (a part whose
// vertex spanned 1.37 mm read back with 224 mm3 more than it holds). Those are written alone
// with the same writer and read back whole; when they are many, the drawing is not counted.
constexpr int kFacesReadBackWhole = 2000;
constexpr double kLooseTolerance = 1e-3;  // mm; the kernel's Booleans leave 1e-7 to 1e-4

bool readerMayRebuild(const TopoDS_Shape& shape) {
    if (ShapeAnalysis_ShapeTolerance().Tolerance(shape, 1) > kLooseTolerance) return true;
    for (TopExp_Explorer it(shape, TopAbs_FACE); it.More(); it.Next()) {
        const GeomAbs_SurfaceType type = BRepAdaptor_Surface(TopoDS::Face(it.Current()), false).GetType();
        if (type != GeomAbs_Plane && type != GeomAbs_Cylinder && type != GeomAbs_Cone && type != GeomAbs_Sphere &&
            type != GeomAbs_Torus)
            return true;
    }
    return false;
}

struct CensusPlan {
    bool counted = false;
    StepContent readBack;  // the items to read back whole beside the census
};

CensusPlan censusPlan(const StepContent& content) {
    CensusPlan plan;
    int faces = 0, facesReadBack = 0;
    for (const StepItem& item : content.items) {
        const int itemFaces = countFaces(item.shape);
        faces += itemFaces;
        if (!readerMayRebuild(item.shape)) continue;
        plan.readBack.items.push_back(item);
        facesReadBack += itemFaces;
    }
    plan.counted = faces > kFacesReadBackWhole && facesReadBack <= kFacesReadBackWhole;
    return plan;
}

// Writes `items` alone with our writer beside `path` and reads them back whole.
void checkReadBackAlone(const StepContent& items, const std::string& path) {
    const std::optional<std::string> text = fastStepText(items, "corvex drawing");
    if (!text) throw automation::failure("the written drawing's shapes cannot be checked alone");
    const std::string alone = path + ".alone.step";
    try {
        writeBytes(*text, alone);
        checkStepReadsBack(items, alone, isOurShape, nullptr);
    } catch (...) {
        std::filesystem::remove(alone);
        throw;
    }
    std::filesystem::remove(alone);
}


// What the drawing's file could not hold, as the error that says so.
void failWhenLeftOut(const std::string& path, std::string wrong, const std::vector<std::string>& leftOut) {
    if (!leftOut.empty()) {
        std::string names;
        for (const auto& name : leftOut) names += (names.empty() ? "" : ", ") + name;
        wrong += (wrong.empty() ? "" : "; and ") + ("without " + names + ", which it cannot hold");
    }
    if (!wrong.empty()) throw automation::failure(path + " was written, but " + wrong);
}
}  // namespace

std::string writeCheckedStep(StepContent& content, const std::string& path,
                             const std::function<bool(const std::string&)>& isWhole) {
    std::vector<std::size_t> invalid;
    CensusPlan plan;
    // Writes the content with `fast` text, or by the kernel's writer when there is none, read
    // back and checked; `keepInvalid`: a solid that reads back invalid does not stop the file
    // from replacing its target.
    const auto writeWith = [&](const std::optional<std::string>& fast, bool keepInvalid) {
        replaceFile(
            path,
            [&](const std::string& temporary) {
                if (fast) writeBytes(*fast, temporary);
                else writeStepContent(content, temporary);
            },
            [&](const std::string& temporary) {
                invalid.clear();  // what an earlier attempt found says nothing of this file
                checkStepWritten(temporary);
                if (fast) {
                    checkStepCensus(content, *fast, temporary);
                    if (!plan.readBack.items.empty()) checkReadBackAlone(plan.readBack, temporary);
                    return;
                }
                checkStepReadsBack(content, temporary, isWhole, &invalid);
                if (!invalid.empty() && !keepInvalid)
                    throw automation::failure("the written drawing: " + readsBackInvalid(content, invalid));
            });
    };
    // Our own text where the census proves it (see censusPlan). Anything
    // else goes through the kernel's writer, whose curves on faces carry what a reader would
    // otherwise rebuild by projection (given edges alone, the kernel's reader rebuilt an
    // extruded face of a sweep smaller, and spent minutes on another part's splines), and is
    // read back whole, as it always was; so is a large drawing whose census fails.
    const auto write = [&](bool keepInvalid) {
        plan = censusPlan(content);
        if (plan.counted)
            if (const std::optional<std::string> fast = fastStepText(content, "corvex drawing")) {
                try {
                    return writeWith(fast, keepInvalid);
                } catch (const automation::Error&) {
                }
            }
        writeWith(std::nullopt, keepInvalid);
    };
    const auto wroteValid = [&] {
        try {
            write(false);
            return true;
        } catch (const automation::Error&) {
            if (invalid.empty()) throw;
            return false;
        }
    };
    // A solid that reads back invalid is written once more as the same solid with fewer faces.
    // If it still does, the file is written all the same, since a drawing that holds the part
    // beats none (a sliver of a part thinner than 1e-4 mm has been seen to read back with
    // crossing edges however it was written), and the writing fails with the reason.
    if (!wroteValid() && !(withFacesMerged(content, invalid) && wroteValid())) {
        write(true);
        return readsBackInvalid(content, invalid) + ": the file cannot state a sliver of it exactly";
    }
    return {};
}

void writeDrawing(const Drawing& drawing, const std::string& path) {
    std::vector<std::string> leftOut;
    StepContent content = contentOf(drawing.state(), leftOut);
    if (isNativeDrawingPath(path)) {
        // The kernel's own shapes, as they are: nothing reads back otherwise than it was made.
        writeNativeContent(content, path);
        return failWhenLeftOut(path, {}, leftOut);
    }
    failWhenLeftOut(path, writeCheckedStep(content, path, isOurShape), leftOut);
}

std::shared_ptr<Drawing> readDrawing(const std::string& path, std::shared_ptr<Journal> journal) {
    const StepContent content = isNativeDrawingPath(path) ? readNativeContent(path) : readStepContent(path, isOurShape);
    auto drawing = Drawing::create(std::move(journal));
    try {
        DrawingRebuilder(content, drawing->state()).rebuild();
    } catch (const automation::Error& error) {
        throw automation::failure("Cannot read " + path + ": " + error.description());
    }
    return drawing;
}

}  // namespace corvex::cadhost::occt
