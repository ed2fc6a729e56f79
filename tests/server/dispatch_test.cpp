// Late-bound calls: every member reachable by ID and by name, arguments converted to their
// declared kinds before the member runs, and errors that say where they come from.
#include <cmath>
#include <set>

#include "server/dispatch.hpp"
#include "server_helpers.hpp"

namespace corvex::testing {
namespace {

using automation::hresult::kBadParamCount;
using automation::hresult::kMemberNotFound;
using automation::hresult::kObjectRequired;
using automation::hresult::kOverflow;
using automation::hresult::kTypeMismatch;
using automation::hresult::kUnknownName;

// Arguments of the declared kinds with the plainest values: Empty, 0, "" and Nothing.
std::vector<Variant> plainArguments(const Member& member) {
    std::vector<Variant> arguments;
    for (const auto& parameter : member.parameters) {
        switch (parameter.kind) {
            case ParamKind::Variant: arguments.emplace_back(); break;
            case ParamKind::Double: arguments.push_back(Variant::real(0)); break;
            case ParamKind::Int16: arguments.push_back(Variant::int16(0)); break;
            case ParamKind::String: arguments.push_back(Variant::string("")); break;
            case ParamKind::Object: arguments.push_back(Variant::object(nullptr)); break;
        }
    }
    return arguments;
}

using DispatchTest = ServerTest;

TEST_F(DispatchTest, BuiltMembersAnswerWithTheirResultKinds) {
    runHost();
    const Variant started = invoke(server, 0x60030002, InvokeKind::Method | InvokeKind::PropertyGet, {});
    EXPECT_EQ(started, Variant::int16(1));
    EXPECT_EQ(started.type(), automation::VarType::Int16);

    const Variant created = invoke(server, "toolpolycreate", {});
    EXPECT_TRUE(created.isEmpty());
    EXPECT_EQ(entityCount(), 3u);

    addPartBox({0, 0, 0}, {100, 50, 20});
    const auto p = slotAlongX(10, 50, 25, 6);
    const Variant cut = invoke(server, 0x60030004, InvokeKind::Method,
                               {p[0], p[1], p[2], p[3], p[4], Variant::real(15)});
    EXPECT_EQ(cut, Variant::int16(1));
}

TEST_F(DispatchTest, NameIsReadWithoutAndWrittenWithOneArgument) {
    EXPECT_EQ(invoke(server, "NAME", {}), Variant::string(""));
    EXPECT_TRUE(invoke(server, "name", {Variant::string("job")}).isEmpty());
    EXPECT_EQ(server.Name, "job");
    EXPECT_EQ(invoke(server, 0x40030011, InvokeKind::PropertyGet, {}), Variant::string("job"));
    invoke(server, 0x40030011, InvokeKind::PropertyPut, {Variant::real(2.5)});
    EXPECT_EQ(server.Name, "2.5");

    EXPECT_EQ(errorOf([&] { invoke(server, "Name", {Variant(), Variant()}); }).hr(), kBadParamCount);
    EXPECT_EQ(errorOf([&] { invoke(server, 0x40030011, InvokeKind::Method, {}); }).hr(), kMemberNotFound);
    EXPECT_EQ(errorOf([&] { invoke(server, "Name", {Variant::null()}); }).hr(), kTypeMismatch);
}

TEST_F(DispatchTest, UnknownNamesAndIdsAreReportedAsSuch) {
    auto byName = errorOf([&] { invoke(server, "ToolExtrudeLines", {}); });
    EXPECT_EQ(byName.hr(), kUnknownName);
    EXPECT_EQ(byName.source(), kCorvexProgId);
    EXPECT_NE(byName.description().find("ToolExtrudeLines"), std::string::npos);

    auto byId = errorOf([&] { invoke(server, 0x60030019, InvokeKind::Method, {}); });
    EXPECT_EQ(byId.hr(), kMemberNotFound);
    EXPECT_EQ(byId.source(), kCorvexProgId);

    auto wrongKind = errorOf([&] { invoke(server, 0x60030005, InvokeKind::PropertyPut, {}); });
    EXPECT_EQ(wrongKind.hr(), kMemberNotFound);

    EXPECT_EQ(errorOf([&] { dispIdOf("nonesuch"); }).hr(), kUnknownName);
}

TEST_F(DispatchTest, WrongArgumentCountsFailBeforeTheMemberRuns) {
    startServer();
    auto tooFew = errorOf([&] { invoke(server, "ToolExtrudeLine", {Variant(), Variant()}); });
    EXPECT_EQ(tooFew.hr(), kBadParamCount);
    EXPECT_EQ(tooFew.source(), kCorvexProgId);
    auto tooMany = errorOf([&] { invoke(server, 0x60030005, InvokeKind::Method, {Variant()}); });
    EXPECT_EQ(tooMany.hr(), kBadParamCount);
    EXPECT_EQ(errorOf([&] { invoke(server, "drill_path", {}); }).hr(), kBadParamCount);
    EXPECT_TRUE(journal->lines().empty());
    EXPECT_EQ(entityCount(), 2u);
}

TEST_F(DispatchTest, DoubleArgumentsTakeEmptyAndNumericText) {
    startServer();
    addPartBox({0, 0, 0}, {100, 50, 20});
    const auto p = slotAlongX(10, 50, 25, 6);
    auto elevationLine = [&](const Variant& z) {
        journal->clear();
        invoke(server, "ToolExtrudeLine", {p[0], p[1], p[2], p[3], p[4], z});
        for (const auto& line : journal->lines())
            if (line.find(".Elevation(") != std::string::npos) return line;
        return std::string();
    };
    EXPECT_EQ(elevationLine(Variant::string("3.5")), "Polyline#2.Elevation(3.5)");
    EXPECT_EQ(elevationLine(Variant()), "Polyline#2.Elevation(0)");
    EXPECT_EQ(elevationLine(Variant::int16(4)), "Polyline#2.Elevation(4)");
}

TEST_F(DispatchTest, ArgumentThatCannotBeConvertedStopsTheCallAndIsNamed) {
    startServer();
    const auto p = slotAlongX(10, 50, 25, 6);
    const auto error = errorOf([&] {
        invoke(server, "ToolExtrudeLine", {p[0], p[1], p[2], p[3], p[4], Variant::string("deep")});
    });
    EXPECT_EQ(error.hr(), kTypeMismatch);
    EXPECT_EQ(error.source(), kCorvexProgId);
    EXPECT_NE(error.description().find("z"), std::string::npos);
    EXPECT_NE(error.description().find("ToolExtrudeLine"), std::string::npos);
    EXPECT_TRUE(journal->lines().empty());
}

TEST_F(DispatchTest, NumbersOutsideTheWorkingRangeAreRefusedBeforeAnyHostCall) {
    startServer();
    const auto p = slotAlongX(10, 50, 25, 6);
    const Variant nan = Variant::real(std::nan(""));
    const struct {
        const char* member;
        std::vector<Variant> arguments;
        const char* named;
    } cases[] = {
        {"drill_path", {Variant::real(1e308), Variant::real(50), Variant::real(5), Variant::real(20), Variant::real(3)},
         "x is 1E+308, outside the working range of -1e6 to 1e6 (argument 1 of drill_path)"},
        {"MoveTool", {Variant::real(1), Variant::int32(2000000), Variant::real(0)}, "y is 2000000"},
        {"MakeToolMill", {Variant::point(10, 50, -1e12), Variant::real(6), Variant::real(30), Variant::real(0)},
         "item 3 of centerpoint is -1000000000000"},
        {"ToolExtrudeLine", {p[0], p[1], p[2], p[3], p[4], Variant::real(-1e6 - 1)}, "z is -1000001"},
        {"LatheArc", {Variant::doubles({20, 5, 3, 0, 90}), Variant::variants({Variant::real(20), nan}), Variant(),
                      Variant(), Variant::point(20, 8, 0)},
         "item 2 of Arc2 must be a finite number (argument 2 of LatheArc)"},
        {"MakeRegion", {Variant::variants({Variant::point(0, 0, 0), Variant::point(0, 1e7, 0)})},
         "item 2 of item 2 of PolyLine is 10000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.member);
        const auto error = errorOf([&] { invoke(server, c.member, c.arguments); });
        EXPECT_EQ(error.hr(), automation::hresult::kInvalidArgument);
        EXPECT_NE(error.description().find(c.named), std::string::npos) << error.description();
        EXPECT_TRUE(journal->lines().empty());
    }
    // The edges of the range pass; a colour's number is the member's to judge.
    EXPECT_NO_THROW(invoke(server, "distance", {Variant::real(-1e6), Variant::real(0), Variant::real(1e6), Variant::real(0)}));
    EXPECT_NE(errorOf([&] { invoke(server, "setcolor", {Variant::int32(16777215)}); }).description().find("not a colour"),
              std::string::npos);
}

TEST_F(DispatchTest, SixteenBitArgumentsRoundHalfToEvenAndOverflow) {
    EXPECT_EQ(coerceArgument(Variant::real(2.5), ParamKind::Int16), Variant::int16(2));
    EXPECT_EQ(coerceArgument(Variant::real(3.5), ParamKind::Int16), Variant::int16(4));
    EXPECT_EQ(coerceArgument(Variant::string("-2.5"), ParamKind::Int16), Variant::int16(-2));
    EXPECT_EQ(coerceArgument(Variant(), ParamKind::Int16), Variant::int16(0));
    // Conversion comes before the call, so the overflow wins over the missing body.
    const auto error = errorOf([&] {
        invoke(server, "RotateAxis", {Variant::int32(40000), Variant::real(0)});
    });
    EXPECT_EQ(error.hr(), kOverflow);
    EXPECT_EQ(error.source(), kCorvexProgId);
}

TEST_F(DispatchTest, SolidArgumentsRequireAnObjectThatIsASolid) {
    startServer();
    EXPECT_EQ(errorOf([&] { invoke(server, "subtract", {Variant::real(1)}); }).hr(), kObjectRequired);
    EXPECT_EQ(errorOf([&] { invoke(server, "subtract", {Variant()}); }).hr(), kObjectRequired);
    const auto notASolid =
        errorOf([&] { invoke(server, "subtract", {Variant::object(server.slotOutline)}); });
    EXPECT_EQ(notASolid.hr(), kTypeMismatch);
    EXPECT_EQ(notASolid.source(), kCorvexProgId);
    // Nothing is a valid value of an object parameter.
    EXPECT_EQ(coerceArgument(Variant::object(nullptr), ParamKind::Object), Variant::object(nullptr));
}

TEST_F(DispatchTest, MembersThatNeedTheHostFailBeforeStartAcad) {
    runHost();
    const std::set<std::string_view> workWithoutHost = {"Name", "StartAcad", "ProbeRadius",
                                                        "distance", "subtract"};
    for (const auto& member : memberTable()) {
        if (workWithoutHost.count(member.name)) continue;
        SCOPED_TRACE(member.name);
        const auto error = errorOf([&] {
            invoke(server, member.dispId, member.kind, plainArguments(member));
        });
        EXPECT_EQ(error.source(), kCorvexProgId);
    }
    for (const char* built : {"ToolPolyCreate", "ToolExtrudeLine"}) {
        const auto& member = *findMembers(built).at(0);
        EXPECT_EQ(errorOf([&] { invoke(server, built, plainArguments(member)); }).hr(), kObjectRequired)
            << built;
    }
    EXPECT_TRUE(journal->lines().empty());
    EXPECT_EQ(entityCount(), 0u);
    EXPECT_TRUE(server.cadDoc.isEmpty());
}

}  // namespace
}  // namespace corvex::testing
