// A written file is believed only when it reads back whole: on a full disk the image library
// and the mesh writer reported success over truncated or empty files. Each output cut short
// is refused by its check, and a refused write leaves the old target and no temporary file.
#include <Image_AlienPixMap.hxx>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "automation/error.hpp"
#include "cadhost/occt/drawing_file.hpp"
#include "cadhost/occt/picture.hpp"
#include "cadhost/occt/replace_file.hpp"
#include "cadhost/occt/written_file_check.hpp"
#include "host_fixture.hpp"

namespace corvex::cadhost::occt::testing {
namespace {

namespace fs = std::filesystem;

class WrittenFiles : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        directory = fs::temp_directory_path() / ("corvex-written-" + std::to_string(::getpid()));
        fs::remove_all(directory);
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }
    std::string path(const std::string& name) const { return (directory / name).string(); }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename());
        return names;
    }
    fs::path directory;
};

void cutShort(const std::string& from, const std::string& to, double fraction) {
    std::stringstream text;
    text << std::ifstream(from, std::ios::binary).rdbuf();
    const std::string bytes = text.str();
    std::ofstream(to, std::ios::binary) << bytes.substr(0, static_cast<std::size_t>(bytes.size() * fraction));
}

TEST_F(WrittenFiles, EveryKindOfOutputCutShortIsRefused) {
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

TEST_F(WrittenFiles, ARefusedWriteLeavesTheOldTargetAndNoTemporaries) {
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
    EXPECT_EQ(files(), std::vector<std::string>{"out.glb"});
    std::stringstream old;
    old << std::ifstream(path("out.glb")).rdbuf();
    EXPECT_EQ(old.str(), "the old picture");
}

}  // namespace
}  // namespace corvex::cadhost::occt::testing
