// Solids as a binary STL mesh, for viewers and slicers.
#include <BRepBndLib.hxx>
#include <BRep_Builder.hxx>
#include <Bnd_Box.hxx>
#include <StlAPI_Writer.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS_Compound.hxx>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>

#include "automation/error.hpp"
#include "cadhost/occt/files/checked_mesh.hpp"
#include "cadhost/occt/files/drawing_file.hpp"
#include "cadhost/occt/model/entity_base.hpp"
#include "cadhost/occt/files/occt_output.hpp"
#include "cadhost/occt/files/replace_file.hpp"
#include "cadhost/occt/files/written_file_check.hpp"

namespace corvex::cadhost::occt {
namespace {

TopoDS_Compound solidsTogether(const std::vector<std::shared_ptr<Entity>>& solids) {
    BRep_Builder builder;
    TopoDS_Compound compound;
    builder.MakeCompound(compound);
    for (const auto& entity : solids) {
        auto solid = std::dynamic_pointer_cast<EntityBase>(entity);
        if (!solid || solid->kind() != "Solid3D")
            throw automation::invalidArgument(
                "Cannot write an STL mesh of " + (entity ? entity->describe() : "nothing") +
                ": only solids of the embedded host have one");
        if (solid->deleted())
            throw automation::invalidArgument("Cannot write an STL mesh of " + solid->describe() +
                                              ": it has been deleted");
        builder.Add(compound, solid->shape());
    }
    return compound;
}

// Fine enough that a machined feature of a tenth of a millimetre shows on a part of a metre,
// coarse enough that the mesh of a large part stays a few megabytes.
double meshTolerance(const TopoDS_Shape& shape) {
    Bnd_Box box;
    BRepBndLib::Add(shape, box);
    if (box.IsVoid()) return 0.01;
    return std::max(std::sqrt(box.SquareExtent()) * 1e-4, 1e-4);
}

void writeEmptyStl(const std::string& temporary, const std::string& path) {
    std::ofstream out(temporary, std::ios::binary);
    std::array<char, 84> header{};  // no title, no triangles
    if (!out.write(header.data(), header.size()).flush())
        throw automation::failure("Cannot write " + path + ": the file could not be written (is the disk full?)");
}

}  // namespace

void writeStl(const std::vector<std::shared_ptr<Entity>>& solids, const std::string& path) {
    quietOcctOutput();
    const TopoDS_Compound compound = solidsTogether(solids);
    replaceFile(path, [&](const std::string& temporary) {
        // A part drilled or turned away is an empty solid: its mesh is no triangles, which the
        // kernel's writer refuses to write.
        if (!TopExp_Explorer(compound, TopAbs_FACE).More()) {
            writeEmptyStl(temporary, path);
            return;
        }
        try {
            const TopoDS_Shape meshed = checkedMesh(compound, meshTolerance(compound), 0.1, path);
            StlAPI_Writer writer;
            writer.ASCIIMode() = Standard_False;
            // The mesh is made and checked by now: what fails here is the writing.
            if (!writer.Write(meshed, temporary.c_str()))
                throw automation::failure("Cannot write " + path + ": the mesh could not be written to the file (is the disk full?)");
        } catch (const Standard_Failure& failure) {
            throw automation::failure("Cannot write " + path + ": " + failure.GetMessageString());
        }
    }, checkStlWritten);
}

}  // namespace corvex::cadhost::occt
