#pragma once
// The interface _corvex4 as late-bound callers see it: its 25 members in their fixed order,
// with their dispatch IDs, parameter names and kinds and result kinds. This table is the one
// place where IDs and order live: dispatch (dispatch.hpp) drives calls from it, and the COM
// class and its type library are to be generated from it.
#include <cstdint>
#include <string_view>
#include <vector>

#include "automation/variant.hpp"
#include "server/corvex4.hpp"

namespace corvex {

using DispId = std::int32_t;

// How a member is called. The values are those of OLE Automation's DISPATCH_METHOD,
// DISPATCH_PROPERTYGET and DISPATCH_PROPERTYPUT, so that a caller's flags carry over as they
// are; a Visual Basic client calling a method for its value sends Method | PropertyGet.
enum class InvokeKind : unsigned { Method = 1, PropertyGet = 2, PropertyPut = 4 };

constexpr InvokeKind operator|(InvokeKind a, InvokeKind b) {
    return static_cast<InvokeKind>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool includes(InvokeKind flags, InvokeKind kind) {
    return (static_cast<unsigned>(flags) & static_cast<unsigned>(kind)) != 0;
}

// What a parameter is declared as; an argument is converted to it before the call.
// Object is the host's 3D solid (Acad3DSolid), the one object type in the interface.
enum class ParamKind { Variant, Double, Int16, String, Object };
enum class ResultKind { None, Variant, Int16, String, Object };

const char* paramKindName(ParamKind kind);
const char* resultKindName(ResultKind kind);

// Which numbers a parameter takes: those within the model's working range (coordinates,
// lengths, angles, counts), refused before the call otherwise; or any (a colour's number).
enum class NumberRange { Working, Any };

struct Parameter {
    std::string_view name;
    ParamKind kind;
    NumberRange range = NumberRange::Working;
};

// Arguments already converted to the declared kinds, in the member's order.
using Arguments = std::vector<automation::Variant>;
// Calls the member and hands back its result as a Variant (Empty for none).
using MemberCall = automation::Variant (*)(corvex4& server, const Arguments& arguments);

struct Member {
    std::string_view name;
    DispId dispId;
    InvokeKind kind;  // exactly one of the three
    std::vector<Parameter> parameters;
    ResultKind result;
    MemberCall call;
};

// The 25 members in interface order.
const std::vector<Member>& memberTable();

// The member with that ID whose kind is among `flags`; null when there is none.
const Member* findMember(DispId dispId, InvokeKind flags);
// The members of that name, matched without regard to case (Name has two); empty if none.
std::vector<const Member*> findMembers(std::string_view name);

}  // namespace corvex
