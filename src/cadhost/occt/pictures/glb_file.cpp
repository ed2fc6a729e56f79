// The drawing as binary glTF: one free shape per visible solid in an XCAF document, so that
// each becomes a node with a mesh of its own, coloured as the solid is.
#include <Message_ProgressRange.hxx>
#include <Quantity_Color.hxx>
#include <RWGltf_CafWriter.hxx>
#include <Standard_Failure.hxx>
#include <TColStd_IndexedDataMapOfStringString.hxx>
#include <TDataStd_Name.hxx>

#include "automation/error.hpp"
#include "cadhost/occt/files/checked_mesh.hpp"
#include "cadhost/occt/pictures/drawn_solids.hpp"
#include "cadhost/occt/files/occt_output.hpp"
#include "cadhost/occt/pictures/picture.hpp"
#include "cadhost/occt/files/replace_file.hpp"
#include "cadhost/occt/files/written_file_check.hpp"
#include "cadhost/occt/files/xcaf_document.hpp"

namespace corvex::cadhost::occt {

void writeGlb(const Drawing& drawing, const std::string& path) {
    quietOcctOutput();
    const std::vector<DrawnSolid> solids = drawnSolids(drawing);
    replaceFile(path, [&](const std::string& temporary) {
        try {
            XcafDocument document;
            for (const DrawnSolid& solid : solids) {
                const TopoDS_Shape meshed = checkedMesh(solid.shape, displayDeflection(solid.shape), kDisplayAngle, path);
                // NewShape rather than AddShape: a moved solid stays one part, not an assembly.
                const TDF_Label label = document.shapes()->NewShape();
                document.shapes()->SetShape(label, meshed);
                TDataStd_Name::Set(label, TCollection_ExtendedString(solid.name.c_str(), Standard_True));
                const Rgb& rgb = solid.colour;
                document.colours()->SetColor(
                    label, Quantity_Color(rgb.red / 255.0, rgb.green / 255.0, rgb.blue / 255.0, Quantity_TOC_sRGB),
                    XCAFDoc_ColorSurf);
            }
            RWGltf_CafWriter writer(TCollection_AsciiString(temporary.c_str()), Standard_True);
            // Our drawings are in millimetres with Z up; glTF is in metres with Y up.
            writer.ChangeCoordinateSystemConverter().SetInputLengthUnit(0.001);
            writer.ChangeCoordinateSystemConverter().SetInputCoordinateSystem(RWMesh_CoordinateSystem_Zup);
            // One primitive per solid: a machined part has thousands of faces of one colour.
            writer.SetMergeFaces(true);
            TColStd_IndexedDataMapOfStringString fileInfo;
            fileInfo.Add("generator", "corvex");
            if (!writer.Perform(document.document(), fileInfo, Message_ProgressRange()))
                throw automation::failure("Cannot write " + path + ": the solids could not be written as glTF");
        } catch (const Standard_Failure& failure) {
            throw automation::failure("Cannot write " + path + ": " + failure.GetMessageString());
        }
    }, checkGlbWritten);
}

}  // namespace corvex::cadhost::occt
