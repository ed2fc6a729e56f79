// The corvex command line end to end: the built program run on files in a scratch directory,
// its outputs checked by measuring the drawings it writes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "runner/runner_fixture.hpp"

namespace corvex::runner::testing {
namespace {

using ::testing::HasSubstr;

// ---- stock and inspect --------------------------------------------------------------------

TEST_F(Runner, StockThenInspectMeasuresABoxAndACylinderAlongX) {
    makeStock();
    const Outcome second = corvex(
        "stock -d stock.step -o both.step --group ROTARYA --group CAXIS --cylinder -10 25 10 5 120 --axis x");
    ASSERT_EQ(second.status, 0) << second.err;

    const Json drawing = inspect("both.step");
    ASSERT_EQ(drawing["entities"].size(), 2u);
    const Json& box = drawing["entities"][0];
    const Json& bar = drawing["entities"][1];
    EXPECT_EQ(box["kind"], "Solid3D");
    EXPECT_NEAR(box["volume"].get<double>(), 100.0 * 50 * 20, 1e-6);
    EXPECT_NEAR(bar["volume"].get<double>(), M_PI * 25 * 120, 1e-6);
    const std::vector<double> barBox = bar["bbox"];
    EXPECT_THAT(barBox, ::testing::Pointwise(::testing::DoubleNear(1e-7),
                                              std::vector<double>{-10, 20, 5, 110, 30, 15}));
    const std::vector<double> centroid = bar["centroid"];
    EXPECT_NEAR(centroid[0], 50, 1e-7);
    EXPECT_EQ(bar["groups"], (Json{"ROTARYA", "CAXIS"}));
    EXPECT_EQ(drawing["groups"]["PART"], (Json{box["id"]}));
    EXPECT_EQ(drawing["groups"]["CAXIS"], (Json{bar["id"]}));
}

TEST_F(Runner, StockRefusesAMissingShapeOrBothShapes) {
    EXPECT_EQ(corvex("stock -o s.step --group PART").status, 2);
    EXPECT_EQ(corvex("stock -o s.step --group PART --box 0 0 0 1 1 1 --cylinder 0 0 0 1 1 --axis z").status, 2);
    EXPECT_EQ(corvex("stock -o s.step --group PART --cylinder 0 0 0 1 1 --axis w").status, 2);
    EXPECT_FALSE(fs::exists(path("s.step")));
}

TEST_F(Runner, InspectWritesOnlyJsonOnStandardOutput) {
    makeStock();
    const Outcome outcome = corvex("inspect stock.step");
    ASSERT_EQ(outcome.status, 0);
    EXPECT_NO_THROW(Json::parse(outcome.out)) << outcome.out;
}

// ---- bad input ----------------------------------------------------------------------------

TEST_F(Runner, MissingOrForeignFilesAreBadInput) {
    const Outcome missing = corvex("inspect nowhere.step");
    EXPECT_EQ(missing.status, 2);
    EXPECT_THAT(missing.err, HasSubstr("nowhere.step"));
    write("notes.step", "not a drawing\n");
    const Outcome foreign = corvex("inspect notes.step");
    EXPECT_EQ(foreign.status, 2);
    EXPECT_THAT(foreign.err, HasSubstr("not a STEP file"));
    write("session.jsonl", "[\"StartAcad\"]\n");
    EXPECT_EQ(corvex("run missing-session.jsonl").status, 2);
    EXPECT_EQ(corvex("run session.jsonl -d nowhere.step -o out.step").status, 2);
    EXPECT_FALSE(fs::exists(path("out.step")));
}

TEST_F(Runner, AMalformedSessionLineStopsEverythingAndNamesItsLine) {
    makeStock();
    write("session.jsonl", "# cut nothing\n[\"StartAcad\"]\n\n[\"distance\", 0, 0, 3 4]\n");
    const Outcome outcome = corvex("run session.jsonl -d stock.step -o out.step");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_THAT(outcome.err, HasSubstr("session.jsonl:4:"));
    EXPECT_EQ(outcome.out, "") << "no call ran";
    EXPECT_FALSE(fs::exists(path("out.step")));
}

TEST_F(Runner, UnknownMembersAndWrongArgumentCountsAreBadInput) {
    write("unknown.jsonl", "[\"StartAcad\"]\n[\"MakeCoffee\", 1]\n");
    const Outcome unknown = corvex("run unknown.jsonl");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_THAT(unknown.err, HasSubstr(":2:"));
    EXPECT_THAT(unknown.err, HasSubstr("MakeCoffee"));
    write("count.jsonl", "[\"distance\", 1, 2]\n");
    EXPECT_EQ(corvex("run count.jsonl").status, 2);
    write("object.jsonl", "[\"setcolor\", {\"red\": 1}]\n");
    EXPECT_EQ(corvex("run object.jsonl").status, 2);
}

// ---- run ----------------------------------------------------------------------------------

// A slot 60 long and 10 wide (two half circles of radius 5 at its ends) cut 2 deep at z = 15.
const char* const kSlotSession =
    "[\"StartAcad\"]\n"
    "[\"ToolExtrudeLine\", [20, 20, 0], [80, 20, 0], [80, 30, 0], [20, 30, 0], [20, 20, 0], 15]\n";
const double kSlotVolume = (60 * 10 + M_PI * 25) * 2;

TEST_F(Runner, ASessionCutsASlotOutOfTheStock) {
    makeStock();
    write("slot.jsonl", kSlotSession);
    const Outcome outcome = corvex("run slot.jsonl -d stock.step -o cut.step --stl part.stl");
    ASSERT_EQ(outcome.status, 0) << outcome.err;

    const Json drawing = inspect("cut.step");
    const int partId = drawing["groups"]["PART"][0];
    for (const Json& entity : drawing["entities"]) {
        if (entity["id"] == partId) {
            EXPECT_NEAR(entity["volume"].get<double>(), 100.0 * 50 * 20 - kSlotVolume, 1e-6);
        }
    }
    EXPECT_GT(fs::file_size(path("part.stl")), 84u + 50u * 12u) << "more than the uncut box";
    EXPECT_EQ(fs::file_size(path("part.stl")) % 50, 84u % 50) << "binary STL: 84 + 50 per triangle";
}

TEST_F(Runner, EachResultIsOneJsonLineAndPropertiesReadAndWrite) {
    write("session.jsonl",
          "[\"Name\", \"lathe-2\"]\n[\"Name\"]\n[\"StartAcad\"]\n"
          "[\"MakeToolMill\", [0, 0, 5], 6, 20, 0]\n[\"distance\", 0, 0, 3, 4]\n");
    const Outcome outcome = corvex("run - -o out.step", path("session.jsonl"));
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    std::vector<Json> lines;
    std::istringstream out(outcome.out);
    for (std::string line; std::getline(out, line);) lines.push_back(Json::parse(line));
    ASSERT_EQ(lines.size(), 4u) << outcome.out << "writing Name has no result";
    EXPECT_EQ(lines[0], (Json{{"line", 2}, {"member", "Name"}, {"result", "lathe-2"}}));
    EXPECT_EQ(lines[1]["result"], 1);
    EXPECT_EQ(lines[2]["member"], "MakeToolMill");
    EXPECT_EQ(lines[2]["result"]["kind"], "Solid3D");
    EXPECT_EQ(lines[3]["result"], 5.0);
}

TEST_F(Runner, AFailingCallStopsTheSessionButTheDrawingIsStillWritten) {
    makeStock();
    // Without StartAcad there is no drawing to work in: the cut fails.
    write("session.jsonl", std::string("[\"distance\", 0, 0, 3, 4]\n") +
                               "[\"ToolExtrudeLine\", [20, 20, 0], [80, 20, 0], [80, 30, 0], [20, 30, 0], [20, 20, 0], 15]\n" +
                               "[\"distance\", 0, 0, 6, 8]\n");
    const Outcome stopped = corvex("run session.jsonl -d stock.step -o out.step");
    EXPECT_EQ(stopped.status, 1);
    EXPECT_THAT(stopped.err, ::testing::ContainsRegex("line 2: ToolExtrudeLine: .* \\(0x[0-9A-F]{8}\\)"));
    EXPECT_THAT(stopped.out, ::testing::Not(HasSubstr("10.0")));
    EXPECT_TRUE(fs::exists(path("out.step")));
    EXPECT_NEAR(inspect("out.step")["entities"][0]["volume"].get<double>(), 100000, 1e-6);

    const Outcome kept = corvex("run session.jsonl -d stock.step -o out.step --keep-going");
    EXPECT_EQ(kept.status, 1);
    EXPECT_THAT(kept.out, HasSubstr("\"line\":3"));
}

TEST_F(Runner, TraceShowsTheHostOperationsOnStandardError) {
    makeStock();
    write("slot.jsonl", kSlotSession);
    const Outcome outcome = corvex("run slot.jsonl -d stock.step --trace --progress");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_THAT(outcome.err, HasSubstr(".Boolean(2"));
    EXPECT_THAT(outcome.err, ::testing::Not(HasSubstr("\r"))) << "no progress bar off a terminal";
    std::istringstream out(outcome.out);
    for (std::string line; std::getline(out, line);) EXPECT_NO_THROW(Json::parse(line)) << line;
}

TEST_F(Runner, WorkThatRunsLongerThanAskedIsNamedOnStandardErrorAndNeverWhenAskedNot) {
    makeStock();
    std::string session = "[\"StartAcad\"]\n";
    for (int x = 10; x <= 50; x += 10) session += "[\"drill_path\", " + std::to_string(x) + ", 25, 5, 20, 3]\n";
    write("holes.jsonl", session);
    // Each eager Boolean takes far longer than a millisecond, so some call is caught at work (on
    // a loaded machine, or under the sanitizers, even StartAcad, and for a second or more).
    const Outcome watched = corvex("run holes.jsonl -d stock.step -o out.step --eager --still-running 0.001");
    ASSERT_EQ(watched.status, 0) << watched.err;
    EXPECT_THAT(watched.err,
                ::testing::ContainsRegex("corvex: still at work after [0-9]+ s: line [2-6]: drill_path\n"));
    std::istringstream err(watched.err);
    for (std::string line; std::getline(err, line);)
        EXPECT_THAT(line, ::testing::MatchesRegex("corvex: still at work after [0-9]+ s: (line 1: StartAcad|"
                                                  "line [2-6]: drill_path|making the cuts still queued|"
                                                  "writing out.step)"));

    const Outcome quiet = corvex("run holes.jsonl -d stock.step -o out.step --eager --still-running 0");
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(corvex("run holes.jsonl -d stock.step -o out.step --still-running -1").status, 2);
}

}  // namespace
}  // namespace corvex::runner::testing
