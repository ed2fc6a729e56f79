// Input a client bug or a damaged file can produce is bad input (status 2) with a message that
// says what and where, found before the first call runs: nothing is run and nothing written.
#include <string>
#include <vector>

#include "runner_fixture.hpp"

namespace corvex::runner::testing {
namespace {

struct Hostile {
    std::string name, session, options, input, message;
};

TEST_F(Runner, HostileSessionsAreBadInputBeforeAnythingRuns) {
    const std::string deep = "[\"MoveTool\", " + std::string(50000, '[') + std::string(50000, ']') + ", 1, 2]\n";
    const std::vector<Hostile> cases = {
        {"deeply nested arguments", deep, "", "/dev/null", "session.jsonl:2: arrays nested deeper than 32"},
        {"a number no double holds", "[\"drill_path\", 1e309, 50, 5, 20, 3]\n", "", "/dev/null",
         "session.jsonl:2: not JSON: number overflow"},
        {"an entity id beyond 32 bits", "[\"MoveTool\", {\"entity\": 4294967299}, 0, 0]\n", "", "/dev/null",
         "session.jsonl:2: argument 1: the entity id 4294967299 is out of range"},
        {"a negative entity id", "[\"MoveTool\", {\"entity\": -3}, 0, 0]\n", "", "/dev/null", "entity id -3 is out of range"},
        {"an output in a missing folder", "", "-o missing/out.step", "/dev/null",
         "-o: the directory missing does not exist"},
        {"a mesh in a missing folder", "", "--stl missing/out.stl", "/dev/null",
         "--stl: the directory missing does not exist"},
        {"standard input a directory", "", "-o out.step -", ".", "standard input: it is a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write("session.jsonl", "[\"StartAcad\"]\n" + c.session);
        const bool fromInput = c.options.size() >= 2 && c.options.substr(c.options.size() - 2) == " -";
        const Outcome outcome = corvex("run " + c.options + (fromInput ? "" : " session.jsonl"), c.input);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.out, "");  // StartAcad never ran
        EXPECT_FALSE(fs::exists(path("out.step")));
    }
}

}  // namespace
}  // namespace corvex::runner::testing
