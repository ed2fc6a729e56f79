#pragma once
// The corvex program run end to end on files in a scratch directory, its drawings measured
// with `corvex inspect`.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace corvex::runner::testing {

namespace fs = std::filesystem;
using Json = nlohmann::json;

struct Outcome {
    int status = -1;
    std::string out, err;
};

class Runner : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("CORVEX_BIN");
        ASSERT_NE(bin, nullptr) << "CORVEX_BIN names the directory of the corvex program";
        program = fs::path(bin) / "corvex";
        ASSERT_TRUE(fs::exists(program)) << program;
        // A parameterised test's name holds a slash, which would leave its parent behind.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        directory = fs::temp_directory_path() / ("corvex-runner-" + std::to_string(::getpid()) + "-" + name);
        fs::remove_all(directory);
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }

    std::string path(const std::string& name) const { return (directory / name).string(); }

    // Runs corvex with `arguments` (already quoted for the shell where needed).
    Outcome corvex(const std::string& arguments, const std::string& input = "/dev/null") const {
        const std::string out = path("stdout.txt"), err = path("stderr.txt");
        const std::string command = "cd '" + directory.string() + "' && '" + program.string() + "' " +
                                    arguments + " <" + input + " >'" + out + "' 2>'" + err + "'";
        const int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = slurp(out);
        outcome.err = slurp(err);
        return outcome;
    }

    void write(const std::string& name, const std::string& text) const { std::ofstream(path(name)) << text; }

    static std::string slurp(const std::string& file) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    Json inspect(const std::string& drawing) const {
        const Outcome outcome = corvex("inspect " + drawing);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        return Json::parse(outcome.out);
    }

    // The stock box every session here starts from: 100 x 50 x 20 in the group PART.
    void makeStock(const std::string& name = "stock.step") const {
        const Outcome outcome = corvex("stock -o " + name + " --group PART --box 0 0 0 100 50 20");
        ASSERT_EQ(outcome.status, 0) << outcome.err;
    }

    fs::path program, directory;
};

}  // namespace corvex::runner::testing
