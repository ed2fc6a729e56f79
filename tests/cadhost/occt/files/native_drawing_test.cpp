// Drawings through corvex's own file and back: every entity as it was, to the last bit of its
// shapes, with its id, colour, visibility and groups; and a damaged file refused with its reason.
#include <BRepBndLib.hxx>
#include <Bnd_Box.hxx>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "automation/error.hpp"
#include "cadhost/occt/files/drawing_file.hpp"
#include "cadhost/occt/files/native_drawing.hpp"
#include "cadhost/occt/geometry/solid_ops.hpp"
#include "cadhost/occt/files/folder_fixture.hpp"
#include "cadhost/occt/model/entity_base.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

namespace fs = std::filesystem;

class NativeDrawing : public FolderTest {
protected:
    // Each entity (id, kind, colour, visibility, and its shape's faces, edges, volume and box to
    // the last digit) and each group with its members, in order.
    static std::vector<std::string> summary(const Drawing& d) {
        std::vector<std::string> lines;
        for (const auto& entity : d.entities()) {
            std::ostringstream line;
            line.precision(17);
            line << entityId(*entity) << ' ' << entity->kind() << ' ' << entityColour(*entity) << ' '
                 << entityVisible(*entity);
            const TopoDS_Shape shape = std::dynamic_pointer_cast<EntityBase>(entity)->shape();
            if (!shape.IsNull()) {
                Bnd_Box box;
                BRepBndLib::Add(shape, box, false);
                line << " faces " << countFaces(shape) << " volume " << solidVolume(shape);
                if (!box.IsVoid()) line << " box " << box.CornerMin().X() << ' ' << box.CornerMax().Z();
            }
            lines.push_back(line.str());
        }
        for (const auto& name : d.groupNames()) {
            std::string line = "group " + name + ":";
            for (const auto& member : d.groupMembers(name)) line += ' ' + std::to_string(entityId(*member));
            lines.push_back(line);
        }
        return lines;
    }
};

TEST_F(NativeDrawing, EveryEntityComesBackAsItWasToTheLastBit) {
    auto block = box(0, 0, -20, 100, 100, 0);
    block->Boolean(Variant::int32(2), obj(drawing->addAxisCylinder({30, 20, -5}, 4.3, 10, 2)));
    auto lumps = box(0, 0, 0, 30, 10, 10);
    lumps->Boolean(Variant::int32(2), obj(box(10, -1, -1, 20, 11, 11)));
    auto gone = box(0, 0, 0, 1, 1, 1);
    gone->Boolean(Variant::int32(2), obj(box(-1, -1, -1, 2, 2, 2)));  // nothing left of it
    drawing->SetVariable(Variant::string("CECOLOR"), Variant::string("RGB:10,20,30"));
    auto turned = drawing->addAxisCylinder({5, 5, 5}, 2, 8, 0);
    turned->Rotate3D(pt(0, 0, 0), pt(0, 0, 1), num(0.5));
    drawing->SetVariable(Variant::string("CECOLOR"), Variant::string("red"));
    auto outline = rectangle(0, 0, 2, 2);
    auto region = regionOf(rectangle(5, 5, 7, 8));
    space->AddLine(pt(1, 2, 3), pt(4, 6, 3));
    space->AddCircle(pt(1, 1, 0), num(3));
    space->AddArc(pt(0, 0, 0), num(2), num(0.1), num(2));
    outline->putVisible(Variant::boolean(false));
    drawing->addToGroup("ROTARYA", turned);
    drawing->addToGroup("ROTARYA", region);
    drawing->addToGroup("PART", lumps);
    drawing->addToGroup("PART", block);
    drawing->addToGroup("PART", gone);

    for (const std::string name : {"drawing.cvx", "DRAWING.CVX"}) {
        writeDrawing(*drawing, path(name));
        EXPECT_EQ(summary(*readDrawing(path(name))), summary(*drawing)) << name;
    }
    EXPECT_EQ(fs::directory_iterator(directory)->path().filename(), "DRAWING.CVX");  // no temporaries
    // An empty drawing, too.
    const auto empty = application->open();
    writeDrawing(*empty, path("empty.cvx"));
    EXPECT_TRUE(readDrawing(path("empty.cvx"))->entities().empty());
}

TEST_F(NativeDrawing, ADamagedFileIsRefusedWithItsReasonAndNoFileIsLeftWhereNoneCanBeWritten) {
    box(0, 0, 0, 10, 10, 10);
    drawing->addToGroup("PART", box(20, 0, 0, 30, 10, 10));
    writeDrawing(*drawing, path("whole.cvx"));
    std::stringstream read;
    read << std::ifstream(path("whole.cvx"), std::ios::binary).rdbuf();
    const std::string whole = read.str();
    const std::size_t index = whole.find('\n') + 1, shapes = whole.find('\n', index) + 1;
    auto replaced = [&](std::size_t at, const std::string& with) { return whole.substr(0, at) + with + whole.substr(at + with.size()); };
    auto swapped = [&](const std::string& text, const std::string& with) {
        return whole.substr(0, whole.find(text)) + with + whole.substr(whole.find(text) + text.size());
    };
    const struct {
        const char* what;
        std::string bytes;
        const char* reason;
    } damaged[] = {
        {"empty", "", "not a corvex drawing"},
        {"a STEP file", "ISO-10303-21;\nHEADER;\n", "not a corvex drawing"},
        {"cut within its index", whole.substr(0, index + 20), "ends within its index"},
        {"cut short in its shapes", whole.substr(0, shapes + (whole.size() - shapes) / 2), "cut short"},
        {"one byte short", whole.substr(0, whole.size() - 1), "cut short"},
        {"added to", whole + "more", "cut short or added to"},
        {"a byte of its shapes changed", replaced(shapes + 200, whole[shapes + 200] == 'x' ? "y" : "x"), "checksum"},
        {"its index not JSON", replaced(index, "["), "index is damaged"},
        {"a group naming a shape it lacks", swapped("\"members\":[1]", "\"members\":[7]"), "does not hold"},
        {"a colour out of range", swapped("\"colour\":null", "\"colour\":[1,2,300]"), "colour"},
    };
    for (const auto& [what, bytes, reason] : damaged) {
        std::ofstream(path("damaged.cvx"), std::ios::binary) << bytes;
        try {
            readDrawing(path("damaged.cvx"));
            ADD_FAILURE() << what << " was read";
        } catch (const automation::Error& error) {
            EXPECT_NE(error.description().find("Cannot read " + path("damaged.cvx")), std::string::npos) << what;
            EXPECT_NE(error.description().find(reason), std::string::npos) << what << ": " << error.description();
        }
    }
    // A file in a folder that does not exist is no file, and the old drawing stays as it was.
    EXPECT_THROW(writeDrawing(*drawing, path("nowhere/part.cvx")), automation::Error);
    EXPECT_FALSE(fs::exists(path("nowhere")));
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
