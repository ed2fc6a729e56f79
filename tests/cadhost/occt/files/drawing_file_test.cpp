// Drawings through STEP files and back: solids by measurement, groups as layers, names and
// ids, colours, visibility, every kind of curve; bad files; no half-written output.
#include <BRepPrimAPI_MakeBox.hxx>
#include <Image_AlienPixMap.hxx>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "automation/error.hpp"
#include "cadhost/occt/files/drawing_file.hpp"
#include "cadhost/occt/pictures/picture.hpp"
#include "cadhost/occt/files/replace_file.hpp"
#include "cadhost/occt/files/step_colour.hpp"
#include "cadhost/occt/files/step_read_back.hpp"
#include "cadhost/occt/files/written_file_check.hpp"
#include "cadhost/occt/host_fixture.hpp"
#include "cadhost/occt/files/folder_fixture.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

namespace fs = std::filesystem;

class DrawingFile : public FolderTest {
protected:
    // The drawing written and read back.
    std::shared_ptr<Drawing> roundTrip() {
        writeDrawing(*drawing, path("drawing.step"));
        return readDrawing(path("drawing.step"));
    }

    std::shared_ptr<Entity> byId(const Drawing& read, int id) {
        for (const auto& entity : read.entities())
            if (entityId(*entity) == id) return entity;
        ADD_FAILURE() << "no entity " << id;
        return nullptr;
    }

    std::vector<int> idsOf(const std::vector<std::shared_ptr<Entity>>& entities) {
        std::vector<int> ids;
        for (const auto& entity : entities) ids.push_back(entityId(*entity));
        return ids;
    }

    std::vector<std::string> filesInDirectory() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename());
        return names;
    }

};

// A moved or turned solid is held with a placement; it must keep its groups and its place.
TEST_F(DrawingFile, MovedAndTurnedSolidsKeepTheirGroupsAndPlaces) {
    auto still = box(0, 0, 0, 1, 1, 1);
    auto moved = box(0, 0, 0, 1, 1, 1);
    auto turned = box(0, 9, 0, 1, 10, 1);
    moved->Move(pt(0, 0, 0), pt(5, 0, 0));
    turned->Rotate3D(pt(0, 0, 0), pt(1, 0, 0), num(M_PI / 2));
    for (const auto& solid : {still, moved, turned}) drawing->addToGroup("PROBESOLID", solid);
    drawing->addToGroup("ROTARYA", turned);

    auto read = roundTrip();
    auto members = read->groupMembers("PROBESOLID");
    ASSERT_EQ(members.size(), 3u);
    EXPECT_NEAR(measureSolid(*members[1]).centroid[0], 5.5, 1e-9);
    EXPECT_NEAR(measureSolid(*members[2]).centroid[2], 9.5, 1e-9);
    ASSERT_EQ(read->groupMembers("ROTARYA").size(), 1u);
    EXPECT_EQ(entityId(*read->groupMembers("ROTARYA")[0]), entityId(*turned));
}

void expectSameBox(const BoundingBox& actual, const BoundingBox& expected, double tolerance = 1e-6) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(actual.min[i], expected.min[i], tolerance) << "min " << i;
        EXPECT_NEAR(actual.max[i], expected.max[i], tolerance) << "max " << i;
    }
}

// ---- solids -------------------------------------------------------------------------------

TEST_F(DrawingFile, SolidsComeBackWithTheirVolumeBoxAndId) {
    auto block = box(0, 0, 0, 100, 40, 20);
    auto bar = drawing->addAxisCylinder({-5, 20, 10}, 6, 50, 0);
    auto cutter = drawing->addAxisCylinder({30, 20, 15}, 4.3, 10, 2);
    block->Boolean(Variant::int32(2), obj(cutter));  // a blind hole: a solid with curved faces
    auto before = drawing->entities();

    auto read = roundTrip();
    auto after = read->entities();
    ASSERT_EQ(idsOf(after), idsOf(before));
    for (std::size_t i = 0; i < before.size(); ++i) {
        SCOPED_TRACE(before[i]->describe());
        EXPECT_EQ(after[i]->kind(), "Solid3D");
        auto original = measureSolid(*before[i]);
        auto copy = measureSolid(*after[i]);
        EXPECT_REL(copy.volume, original.volume, 1e-9);
        EXPECT_TRUE(copy.valid);
        expectSameBox(copy.box, original.box);
    }
    EXPECT_REL(measureSolid(*after[0]).volume, 100 * 40 * 20 - M_PI * 4.3 * 4.3 * 5, 1e-9);
}

TEST_F(DrawingFile, SolidOfSeveralLumpsStaysOneEntity) {
    auto bar = box(0, 0, 0, 30, 10, 10);
    auto cutter = box(10, -1, -1, 20, 11, 11);
    bar->Boolean(Variant::int32(2), obj(cutter));
    ASSERT_EQ(measureSolid(*bar).solids, 2);

    auto read = roundTrip();
    ASSERT_EQ(read->entities().size(), 1u);
    auto copy = measureSolid(*read->entities()[0]);
    EXPECT_EQ(copy.solids, 2);
    EXPECT_REL(copy.volume, 2 * 10 * 10 * 10, 1e-9);
}

// ---- groups, names and ids ----------------------------------------------------------------

TEST_F(DrawingFile, GroupsComeBackInOrderWithTheirMembersInOrder) {
    auto a = box(0, 0, 0, 1, 1, 1);
    auto b = box(2, 0, 0, 3, 1, 1);
    auto c = box(4, 0, 0, 5, 1, 1);
    auto outline = rectangle(0, 0, 2, 2);
    drawing->addToGroup("ROTARYA", c);
    drawing->addToGroup("ROTARYA", outline);
    drawing->addToGroup("ROTARYA", a);  // in two groups, and before b in this one
    drawing->addToGroup("PART", a);
    drawing->addToGroup("PART", b);

    auto read = roundTrip();
    EXPECT_EQ(read->groupNames(), (std::vector<std::string>{"ROTARYA", "PART"}));
    EXPECT_EQ(idsOf(read->groupMembers("ROTARYA")),
              (std::vector<int>{entityId(*c), entityId(*outline), entityId(*a)}));
    EXPECT_EQ(idsOf(read->groupMembers("PART")), (std::vector<int>{entityId(*a), entityId(*b)}));
    // One entity in two groups is one entity, not a copy per layer.
    ASSERT_EQ(read->groupMembers("ROTARYA").size(), 3u);
    ASSERT_EQ(read->groupMembers("PART").size(), 2u);
    EXPECT_EQ(read->groupMembers("ROTARYA")[2], read->groupMembers("PART")[0]);
    EXPECT_EQ(read->entities().size(), 4u);
}

TEST_F(DrawingFile, IdsKeepTheirGapsAndNewEntitiesNumberOnFromTheHighest) {
    auto first = box(0, 0, 0, 1, 1, 1);
    auto gone = box(2, 0, 0, 3, 1, 1);
    auto last = box(4, 0, 0, 5, 1, 1);
    gone->Delete();

    auto read = roundTrip();
    EXPECT_EQ(idsOf(read->entities()), (std::vector<int>{entityId(*first), entityId(*last)}));
    auto added = read->addBox({0, 0, 0}, {1, 1, 1});
    EXPECT_GT(entityId(*added), entityId(*last));
}

TEST_F(DrawingFile, EntitiesAreNamedByKindAndIdInTheFile) {
    auto solid = box(0, 0, 0, 1, 1, 1);
    space->AddLine(pt(0, 0, 0), pt(1, 0, 0));
    writeDrawing(*drawing, path("named.step"));
    std::ifstream file(path("named.step"));
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find("'Solid3D 1'"), std::string::npos);
    EXPECT_NE(text.str().find("'Line 2'"), std::string::npos);
}

TEST_F(DrawingFile, AnEmptyDrawingRoundTrips) {
    auto read = roundTrip();
    EXPECT_TRUE(read->entities().empty());
    EXPECT_TRUE(read->groupNames().empty());
}

// ---- colours and visibility ---------------------------------------------------------------

TEST_F(DrawingFile, ColourTextsComeBackAsTheyWereSet) {
    const std::vector<std::string> colours{"1", "2", "3", "4", "5", "6", "7", "8", "9", "140",
                                           "255", "RGB:10,20,30", "RGB:255,0,0", "BYLAYER",
                                           "BYBLOCK", "0", "256", "red", "white"};
    std::vector<std::shared_ptr<Solid3D>> solids;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        drawing->SetVariable(Variant::string("CECOLOR"), Variant::string(colours[i]));
        solids.push_back(box(2.0 * i, 0, 0, 2.0 * i + 1, 1, 1));
    }
    auto read = roundTrip();
    for (const auto& solid : solids)
        EXPECT_EQ(entityColour(*byId(*read, entityId(*solid))), entityColour(*solid));
}

TEST_F(DrawingFile, TheFileItselfCarriesTheColourForOtherPrograms) {
    drawing->SetVariable(Variant::string("CECOLOR"), Variant::string("RGB:10,20,30"));
    box(0, 0, 0, 1, 1, 1);
    drawing->SetVariable(Variant::string("CECOLOR"), Variant::string("1"));
    box(2, 0, 0, 3, 1, 1);
    writeDrawing(*drawing, path("coloured.step"));
    std::ifstream file(path("coloured.step"));
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find("3.9215687"), std::string::npos) << "10/255 as an sRGB level";
    EXPECT_NE(text.str().find("0.1176470"), std::string::npos) << "30/255 as an sRGB level";
    EXPECT_NE(text.str().find("'red'"), std::string::npos) << "colour 1 as the predefined red";
}

TEST_F(DrawingFile, VisibilityComesBackWithTheColour) {
    auto shown = box(0, 0, 0, 1, 1, 1);
    auto hidden = box(2, 0, 0, 3, 1, 1);
    drawing->SetVariable(Variant::string("CECOLOR"), Variant::string("3"));
    auto hiddenGreen = box(4, 0, 0, 5, 1, 1);
    auto hiddenOutline = rectangle(0, 0, 2, 2);
    auto hiddenLumps = box(0, 0, 0, 30, 10, 10);
    hiddenLumps->Boolean(Variant::int32(2), obj(box(10, -1, -1, 20, 11, 11)));
    auto hiddenRegion = regionsOf(space->AddRegion(list({obj(rectangle(5, 5, 6, 6))}))).front();
    for (const auto& entity :
         std::vector<std::shared_ptr<Entity>>{hidden, hiddenGreen, hiddenOutline, hiddenLumps, hiddenRegion})
        entity->putVisible(Variant::boolean(false));

    auto read = roundTrip();
    EXPECT_FALSE(entityVisible(*byId(*read, entityId(*hiddenRegion))));
    EXPECT_FALSE(entityVisible(*byId(*read, entityId(*hiddenOutline))));
    EXPECT_FALSE(entityVisible(*byId(*read, entityId(*hiddenLumps))));
    EXPECT_EQ(entityColour(*byId(*read, entityId(*hiddenLumps))), "3");
    EXPECT_TRUE(entityVisible(*byId(*read, entityId(*shown))));
    EXPECT_FALSE(entityVisible(*byId(*read, entityId(*hidden))));
    EXPECT_FALSE(entityVisible(*byId(*read, entityId(*hiddenGreen))));
    EXPECT_EQ(entityColour(*byId(*read, entityId(*hidden))), "BYLAYER");
    EXPECT_EQ(entityColour(*byId(*read, entityId(*hiddenGreen))), "3");
}

TEST(ColourIndex, TheFirstNineAreTheStandardColoursAndReadBackAsTheirNumbers) {
    EXPECT_EQ(indexColour(1), (Rgb{255, 0, 0}));
    EXPECT_EQ(indexColour(2), (Rgb{255, 255, 0}));
    EXPECT_EQ(indexColour(3), (Rgb{0, 255, 0}));
    EXPECT_EQ(indexColour(4), (Rgb{0, 255, 255}));
    EXPECT_EQ(indexColour(5), (Rgb{0, 0, 255}));
    EXPECT_EQ(indexColour(6), (Rgb{255, 0, 255}));
    EXPECT_EQ(indexColour(7), (Rgb{255, 255, 255}));
    for (int index = 1; index <= 9; ++index)
        EXPECT_EQ(textOfColour(indexColour(index)), std::to_string(index));
    EXPECT_EQ(indexColour(10), (Rgb{255, 0, 0}));
    EXPECT_EQ(indexColour(11), (Rgb{255, 127, 127}));
    EXPECT_EQ(indexColour(30), (Rgb{255, 127, 0}));
    EXPECT_EQ(colourOfText("magenta"), indexColour(6));
    EXPECT_EQ(colourOfText("RGB:1,2,3"), (Rgb{1, 2, 3}));
    EXPECT_FALSE(colourOfText("BYBLOCK"));
    EXPECT_FALSE(colourOfText("256"));
    EXPECT_FALSE(colourOfText("RGB:1,2,300"));
}

// ---- curves and regions -------------------------------------------------------------------

// Curves whose shapes cannot say what they are: a polyline that doubles back with segments of
// no length (read back as two lines once, one under a new id), a polyline of no length and a
// line of no length (left out of the file once). Each comes back as itself, with its id.
TEST_F(DrawingFile, CurvesTheirShapesCannotGiveBackComeBackAsThemselves) {
    auto doubled = space->AddPolyline(Variant::doubles({10, 0, 0, 20, 0, 0, 20, 0, 0, 10, 0, 0, 10, 0, 0}));
    doubled->SetBulge(i16(2), num(0.25));
    doubled->Rotate3D(pt(0, 0, 0), pt(1, 0, 0), num(0.3));
    space->AddPolyline(Variant::doubles({80, 80, 0, 80, 80, -5}));
    space->AddLine(pt(1, 2, 3), pt(1, 2, 3));
    box(0, 0, 0, 1, 1, 1);
    const auto before = drawing->entities();
    const auto after = roundTrip()->entities();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i]->kind(), before[i]->kind()) << i;
        EXPECT_EQ(entityId(*after[i]), entityId(*before[i])) << i;
    }
    // The doubled-back polyline keeps its place and turn: the same box as before.
    expectSameBox(boundingBox(*after[0]), boundingBox(*before[0]));
    // Written again, the file says the same: nothing is lost on the second round either.
    writeDrawing(*readDrawing(path("drawing.step")), path("again.step"));
    EXPECT_EQ(readDrawing(path("again.step"))->entities().size(), before.size());
}

TEST_F(DrawingFile, EveryKindOfCurveComesBackWithItsKindAndPlace) {
    space->AddLine(pt(1, 2, 3), pt(4, 6, 3));
    auto arc = space->AddArc(pt(5, 5, 2), num(3), num(M_PI / 3), num(M_PI / 3 + 4));  // more than half
    space->AddCircle(pt(-4, 1, 7), num(2.5));
    auto open = space->AddPolyline(Variant::doubles({0, 0, 1, 10, 0, 1, 10, 5, 1}));
    open->SetBulge(i16(1), num(-0.4));
    auto tilted = space->AddArc(pt(0, 0, 0), num(2), num(0), num(2));
    tilted->Rotate3D(pt(-1, -1, 0), pt(1, 1, 0.5), num(0.7));
    auto standing = rectangle(0, 0, 4, 3, 2);
    standing->SetBulge(i16(2), num(0.5));
    standing->Rotate3D(pt(0, 0, 0), pt(1, 0, 0), num(M_PI / 2));
    auto tiltedCircle = space->AddCircle(pt(3, 3, 3), num(1));
    tiltedCircle->Rotate3D(pt(0, 0, 0), pt(0, 1, 1), num(1.1));
    auto before = drawing->entities();

    auto read = roundTrip();
    auto after = read->entities();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        SCOPED_TRACE(before[i]->describe());
        EXPECT_EQ(after[i]->kind(), before[i]->kind());
        EXPECT_EQ(entityId(*after[i]), entityId(*before[i]));
        expectSameBox(boundingBox(*after[i]), boundingBox(*before[i]));
    }
    // Arcs keep their direction: the same start and end points.
    for (std::size_t i : {1u, 4u}) {
        auto original = std::dynamic_pointer_cast<Arc>(before[i]);
        auto copy = std::dynamic_pointer_cast<Arc>(after[i]);
        ASSERT_TRUE(copy);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(copy->StartPoint().asArray().at(k).asDouble(),
                        original->StartPoint().asArray().at(k).asDouble(), 1e-9);
            EXPECT_NEAR(copy->EndPoint().asArray().at(k).asDouble(),
                        original->EndPoint().asArray().at(k).asDouble(), 1e-9);
        }
    }
}

TEST_F(DrawingFile, ClosedPolylinesStillMakeTheSameRegion) {
    auto flat = rectangle(0, 0, 4, 3, 2);
    flat->SetBulge(i16(1), num(1));  // a half circle on the right
    auto standing = rectangle(0, 0, 4, 3);
    standing->SetBulge(i16(3), num(-0.3));
    standing->Rotate3D(pt(0, 0, 0), pt(0, 1, 0), num(0.9));
    const double flatArea = measureRegion(*regionOf(flat)).area;
    const double standingArea = measureRegion(*regionOf(standing)).area;

    auto read = roundTrip();
    auto readSpace = read->ModelSpace();
    auto regionIn = [&](int id) {
        auto curve = byId(*read, id);
        return regionsOf(readSpace->AddRegion(list({obj(curve)}))).at(0);
    };
    EXPECT_REL(measureRegion(*regionIn(entityId(*flat))).area, flatArea, 1e-9);
    EXPECT_REL(measureRegion(*regionIn(entityId(*standing))).area, standingArea, 1e-9);
    EXPECT_REL(flatArea, 12 + M_PI * 1.5 * 1.5 / 2, 1e-9);
}

TEST_F(DrawingFile, RegionsComeBackAsRegionsWithTheirArea) {
    auto outer = space->AddCircle(pt(0, 0, 1), num(5));
    auto inner = space->AddCircle(pt(0, 0, 1), num(2));
    auto regions = regionsOf(space->AddRegion(list({obj(outer), obj(inner)})));
    regions[0]->Boolean(Variant::int32(2), obj(regions[1]));

    // A region that lost every face to a Boolean stays a region of the drawing: it once
    // stopped the writer, and the drawing was lost.
    auto same = regionsOf(space->AddRegion(list({obj(space->AddCircle(pt(20, 0, 1), num(3))),
                                                 obj(space->AddCircle(pt(20, 0, 1), num(3)))})));
    same[0]->Boolean(Variant::int32(2), obj(same[1]));

    auto read = roundTrip();
    auto ring = byId(*read, entityId(*regions[0]));
    EXPECT_EQ(ring->kind(), "Region");
    EXPECT_REL(measureRegion(*ring).area, M_PI * (25 - 4), 1e-9);
    auto emptied = byId(*read, entityId(*same[0]));
    ASSERT_TRUE(emptied);
    EXPECT_EQ(emptied->kind(), "Region");
    EXPECT_NEAR(measureRegion(*emptied).area, 0, 1e-12);
}

// ---- files from other programs ------------------------------------------------------------

// data/foreign_assembly.step is laid out as other CAD programs write STEP: an assembly
// "BRACKET" placing a plate (40 x 20 x 5, at x = 100) and two instances of a pin (radius 3,
// height 10, faces coloured blue), product names of their own, and layers on the parts.
TEST_F(DrawingFile, AnAssemblyFromAnotherProgramReadsAsPlacedSolidsInTheirLayers) {
    const auto fixture = fs::path(__FILE__).parent_path() / "data" / "foreign_assembly.step";
    auto read = readDrawing(fixture.string());
    auto entities = read->entities();
    ASSERT_EQ(entities.size(), 3u);
    EXPECT_EQ(idsOf(entities), (std::vector<int>{1, 2, 3}));
    EXPECT_REL(measureSolid(*entities[0]).volume, 40.0 * 20 * 5, 1e-9);
    expectSameBox(measureSolid(*entities[0]).box, BoundingBox{{100, 0, 0}, {140, 20, 5}});
    for (int pin : {1, 2}) {
        EXPECT_REL(measureSolid(*entities[pin]).volume, M_PI * 9 * 10, 1e-9);
        EXPECT_EQ(entityColour(*entities[pin]), "5") << "blue faces make a blue pin";
    }
    EXPECT_NEAR(measureSolid(*entities[2]).centroid[0], 130, 1e-9) << "the second placement";
    EXPECT_EQ(idsOf(read->groupMembers("PART")), (std::vector<int>{1}));
    EXPECT_EQ(idsOf(read->groupMembers("PROBESOLID")), (std::vector<int>{2, 3}));
}

// ---- files that cannot be read, outputs that cannot be written -----------------------------

TEST_F(DrawingFile, FilesThatAreNotDrawingsAreRefusedWithTheReason) {
    auto expectRefused = [&](const std::string& file, const std::string& reason) {
        try {
            readDrawing(file);
            ADD_FAILURE() << file << " was read";
        } catch (const automation::Error& error) {
            EXPECT_NE(error.description().find(reason), std::string::npos) << error.description();
            EXPECT_NE(error.description().find(file), std::string::npos) << error.description();
        }
    };
    expectRefused(path("missing.step"), "no such file");
    std::ofstream(path("notes.txt")) << "a shopping list\n";
    expectRefused(path("notes.txt"), "not a STEP file");
    std::ofstream(path("damaged.step")) << "ISO-10303-21;\nHEADER;\nENDSEC;\nDATA;\n#1=FOO(;\n";
    expectRefused(path("damaged.step"), "STEP");
    expectRefused(directory.string(), "not a file");
}

// A damaged drawing is refused before the kernel's reader sees it: each of these crashed the
// reader, spun in it, or loaded a solid empty and out of its group.
TEST_F(DrawingFile, DamagedDrawingsAreRefusedNamingTheInstance) {
    box(0, 0, 0, 10, 10, 10);
    writeDrawing(*drawing, path("good.step"));
    std::stringstream read;
    read << std::ifstream(path("good.step")).rdbuf();
    const std::string good = read.str();
    // The instance that holds the first point of the first edge loop, and that loop.
    const std::regex bound(R"(#(\d+) = FACE_BOUND\('',#(\d+),)");
    std::smatch found;
    ASSERT_TRUE(std::regex_search(good, found, bound));
    const std::string face = found[1], loop = found[2];
    const struct {
        const char* name;
        std::string from, to, reason;
    } damages[] = {
        {"a bound that refers to itself", "#" + face + " = FACE_BOUND('',#" + loop, "#" + face + " = FACE_BOUND('',#" + face,
         "instance #" + face + " refers to itself"},
        {"an undefined bound", "#" + face + " = FACE_BOUND('',#" + loop, "#" + face + " = FACE_BOUND('',#987654",
         "refers to #987654, which the file does not define"},
        {"a cycle", "#" + loop + " = EDGE_LOOP('',(", "#" + loop + " = EDGE_LOOP('',(#" + face + ",",
         "through a cycle of references"},
        {"an unquoted name", "PRODUCT('", "PRODUCT(Solid", "the bare word Solid"},
        {"a number no double holds", "CARTESIAN_POINT('',(0.,", "CARTESIAN_POINT('',(1.E400,", "no double holds"},
        {"a point out of range", "CARTESIAN_POINT('',(0.,", "CARTESIAN_POINT('',(2.E+07,", "farther than 1e7"},
        {"a cut-short file", "END-ISO-10303-21;", "", "does not end with END-ISO-10303-21"},
        {"values without a comma", "PRODUCT('", "PRODUCT('' '", "lacks a ',' between two parameters"},
        {"an empty value", "PRODUCT('", "PRODUCT(,'", "has an empty parameter"},
        {"a type misspelt", "VECTOR('", "VECXOR('", "of a type the reader does not know"},
        {"a number for a reference", "VECTOR('',#", "VECTOR('',", "not an Entity"},
        {"a name no int holds", "#" + face + " = FACE_BOUND('',#" + loop, "#" + face + " = FACE_BOUND('',#2147483648",
         "#2147483648"},
    };
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.name);
        std::string text = good;
        const auto at = text.find(damage.from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, damage.from.size(), damage.to);
        std::ofstream(path("damaged.step")) << text;
        try {
            readDrawing(path("damaged.step"));
            ADD_FAILURE() << "read";
        } catch (const automation::Error& error) {
            EXPECT_NE(error.description().find(damage.reason), std::string::npos) << error.description();
        }
    }
    std::ofstream(path("truncated.step")) << good.substr(0, good.size() / 2);
    EXPECT_THROW(readDrawing(path("truncated.step")), automation::Error);
}

TEST_F(DrawingFile, NothingIsLeftBehindWhenTheDirectoryDoesNotExist) {
    box(0, 0, 0, 1, 1, 1);
    const std::string target = path("no-such-directory/drawing.step");
    EXPECT_THROW(writeDrawing(*drawing, target), automation::Error);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(filesInDirectory().empty());
}

TEST_F(DrawingFile, WritingReplacesTheTargetAndLeavesNoTemporaryFile) {
    std::ofstream(path("drawing.step")) << "an older drawing\n";
    // Temporaries a killed writer left of this target go; a live writer's, and another
    // target's, stay.
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string dead = "drawing." + std::to_string(gone) + ".step.tmp";
    const std::string live = "drawing." + std::to_string(::getppid()) + ".step.tmp";
    const std::string other = "other." + std::to_string(gone) + ".step.tmp";
    for (const auto& name : {dead, live, other}) std::ofstream(path(name)) << "";
    box(0, 0, 0, 1, 1, 1);
    auto read = roundTrip();
    EXPECT_EQ(read->entities().size(), 1u);
    auto names = filesInDirectory();
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected{"drawing.step", live, other};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
}

// A written file is believed only when it reads back whole: on a full disk the image library
// and the mesh writer reported success over truncated or empty files. Each output cut short
// is refused by its check, and a refused write leaves the old target and no temporary file.
void cutShort(const std::string& from, const std::string& to, double fraction) {
    std::stringstream text;
    text << std::ifstream(from, std::ios::binary).rdbuf();
    const std::string bytes = text.str();
    std::ofstream(to, std::ios::binary) << bytes.substr(0, static_cast<std::size_t>(bytes.size() * fraction));
}

TEST_F(DrawingFile, EveryKindOfOutputCutShortIsRefused) {
    auto solid = box(0, 0, 0, 10, 10, 10);
    writeDrawing(*drawing, path("whole.step"));
    writeStl({solid}, path("whole.stl"));
    writeGlb(*drawing, path("whole.glb"));
    Image_AlienPixMap picture;
    picture.InitZero(Image_Format_RGB, 64, 48);
    ASSERT_TRUE(picture.Save(TCollection_AsciiString(path("whole.png").c_str())));
    const struct {
        const char* file;
        void (*check)(const std::string&);
    } outputs[] = {{"whole.step", checkStepWritten}, {"whole.stl", checkStlWritten},
                   {"whole.glb", checkGlbWritten}, {"whole.png", checkPngWritten}};
    for (const auto& output : outputs) {
        SCOPED_TRACE(output.file);
        EXPECT_NO_THROW(output.check(path(output.file)));
        for (double fraction : {0.0, 0.5, 0.99}) {
            cutShort(path(output.file), path("short"), fraction);
            EXPECT_THROW(output.check(path("short")), automation::Error) << fraction;
        }
    }
}

TEST_F(DrawingFile, AFileThatDoesNotHoldWhatWasWrittenIsRefused) {
    StepContent written;
    written.items.push_back({BRepPrimAPI_MakeBox(10, 10, 10).Shape(), "a", std::nullopt, true});
    written.items.push_back({BRepPrimAPI_MakeBox(gp_Pnt(20, 0, 0), 5, 5, 5).Shape(), "b", std::nullopt, true});
    written.layers.push_back({"PART", {0, 1}});
    writeStepContent(written, path("written.step"));
    EXPECT_NO_THROW(checkStepReadsBack(written, path("written.step"), {}));

    const std::function<void(StepContent&)> changes[] = {
        [](StepContent& c) { c.items.pop_back(); },
        [](StepContent& c) { c.items[1].shape = BRepPrimAPI_MakeBox(gp_Pnt(20, 0, 0), 5, 5, 5.5).Shape(); },
        [](StepContent& c) { c.items[0].name = "c"; },
        [](StepContent& c) { c.layers[0].members = {0}; },
        [](StepContent& c) { c.layers.push_back({"ROTARYA", {1}}); },
    };
    for (std::size_t k = 0; k < std::size(changes); ++k) {
        StepContent expected = written;
        changes[k](expected);
        EXPECT_THROW(checkStepReadsBack(expected, path("written.step"), {}), automation::Error) << "change " << k;
    }
}

TEST_F(DrawingFile, ARefusedWriteLeavesTheOldTargetAndNoTemporaries) {
    std::ofstream(path("out.glb")) << "the old picture";
    const auto failing = [](const std::string& temporary) {
        std::ofstream(temporary) << "half";
        // As the glTF writer does: a buffer file named from the temporary's name.
        std::ofstream(fs::path(temporary).replace_extension(".bin.tmp")) << "half";
    };
    try {
        replaceFile(path("out.glb"), failing, checkGlbWritten);
        ADD_FAILURE() << "a half-written file replaced the target";
    } catch (const automation::Error& error) {
        EXPECT_NE(error.description().find("Cannot write " + path("out.glb")), std::string::npos) << error.description();
    }
    EXPECT_EQ(filesInDirectory(), std::vector<std::string>{"out.glb"});
    std::stringstream old;
    old << std::ifstream(path("out.glb")).rdbuf();
    EXPECT_EQ(old.str(), "the old picture");
}

// ---- STL ----------------------------------------------------------------------------------

TEST_F(DrawingFile, StlOfABoxIsTwelveTriangles) {
    auto block = box(0, 0, 0, 10, 10, 10);
    writeStl({block}, path("part.stl"));
    EXPECT_EQ(fs::file_size(path("part.stl")), 84u + 50u * 12u) << "binary: header, count, 50 bytes each";
    EXPECT_EQ(filesInDirectory(), (std::vector<std::string>{"part.stl"}));
}

TEST_F(DrawingFile, StlRefusesWhatIsNotASolid) {
    auto line = space->AddLine(pt(0, 0, 0), pt(1, 0, 0));
    EXPECT_THROW(writeStl({line}, path("part.stl")), automation::Error);
    EXPECT_FALSE(fs::exists(path("part.stl")));
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
