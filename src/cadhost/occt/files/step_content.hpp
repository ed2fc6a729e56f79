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

// Reads any STEP file: the parts of an assembly become items of their own, placed where the
// assembly puts them, except an assembly whose name `isWhole` accepts (the writer turns some
// shapes, closed wires among them, into assemblies of their own). Fails with an automation
// error that says why the file cannot be read.
StepContent readStepContent(const std::string& path,
                            const std::function<bool(const std::string& name)>& isWhole = {});

}  // namespace corvex::cadhost::occt
