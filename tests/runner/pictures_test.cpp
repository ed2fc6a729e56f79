// Pictures from the command line: `run --png/--frames/--glb` and `render`, checked by what
// the pictures show and what the glTF file holds. No display is needed: corvex starts its own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cadhost/occt/pictures/picture.hpp"
#include "cadhost/occt/picture_helpers.hpp"

namespace corvex::runner::testing {
namespace {

namespace fs = std::filesystem;
using cadhost::occt::readPng;
using cadhost::occt::RgbImage;
using cadhost::occt::testing::DrawnArea;
using cadhost::occt::testing::isBackground;
using cadhost::occt::testing::largestPatch;
using ::testing::HasSubstr;

struct Outcome {
    int status = -1;
    std::string out, err;
};

// Three holes right through a 100 x 50 x 20 block, at x = 20, 50 and 80 along its middle.
constexpr const char* kDrillSession =
    "[\"StartAcad\"]\n"
    "[\"drill_path\", 20, 25, -1, 22, 5]\n"
    "[\"drill_path\", 50, 25, -1, 22, 5]\n"
    "[\"drill_path\", 80, 25, -1, 22, 5]\n";

class PicturesFromTheRunner : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("CORVEX_BIN");
        ASSERT_NE(bin, nullptr) << "CORVEX_BIN names the directory of the corvex program";
        program = fs::path(bin) / "corvex";
        directory = fs::temp_directory_path() /
                    ("corvex-pictures-" + std::to_string(::getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory);
        fs::create_directories(directory);
        std::ofstream(path("drill.session")) << kDrillSession;
        ASSERT_EQ(corvex("stock -o stock.step --group PART --box 0 0 0 100 50 20").status, 0);
    }
    void TearDown() override { fs::remove_all(directory); }

    std::string path(const std::string& name) const { return (directory / name).string(); }

    // `environment` goes before the program: "env -u DISPLAY PATH=/nowhere".
    Outcome corvex(const std::string& arguments, const std::string& environment = "") const {
        const std::string out = path("stdout.txt"), err = path("stderr.txt");
        const std::string command = "cd '" + directory.string() + "' && " + environment + " '" +
                                    program.string() + "' " + arguments + " </dev/null >'" + out +
                                    "' 2>'" + err + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
    }

    static std::string slurp(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Whether the hole at x (0..100 along the block) shows the background, in a top view.
    // The block is the largest thing drawn (StartAcad leaves a small marker solid too).
    static bool holeOpen(const RgbImage& image, double x) {
        const DrawnArea block = largestPatch(image);
        return isBackground(image, block.left + int(x / 100.0 * block.width()),
                            (block.top + block.bottom) / 2);
    }

    fs::path program, directory;
};

TEST_F(PicturesFromTheRunner, FramesFollowTheCutsAndTheLastOneIsThePicture) {
    const Outcome run = corvex(
        "run drill.session -d stock.step --png end.png --view top --size 200x120 "
        "--frames frames --every 2 --glb part.glb");
    ASSERT_EQ(run.status, 0) << run.err;

    // Two cuts, then the closing frame after the third.
    std::vector<std::string> frames;
    for (const auto& entry : fs::directory_iterator(path("frames"))) frames.push_back(entry.path().filename());
    std::sort(frames.begin(), frames.end());
    ASSERT_EQ(frames, (std::vector<std::string>{"frame-00001.png", "frame-00002.png"}));

    const RgbImage first = readPng(path("frames/frame-00001.png"));
    EXPECT_TRUE(holeOpen(first, 20));
    EXPECT_TRUE(holeOpen(first, 50));
    EXPECT_FALSE(holeOpen(first, 80));

    const RgbImage end = readPng(path("end.png"));
    EXPECT_EQ(end.width, 200);
    EXPECT_EQ(end.height, 120);
    EXPECT_TRUE(holeOpen(end, 80));
    EXPECT_FALSE(holeOpen(end, 35));
    EXPECT_EQ(end.pixels, readPng(path("frames/frame-00002.png")).pixels);
}

TEST_F(PicturesFromTheRunner, GlbHoldsTheVisibleSolidsOfTheDrawing) {
    ASSERT_EQ(corvex("run drill.session -d stock.step --glb part.glb").status, 0);
    const std::string bytes = slurp(path("part.glb"));
    ASSERT_GT(bytes.size(), 20u);
    ASSERT_EQ(bytes.substr(0, 4), "glTF");
    std::uint32_t jsonLength = 0;
    std::memcpy(&jsonLength, bytes.data() + 12, 4);
    ASSERT_EQ(bytes.substr(16, 4), "JSON");
    const auto gltf = nlohmann::json::parse(bytes.substr(20, jsonLength));
    // The drill cylinders were absorbed by the cuts: the block and StartAcad's marker are left.
    EXPECT_EQ(gltf["meshes"].size(), 2u);
}

TEST_F(PicturesFromTheRunner, RenderDrawsASavedDrawing) {
    ASSERT_EQ(corvex("run drill.session -d stock.step -o drilled.step").status, 0);
    const Outcome render = corvex("render drilled.step -o drilled.png --view top --size 100x60");
    ASSERT_EQ(render.status, 0) << render.err;
    const RgbImage image = readPng(path("drilled.png"));
    EXPECT_EQ(image.width, 100);
    EXPECT_TRUE(holeOpen(image, 50));
    EXPECT_FALSE(holeOpen(image, 65));
}

TEST_F(PicturesFromTheRunner, BadPictureOptionsStopTheRunBeforeTheSession) {
    fs::create_directories(path("locked"));
    fs::permissions(path("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    std::ofstream(path("a-file")) << "not a directory";
    const struct {
        std::string options, message;
    } cases[] = {
        {"--png p.png --view left", "--view left"},
        {"--png p.png --size 15x100", "--size 15x100"},
        {"--png p.png --size 100x8193", "--size 100x8193"},
        {"--png p.png --size large", "--size large"},
        {"--png missing/p.png", "missing"},
        {"--glb missing/p.glb", "missing"},
        {"--frames a-file", "a-file"},
    };
    for (const auto& [options, message] : cases) {
        const Outcome run = corvex("run drill.session -d stock.step " + options);
        EXPECT_EQ(run.status, 2) << options;
        EXPECT_THAT(run.err, HasSubstr(message)) << options;
        EXPECT_EQ(run.out, "") << options << ": the session ran";
    }
    // Root may write anywhere; the check only means something for other users.
    if (::geteuid() != 0) {
        const Outcome locked = corvex("run drill.session -d stock.step --frames locked/frames");
        EXPECT_EQ(locked.status, 2);
    }
    EXPECT_EQ(corvex("render stock.step -o p.png --view back").status, 2);
    EXPECT_EQ(corvex("render stock.step -o p.png --size 8x8").status, 2);
}

TEST_F(PicturesFromTheRunner, APictureThatCannotBeDrawnLeavesTheOtherOutputs) {
    // No display and no Xvfb to start: the picture fails, the drawing and the glTF file do not.
    const Outcome run = corvex("run drill.session -d stock.step -o drilled.step --png p.png --glb p.glb",
                               "env -u DISPLAY PATH=/nonexistent");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("p.png"));
    EXPECT_THAT(run.err, HasSubstr("Xvfb"));
    EXPECT_THAT(run.out, HasSubstr("StartAcad"));
    EXPECT_TRUE(fs::exists(path("drilled.step")));
    EXPECT_TRUE(fs::exists(path("p.glb")));
    EXPECT_FALSE(fs::exists(path("p.png")));
}

}  // namespace
}  // namespace corvex::runner::testing
