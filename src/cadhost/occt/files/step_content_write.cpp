// Writing: one free shape per item, in order, so that a reader lists them (and the members of
// every layer) in the drawing's order.
#include <Interface_Static.hxx>
#include <Quantity_Color.hxx>
#include <STEPCAFControl_Writer.hxx>
#include <Standard_Failure.hxx>
#include <TDataStd_Name.hxx>

#include <vector>

#include "automation/error.hpp"
#include "cadhost/occt/files/occt_output.hpp"
#include "cadhost/occt/files/step_content.hpp"
#include "cadhost/occt/files/written_file_check.hpp"
#include "cadhost/occt/files/xcaf_document.hpp"

namespace corvex::cadhost::occt {
namespace {

// Files carry sRGB levels; Quantity_Color stores linear ones and converts on the way out.
Quantity_Color occtColour(const Rgb& colour) {
    return Quantity_Color(colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0,
                          Quantity_TOC_sRGB);
}

void fillDocument(const XcafDocument& document, const StepContent& content) {
    auto shapes = document.shapes();
    auto colours = document.colours();
    auto layers = document.layers();

    std::vector<TDF_Label> labels;
    labels.reserve(content.items.size());
    for (const StepItem& item : content.items) {
        // AddShape would turn a shape with a location (anything moved or rotated) into an
        // assembly of one placed part, whose layers and styles the STEP writer then drops.
        TDF_Label label = shapes->NewShape();
        shapes->SetShape(label, item.shape);
        TDataStd_Name::Set(label, TCollection_ExtendedString(item.name.c_str(), Standard_True));
        if (item.colour) colours->SetColor(label, occtColour(*item.colour), XCAFDoc_ColorGen);
        if (!item.visible) colours->SetVisibility(label, Standard_False);
        labels.push_back(label);
    }
    // Layers are written in the order they were made, so make them all before any member is
    // assigned; each layer lists its members in the order they were assigned.
    std::vector<TDF_Label> layerLabels;
    for (const StepLayer& layer : content.layers)
        layerLabels.push_back(
            layers->AddLayer(TCollection_ExtendedString(layer.name.c_str(), Standard_True)));
    for (std::size_t i = 0; i < content.layers.size(); ++i)
        for (std::size_t member : content.layers[i].members)
            layers->SetLayer(labels.at(member), layerLabels[i]);
}

// OpenCASCADE refuses to write a model with no shapes, yet an empty drawing is a drawing.
void writeEmptyStep(const std::string& path) {
    writeBytes("ISO-10303-21;\nHEADER;\n"
               "FILE_DESCRIPTION(('empty drawing'),'2;1');\n"
               "FILE_NAME('','',(''),(''),'corvex','corvex','');\n"
               "FILE_SCHEMA(('AUTOMOTIVE_DESIGN { 1 0 10303 214 1 1 1 1 }'));\n"
               "ENDSEC;\nDATA;\nENDSEC;\nEND-ISO-10303-21;\n",
               path);
}

}  // namespace

void writeStepContent(const StepContent& content, const std::string& path) {
    quietOcctOutput();
    try {
        XcafDocument document;
        fillDocument(document, content);

        STEPCAFControl_Writer writer;
        Interface_Static::SetCVal("write.step.schema", "AP214IS");
        Interface_Static::SetCVal("write.step.unit", "MM");
        // Otherwise a compound (a solid of several lumps, a polyline's wire) is written as an
        // assembly of its own, and its colour and visibility stay on the assembly, unwritten.
        Interface_Static::SetIVal("write.step.assembly", 0);
        writer.SetNameMode(Standard_True);
        writer.SetColorMode(Standard_True);
        writer.SetLayerMode(Standard_True);
        if (content.items.empty()) return writeEmptyStep(path);
        if (!writer.Transfer(document.document(), STEPControl_AsIs))
            throw automation::failure("Cannot write " + path +
                                      ": the drawing could not be translated to STEP");
        if (writer.Write(path.c_str()) != IFSelect_RetDone)
            throw automation::failure("Cannot write " + path + ": the STEP writer failed (is the disk full?)");
    } catch (const Standard_Failure& failure) {
        throw automation::failure("Cannot write " + path + ": " + failure.GetMessageString());
    }
}

}  // namespace corvex::cadhost::occt
