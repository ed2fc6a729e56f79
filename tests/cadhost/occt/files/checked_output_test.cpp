// Outputs checked before they are believed: a mesh must be closed and hold the solid's volume,
// and a drawing must read back with every solid as valid as it was written. The data files are
// parts that eager cuts once left with their faces split: valid solids that the kernel's mesher
// and its STEP round trip got wrong.
#include <BRepBndLib.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <Bnd_Box.hxx>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "automation/error.hpp"
#include "cadhost/occt/files/checked_mesh.hpp"
#include "cadhost/occt/files/drawing_file.hpp"
#include "cadhost/occt/files/step_content.hpp"
#include "cadhost/occt/files/step_read_back.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"
#include "cadhost/occt/model/drawing_state.hpp"
#include "cadhost/occt/model/entities_from_shape.hpp"
#include "cadhost/occt/host_fixture.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

namespace fs = std::filesystem;

TopoDS_Shape dataPart(const char* name) {
    TopoDS_Shape shape;
    BRep_Builder builder;
    const auto file = fs::path(__FILE__).parent_path() / "data" / name;
    EXPECT_TRUE(BRepTools::Read(shape, file.c_str(), builder)) << file;
    return shape;
}

// The deflection the STL writer takes for the part: a ten-thousandth of its diagonal.
double stlDeflection(const TopoDS_Shape& shape) {
    Bnd_Box box;
    BRepBndLib::Add(shape, box);
    return std::sqrt(box.SquareExtent()) * 1e-4;
}

TEST(CheckedMesh, ClosedMeshesPassAndTheMesherFailureOnASplitFloorIsCaughtAndMadeGood) {
    // Sound meshes: a box exactly, a cylinder within its deflection.
    for (const TopoDS_Shape& shape : {BRepPrimAPI_MakeBox(10, 20, 30).Shape(),
                                      BRepPrimAPI_MakeCylinder(5, 10).Shape()}) {
        const TopoDS_Shape meshed = checkedMesh(shape, 0.01, 0.1, "part.stl");
        const MeshFigures figures = meshFigures(meshed);
        EXPECT_EQ(figures.openEdges, 0u);
        EXPECT_NEAR(figures.volume, solidVolume(shape), 0.01 * figures.curvedArea + 1e-9);
    }
    // The split floor: at the STL's own deflection the mesher leaves a face out.
    const TopoDS_Shape part = dataPart("eager_split_floor.brep");
    const double deflection = stlDeflection(part);
    BRepMesh_IncrementalMesh(part, deflection, Standard_False, 0.1, Standard_True);
    const MeshFigures holed = meshFigures(part);
    EXPECT_GT(holed.unmeshedFaces, 0u);
    EXPECT_NE(meshFault(part, holed, deflection), "");
    const TopoDS_Shape meshed = checkedMesh(part, deflection, 0.1, "part.stl");
    const MeshFigures whole = meshFigures(meshed);
    EXPECT_EQ(whole.unmeshedFaces, 0u);
    EXPECT_EQ(whole.openEdges, 0u);
    EXPECT_EQ(meshFault(meshed, whole, deflection), "");
    EXPECT_NEAR(whole.volume, 163547.3538, 10);
    // Triangles turned the wrong way, or a face lost, are faults of their own.
    MeshFigures turned = whole;
    turned.openEdges = 3;
    EXPECT_NE(meshFault(meshed, turned, deflection).find("3 open edges"), std::string::npos);
    MeshFigures shrunk = whole;
    shrunk.volume -= 100;
    EXPECT_NE(meshFault(meshed, shrunk, deflection).find("mm3"), std::string::npos);
}

class CheckedDrawing : public HostTest {
protected:
    void TearDown() override { fs::remove_all(directory); }
    fs::path directory = fs::temp_directory_path() / ("corvex-checked-" + std::to_string(::getpid()));
};

TEST_F(CheckedDrawing, ASolidThatReadsBackInvalidIsNamedAndWrittenAgainWithItsFacesMerged) {
    fs::create_directories(directory);
    const std::string file = (directory / "drawing.step").string();
    const TopoDS_Shape part = dataPart("eager_split_arcs.brep");
    ASSERT_TRUE(isValidShape(part));
    // As it is, the part's floor reads back with crossing arcs.
    StepContent content;
    content.items.push_back({part, "Solid3D 1", std::nullopt, true});
    writeStepContent(content, file);
    try {
        checkStepReadsBack(content, file, {});
        ADD_FAILURE() << "an invalid read-back passed";
    } catch (const automation::Error& error) {
        EXPECT_NE(error.description().find("reads back as an invalid solid"), std::string::npos) << error.description();
    }
    std::vector<std::size_t> invalid;
    checkStepReadsBack(content, file, {}, &invalid);  // told, not raised
    EXPECT_EQ(invalid, std::vector<std::size_t>{0});
    // The drawing holding it is written, and what it holds reads back valid, of the same volume.
    auto entities = entitiesFromShape(part, "Solid3D");
    drawing->state().restore(entities.front(), 1);
    drawing->addToGroup("PART", entities.front());
    writeDrawing(*drawing, file);
    const auto read = readDrawing(file);
    const auto members = read->groupMembers("PART");
    ASSERT_EQ(members.size(), 1u);
    EXPECT_TRUE(measureSolid(*members.front()).valid);
    EXPECT_NEAR(measureSolid(*members.front()).volume, solidVolume(part), 1e-6 * solidVolume(part));
}

TEST_F(CheckedDrawing, APartThatReadsBackInvalidHoweverWrittenIsWrittenAndTheWriteFails) {
    fs::create_directories(directory);
    const std::string file = (directory / "drawing.step").string();
    // A path sweep's part with a sliver thinner than 1e-4 mm: valid in memory, its file reads
    // back with crossing edges, merged or not. The drawing is kept; the caller is told.
    const TopoDS_Shape part = dataPart("sliver_reads_back_invalid.brep");
    auto entities = entitiesFromShape(part, "Solid3D");
    drawing->state().restore(entities.front(), 1);
    drawing->addToGroup("PART", entities.front());
    try {
        writeDrawing(*drawing, file);
        ADD_FAILURE() << "an invalid read-back passed as written whole";
    } catch (const automation::Error& error) {
        EXPECT_NE(error.description().find("was written, but Solid3D 1 reads back from it as an invalid solid"),
                  std::string::npos)
            << error.description();
    }
    const auto members = readDrawing(file)->groupMembers("PART");
    ASSERT_EQ(members.size(), 1u);
    EXPECT_NEAR(measureSolid(*members.front()).volume, solidVolume(part), 1e-6 * solidVolume(part));
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
