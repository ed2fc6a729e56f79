// The interface's fixed shape: 25 members in order, with the dispatch IDs and parameter kinds
// that compiled clients and the type library depend on.
#include "server/member_table.hpp"
#include "server_helpers.hpp"

namespace corvex::testing {
namespace {

struct Expected {
    const char* name;
    DispId dispId;
    InvokeKind kind;
    std::string parameters;  // one letter per parameter: V Variant, D Double, I Int16, S String, O object
    ResultKind result;
};

char letter(ParamKind kind) {
    switch (kind) {
        case ParamKind::Variant: return 'V';
        case ParamKind::Double: return 'D';
        case ParamKind::Int16: return 'I';
        case ParamKind::String: return 'S';
        case ParamKind::Object: return 'O';
    }
    return '?';
}

TEST(MemberTable, HoldsTheInterfaceInItsFixedOrder) {
    constexpr auto M = InvokeKind::Method;
    const std::vector<Expected> expected = {
        {"Name", 0x40030011, InvokeKind::PropertyGet, "", ResultKind::String},
        {"Name", 0x40030011, InvokeKind::PropertyPut, "S", ResultKind::None},
        {"StartAcad", 0x60030002, M, "", ResultKind::Int16},
        {"MakeRegion", 0x60030003, M, "V", ResultKind::Variant},
        {"ToolExtrudeLine", 0x60030004, M, "VVVVVD", ResultKind::Variant},
        {"ToolPolyCreate", 0x60030005, M, "", ResultKind::None},
        {"MoveTool", 0x60030006, M, "VVD", ResultKind::Variant},
        {"ProbeRadius", 0x60030007, M, "D", ResultKind::Variant},
        {"ProbeToZero", 0x60030008, M, "", ResultKind::None},
        {"MoveProbe", 0x60030009, M, "VVD", ResultKind::Variant},
        {"MakeToolMill", 0x6003000A, M, "VDDD", ResultKind::Object},
        {"MakeToolLathe", 0x6003000B, M, "IIVV", ResultKind::Object},
        {"SubtractToolFromGroup", 0x6003000C, M, "", ResultKind::None},
        {"SubtractArcToolFromGroup", 0x6003000D, M, "", ResultKind::None},
        {"ToolRevolveArc", 0x6003000E, M, "VVVVVDVD", ResultKind::None},
        {"ToolExtrudePath", 0x6003000F, M, "VV", ResultKind::None},
        {"subtract", 0x60030010, M, "O", ResultKind::None},
        {"drill_path", 0x60030011, M, "DDDDD", ResultKind::None},
        {"distance", 0x60030012, M, "DDDD", ResultKind::Variant},
        {"setcolor", 0x60030013, M, "V", ResultKind::None},
        {"RotateAxis", 0x60030014, M, "ID", ResultKind::None},
        {"ToolMillArc", 0x60030015, M, "VVVVVVDDDD", ResultKind::None},
        {"LatheInsert", 0x60030016, M, "IIVVVVV", ResultKind::None},
        {"LatheLine", 0x60030017, M, "IIVVVVVV", ResultKind::None},
        {"LatheArc", 0x60030018, M, "VVVVV", ResultKind::None},
    };
    const auto& table = memberTable();
    ASSERT_EQ(table.size(), expected.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(table[i].name, expected[i].name);
        EXPECT_EQ(table[i].dispId, expected[i].dispId);
        EXPECT_EQ(table[i].kind, expected[i].kind);
        std::string kinds;
        for (const auto& parameter : table[i].parameters) kinds += letter(parameter.kind);
        EXPECT_EQ(kinds, expected[i].parameters);
        EXPECT_EQ(table[i].result, expected[i].result);
        EXPECT_NE(table[i].call, nullptr);
    }
}

}  // namespace
}  // namespace corvex::testing
