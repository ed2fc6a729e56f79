// Pictures and glTF files of a drawing, checked by what they show: pixels and meshes.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

#include "automation/error.hpp"
#include "cadhost/occt/host_fixture.hpp"
#include "cadhost/occt/pictures/picture.hpp"
#include "cadhost/occt/picture_helpers.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

class PictureTest : public HostTest {
protected:
    RgbImage picture(PictureView view, int width = 200, int height = 150) {
        const std::string path = scratch.file("picture.png");
        writePicture(*drawing, path, {view, width, height});
        return readPng(path);
    }
    std::shared_ptr<Solid3D> drill(double x, double y, double radius, double z0, double z1) {
        return space->AddCylinder(pt(x, y, (z0 + z1) / 2), num(radius), num(z1 - z0));
    }
    void colour(const std::string& text) {
        drawing->SetVariable(Variant::string("CECOLOR"), Variant::string(text));
    }

    ScratchDirectory scratch{"picture-test"};
};

TEST_F(PictureTest, BoxFromTheTopIsAFilledRectangleOfItsProportionsWithinTheMargin) {
    box(0, 0, 0, 100, 50, 20);
    const RgbImage image = picture(PictureView::Top, 200, 150);
    ASSERT_EQ(image.width, 200);
    ASSERT_EQ(image.height, 150);
    const DrawnArea area = drawnArea(image);
    EXPECT_NEAR(double(area.width()) / area.height(), 2.0, 0.06);
    EXPECT_GT(area.fill(), 0.98);
    // Framed: filling the picture's width bar the margin, and clear of every border.
    EXPECT_GT(area.width(), 200 * 0.8);
    EXPECT_GT(area.left, 0);
    EXPECT_LT(area.right, 199);
}

TEST_F(PictureTest, ViewsShowTheSidesTheyName) {
    box(0, 0, 0, 100, 50, 20);
    const DrawnArea front = drawnArea(picture(PictureView::Front));
    EXPECT_NEAR(double(front.width()) / front.height(), 100.0 / 20.0, 0.3);
    const DrawnArea right = drawnArea(picture(PictureView::Right));
    EXPECT_NEAR(double(right.width()) / right.height(), 50.0 / 20.0, 0.15);
    // Isometric: no face square to the view, so the outline is a hexagon, not a rectangle.
    const DrawnArea iso = drawnArea(picture(PictureView::Iso));
    EXPECT_LT(iso.fill(), 0.9);
    EXPECT_GT(iso.fill(), 0.5);
}

TEST_F(PictureTest, ThroughHoleShowsTheBackgroundFromTheTop) {
    auto block = box(0, 0, 0, 100, 100, 20);
    block->Boolean(i16(2), obj(drill(50, 50, 15, -1, 21)));
    const RgbImage image = picture(PictureView::Top, 160, 160);
    const DrawnArea area = drawnArea(image);
    const int centreX = (area.left + area.right) / 2, centreY = (area.top + area.bottom) / 2;
    EXPECT_TRUE(isBackground(image, centreX, centreY));
    // The metal around the hole is drawn, and the hole is round: as wide as it is high.
    EXPECT_FALSE(isBackground(image, area.left + area.width() / 8, centreY));
    int holeLeft = centreX, holeTop = centreY;
    while (isBackground(image, holeLeft - 1, centreY)) --holeLeft;
    while (isBackground(image, centreX, holeTop - 1)) --holeTop;
    EXPECT_NEAR(centreX - holeLeft, centreY - holeTop, 2);
    EXPECT_NEAR(2.0 * (centreX - holeLeft) / area.width(), 30.0 / 100.0, 0.04);
}

TEST_F(PictureTest, BlindHoleIsDrawnButNotAsBackground) {
    auto block = box(0, 0, 0, 100, 100, 20);
    block->Boolean(i16(2), obj(drill(50, 50, 15, 10, 21)));
    const RgbImage image = picture(PictureView::Top, 160, 160);
    const DrawnArea area = drawnArea(image);
    EXPECT_FALSE(isBackground(image, (area.left + area.right) / 2, (area.top + area.bottom) / 2));
    EXPECT_GT(area.fill(), 0.98);
}

TEST_F(PictureTest, SolidsTakeTheColourTheyWereMadeWith) {
    colour("1");
    box(0, 0, 0, 10, 10, 10);
    auto red = picture(PictureView::Top).at(100, 75);
    EXPECT_GT(red[0], red[1] + 80);
    EXPECT_GT(red[0], red[2] + 80);

    drawing = application->open();  // a new drawing: BYLAYER, a light neutral
    drawing->addBox({0, 0, 0}, {10, 10, 10});
    auto neutral = picture(PictureView::Top).at(100, 75);
    EXPECT_GT(neutral[0], 120);
    EXPECT_NEAR(neutral[0], neutral[1], 20);
    EXPECT_NEAR(neutral[1], neutral[2], 20);
}

TEST_F(PictureTest, SolidsInTheBackgroundsColourStillStandOut) {
    colour("RGB:46,54,66");
    box(0, 0, 0, 10, 10, 10);
    const RgbImage image = picture(PictureView::Top);
    EXPECT_FALSE(isBackground(image, 100, 75));
    EXPECT_GT(drawnArea(image).fill(), 0.95);
}

TEST_F(PictureTest, HiddenSolidsRegionsAndCurvesAreNeitherDrawnNorFramed) {
    box(0, 0, 0, 100, 50, 20);
    const RgbImage alone = picture(PictureView::Top);
    box(300, 300, 0, 400, 400, 10)->putVisible(Variant::boolean(false));
    regionOf(rectangle(-200, -200, -100, -100));
    space->AddCircle(pt(500, -500, 0), num(40));
    const RgbImage withOthers = picture(PictureView::Top);
    EXPECT_EQ(alone.pixels, withOthers.pixels);
}

TEST_F(PictureTest, EmptyDrawingGivesABackgroundOnly) {
    const DrawnArea area = drawnArea(picture(PictureView::Iso, 64, 48));
    EXPECT_EQ(area.drawn, 0);
}

TEST_F(PictureTest, SizesOutsideTheLimitsAndUnknownViewsAreRefused) {
    EXPECT_THROW(PictureRenderer({PictureView::Iso, 15, 100}), automation::Error);
    EXPECT_THROW(PictureRenderer({PictureView::Iso, 100, 8193}), automation::Error);
    EXPECT_NO_THROW(PictureRenderer({PictureView::Iso, 16, 8192}));
    EXPECT_EQ(pictureViewNamed("TOP"), PictureView::Top);
    EXPECT_EQ(pictureViewNamed("Right"), PictureView::Right);
    EXPECT_FALSE(pictureViewNamed("left"));
    EXPECT_FALSE(pictureViewNamed(""));
}

TEST_F(PictureTest, PictureInAMissingDirectoryFailsAndLeavesNothing) {
    box(0, 0, 0, 10, 10, 10);
    EXPECT_THROW(writePicture(*drawing, scratch.file("no/such/picture.png")), automation::Error);
    EXPECT_TRUE(std::filesystem::is_empty(scratch.path()));
}

// Frames: every cut of a solid of PART counts; moving it does not.
class FrameTest : public PictureTest {
protected:
    void SetUp() override {
        PictureTest::SetUp();
        part = box(0, 0, 0, 100, 100, 20);
        drawing->addToGroup("PART", part);
    }
    void cut(int i) {
        part->Boolean(i16(2), obj(drill(15 + 12 * i, 50, 4, -1, 21)));
        part->Update();
    }
    std::vector<std::string> frames() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(scratch.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::shared_ptr<Solid3D> part;
};

TEST_F(FrameTest, FramesComeEveryNCutsAndTheLastShowsTheEnd) {
    PictureRenderer renderer({PictureView::Top, 64, 64});
    FrameRecorder recorder(*drawing, scratch.path().string(), 2, renderer);
    for (int i = 0; i < 5; ++i) {
        cut(i);
        part->Move(pt(0, 0, 0), pt(0, 0, 0));
        part->Update();  // a redraw without a cut
        drill(0, 0, 1, 0, 1)->Update();  // not in PART
    }
    EXPECT_EQ(recorder.framesWritten(), 2);
    recorder.finish();
    EXPECT_EQ(recorder.cuts(), 5);
    EXPECT_EQ(frames(), (std::vector<std::string>{"frame-00001.png", "frame-00002.png", "frame-00003.png"}));
    EXPECT_FALSE(recorder.failure());

    // Each frame shows more holes than the one before; the last is the drawing as it ends.
    long previous = 1L << 40;
    for (const auto& name : frames()) {
        const long drawn = drawnArea(readPng(scratch.file(name))).drawn;
        EXPECT_LT(drawn, previous) << name;
        previous = drawn;
    }
    const std::string end = (scratch.path().parent_path() / "corvex-end.png").string();
    renderer.write(*drawing, end);
    EXPECT_EQ(readPng(end).pixels, readPng(scratch.file("frame-00003.png")).pixels);
    std::filesystem::remove(end);
}

TEST_F(FrameTest, CutsMadeAtOnceCountAsQueuedOnesDo) {
    drawing->setEagerSubtraction(true);
    PictureRenderer renderer({PictureView::Top, 32, 32});
    FrameRecorder recorder(*drawing, scratch.path().string(), 2, renderer);
    for (int i = 0; i < 5; ++i) {
        cut(i);
        part->Move(pt(0, 0, 0), pt(1, 0, 0));
        part->Update();
    }
    recorder.finish();
    EXPECT_EQ(recorder.cuts(), 5);
    EXPECT_EQ(frames().size(), 3u);
}

TEST_F(FrameTest, NoClosingFrameWhenTheLastCutMadeOne) {
    PictureRenderer renderer({PictureView::Top, 32, 32});
    FrameRecorder recorder(*drawing, scratch.path().string(), 2, renderer);
    for (int i = 0; i < 4; ++i) cut(i);
    recorder.finish();
    EXPECT_EQ(frames().size(), 2u);
}

TEST_F(FrameTest, AFrameThatCannotBeWrittenStopsRecordingButNotTheSession) {
    PictureRenderer renderer({PictureView::Top, 32, 32});
    FrameRecorder recorder(*drawing, scratch.file("missing"), 1, renderer);
    cut(0);
    EXPECT_NO_THROW(cut(1));
    ASSERT_TRUE(recorder.failure());
    EXPECT_NE(recorder.failure()->find("missing"), std::string::npos);
    EXPECT_EQ(recorder.framesWritten(), 0);
}

// The GLB: a 12-byte header, then a JSON chunk and a binary chunk.
nlohmann::json glbJson(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_GE(bytes.size(), 20u);
    if (bytes.size() < 20) return {};
    EXPECT_EQ(bytes.substr(0, 4), "glTF");
    std::uint32_t length = 0, chunkLength = 0;
    std::memcpy(&length, bytes.data() + 8, 4);
    std::memcpy(&chunkLength, bytes.data() + 12, 4);
    EXPECT_EQ(length, bytes.size());
    EXPECT_EQ(bytes.substr(16, 4), "JSON");
    return nlohmann::json::parse(bytes.substr(20, chunkLength));
}

TEST_F(PictureTest, GlbHoldsOneColouredMeshPerVisibleSolid) {
    colour("1");
    auto block = box(0, 0, 0, 100, 100, 20);
    block->Boolean(i16(2), obj(drill(50, 50, 15, -1, 21)));
    colour("RGB:0,0,255");
    space->AddCylinder(pt(0, 0, 40), num(3), num(20));
    box(0, 0, 0, 1, 1, 1)->putVisible(Variant::boolean(false));
    regionOf(rectangle(0, 0, 5, 5));

    const std::string path = scratch.file("drawing.glb");
    writeGlb(*drawing, path);
    const nlohmann::json gltf = glbJson(path);
    ASSERT_TRUE(gltf.contains("meshes"));
    EXPECT_EQ(gltf["meshes"].size(), 2u);
    std::vector<std::vector<double>> colours;
    for (const auto& material : gltf["materials"])
        colours.push_back(material["pbrMetallicRoughness"]["baseColorFactor"].get<std::vector<double>>());
    ASSERT_EQ(colours.size(), 2u);
    EXPECT_NEAR(colours[0][0], 1.0, 1e-3);  // red
    EXPECT_NEAR(colours[0][2], 0.0, 1e-3);
    EXPECT_NEAR(colours[1][2], 1.0, 1e-3);  // blue
    // In metres: the block is a tenth of a metre across.
    double widest = 0;
    for (const auto& accessor : gltf["accessors"])
        if (accessor.contains("max") && accessor["max"].size() == 3)
            widest = std::max(widest, accessor["max"][0].get<double>() - accessor["min"][0].get<double>());
    EXPECT_NEAR(widest, 0.1, 1e-3);
}

TEST_F(PictureTest, GlbOfAnEmptyDrawingHasNoMeshes) {
    const std::string path = scratch.file("empty.glb");
    try {
        writeGlb(*drawing, path);
    } catch (const automation::Error& error) {
        FAIL() << error.description();
    }
    EXPECT_EQ(glbJson(path).value("meshes", nlohmann::json::array()).size(), 0u);
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
