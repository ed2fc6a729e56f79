// A cutter's shape in a tool table: the JSON's keys, the same keys as KEY=VALUE words in a text
// table's comment, and --tool's V-bit form; a tool whose words contradict each other is refused
// naming the table and the tool. A program that loads a V-bit is refused with its line.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <sstream>
#include <string>

#include "gcode/call_mapping.hpp"
#include "gcode/interpreter.hpp"
#include "gcode/tool_table.hpp"

namespace corvex::gcode::testing {
namespace {

using ::testing::HasSubstr;
using Shape = Tool::Shape;

// A JSON table ("t") whose tool 2, 6 mm across and 30 long, has these keys too.
std::string entry(const std::string& keys) {
    return R"({"tools": [{"number": 2, "diameter": 6, "length": 30)" + (keys.empty() ? "" : ", " + keys) + "}]}";
}

// Tool 2 of the table ("t"), or the tool that --tool makes of what follows "--tool ".
Tool toolTwoOf(const std::string& source) {
    if (source.rfind("--tool ", 0) == 0) return toolFromText(source.substr(7));
    std::istringstream table(source);
    return readToolTable(table, "t").at(2);
}

TEST(GcodeToolTable, ShapesFromJsonTextAndTheCommandLine) {
    struct Case {
        std::string source;
        const char* refused = nullptr;  // a part of the message, when the tool is refused
        Shape shape = Shape::Flat;
        double corner = 0, angle = 0, tip = 0;
    };
    const Case cases[] = {
        // JSON without a shape: the corner decides, or an angle makes a V-bit.
        {entry(""), nullptr, Shape::Flat},
        {entry(R"("corner": 3)"), nullptr, Shape::Ball, 3},
        {entry(R"("corner": 1, "comment": "roughing")"), nullptr, Shape::BullNose, 1},
        {entry(R"("angle": 30)"), nullptr, Shape::VBit, 0, 30, 0},
        // JSON with a shape.
        {entry(R"("shape": "ball")"), nullptr, Shape::Ball, 3},
        {entry(R"("shape": "ball", "corner": 3)"), nullptr, Shape::Ball, 3},
        {entry(R"("shape": "flat", "corner": 0)"), nullptr, Shape::Flat},
        {entry(R"("shape": "bull-nose", "corner": 1.5)"), nullptr, Shape::BullNose, 1.5},
        {entry(R"("shape": "v-bit", "angle": 60, "tip": 0.2)"), nullptr, Shape::VBit, 0, 60, 0.2},
        {entry(R"("shape": "V-Bit", "angle": 90)"), nullptr, Shape::VBit, 0, 90, 0},
        // Text: KEY=VALUE words in the comment; any other comment is free text.
        {"T1 D8 Z30 ;shape=ball\nT2 P2 D6 Z30\n", nullptr, Shape::Flat},
        {"T2 P2 D6 Z30 ;6 mm ball mill, not a bull-nose or a v-bit\n", nullptr, Shape::Flat},
        {"T2 P2 D6 Z30 ;shape=ball\n", nullptr, Shape::Ball, 3},
        {"T2 P2 D6 Z30 ;roughing (corner = 1.5)\n", nullptr, Shape::BullNose, 1.5},
        {"T2 P2 D6 Z30 ;engraver Shape=V-bit ANGLE=60 tip=0.2\n", nullptr, Shape::VBit, 0, 60, 0.2},
        {"T2 D6 Z30 ; angle=90\n", nullptr, Shape::VBit, 0, 90, 0},
        // The command line.
        {"--tool 6,30", nullptr, Shape::Flat},
        {"--tool 6,30,3", nullptr, Shape::Ball, 3},
        {"--tool 6,30,1.5", nullptr, Shape::BullNose, 1.5},
        {"--tool 6,30,v60", nullptr, Shape::VBit, 0, 60, 0},
        {"--tool 6,30,V90,0.5", nullptr, Shape::VBit, 0, 90, 0.5},
        // Refused, saying where.
        {entry(R"("shape": "ball", "corner": 1)"), "t: tool 2: shape \"ball\" has half its diameter, 3, as its corner radius, not 1"},
        {entry(R"("shape": "v-bit")"), "t: tool 2: shape \"v-bit\" needs its included angle"},
        {entry(R"("shape": "v-bit", "tip": 0.2)"), "t: tool 2: shape \"v-bit\" needs its included angle"},
        {entry(R"("shape": "taper")"), "t: tool 2: unknown shape \"taper\""},
        {entry(R"("coner": 1)"), "t: tool 2: unknown key \"coner\""},
        {entry(R"("shape": "v-bit", "angle": 180)"), "t: tool 2: a V-bit's included angle must lie strictly between 0 and 180"},
        {entry(R"("shape": "v-bit", "angle": 0)"), "t: tool 2: a V-bit's included angle must lie strictly between 0 and 180"},
        {entry(R"("angle": -30)"), "t: tool 2: a V-bit's included angle must lie strictly between 0 and 180"},
        {entry(R"("angle": 60, "tip": 6)"), "t: tool 2: a V-bit's tip diameter must lie from 0"},
        {entry(R"("angle": 60, "tip": -0.1)"), "t: tool 2: a V-bit's tip diameter must lie from 0"},
        {entry(R"("shape": "v-bit", "angle": 60, "corner": 1)"), "t: tool 2: a V-bit has no corner radius"},
        {entry(R"("tip": 0.2)"), "t: tool 2: a tip diameter belongs to a V-bit"},
        {entry(R"("shape": "flat", "corner": 1)"), "t: tool 2: shape \"flat\" has no corner radius"},
        {entry(R"("shape": "ball", "angle": 60)"), "t: tool 2: shape \"ball\" takes no angle or tip"},
        {entry(R"("shape": "bull-nose", "corner": 3)"), "t: tool 2: shape \"bull-nose\" needs a corner radius above 0 and below half"},
        {entry(R"("shape": "bull-nose")"), "t: tool 2: shape \"bull-nose\" needs a corner radius"},
        {entry(R"("angle": "60")"), "t: tool 2: \"angle\" must be a number"},
        {entry(R"("shape": 1)"), "t: tool 2: \"shape\" must be a string"},
        {"T1 D6 Z30\nT2 D6 Z30 ;shape=ball corner=1\n", "t line 2: tool 2: shape \"ball\" has half its diameter"},
        {"T2 D6 Z30 ;shape=v-bit tip=0.2\n", "t line 1: tool 2: shape \"v-bit\" needs its included angle"},
        {"T2 D6 Z30 ;angle=sixty\n", "t line 1: tool 2: 'angle=sixty' needs a number"},
        {"T2 D6 Z30 ;corner=1,5\n", "t line 1: tool 2: 'corner=1,5' needs a number"},  // not a corner of 1
        {"T2 D6 Z30 ;corner=1 corner=2\n", "t line 1: tool 2: 'corner' is given twice"},
        {"T2 D6 Z30 ;shape=cone\n", "t line 1: tool 2: unknown shape \"cone\""},
        {"T2 D6 Z30 ;shape=v-bit angle=60 corner=0.5\n", "t line 1: tool 2: a V-bit has no corner radius"},
        {"--tool 6,30,v", "--tool 6,30,v: 'v' is not a number"},
        {"--tool 6,30,v180", "--tool 6,30,v180: a V-bit's included angle must lie strictly between 0 and 180"},
        {"--tool 6,30,v0", "--tool 6,30,v0: a V-bit's included angle"},
        {"--tool 6,30,v60,6", "--tool 6,30,v60,6: a V-bit's tip diameter"},
        {"--tool 6,30,v60,0.2,1", "--tool takes DIA,LENGTH[,CORNER], or DIA,LENGTH,vANGLE[,TIP]"},
        {"--tool 6,30,1,0.2", "--tool takes DIA,LENGTH[,CORNER], or DIA,LENGTH,vANGLE[,TIP]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        if (c.refused) {
            try {
                toolTwoOf(c.source);
                ADD_FAILURE() << "taken";
            } catch (const ToolTableError& error) {
                EXPECT_THAT(error.what(), HasSubstr(c.refused));
            }
            continue;
        }
        try {
            const Tool tool = toolTwoOf(c.source);
            EXPECT_EQ(tool.shape(), c.shape);
            EXPECT_EQ(tool.flat(), c.shape == Shape::Flat);
            EXPECT_DOUBLE_EQ(tool.corner, c.corner);
            EXPECT_DOUBLE_EQ(tool.angle, c.angle);
            EXPECT_DOUBLE_EQ(tool.tip, c.tip);
        } catch (const ToolTableError& error) {
            ADD_FAILURE() << error.what();
        }
    }
}

// A V-bit cuts its plunges, level and sloping moves (the host's exact sweeps); a V-bit on a
// lathe is refused with its line before any of the program's calls (even those of tools loaded
// before it) is made.
TEST(GcodeToolTable, AVBitCutsEveryMoveOnAMillAndIsRefusedOnALathe) {
    std::istringstream text("T1 D6 Z30\nT3 D6 Z30 ;shape=v-bit angle=60 tip=0.2\n");
    const ToolSet table{readToolTable(text, "t"), std::nullopt};
    const ToolSet pointed{{}, toolFromText("6,30,v90")};
    struct Case {
        const char* what;
        const char* program;
        const ToolSet& tools;
        int initialTool = 0;
        bool lathe = false;
        const char* refused = nullptr;  // a part of the message; none when the program is planned
    };
    const char* tool3 = "tool 3 is a V-bit (60 degrees, tip 0.2): ";
    const Case cases[] = {
        {"loaded by M6 after another tool has cut, a level move", "T1 M6\nG0 X0 Y0 Z1\nG1 Z-1\nG0 Z5\nT3 M6\nG1 X5\n",
         table},
        {"selected by T alone, a plunge", "T1\nG0 X0 Y0 Z1\nG1 Z-1\nT3\nG1 Z-2\n", table},
        {"a sloping move after a tool has cut", "T1 M6\nG0 X0 Y0 Z1\nG1 Z-1\nG0 Z5\nT3 M6\nG1 X5 Z-1\n", table},
        {"in the spindle from the start, a level move", "G0 X1 Y1 Z-1\nG1 X5\n", table, 3},
        {"in a lathe program", "G18\nT3 M6\nG0 X5 Z1\nG1 Z-5\n", table, 0, true, "program line 2: "},
        {"one pointed V-bit for every number, sloping", "G0 X1 Y1 Z5\nG1 X3 Y4 Z-1\n", pointed, 1},
        {"in the table, never loaded", "T1 M6\nG0 X0 Y0 Z1\nG1 Z-1\nG1 X5\n", table},
        {"in the table, never loaded, on a lathe", "G18\nT1 M6\nG0 X5 Z1\nG1 Z-5\n", table, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::istringstream program(c.program);
        try {
            const auto plan = planCalls(interpret(readProgram(program), c.initialTool, c.lathe).motions, c.tools,
                                        c.initialTool, 0.01, c.lathe);
            if (c.refused) {
                ADD_FAILURE() << "planned";
            } else {
                EXPECT_GT(plan.cuts, 0);
            }
        } catch (const ProgramError& error) {
            if (!c.refused) {
                ADD_FAILURE() << error.what();
                continue;
            }
            EXPECT_THAT(error.what(), HasSubstr(c.refused));
            if (!c.tools.everyNumber) {
                EXPECT_THAT(error.what(), HasSubstr(tool3));
            }
        }
    }
}

}  // namespace
}  // namespace corvex::gcode::testing
