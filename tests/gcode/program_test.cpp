// The G-code front end without a host: words read, modes applied, motions turned into calls,
// and what it cannot carry out refused with the program line.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <tuple>

#include "gcode/call_mapping.hpp"
#include "gcode/interpreter.hpp"

namespace corvex::gcode::testing {
namespace {

using ::testing::HasSubstr;

Interpretation run(const std::string& text, int tool = 1) {
    std::istringstream program(text);
    return interpret(readProgram(program), tool);
}

std::string describe(const Motion& m) {
    std::ostringstream out;
    out.precision(9);
    const char* kinds[] = {"G0", "G1", "ARC", "TOOL", "TURN"};
    auto at = [&](const Point& p) {
        for (double value : p) out << " " << (std::fabs(value) < 1e-9 ? 0.0 : value);
    };
    out << kinds[static_cast<int>(m.kind)];
    at(m.to);
    if (m.kind == MotionKind::Arc) {
        out << (m.clockwise ? " cw" : " ccw") << " c";
        at(m.centre);
    }
    if (m.kind == MotionKind::ToolChange) out << " T" << m.tool;
    if (m.kind == MotionKind::Turn) out << " axis " << m.axis << " by " << m.degrees;
    return out.str();
}

std::vector<std::string> motionsOf(const std::string& text) {
    std::vector<std::string> described;
    for (const auto& motion : run(text).motions) described.push_back(describe(motion));
    return described;
}

TEST(GcodeProgram, ModesUnitsOffsetsArcsAndCyclesGiveTheirMotions) {
    struct Case {
        const char* what;
        const char* program;
        std::vector<std::string> motions;
    };
    const Case cases[] = {
        {"comments, block delete, markers, a program number, N words, lower case, no spaces",
         "%\nO1001 (PART)\nN10 G0 X1 (move) Y2 ; rest\n/G0 X50\ng01z-1.\n%\n", {"G0 1 2 0", "G1 1 2 -1"}},
        {"inches and incremental moves", "G20 G91 G0 X1 Y1\nX1\n", {"G0 25.4 25.4 0", "G0 50.8 25.4 0"}},
        {"work offsets set by G10 L2, G55 chosen, G53 for one block",
         "G10 L2 P2 X100 Y50 Z-5\nG55 G0 X1 Y1 Z1\nG53 G0 X0\nG0 Y0\n",
         {"G0 101 51 -4", "G0 0 51 -4", "G0 0 50 -4"}},
        {"arcs by I J, by R (short and long way), clockwise and not",
         "G0 X10 Y0\nG3 X0 Y10 I-10 J0\nG2 X10 Y0 R10\nG3 X0 Y10 R-10\n",
         {"G0 10 0 0", "ARC 0 10 0 ccw c 0 0 0", "ARC 10 0 0 cw c 0 0 0", "ARC 0 10 0 ccw c 10 10 0"}},
        {"absolute arc centres, a full circle, the XZ plane",
         "G0 X5\nG90.1 G2 X5 Y0 I0 J0\nG18 G91.1 G3 X0 Z5 I-5 K0\n",
         {"G0 5 0 0", "ARC 5 0 0 cw c 0 0 0", "ARC 0 0 5 ccw c 0 0 0"}},
        {"the YZ plane: a full circle by J K, a negative R the long way, a G18 arc by R",
         "G19 G0 Y5\nG2 Y5 Z0 J-5 K0\nG3 Y0 Z5 R-5\nG18 G2 X5 Z0 R5\n",
         {"G0 0 5 0", "ARC 0 5 0 cw c 0 0 0", "ARC 0 0 5 ccw c 0 5 5", "ARC 5 0 0 cw c 5 0 5"}},
        {"a drilling cycle with G99 then G98, repeated at a new X",
         "G0 Z10\nG99 G81 X1 Y1 Z-3 R2\nG98 X4\nG80\n",
         {"G0 0 0 10", "G0 1 1 10", "G0 1 1 2", "G1 1 1 -3", "G0 1 1 2", "G0 4 1 2", "G1 4 1 -3", "G0 4 1 10"}},
        {"a deep-hole cycle in pecks",
         "G0 Z5\nG83 X0 Y0 Z-4 R1 Q2.5\n",
         {"G0 0 0 5", "G0 0 0 1", "G1 0 0 -1.5", "G0 0 0 1", "G0 0 0 -1.25", "G1 0 0 -4", "G0 0 0 5"}},
        {"home through a point, a tool change", "G0 X5 Y5 Z5\nG28 Z10\nT3 M6\n",
         {"G0 5 5 5", "G0 5 5 10", "G0 5 5 0", "TOOL 5 5 0 T3"}},
        {"the end of the program", "G0 X1\nM30\nG0 X2\n", {"G0 1 0 0"}},
        {"P turns of a helix: full turns rising by their share of the angle, then the arc to the end",
         "G0 X10\nG3 X0 Y10 Z-5 I-10 J0 P3\n",
         {"G0 10 0 0", "ARC 10 0 -2.22222222 ccw c 0 0 0", "ARC 10 0 -4.44444444 ccw c 0 0 0",
          "ARC 0 10 -5 ccw c 0 0 0"}},
        {"P2 on a full circle is two of them", "G0 X5\nG2 X5 Y0 I-5 J0 P2\n",
         {"G0 5 0 0", "ARC 5 0 0 cw c 0 0 0", "ARC 5 0 0 cw c 0 0 0"}},
        {"a dwell moves nothing", "G4 P0.5\nG0 X1\n", {"G0 1 0 0"}},
        {"T alone loads its tool for the next cut until the program writes M6; then T pre-selects",
         "T2\nG1 X1\nT3\nG0 X2\nG1 X3\nM6\nT4\nG1 X4\n",
         {"TOOL 0 0 0 T2", "G1 1 0 0", "G0 2 0 0", "TOOL 2 0 0 T3", "G1 3 0 0", "TOOL 3 0 0 T3", "G1 4 0 0"}},
        {"G80 beside a motion code: a post-processor's safety block, then after a cycle",
         "N1 G00 G17 G21 G40 G49 G80 G90\nG0 X1 Z5\nG81 X2 Z-1 R1\nG80 G1 X3\n",
         {"G0 1 0 5", "G0 2 0 5", "G0 2 0 1", "G1 2 0 -1", "G0 2 0 5", "G1 3 0 5"}},
        {"a rotary table indexed absolutely, then by increments", "G0 A90\nA180 B10\nG91 C-45\nA0\n",
         {"TURN 0 0 0 axis 1 by 90", "TURN 0 0 0 axis 1 by 90", "TURN 0 0 0 axis 2 by 10", "TURN 0 0 0 axis 3 by -45"}},
    };
    for (const Case& c : cases) EXPECT_EQ(motionsOf(c.program), c.motions) << c.what;
}

TEST(GcodeProgram, WhatItCannotCarryOutIsRefusedWithItsLine) {
    const std::pair<std::string, const char*> cases[] = {
        {"G0 X1\nO1001\n", "program line 2: o1001 needs what it does"},
        {"G0 X1 (open\n", "program line 1: a comment is not closed"},
        {"G0 X1\nG41 D1 G1 X5\n", "program line 2: cutter radius compensation"},
        {"G0 G1 X1\n", "program line 1: G0 and G1 are both motion codes: a block may hold one code of each modal group"},
        {"G80 G0 G1 X1\n", "program line 1: G0 and G1 are both motion codes"},
        {"G20 G21 G0 X1\n", "program line 1: G20 and G21 are both units codes"},
        {"M3 M5\n", "program line 1: M3 and M5 are both spindle codes"},
        {"G0 X1 A90\n", "program line 1: a rotary axis (A, B, C) turns alone here"},
        {"M98 P100\n", "program line 1: M98 is not supported"},
        {"G33 Z-5 K1\n", "program line 1: G33 is not supported"},
        {"X5\n", "program line 1: axis words with no motion mode"},
        {"G0 X0\nG2 X10 Y0 I3 J0\n", "program line 2: the arc's end is not on its circle"},
        {"G0 X0\nG1 X1 X2\n", "program line 2: the word X is given twice"},
        {"G81 X1 Y1 Z-2\n", "program line 1: a canned cycle needs its R and Z"},
        {"G0 X1\nG20 G0 X40000\n", "program line 2: the move leaves the working range"},
        {"G0 Z5\nG83 X0 Y0 Z-100 R1 Q0.001\n", "program line 2: a peck cycle may take at most 10000 pecks"},
        {"G0 X1\nG4 P-1\n", "program line 2: a dwell (G4 P) cannot be negative"},
        {"G4\n", "program line 1: G4 (dwell) needs its time as P"},
        {"G0 X5\nG2 X5 Y0 I-5 J0 P1.5\n", "program line 2: an arc's P (its turns) must be a whole number"},
        {"G0 X5\nG2 X5 Y0 I-5 J0 P0\n", "program line 2: an arc's P (its turns) must be a whole number"},
        {"T100000 M6\n", "program line 1: a tool number must be a whole number from 0 to 99999"},
        {std::string("G0 X1\nG1 X2\0M\n", 14), "program line 2: the byte 0x00 (NUL) is not a word"},
        {"G0 X1\xff\n", "program line 1: the byte 0xFF is not a word"},
    };
    for (const auto& [program, message] : cases) {
        try {
            run(program);
            ADD_FAILURE() << program << " was taken";
        } catch (const ProgramError& error) {
            EXPECT_THAT(error.what(), HasSubstr(message)) << program;
        }
    }
    // With no tool for the whole program (M6 alone keeps that one).
    for (const auto& [program, message] : {std::pair<std::string, const char*>{"G0 X1\nG1 X2\n", "program line 2: a cutting move with no tool"},
                                           {"M6\n", "program line 1: M6 with no tool selected"}}) {
        try {
            run(program, 0);
            ADD_FAILURE() << program << " was taken";
        } catch (const ProgramError& error) {
            EXPECT_THAT(error.what(), HasSubstr(message));
        }
    }
}

std::vector<std::string> membersFor(const std::string& text, const Tool& tool, double tolerance = 0.01) {
    ToolSet tools{{{1, tool}}, std::nullopt};
    const auto plan = planCalls(run(text, 0).motions, tools, 0, tolerance);
    std::vector<std::string> members;
    for (const auto& call : plan.calls) members.push_back(call.member());
    return members;
}

TEST(GcodeProgram, EachMotionBecomesTheCallsAClientMakesForIt) {
    const Tool flat{6, 30, 0}, ball{6, 30, 3};
    using V = std::vector<std::string>;
    const V start{"StartAcad", "MakeToolMill"};
    auto with = [&](V calls) {
        V all = start;
        all.insert(all.end(), calls.begin(), calls.end());
        return all;
    };
    // A rapid, a plunge, a slot at one depth, a ramp (the host's exact sweep, one cut), two
    // slots at the ramp's depth, a lift, an arc and a full circle.
    const std::string program =
        "T1 M6\nG0 X10 Y10 Z2\nG1 Z-2\nG1 X20\nG1 X30 Z-3\nG1 Y20\nG1 X40\nG1 Z5\nG0 Z-3\nG2 X40 Y10 R5\n"
        "G2 X40 Y10 I-5 J0\n";
    EXPECT_EQ(membersFor(program, flat, 0.5),
              with({"MoveTool", "drill_path", "MoveTool", "ToolExtrudeLine", "MoveTool", "host:CutterSweep", "MoveTool",
                    "ToolExtrudeLine", "MoveTool", "ToolExtrudeLine", "MoveTool", "MoveTool", "MoveTool", "ToolMillArc",
                    "drill_path", "MoveTool", "ToolMillArc", "MoveTool"}));
    // A ball's feeds but the lift are the host's exact sweeps, each one cut: the ramp down 4, the
    // line at one depth and the plunge; a half turn of radius 5 the host's arc; one of radius 2,
    // tighter than the ball, 16 chords (each turns by at most 2 acos(1 - 0.01 / 2)).
    const V ballCalls = membersFor(
        "T1 M6\nG0 X10 Y10 Z2\nG1 X11 Z-2\nG1 X20\nG1 Z5\nG0 Z-3\nG2 X30 Y10 R5\nG2 X34 Y10 R2\nG1 Z-5\n", ball);
    EXPECT_EQ(std::count(ballCalls.begin(), ballCalls.end(), "ToolExtrudePath"), 0);
    EXPECT_EQ(std::count(ballCalls.begin(), ballCalls.end(), "host:CutterSweep"), 1 + 1 + 16 + 1);
    EXPECT_EQ(std::count(ballCalls.begin(), ballCalls.end(), "host:CutterArc"), 1);
    // A helix is the host's in half turns (a turn and a quarter: three); one within twice the
    // cutter's radius 24 chords within 0.1 mm, each one sweep.
    const std::string helix = "T1 M6\nG0 X17 Y10 Z0\nG3 X10 Y17 Z-2 I-7 J0 P2\n";
    for (const auto& [tool, helices, chords] : {std::tuple{flat, 3, 0}, std::tuple{Tool{6, 30, 1}, 3, 0},
                                               std::tuple{Tool{6, 30, 0, 90, 0}, 3, 0}, std::tuple{ball, 3, 0},
                                               std::tuple{Tool{16, 30, 0}, 0, 24}, std::tuple{Tool{8, 30, 1}, 0, 24}}) {
        const V calls = membersFor(helix, tool, 0.1);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "host:CutterHelix"), helices) << tool.diameter << " " << tool.corner;
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "host:CutterSweep"), chords) << tool.diameter << " " << tool.corner;
    }
    // A bull-nose's ramp and a V-bit's are one exact sweep each, as a ball's.
    {
        ToolSet tools{{{1, flat}, {2, Tool{6, 30, 1}}, {3, Tool{6, 30, 0, 90, 0}}}, std::nullopt};
        const auto plan = planCalls(run("T2 M6\nG0 X10 Y10 Z2\nG1 X20 Z1\nT3 M6\nG1 X25 Z0\nT1 M6\nG1 X30\n", 0).motions,
                                    tools, 0, 0.5);
        V members;
        for (const auto& call : plan.calls) members.push_back(call.member());
        EXPECT_EQ(members, (V{"StartAcad", "MakeToolMill", "MoveTool", "host:CutterSweep", "MoveTool", "MakeToolMill",
                              "host:CutterSweep", "MoveTool", "MakeToolMill", "ToolExtrudeLine", "MoveTool"}));
    }
    // Level moves straight on lengthen one slot (its corners those of the whole run, its line
    // the first's); a turn, or a step back, starts a new one.
    {
        ToolSet tools{{{1, flat}}, std::nullopt};
        const auto plan = planCalls(run("T1 M6\nG0 X10 Y10 Z2\nG1 Z-2\nG1 X10.001\nG1 X10.002\nG1 X20\n"
                                        "G1 X20 Y15\nG1 X20 Y12\n", 0).motions, tools, 0, 0.01);
        V members;
        for (const auto& call : plan.calls) members.push_back(call.member());
        EXPECT_EQ(members, with({"MoveTool", "drill_path", "MoveTool", "ToolExtrudeLine", "MoveTool", "ToolExtrudeLine",
                                 "MoveTool", "ToolExtrudeLine", "MoveTool"}));
        const auto& slot = plan.calls[5];
        EXPECT_EQ(slot.line, 4);
        EXPECT_EQ(slot.call[1], (nlohmann::json::array({10.0, 7.0, 0.0})));
        EXPECT_EQ(slot.call[2], (nlohmann::json::array({20.0, 7.0, 0.0})));
        EXPECT_EQ(plan.calls[6].call, (nlohmann::json::array({"MoveTool", 20.0, 10.0, -2.0})));
        EXPECT_EQ(plan.cuts, 4);
    }
    // Feeds shorter than 0.1 um (a CAM program's rounding) are joined to the next feed, which
    // starts where they started, or only move the tool; a plunge that drifts less than that
    // sideways is a plunge; an arc whose ends are that close is nothing the short way round,
    // the full ring the long way.
    {
        ToolSet tools{{{1, flat}}, std::nullopt};
        const auto plan = planCalls(run("T1 M6\nG0 X10 Y10 Z2\nG1 Z-2\nG1 X20 Y15\nG1 X20.0000000254 Y15\n"
                                        "G1 X20.0000000254 Y15.00000001\nG1 X30 Y15\nG3 X30.00000001 Y15.00000001 I-5 J0\n"
                                        "G1 X30.00001 Z-3\nG2 X30.00001 Y15.00000002 I-5 J0\n", 0).motions, tools, 0, 0.01);
        V members;
        for (const auto& call : plan.calls) members.push_back(call.member());
        EXPECT_EQ(members, with({"MoveTool", "drill_path", "MoveTool", "ToolExtrudeLine", "MoveTool", "MoveTool",
                                 "MoveTool", "ToolExtrudeLine", "MoveTool", "MoveTool", "drill_path", "MoveTool",
                                 "ToolMillArc", "MoveTool"}));  // the long way round: a full turn
        EXPECT_EQ(plan.calls[9].call[1], (nlohmann::json::array({20.0, 12.0, 0.0})));
    }
    // A tool the table lacks is refused with the line that loads it.
    try {
        membersFor("T2 M6\n", flat);
        ADD_FAILURE() << "a missing tool was taken";
    } catch (const ProgramError& error) {
        EXPECT_THAT(error.what(), HasSubstr("program line 1: tool 2 is not in the tool table"));
    }
}

// A turning program: X a diameter under G7, a radius under G8; the band a line sweeps, an arc's
// ring and its end; what a lathe has no axis for is refused.
TEST(GcodeProgram, TurningProgramsBecomeLatheCalls) {
    std::istringstream text("G18 G7\nT1 M6\nG0 X20 Z5\nG1 X16\nG8 G1 Z-10\nG2 X10 Z-12 R2\n");
    const auto motions = interpret(readProgram(text), 0, true).motions;
    ASSERT_EQ(motions.size(), 5u);
    EXPECT_EQ(motions[1].to, (Point{10, 0, 5}));   // X20 as a diameter
    EXPECT_EQ(motions[3].to, (Point{8, 0, -10}));  // X16 still a diameter, then radius mode
    ToolSet tools{{{1, Tool{2, 10, 0}}}, std::nullopt};
    std::vector<std::string> members;
    for (const auto& call : planCalls(motions, tools, 0, 0.01, true).calls) members.push_back(call.member());
    EXPECT_EQ(members, (std::vector<std::string>{"StartAcad", "MakeToolLathe", "MoveTool", "MoveTool", "LatheLine",
                                                 "LatheLine", "LatheArc", "LatheInsert"}));
    const auto line = planCalls(motions, tools, 0, 0.01, true).calls[5].call;  // the pass along Z at radius 8
    EXPECT_EQ(line[5], nlohmann::json({5.0, 7.0, 0.0, -10.0, 7.0, 0.0, -10.0, 9.0, 0.0, 5.0, 9.0, 0.0, 5.0, 7.0, 0.0}));
    for (const char* program : {"G0 X1 Y1\n", "G17\n", "G81 X1 Z-1 R1\n", "G0 A10\n"}) {
        std::istringstream refused(program);
        EXPECT_THROW(interpret(readProgram(refused), 1, true), ProgramError) << program;
    }
    std::istringstream notLathe("G7\n");
    EXPECT_THROW(interpret(readProgram(notLathe), 1, false), ProgramError);
}

TEST(GcodeProgram, ToolTablesInTextAndJsonAndOnTheCommandLine) {
    std::istringstream text("T1 P1 D6.0 Z30 ;six\n\nT2 P2 D10 Z-40 ; ten\n"), json(R"({"tools": [{"number": 4, "diameter": 8, "length": 20, "corner": 4}]})");
    const auto fromText = readToolTable(text, "tools.tbl");
    ASSERT_EQ(fromText.size(), 2u);
    EXPECT_EQ(fromText.at(2).diameter, 10);
    EXPECT_EQ(fromText.at(2).length, 40);
    const auto fromJson = readToolTable(json, "tools.json");
    EXPECT_FALSE(fromJson.at(4).flat());
    EXPECT_EQ(toolFromText("6,30,1").corner, 1);
    for (const char* bad : {"6", "6,x", "6,30,4", "-6,30", "6,0"}) EXPECT_THROW(toolFromText(bad), ToolTableError) << bad;
    for (const char* bad : {"T1 D6\n", "T1e20 D6 Z30\n", "T1.5 D6 Z30\n", R"({"tools": [{"number": 1e20, "diameter": 6, "length": 30}]})"}) {
        std::istringstream table(bad);
        EXPECT_THROW(readToolTable(table, "t"), ToolTableError) << bad;
    }
    // A number given two tools is refused, naming where the second one stands.
    for (const auto& [twice, where] :
         {std::pair{"T1 D6 Z30\nT2 D8 Z30\nT1 D10 Z30\n", "t line 3: tool 1 is defined twice"},
          std::pair{R"({"tools": [{"number": 1, "diameter": 6, "length": 30}, {"number": 1, "diameter": 10, "length": 30}]})",
                    "t: tool 1 is defined twice"}}) {
        std::istringstream table(twice);
        try {
            readToolTable(table, "t");
            ADD_FAILURE() << twice;
        } catch (const ToolTableError& error) {
            EXPECT_THAT(error.what(), HasSubstr(where));
        }
    }
}

// Random programs of known and unknown words, extreme numbers and broken comments: each is run
// or refused with a ProgramError, and every call it makes holds finite numbers only.
TEST(GcodeProgram, RandomProgramsAreRunOrRefusedNeverAnythingElse) {
    std::mt19937_64 random(17);
    const std::vector<std::string> words = {
        "G0", "G1", "G2", "G3", "G17", "G18", "G19", "G20", "G21", "G90", "G91", "G90.1", "G91.1", "G54", "G56",
        "G53", "G28", "G30", "G10 L2 P2", "G81", "G83", "G73", "G85", "G98", "G99", "G80", "G4 P1", "M6", "M3",
        "M30", "T1", "T2", "F100", "S2000", "N10", "(note)", ";rest"};
    const std::vector<std::string> junk = {"G41", "M99", "T7", "(open", "/", "%", "#1", "[1]", "O1", "E5", "G10 L9"};
    const std::vector<std::string> numbers = {"0", "1", "-1", "2.5", "-7.25", "10", "3", "12.", ".5", "+4", "-0"};
    const std::vector<std::string> extremes = {"1e308", "0.0000001", "999999", "1000001", "--1", "1.2.3", ""};
    const std::string letters = "XYZIJKRQLPABC";
    auto pick = [&](const auto& from) { return from[random() % from.size()]; };
    auto rarely = [&] { return random() % 40 == 0; };
    ToolSet tools{{{1, Tool{6, 30, 0}}, {2, Tool{8, 40, 4}}}, std::nullopt};
    int run = 0;
    for (int n = 0; n < 5000; ++n) {
        std::string program;
        for (int line = random() % 12; line >= 0; --line) {
            for (int word = random() % 6; word >= 0; --word)
                program += random() % 2 ? (rarely() ? pick(junk) : pick(words)) + " "
                                        : std::string(1, pick(letters)) + (rarely() ? pick(extremes) : pick(numbers)) + " ";
            program += "\n";
        }
        try {
            std::istringstream text(program);
            const auto plan = planCalls(interpret(readProgram(text), 1).motions, tools, 1, 0.05);
            ++run;
            for (const auto& call : plan.calls)
                for (const auto& argument : call.call)
                    for (const auto& value : argument.is_array() ? argument : nlohmann::json::array({argument}))
                        if (value.is_number()) {
                            EXPECT_TRUE(std::isfinite(value.get<double>())) << program;
                        }
        } catch (const ProgramError&) {
        }
    }
    EXPECT_GT(run, 400);  // the generator makes runnable programs too (596 of them)
}

}  // namespace
}  // namespace corvex::gcode::testing
