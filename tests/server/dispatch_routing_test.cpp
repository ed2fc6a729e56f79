// Every dispatch ID and every name leads to its own member: a call through invoke does to the
// drawing exactly what the direct C++ call does, host call for host call.
#include <cctype>
#include <functional>
#include <map>

#include "server/dispatch.hpp"
#include "server_helpers.hpp"

namespace corvex::testing {
namespace {

using Args = const std::vector<Variant>&;
using DirectCall = std::function<Variant(corvex4&, Args)>;

double d(const Variant& v) { return v.asDouble(); }
std::int16_t i(const Variant& v) { return v.asInt16(); }
std::shared_ptr<cadhost::Solid3D> solid(const Variant& v) {
    return std::dynamic_pointer_cast<cadhost::Solid3D>(v.asObject());
}
Variant none() { return Variant(); }

// The members called directly, written out here independently of the member table.
const std::map<std::string, DirectCall>& directCalls() {
    static const std::map<std::string, DirectCall> calls = {
        {"Name get", [](corvex4& c, Args) { return Variant::string(c.get_Name()); }},
        {"Name put", [](corvex4& c, Args a) { c.put_Name(a[0].asString()); return none(); }},
        {"StartAcad", [](corvex4& c, Args) { return Variant::int16(c.StartAcad()); }},
        {"MakeRegion", [](corvex4& c, Args a) { return c.MakeRegion(a[0]); }},
        {"ToolExtrudeLine",
         [](corvex4& c, Args a) { return c.ToolExtrudeLine(a[0], a[1], a[2], a[3], a[4], d(a[5])); }},
        {"ToolPolyCreate", [](corvex4& c, Args) { c.ToolPolyCreate(); return none(); }},
        {"MoveTool", [](corvex4& c, Args a) { return c.MoveTool(a[0], a[1], d(a[2])); }},
        {"ProbeRadius", [](corvex4& c, Args a) { return c.ProbeRadius(d(a[0])); }},
        {"ProbeToZero", [](corvex4& c, Args) { c.ProbeToZero(); return none(); }},
        {"MoveProbe", [](corvex4& c, Args a) { return c.MoveProbe(a[0], a[1], d(a[2])); }},
        {"MakeToolMill",
         [](corvex4& c, Args a) { return Variant::object(c.MakeToolMill(a[0], d(a[1]), d(a[2]), d(a[3]))); }},
        {"MakeToolLathe",
         [](corvex4& c, Args a) { return Variant::object(c.MakeToolLathe(i(a[0]), i(a[1]), a[2], a[3])); }},
        {"SubtractToolFromGroup", [](corvex4& c, Args) { c.SubtractToolFromGroup(); return none(); }},
        {"SubtractArcToolFromGroup", [](corvex4& c, Args) { c.SubtractArcToolFromGroup(); return none(); }},
        {"ToolRevolveArc",
         [](corvex4& c, Args a) {
             c.ToolRevolveArc(a[0], a[1], a[2], a[3], a[4], d(a[5]), a[6], d(a[7]));
             return none();
         }},
        {"ToolExtrudePath", [](corvex4& c, Args a) { c.ToolExtrudePath(a[0], a[1]); return none(); }},
        {"subtract", [](corvex4& c, Args a) { c.subtract(solid(a[0])); return none(); }},
        {"drill_path",
         [](corvex4& c, Args a) { c.drill_path(d(a[0]), d(a[1]), d(a[2]), d(a[3]), d(a[4])); return none(); }},
        {"distance", [](corvex4& c, Args a) { return c.distance(d(a[0]), d(a[1]), d(a[2]), d(a[3])); }},
        {"setcolor", [](corvex4& c, Args a) { c.setcolor(a[0]); return none(); }},
        {"RotateAxis", [](corvex4& c, Args a) { c.RotateAxis(i(a[0]), d(a[1])); return none(); }},
        {"ToolMillArc",
         [](corvex4& c, Args a) {
             c.ToolMillArc(a[0], a[1], a[2], a[3], a[4], a[5], d(a[6]), d(a[7]), d(a[8]), d(a[9]));
             return none();
         }},
        {"LatheInsert",
         [](corvex4& c, Args a) { c.LatheInsert(i(a[0]), i(a[1]), a[2], a[3], a[4], a[5], a[6]); return none(); }},
        {"LatheLine",
         [](corvex4& c, Args a) {
             c.LatheLine(i(a[0]), i(a[1]), a[2], a[3], a[4], a[5], a[6], a[7]);
             return none();
         }},
        {"LatheArc", [](corvex4& c, Args a) { c.LatheArc(a[0], a[1], a[2], a[3], a[4]); return none(); }},
    };
    return calls;
}

std::string directName(const Member& member) {
    if (member.kind == InvokeKind::PropertyGet) return std::string(member.name) + " get";
    if (member.kind == InvokeKind::PropertyPut) return std::string(member.name) + " put";
    return std::string(member.name);
}

// Arguments of the declared kinds that make most members do some real work.
std::vector<Variant> sampleArguments(const Member& member, HostSession& session) {
    std::vector<Variant> arguments;
    double step = 0;
    for (const auto& parameter : member.parameters) {
        step += 1;
        switch (parameter.kind) {
            case ParamKind::Variant: arguments.push_back(Variant::point(step, 2 * step, 0)); break;
            case ParamKind::Double: arguments.push_back(Variant::real(step / 2)); break;
            case ParamKind::Int16: arguments.push_back(Variant::int16(1)); break;
            case ParamKind::String: arguments.push_back(Variant::string("job")); break;
            case ParamKind::Object: arguments.push_back(Variant::object(session.server.toolSolid)); break;
        }
    }
    return arguments;
}

// What a call did: its host calls, then its result or its error.
std::vector<std::string> outcome(HostSession& session, const std::function<Variant()>& call) {
    std::vector<std::string> record;
    try {
        record.push_back("result " + call().toDebugString());
    } catch (const automation::Error& error) {
        record.push_back("error " + automation::formatHResult(error.hr()) + " " + error.description());
    }
    auto lines = session.journal->lines();
    record.insert(record.end(), lines.begin(), lines.end());
    return record;
}

void startWithWorkpiece(HostSession& session) {
    session.startServer();
    session.addPartBox({-10, -10, -10}, {10, 10, 10});
    session.journal->clear();
}

TEST(DispatchRouting, EveryIdAndNameDoesWhatTheDirectCallDoes) {
    ASSERT_EQ(directCalls().size(), memberTable().size());
    for (const auto& member : memberTable()) {
        SCOPED_TRACE(directName(member));
        HostSession direct, byId, byName;
        for (auto* session : {&direct, &byId, &byName}) startWithWorkpiece(*session);

        const auto& call = directCalls().at(directName(member));
        const auto expected = outcome(direct, [&] {
            return call(direct.server, sampleArguments(member, direct));
        });
        EXPECT_EQ(outcome(byId, [&] {
                      return invoke(byId.server, member.dispId, member.kind,
                                    sampleArguments(member, byId));
                  }),
                  expected);
        std::string shouted(member.name);
        for (auto& c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(outcome(byName, [&] {
                      return invoke(byName.server, shouted, sampleArguments(member, byName));
                  }),
                  expected);
    }
}

}  // namespace
}  // namespace corvex::testing
