// The example jobs end to end: each script makes its stock, runs its session through the
// built runner and checks the part it measures (volume, lumps, validity) against its own
// hand-worked figure; a script that finds its part wrong exits non-zero.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace corvex::testing {
namespace {

namespace fs = std::filesystem;

class ExampleJob : public ::testing::TestWithParam<const char*> {};

TEST_P(ExampleJob, RunsAndMachinesThePartItPromises) {
    const char* bin = std::getenv("CORVEX_BIN");
    if (!bin) GTEST_SKIP() << "CORVEX_BIN names the directory of the corvex program";
    const fs::path script = fs::path(__FILE__).parent_path() / ".." / ".." / "examples" /
                            (std::string(GetParam()) + ".sh");
    const fs::path out = fs::temp_directory_path() /
                         ("corvex-example-" + std::string(GetParam()) + "-" + std::to_string(::getpid()));
    fs::remove_all(out);
    const std::string log = out.string() + ".log";
    const std::string command = "bash '" + script.string() + "' '" + out.string() + "' '" +
                                (fs::path(bin) / "corvex").string() + "' >'" + log + "' 2>&1";
    int status = std::system(command.c_str());
    std::stringstream output;
    output << std::ifstream(log).rdbuf();
    EXPECT_EQ(status, 0) << output.str();
    EXPECT_TRUE(fs::exists(out)) << output.str();
    fs::remove_all(out);
    fs::remove(log);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleJob,
                         ::testing::Values("pocket", "drilled_row", "arc_path", "probe_touch_off",
                                           "rotary_index_slots"));

}  // namespace
}  // namespace corvex::testing
