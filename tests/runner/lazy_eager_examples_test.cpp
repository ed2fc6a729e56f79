// Every example session, run as the runner runs it (queued cuts) and with --eager (each cut at
// its call), gives the same host operations in the same order and the same solids.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace corvex::runner::testing {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

const fs::path kExamples = fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples";

std::string slurp(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Makes the example's stock as its script does (its `stock=` and `corvex stock` lines, with
// "$out" in `directory`), and returns the drawing its `corvex run` line starts from.
std::string makeStock(const fs::path& script, const fs::path& directory, const fs::path& program) {
    std::string commands = "set -e\nout='" + directory.string() + "'\ncorvex='" + program.string() +
                           "'\nhere='" + kExamples.string() + "'\n";
    std::istringstream lines(slurp(script));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("stock=", 0) == 0 || line.rfind("\"$corvex\" stock ", 0) == 0) commands += line + "\n";
        // The run line's arguments, one a line: the drawing follows -d.
        if (line.rfind("\"$corvex\" run ", 0) == 0)
            commands += "printf '%s\\n' " + line.substr(std::string("\"$corvex\" run ").size()) + " > '" +
                        (directory / "run-arguments").string() + "'\n";
    }
    std::ofstream(directory / "make-stock.sh") << commands;
    if (std::system(("bash '" + (directory / "make-stock.sh").string() + "' >/dev/null").c_str()) != 0) return "";
    std::istringstream arguments(slurp(directory / "run-arguments"));
    for (std::string argument; std::getline(arguments, argument);)
        if (argument == "-d" && std::getline(arguments, argument)) return argument;
    return "";
}

class LazyAndEager : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        const char* bin = std::getenv("CORVEX_BIN");
        ASSERT_NE(bin, nullptr) << "CORVEX_BIN names the directory of the corvex program";
        program = fs::path(bin) / "corvex";
        directory = fs::temp_directory_path() / ("corvex-lazy-" + std::to_string(::getpid()) + "-" + GetParam());
        fs::remove_all(directory);
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }

    int corvex(const std::string& arguments, const std::string& err = "/dev/null") const {
        const std::string command = "'" + program.string() + "' " + arguments + " >/dev/null 2>'" + err + "'";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::string file(const std::string& name) const { return (directory / name).string(); }

    fs::path program, directory;
};

TEST_P(LazyAndEager, GiveTheSameJournalAndVolumes) {
    const std::string name = GetParam();
    const std::string stockFile = makeStock(kExamples / (name + ".sh"), directory, program);
    ASSERT_FALSE(stockFile.empty()) << "the stock of " << name << ".sh could not be made";
    const std::string session = (kExamples / (name + ".session")).string();
    for (const std::string mode : {"lazy", "eager"}) {
        const std::string options = mode == "eager" ? " --eager" : "";
        ASSERT_EQ(corvex("run '" + session + "' -d '" + stockFile + "' -o '" + file(mode + ".step") +
                             "' --trace" + options,
                         file(mode + ".trace")),
                  0)
            << slurp(file(mode + ".trace"));
        const std::string inspect = "'" + program.string() + "' inspect '" + file(mode + ".step") + "' >'" +
                                    file(mode + ".json") + "'";
        ASSERT_EQ(std::system(inspect.c_str()), 0);
    }
    EXPECT_EQ(slurp(file("lazy.trace")), slurp(file("eager.trace")));
    const Json lazy = Json::parse(slurp(file("lazy.json"))), eager = Json::parse(slurp(file("eager.json")));
    ASSERT_EQ(lazy["entities"].size(), eager["entities"].size());
    for (std::size_t i = 0; i < lazy["entities"].size(); ++i) {
        const Json& a = lazy["entities"][i];
        const Json& b = eager["entities"][i];
        if (!a.contains("volume")) continue;
        const double va = a["volume"], vb = b["volume"];
        EXPECT_NEAR(va, vb, 1e-9 * std::fabs(vb) + 1e-12) << name << " entity " << i;
        EXPECT_EQ(a["valid"], b["valid"]);
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, LazyAndEager,
                         ::testing::Values("pocket", "drilled_row", "arc_path", "turning", "probe_touch_off",
                                           "rotary_index_slots"));

}  // namespace
}  // namespace corvex::runner::testing
