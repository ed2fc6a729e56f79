// Reading: our own files hold one free shape per entity; files from other CAD programs often
// hold assemblies, whose parts are read as items of their own, each placed by the chain of
// locations above it.
#include <Interface_Check.hxx>
#include <Interface_CheckIterator.hxx>
#include <Quantity_Color.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <Standard_Failure.hxx>
#include <TDF_ChildIterator.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDF_Tool.hxx>
#include <TDataStd_Name.hxx>
#include <TopLoc_Location.hxx>
#include <XSControl_WorkSession.hxx>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "automation/error.hpp"
#include "cadhost/occt/files/occt_output.hpp"
#include "cadhost/occt/files/step_content.hpp"
#include "cadhost/occt/files/step_text_check.hpp"
#include "cadhost/occt/files/xcaf_document.hpp"

namespace corvex::cadhost::occt {
namespace {

// Every STEP file starts with this keyword (ISO 10303-21), perhaps after white space.
void checkLooksLikeStep(const std::string& path) {
    std::error_code status;
    if (!std::filesystem::exists(path, status))
        throw automation::failure("Cannot read " + path + ": no such file");
    if (!std::filesystem::is_regular_file(path, status))
        throw automation::failure("Cannot read " + path + ": not a file");
    std::ifstream file(path, std::ios::binary);
    if (!file) throw automation::failure("Cannot read " + path + ": the file cannot be opened");
    std::string start(256, '\0');
    file.read(start.data(), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<std::size_t>(file.gcount()));
    auto first = start.find_first_not_of(" \t\r\n");
    if (first == std::string::npos || start.compare(first, 12, "ISO-10303-21") != 0)
        throw automation::failure(path + " is not a STEP file");
}

std::string labelEntry(const TDF_Label& label) {
    TCollection_AsciiString entry;
    TDF_Tool::Entry(label, entry);
    return entry.ToCString();
}

std::string nameOf(const TDF_Label& label) {
    Handle(TDataStd_Name) name;
    if (!label.FindAttribute(TDataStd_Name::GetID(), name)) return {};
    return TCollection_AsciiString(name->Get()).ToCString();  // UTF-8
}

Rgb rgbOf(const Quantity_Color& colour) {
    Standard_Real r = 0, g = 0, b = 0;
    colour.Values(r, g, b, Quantity_TOC_sRGB);
    auto level = [](double x) { return std::clamp(static_cast<int>(std::lround(x * 255)), 0, 255); };
    return {level(r), level(g), level(b)};
}

class ContentReader {
public:
    ContentReader(const XcafDocument& document, std::function<bool(const std::string&)> isWhole)
        : shapes_(document.shapes()), colours_(document.colours()), layers_(document.layers()),
          isWhole_(std::move(isWhole)) {}

    StepContent read() {
        TDF_LabelSequence roots;
        shapes_->GetFreeShapes(roots);
        for (const TDF_Label& root : roots) visit(root, TopLoc_Location());
        readLayers();
        return std::move(content_);
    }

private:
    void visit(const TDF_Label& label, const TopLoc_Location& above) {
        TDF_Label referred = label;
        TopLoc_Location here = above;
        if (shapes_->IsReference(label)) {
            shapes_->GetReferredShape(label, referred);
            here = above * shapes_->GetLocation(label);
        }
        TDF_LabelSequence components;
        if (shapes_->IsAssembly(referred) && !(isWhole_ && isWhole_(nameOf(referred))))
            shapes_->GetComponents(referred, components);
        if (!components.IsEmpty()) {
            for (const TDF_Label& component : components) visit(component, here);
            return;
        }
        StepItem item;
        item.shape = shapes_->GetShape(referred).Moved(here);
        item.name = nameOf(referred);
        if (item.name.empty()) item.name = nameOf(label);
        std::vector<TDF_Label> inside;
        collectInside(referred, inside, 0);
        item.colour = colourOf({label, referred}, inside);
        item.visible = visibleOf({label, referred}, inside);
        const std::size_t index = content_.items.size();
        content_.items.push_back(std::move(item));
        itemsOfLabel_[labelEntry(label)].push_back(index);
        if (referred != label) itemsOfLabel_[labelEntry(referred)].push_back(index);
        // A layer may name a component of an assembly read whole (the wire of a polyline).
        for (const TDF_Label& part : inside) itemsOfLabel_[labelEntry(part)].push_back(index);
    }

    // The labels that style parts of an item: its sub-shapes (a writer colours each lump of a
    // solid, another program each face) and, for an assembly read whole, its components.
    void collectInside(const TDF_Label& label, std::vector<TDF_Label>& inside, int depth) const {
        if (depth > 16) return;  // assemblies are not this deep; a cycle is a broken file
        for (TDF_ChildIterator child(label); child.More(); child.Next()) {
            TDF_Label part = child.Value();
            inside.push_back(part);
            TDF_Label referred;
            if (shapes_->IsReference(part) && shapes_->GetReferredShape(part, referred)) {
                inside.push_back(referred);
                collectInside(referred, inside, depth + 1);
            }
            collectInside(part, inside, depth + 1);
        }
    }

    std::optional<Rgb> colourOf(std::initializer_list<TDF_Label> own,
                                const std::vector<TDF_Label>& inside) const {
        Quantity_Color colour;
        for (const TDF_Label& owner : own)
            if (findColour(owner, colour)) return rgbOf(colour);
        for (const TDF_Label& part : inside)
            if (findColour(part, colour)) return rgbOf(colour);
        return {};
    }

    // Hidden when the item is, or when every part of it that is styled at all is hidden.
    bool visibleOf(std::initializer_list<TDF_Label> own, const std::vector<TDF_Label>& inside) const {
        for (const TDF_Label& owner : own)
            if (!colours_->IsVisible(owner)) return false;
        bool anyStyled = false;
        Quantity_Color colour;
        for (const TDF_Label& part : inside) {
            const bool hidden = !colours_->IsVisible(part);
            if (!hidden && !findColour(part, colour)) continue;
            anyStyled = true;
            if (!hidden) return true;
        }
        return !anyStyled;
    }

    bool findColour(const TDF_Label& label, Quantity_Color& colour) const {
        for (XCAFDoc_ColorType type : {XCAFDoc_ColorGen, XCAFDoc_ColorSurf, XCAFDoc_ColorCurv})
            if (colours_->GetColor(label, type, colour)) return true;
        return false;
    }

    // A layer may name a part, an instance of it, or one of its faces: each counts for the
    // items it belongs to.
    std::vector<std::size_t> itemsOf(TDF_Label label) const {
        for (; !label.IsNull(); label = label.Father()) {
            auto found = itemsOfLabel_.find(labelEntry(label));
            if (found != itemsOfLabel_.end()) return found->second;
            if (label.IsRoot()) break;
        }
        return {};
    }

    void readLayers() {
        TDF_LabelSequence layerLabels;
        layers_->GetLayerLabels(layerLabels);
        for (const TDF_Label& layerLabel : layerLabels) {
            TCollection_ExtendedString name;
            layers_->GetLayer(layerLabel, name);
            StepLayer layer{TCollection_AsciiString(name).ToCString(), {}};
            TDF_LabelSequence members;
            layers_->GetShapesOfLayer(layerLabel, members);
            for (const TDF_Label& member : members)
                for (std::size_t index : itemsOf(member))
                    if (std::find(layer.members.begin(), layer.members.end(), index) ==
                        layer.members.end())
                        layer.members.push_back(index);
            content_.layers.push_back(std::move(layer));
        }
    }

    Handle(XCAFDoc_ShapeTool) shapes_;
    Handle(XCAFDoc_ColorTool) colours_;
    Handle(XCAFDoc_LayerTool) layers_;
    std::function<bool(const std::string&)> isWhole_;
    StepContent content_;
    std::map<std::string, std::vector<std::size_t>> itemsOfLabel_;
};

}  // namespace

StepContent readStepContent(const std::string& path,
                            const std::function<bool(const std::string&)>& isWhole) {
    quietOcctOutput();
    checkLooksLikeStep(path);
    checkStepText(path);
    try {
        STEPCAFControl_Reader reader;
        reader.SetNameMode(Standard_True);
        reader.SetColorMode(Standard_True);
        reader.SetLayerMode(Standard_True);
        if (reader.ReadFile(path.c_str()) != IFSelect_RetDone)
            throw automation::failure(path + " is not a valid STEP file: it cannot be parsed");
        // An instance whose values the reader could not take (a number where a reference
        // belongs, as VECTOR('',293,1.)) is left half made, and translating it crashed.
        const Interface_CheckIterator loaded = reader.ChangeReader().WS()->ModelCheckList(Standard_False);
        for (loaded.Start(); loaded.More(); loaded.Next()) {
            const Handle(Interface_Check)& check = loaded.Value();
            // Number 0 is the model's global check, which an empty file fails for want of data.
            if (loaded.Number() > 0 && !check.IsNull() && check->HasFailed())
                throw automation::failure("Cannot read " + path + " as STEP: instance " + std::to_string(loaded.Number()) +
                                          " in the file's order is malformed: " + check->Fail(1)->ToCString());
        }
        XcafDocument document;
        Handle(TDocStd_Document) target = document.document();
        // A file with nothing to transfer is an empty drawing; a transfer that fails is not.
        if (reader.ChangeReader().NbRootsForTransfer() == 0) return {};
        if (!reader.Transfer(target))
            throw automation::failure("Cannot read " + path +
                                      ": its shapes cannot be translated from STEP");
        return ContentReader(document, isWhole).read();
    } catch (const Standard_Failure& failure) {
        throw automation::failure("Cannot read " + path + ": " + failure.GetMessageString());
    }
}

}  // namespace corvex::cadhost::occt
