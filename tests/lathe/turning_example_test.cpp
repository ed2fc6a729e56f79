// The turning example end to end: examples/turning.sh run with the built runner, and the part
// it writes measured against the volume its passes must remove, worked out by hand below.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>

namespace corvex::testing {
namespace {

namespace fs = std::filesystem;
constexpr double kPi = std::numbers::pi;

// What turning.session leaves of a bar of radius 20 and length 100 (all about the X axis).
double turnedVolume() {
    const double bar = kPi * 20 * 20 * 100;
    const double rough17 = kPi * (20 * 20 - 17 * 17) * 70;  // X 30..100
    const double rough14 = kPi * (17 * 17 - 14 * 14) * 40;  // X 60..100
    const double facing = kPi * 14 * 14 * 2;                // X 98..100
    // A rounded shoulder takes the square corner of side r less the quarter disc about the
    // arc's centre (cy below the corner's top), revolved: 2π × its first moment about X.
    const auto rounding = [](double r, double cy) {
        const double squareMoment = r * r * (cy + r / 2);
        const double quarterMoment = kPi * r * r / 4 * (cy + 4 * r / (3 * kPi));
        return 2 * kPi * (squareMoment - quarterMoment);
    };
    const double finish = kPi * (14 * 14 - 13.5 * 13.5) * 38;  // X 60..98
    return bar - rough17 - rough14 - facing - rounding(3, 14) - rounding(2, 18) - finish;
}

TEST(TurningExample, TurnsTheBarToTheVolumeOfItsPasses) {
    const char* bin = std::getenv("CORVEX_BIN");
    if (!bin) GTEST_SKIP() << "CORVEX_BIN names the directory of the corvex program";
    const fs::path examples = fs::path(__FILE__).parent_path() / ".." / ".." / "examples";
    const fs::path out = fs::temp_directory_path() / ("corvex-turning-" + std::to_string(::getpid()));
    fs::remove_all(out);

    const std::string command = "CORVEX='" + (fs::path(bin) / "corvex").string() + "' '" +
                                (examples / "turning.sh").string() + "' '" + out.string() +
                                "' >/dev/null 2>'" + (out.string() + ".err") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << std::ifstream(out.string() + ".err").rdbuf();

    const auto drawing = nlohmann::json::parse(std::ifstream(out / "turned.json"));
    const int partId = drawing.at("groups").at("PART").at(0).get<int>();
    nlohmann::json part;
    for (const auto& entity : drawing.at("entities"))
        if (entity.at("id").get<int>() == partId) part = entity;
    ASSERT_FALSE(part.is_null());
    EXPECT_TRUE(part.at("valid").get<bool>());
    EXPECT_EQ(part.at("lumps").get<int>(), 1);
    EXPECT_NEAR(part.at("volume").get<double>(), turnedVolume(), turnedVolume() * 1e-7);
    EXPECT_NEAR(part.at("bbox").at(3).get<double>(), 98, 1e-6);  // faced at X = 98
    EXPECT_TRUE(fs::file_size(out / "turned.stl") > 0);

    fs::remove_all(out);
    fs::remove(out.string() + ".err");
}

}  // namespace
}  // namespace corvex::testing
