#include "server/member_table.hpp"

#include <cctype>
#include <memory>

#include "cadhost/model.hpp"
#include "cadhost/take.hpp"

namespace corvex {
namespace {

using automation::Variant;

constexpr ParamKind V = ParamKind::Variant;
constexpr ParamKind D = ParamKind::Double;
constexpr ParamKind I = ParamKind::Int16;
constexpr ParamKind S = ParamKind::String;
constexpr ParamKind O = ParamKind::Object;

// Readers of arguments that dispatch has already converted to the declared kind.
double real(const Variant& argument) { return argument.asDouble(); }
std::int16_t int16(const Variant& argument) { return argument.asInt16(); }
std::shared_ptr<cadhost::Solid3D> solid(const Variant& argument) {
    if (!argument.asObject()) return nullptr;  // Nothing is a valid Acad3DSolid value
    return cadhost::take<cadhost::Solid3D>(argument.asObject(), "a 3D solid");
}

Variant none() { return Variant(); }
Variant object(const std::shared_ptr<cadhost::Solid3D>& result) {
    return Variant::object(result);  // a null reference is Nothing
}

std::vector<Member> buildTable() {
    using A = const Arguments&;
    return {
        {"Name", 0x40030011, InvokeKind::PropertyGet, {}, ResultKind::String,
         [](corvex4& c, A) { return Variant::string(c.get_Name()); }},
        {"Name", 0x40030011, InvokeKind::PropertyPut, {{"Name", S}}, ResultKind::None,
         [](corvex4& c, A a) { c.put_Name(a[0].asString()); return none(); }},
        {"StartAcad", 0x60030002, InvokeKind::Method, {}, ResultKind::Int16,
         [](corvex4& c, A) { return Variant::int16(c.StartAcad()); }},
        {"MakeRegion", 0x60030003, InvokeKind::Method, {{"PolyLine", V}}, ResultKind::Variant,
         [](corvex4& c, A a) { return c.MakeRegion(a[0]); }},
        {"ToolExtrudeLine", 0x60030004, InvokeKind::Method,
         {{"point1", V}, {"point2", V}, {"point3", V}, {"point4", V}, {"point5", V}, {"z", D}},
         ResultKind::Variant,
         [](corvex4& c, A a) { return c.ToolExtrudeLine(a[0], a[1], a[2], a[3], a[4], real(a[5])); }},
        {"ToolPolyCreate", 0x60030005, InvokeKind::Method, {}, ResultKind::None,
         [](corvex4& c, A) { c.ToolPolyCreate(); return none(); }},
        {"MoveTool", 0x60030006, InvokeKind::Method, {{"x", V}, {"y", V}, {"z", D}},
         ResultKind::Variant, [](corvex4& c, A a) { return c.MoveTool(a[0], a[1], real(a[2])); }},
        {"ProbeRadius", 0x60030007, InvokeKind::Method, {{"r", D}}, ResultKind::Variant,
         [](corvex4& c, A a) { return c.ProbeRadius(real(a[0])); }},
        {"ProbeToZero", 0x60030008, InvokeKind::Method, {}, ResultKind::None,
         [](corvex4& c, A) { c.ProbeToZero(); return none(); }},
        {"MoveProbe", 0x60030009, InvokeKind::Method, {{"x", V}, {"y", V}, {"z", D}},
         ResultKind::Variant, [](corvex4& c, A a) { return c.MoveProbe(a[0], a[1], real(a[2])); }},
        {"MakeToolMill", 0x6003000A, InvokeKind::Method,
         {{"centerpoint", V}, {"dia", D}, {"length", D}, {"CornerRad", D}}, ResultKind::Object,
         [](corvex4& c, A a) {
             return object(c.MakeToolMill(a[0], real(a[1]), real(a[2]), real(a[3])));
         }},
        {"MakeToolLathe", 0x6003000B, InvokeKind::Method,
         {{"NumPoints", I}, {"NumRad", I}, {"ToolPoints", V}, {"ToolRadii", V}}, ResultKind::Object,
         [](corvex4& c, A a) {
             return object(c.MakeToolLathe(int16(a[0]), int16(a[1]), a[2], a[3]));
         }},
        {"SubtractToolFromGroup", 0x6003000C, InvokeKind::Method, {}, ResultKind::None,
         [](corvex4& c, A) { c.SubtractToolFromGroup(); return none(); }},
        {"SubtractArcToolFromGroup", 0x6003000D, InvokeKind::Method, {}, ResultKind::None,
         [](corvex4& c, A) { c.SubtractArcToolFromGroup(); return none(); }},
        {"ToolRevolveArc", 0x6003000E, InvokeKind::Method,
         {{"centerpoint", V}, {"vpoint1", V}, {"vpoint2", V}, {"vpoint3", V}, {"vpoint4", V},
          {"sweep", D}, {"EndPoint", V}, {"dia", D}},
         ResultKind::None,
         [](corvex4& c, A a) {
             c.ToolRevolveArc(a[0], a[1], a[2], a[3], a[4], real(a[5]), a[6], real(a[7]));
             return none();
         }},
        {"ToolExtrudePath", 0x6003000F, InvokeKind::Method, {{"StartPoint", V}, {"EndPoint", V}},
         ResultKind::None, [](corvex4& c, A a) { c.ToolExtrudePath(a[0], a[1]); return none(); }},
        {"subtract", 0x60030010, InvokeKind::Method, {{"tool", O}}, ResultKind::None,
         [](corvex4& c, A a) { c.subtract(solid(a[0])); return none(); }},
        {"drill_path", 0x60030011, InvokeKind::Method,
         {{"x", D}, {"y", D}, {"z", D}, {"height", D}, {"radius", D}}, ResultKind::None,
         [](corvex4& c, A a) {
             c.drill_path(real(a[0]), real(a[1]), real(a[2]), real(a[3]), real(a[4]));
             return none();
         }},
        {"distance", 0x60030012, InvokeKind::Method, {{"x1", D}, {"y1", D}, {"x2", D}, {"y2", D}},
         ResultKind::Variant,
         [](corvex4& c, A a) { return c.distance(real(a[0]), real(a[1]), real(a[2]), real(a[3])); }},
        {"setcolor", 0x60030013, InvokeKind::Method, {{"color", V, NumberRange::Any}}, ResultKind::None,
         [](corvex4& c, A a) { c.setcolor(a[0]); return none(); }},
        {"RotateAxis", 0x60030014, InvokeKind::Method, {{"Axis", I}, {"angle", D}}, ResultKind::None,
         [](corvex4& c, A a) { c.RotateAxis(int16(a[0]), real(a[1])); return none(); }},
        {"ToolMillArc", 0x60030015, InvokeKind::Method,
         {{"centerpoint", V}, {"EndPoint", V}, {"vpoint1", V}, {"vpoint2", V}, {"vpoint3", V},
          {"vpoint4", V}, {"r1", D}, {"r2", D}, {"startangle", D}, {"endangle", D}},
         ResultKind::None,
         [](corvex4& c, A a) {
             c.ToolMillArc(a[0], a[1], a[2], a[3], a[4], a[5], real(a[6]), real(a[7]), real(a[8]),
                           real(a[9]));
             return none();
         }},
        {"LatheInsert", 0x60030016, InvokeKind::Method,
         {{"NumPoints", I}, {"NumRad", I}, {"ToolPoints", V}, {"ToolRadii", V}, {"StartPoint", V},
          {"EndPoint", V}, {"sp", V}},
         ResultKind::None,
         [](corvex4& c, A a) {
             c.LatheInsert(int16(a[0]), int16(a[1]), a[2], a[3], a[4], a[5], a[6]);
             return none();
         }},
        {"LatheLine", 0x60030017, InvokeKind::Method,
         {{"NumPoints", I}, {"NumRad", I}, {"ToolPoints", V}, {"ToolRadii", V}, {"PathPoints", V},
          {"StartPoint", V}, {"EndPoint", V}, {"sp", V}},
         ResultKind::None,
         [](corvex4& c, A a) {
             c.LatheLine(int16(a[0]), int16(a[1]), a[2], a[3], a[4], a[5], a[6], a[7]);
             return none();
         }},
        {"LatheArc", 0x60030018, InvokeKind::Method,
         {{"Arc1", V}, {"Arc2", V}, {"Line1", V}, {"Line2", V}, {"EndPoint", V}}, ResultKind::None,
         [](corvex4& c, A a) { c.LatheArc(a[0], a[1], a[2], a[3], a[4]); return none(); }},
    };
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

const char* paramKindName(ParamKind kind) {
    switch (kind) {
        case ParamKind::Variant: return "Variant";
        case ParamKind::Double: return "Double";
        case ParamKind::Int16: return "Integer";
        case ParamKind::String: return "String";
        case ParamKind::Object: return "Acad3DSolid";
    }
    return "?";
}

const char* resultKindName(ResultKind kind) {
    switch (kind) {
        case ResultKind::None: return "none";
        case ResultKind::Variant: return "Variant";
        case ResultKind::Int16: return "Integer";
        case ResultKind::String: return "String";
        case ResultKind::Object: return "Acad3DSolid";
    }
    return "?";
}

const std::vector<Member>& memberTable() {
    static const std::vector<Member> table = buildTable();
    return table;
}

const Member* findMember(DispId dispId, InvokeKind flags) {
    for (const auto& member : memberTable())
        if (member.dispId == dispId && includes(flags, member.kind)) return &member;
    return nullptr;
}

std::vector<const Member*> findMembers(std::string_view name) {
    std::vector<const Member*> found;
    for (const auto& member : memberTable())
        if (sameName(member.name, name)) found.push_back(&member);
    return found;
}

}  // namespace corvex
