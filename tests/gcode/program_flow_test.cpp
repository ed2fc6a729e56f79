// Parameters, expressions and the flow of O words: what a program computes, the motions its flow
// makes, and the programs that cannot run, refused with their line.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <sstream>

#include "gcode/interpreter.hpp"
#include "gcode/parameters.hpp"

namespace corvex::gcode::testing {
namespace {

using ::testing::HasSubstr;

std::vector<Statement> read(const std::string& text) {
    std::istringstream program(text);
    return readProgram(program);
}

// The end points of the program's motions, "x y z" each.
std::vector<std::string> endPoints(const std::string& text, const ToolSet* tools = nullptr) {
    std::vector<std::string> points;
    for (const Motion& m : interpret(read(text), 1, false, tools).motions) {
        std::ostringstream out;
        out << m.to[0] << " " << m.to[1] << " " << m.to[2];
        points.push_back(out.str());
    }
    return points;
}

TEST(GcodeExpression, ValuesAsTheDialectComputesThem) {
    const std::pair<const char*, double> values[] = {
        {"[1+2*3]", 7}, {"[2*3+4*5]", 26}, {"[1-2-3]", -4}, {"[10/4]", 2.5}, {"[2**3**2]", 64}, {"[2*3**2]", 18},
        {"[7MOD3]", 1}, {"[-7MOD3]", 2}, {"-[1+1]", -2}, {"+5", 5}, {".5", 0.5}, {"[1+2EQ3]", 1},
        {"[1EQ1.00001]", 1}, {"[1NE2]", 1}, {"[1LT1]", 0}, {"[1LE1]", 1}, {"[1GE2]", 0}, {"[2GT1AND0]", 0},
        {"[1OR0]", 1}, {"[1XOR1]", 0}, {"SIN[30]", 0.5}, {"COS[60]", 0.5}, {"ATAN[1]/[-1]", 135},
        {"ACOS[0]", 90}, {"SQRT[16]", 4}, {"ABS[-2]", 2}, {"ROUND[2.5]", 3}, {"FIX[-2.5]", -3}, {"FUP[2.1]", 3},
        {"EXP[0]", 1}, {"LN[1]", 0}, {"#2", 4}, {"##3", 4}, {"#[1+1]", 4}, {"#<_g>", 6}, {"EXISTS[#<_g>]", 1},
        {"EXISTS[#<nothing>]", 0},
    };
    Parameters parameters;
    parameters.setNumbered(2, 4);
    parameters.setNumbered(3, 2);
    parameters.setNamed("_g", 6);
    for (const auto& [text, expected] : values) {
        std::size_t at = 0;
        const Expression e = readValue(text, at);
        EXPECT_EQ(at, std::string(text).size()) << text;
        EXPECT_NEAR(evaluate(e, parameters.reader()), expected, 1e-12) << text;
    }
    const std::pair<const char*, const char*> errors[] = {
        {"[1/0]", "a division by zero"}, {"[1MOD0]", "MOD by zero"}, {"SQRT[-1]", "has no value"},
        {"LN[0]", "has no value"}, {"ASIN[2]", "has no value"}, {"[1+2", "expected ']'"},
        {"FOO[1]", "'FOO' is not a function"}, {"#<nope>", "#<nope> has no value"},
        {"#0", "#0 is not one of #1 to #5399"}, {"#1.5", "must be whole"}, {"ATAN[1]", "ATAN is written ATAN[y]/[x]"},
        {"EXISTS[#1]", "EXISTS takes a named parameter"}, {"[10**400]", "not a finite number"},
    };
    // A chain too long to evaluate within the stack is refused as it is read.
    std::string chain = "[1";
    for (int i = 0; i < 100000; ++i) chain += "+1";
    std::size_t at = 0;
    try {
        readValue(chain + "]", at);
        ADD_FAILURE() << "a chain of 100001 values was taken";
    } catch (const ExpressionError& error) {
        EXPECT_THAT(error.what, HasSubstr("more than 2000 values"));
    }
    for (const auto& [text, message] : errors) {
        try {
            std::size_t at = 0;
            evaluate(readValue(text, at), parameters.reader());
            ADD_FAILURE() << text << " was taken";
        } catch (const ExpressionError& error) {
            EXPECT_THAT(error.what, HasSubstr(message)) << text;
        }
    }
}

TEST(GcodeFlow, SubroutinesLoopsAndParametersMakeTheMotionsTheyMean) {
    ToolSet table;
    table.table[1] = Tool{6, 30, 0};
    table.table[2] = Tool{6, 40, 0};
    struct Case {
        const char* what;
        const char* program;
        std::vector<std::string> points;
        const ToolSet* tools = nullptr;
    };
    const Case cases[] = {
        {"a setting takes effect after its line", "#1=1\n#1=2 G0 X#1\nG0 X#1\n", {"1 0 0", "2 0 0"}},
        {"named parameters, in any case and with spaces", "#<_g>=4\n#<my depth>=3\nG0 X#<MyDepth> y#<_g>\n",
         {"3 4 0"}},
        {"a call with arguments and a returned value",
         "o<hole> sub\n  G0 X#1 Y#2\n  G1 Z-#3\n  G0 Z1\no<hole> endsub [#1*2]\n"
         "o<hole> call [10] [20] [2]\nG0 X#<_value>\nM2\nG0 X99\n",
         {"10 20 0", "10 20 -2", "10 20 1", "20 20 1"}},
        {"while", "#1=1\no1 while [#1 LT 3]\nG0 X#1\n#1=[#1+1]\no1 endwhile\n", {"1 0 0", "2 0 0"}},
        {"repeat with continue, break and an if chain",
         "#1=0\no2 repeat [5]\n#1=[#1+1]\no3 if [#1 EQ 2]\no2 continue\no3 elseif [#1 EQ 4]\no2 break\n"
         "o3 else\nG0 X#1\no3 endif\no2 endrepeat\nG0 Y#1\n",
         {"1 0 0", "3 0 0", "3 4 0"}},
        {"do while tests at its end", "#1=5\no4 do\nG0 X#1\n#1=[#1-1]\no4 while [#1 GT 3]\n", {"5 0 0", "4 0 0"}},
        {"a call's locals are its own",
         "o<s> sub\n#1=99\n#<x>=7\nG0 Y#<x>\no<s> endsub\n#1=5\n#<x>=1\no<s> call\nG0 X#1 Z#<x>\n",
         {"0 7 0", "5 7 1"}},
        {"recursion", "o<r> sub\no9 if [#1 GT 0]\nG0 X#1\no<r> call [#1-1]\no9 endif\no<r> endsub\no<r> call [3]\n",
         {"3 0 0", "2 0 0", "1 0 0"}},
        {"return leaves early", "o<e> sub\no<e> return [5]\nG0 X99\no<e> endsub\no<e> call\nG0 X#<_value>\n", {"5 0 0"}},
        {"M2 in a subroutine ends the program", "o<end> sub\nM2\no<end> endsub\nG0 X1\no<end> call\nG0 X2\n", {"1 0 0"}},
        {"an arc whose end radius is 0.02 mm off, as CAM rounds it", "G0 X0\nG2 X10.02 Y0 I5 J0\n", {"10.02 0 0"}},
        {"G43 H of another tool lifts the tip by the difference of lengths; G49 and G43 alone do not",
         "T1 M6\nG43 H2\nG0 Z10\nG49\nG0 Z9\nG43\nG0 Z5\n", {"0 0 0", "0 0 20", "0 0 9", "0 0 5"}, &table},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(endPoints(c.program, c.tools), c.points) << c.what;
    }
}

TEST(GcodeFlow, ProgramsThatCannotRunAreRefusedWithTheirLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"o100 sub\n", "program line 1: o100 sub (line 1) is never closed with endsub"},
        {"G0 X1\no1 endsub\n", "program line 2: o1 endsub closes no subroutine"},
        {"o<a> sub\no<b> sub\n", "program line 2: a subroutine cannot be defined inside another"},
        {"o1 if [1]\no<a> sub\n", "program line 2: a subroutine cannot be defined inside o1 if (line 1)"},
        {"o1 while [1]\no2 endwhile\n", "program line 2: o2 endwhile does not close o1 while (line 1)"},
        {"o1 if [1]\no1 else\no1 elseif [1]\n", "program line 3: o1 elseif does not close o1 else (line 2)"},
        {"G0 X1\no1 if [1]\n", "program line 2: o1 if (line 2) is never closed"},
        {"o<a> sub\no<a> endsub\no<a> sub\no<a> endsub\n", "program line 3: o<a> is defined twice (first on line 1)"},
        {"G0 X1\no<x> call\n", "program line 2: the call of o<x>: this program defines no such subroutine"},
        {"o1 while [1]\no2 break\no1 endwhile\n", "program line 2: o2 break is not inside a loop labelled o2"},
        {"o1 return\n", "program line 1: o1 return is not inside o1 sub"},
        {"o1 while [1]\no1 endwhile\n", "program line 1: the program has turned its loops and called its subroutines 1000000"},
        {"o1 do\no1 continue\no1 while [1]\n", "program line 3: the program has turned its loops"},
        {"o<r> sub\no<r> call\no<r> endsub\no<r> call\n", "program line 2: subroutine calls nested deeper than 100"},
        {"G0 X1\nG0 X#<depth>\n", "program line 2: the parameter #<depth> has no value"},
        {"#1=[1/0]\n", "program line 1: a division by zero"},
        {"G0 X[1+\n", "program line 1: the word X needs a number"},
        {"#1\n", "program line 1: a parameter on its own is not a word"},
        {"#6000=1\n", "program line 1: parameter #6000 is not one of #1 to #5399"},
        {"o1 frob\n", "program line 1: o1 needs what it does"},
        {"G0 X1 o1 if [1]\n", "program line 1: an O word stands alone on its line"},
        {"o1 if\n", "program line 1: o1 needs one value in brackets"},
        {"o1 repeat [1.5]\no1 endrepeat\n", "program line 1: a repeat's count must be a whole number"},
        {"G43 H7\n", "program line 1: G43 H7: tool 7 is not in the tool table"},
    };
    ToolSet table;
    table.table[1] = Tool{6, 30, 0};
    for (const auto& [program, message] : cases) {
        try {
            interpret(read(program), 1, false, &table);
            ADD_FAILURE() << program << " was taken";
        } catch (const ProgramError& error) {
            EXPECT_THAT(error.what(), HasSubstr(message)) << program;
        }
    }
}

}  // namespace
}  // namespace corvex::gcode::testing
