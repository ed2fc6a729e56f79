// The standard failures must carry the codes a Visual Basic style client tests Err.Number
// against, and descriptions that say what went wrong.
#include <gtest/gtest.h>

#include <string>

#include "automation/error.hpp"
#include "automation_test_support.hpp"

namespace corvex::automation {
namespace {

using test_support::code;

struct FactoryRow {
    const char* what;
    Error error;
    HResult expectedCode;
    const char* wording;  // what the description must contain
};

TEST(ErrorFactories, GiveTheStandardCodesAndWording) {
    const FactoryRow rows[] = {
        {"type mismatch", typeMismatch(), 0x80020005, "Type mismatch"},
        {"overflow", overflow(), 0x8002000A, "Overflow"},
        {"division by zero", divisionByZero(), 0x800A000B, "Division by zero"},
        {"subscript", subscriptOutOfRange(), 0x8002000B, "Subscript out of range"},
        {"object required", objectRequired(), 0x800A01A8, "Object required"},
        {"parameter count", badParamCount(), 0x8002000E, "number of arguments"},
        {"unknown name", unknownName("ToolFly"), 0x80020006, "ToolFly"},
        {"not implemented", notImplemented("AddTorus"), 0x80004001, "AddTorus"},
        {"member not found", memberNotFound("Color"), 0x80020003, "Color"},
        {"invalid argument", invalidArgument("radius must be positive"), 0x80070057,
         "radius must be positive"},
        {"failure", failure("the host refused Boolean"), 0x80004005, "the host refused Boolean"},
        {"invalid operation", invalidOperation(), hresult::kInvalidProcedureCall, "Invalid"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(code(row.error.hr()), code(row.expectedCode));
        EXPECT_NE(row.error.description().find(row.wording), std::string::npos)
            << row.error.description();
        EXPECT_EQ(row.error.source(), "") << "a factory does not know where it is raised";
        EXPECT_EQ(std::string(row.error.what()), row.error.description());
    }
}

TEST(ErrorFactories, AppendTheDetailToTheStandardWording) {
    EXPECT_EQ(typeMismatch("got Null").description(), "Type mismatch: got Null");
    EXPECT_EQ(overflow().description(), "Overflow");
    EXPECT_EQ(subscriptOutOfRange("index 3 is outside 0..2").description(),
              "Subscript out of range: index 3 is outside 0..2");
}

TEST(ErrorFactories, AreCaughtAsStandardExceptions) {
    // The host's outermost guard catches std::exception; an Error must not slip past it.
    try {
        throw divisionByZero();
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), "Division by zero");
        return;
    }
    FAIL() << "not caught as std::exception";
}

TEST(FormatHResult, PrintsEightUpperCaseHexDigits) {
    const struct {
        HResult hr;
        const char* text;
    } rows[] = {
        {0x80020005, "0x80020005"},
        {0x800a01a8, "0x800A01A8"},
        {0x0000000A, "0x0000000A"},
        {0, "0x00000000"},
        {0xFFFFFFFF, "0xFFFFFFFF"},
    };
    for (const auto& row : rows) EXPECT_EQ(formatHResult(row.hr), row.text);
}

TEST(ErrorWithSource, SetsTheSourceWhenThereIsNone) {
    Error named = overflow("in a subtraction").withSource("corvex.MoveTool");
    EXPECT_EQ(named.source(), "corvex.MoveTool");
    EXPECT_EQ(code(named.hr()), code(hresult::kOverflow));
    EXPECT_EQ(named.description(), "Overflow: in a subtraction");
}

TEST(ErrorWithSource, KeepsTheSourceOfTheInnermostRaiser) {
    // A host error passing up through a member keeps naming the host as its source.
    Error fromHost = failure("Boolean refused").withSource("AutoCAD");
    Error passedOn = fromHost.withSource("corvex.ToolExtrudeLine");
    EXPECT_EQ(passedOn.source(), "AutoCAD");
    EXPECT_EQ(passedOn.description(), "Boolean refused");
    EXPECT_EQ(code(passedOn.hr()), code(hresult::kFail));
}

}  // namespace
}  // namespace corvex::automation
