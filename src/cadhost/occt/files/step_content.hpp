#pragma once
// What one of our STEP files holds, seen apart from the drawing: shapes in order, each with
// a name, a colour and a visibility, and named layers listing shapes in order. Writing and
// reading go through an XCAF document, which is what carries names, colours and layers
// across STEP (internal to the host).
#include <TopoDS_Shape.hxx>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cadhost/occt/files/step_colour.hpp"

namespace corvex::cadhost::occt {

struct StepItem {
    TopoDS_Shape shape;
    std::string name;
    std::optional<Rgb> colour;
    bool visible = true;
};

struct StepLayer {
    std::string name;
    std::vector<std::size_t> members;  // indices into StepContent::items, in order
};

struct StepContent {
    std::vector<StepItem> items;
    std::vector<StepLayer> layers;
};

// Writes `content` as STEP AP214 to exactly `path`; fails with an automation error.
void writeStepContent(const StepContent& content, const std::string& path);

// Writes `content` as a drawing's STEP file at exactly `path`, proved as every drawing is (see
// drawing_file.cpp: our own writer and its census for a large drawing, else the kernel's writer
// and a full read-back); `isWhole` as for readStepContent. A solid that reads back invalid is
// written again with its same-domain faces merged (in `content`); if it still does, the file is
// kept and the reason returned. Returns what is wrong with the written file, empty when nothing;
// fails with an automation error when no file could be written.
std::string writeCheckedStep(StepContent& content, const std::string& path,
                             const std::function<bool(const std::string& name)>& isWhole);

// Reads any STEP file: the parts of an assembly become items of their own, placed where the
// assembly puts them, except an assembly whose name `isWhole` accepts (the writer turns some
// shapes, closed wires among them, into assemblies of their own). Fails with an automation
// error that says why the file cannot be read.
StepContent readStepContent(const std::string& path,
                            const std::function<bool(const std::string& name)>& isWhole = {});

}  // namespace corvex::cadhost::occt
