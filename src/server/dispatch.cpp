#include "server/dispatch.hpp"

#include <exception>
#include <new>
#include <string>

#include "automation/coerce.hpp"
#include "automation/error.hpp"
#include "server/working_range_check.hpp"

namespace corvex {
namespace {

using automation::Variant;

std::string hex(DispId dispId) { return automation::formatHResult(static_cast<automation::HResult>(dispId)); }

Variant callMember(corvex4& server, const Member& member, std::vector<Variant> arguments) {
    if (arguments.size() != member.parameters.size()) {
        throw automation::badParamCount(std::string(member.name) + " takes " +
                                        std::to_string(member.parameters.size()) +
                                        " argument(s), got " + std::to_string(arguments.size()));
    }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const auto& parameter = member.parameters[i];
        try {
            arguments[i] = coerceArgument(arguments[i], parameter.kind);
        } catch (const automation::Error& error) {
            // Say which argument it was: a call can pass a dozen of them.
            throw automation::Error(error.hr(), error.source(),
                                    error.description() + " (argument " + std::to_string(i + 1) +
                                        ", " + std::string(parameter.name) + ", of " +
                                        std::string(member.name) + ")");
        }
        checkWorkingRange(member, i, arguments[i]);
    }
    return member.call(server, arguments);
}

// Every failure leaves as an automation error from this class, whatever raised it.
template <typename Body>
Variant reportingErrors(Body&& body) {
    try {
        return body();
    } catch (const automation::Error& error) {
        throw error.withSource(kCorvexProgId);
    } catch (const std::bad_alloc&) {
        throw automation::failure("out of memory").withSource(kCorvexProgId);
    } catch (const std::exception& other) {
        throw automation::failure(other.what()).withSource(kCorvexProgId);
    }
}

}  // namespace

Variant coerceArgument(const Variant& argument, ParamKind kind) {
    switch (kind) {
        case ParamKind::Variant: return argument;
        case ParamKind::Double: return Variant::real(automation::toDouble(argument));
        case ParamKind::Int16: return Variant::int16(automation::toInt16(argument));
        case ParamKind::String: return Variant::string(automation::toText(argument));
        case ParamKind::Object: return automation::changeType(argument, automation::VarType::Object);
    }
    throw automation::typeMismatch("unknown parameter kind");
}

Variant invoke(corvex4& server, DispId dispId, InvokeKind flags, std::vector<Variant> arguments) {
    return reportingErrors([&] {
        const Member* member = findMember(dispId, flags);
        if (!member) {
            throw automation::memberNotFound("no member " + hex(dispId) +
                                             " of that kind in _corvex4");
        }
        return callMember(server, *member, std::move(arguments));
    });
}

Variant invoke(corvex4& server, std::string_view name, std::vector<Variant> arguments) {
    return reportingErrors([&] {
        const auto members = findMembers(name);
        if (members.empty()) throw automation::unknownName(std::string(name));
        const Member* chosen = members.front();
        if (chosen->kind != InvokeKind::Method) {
            // A property: read with no argument, written with one.
            const InvokeKind wanted = arguments.empty() ? InvokeKind::PropertyGet
                                                        : InvokeKind::PropertyPut;
            chosen = nullptr;
            for (const Member* member : members)
                if (member->kind == wanted) chosen = member;
            if (!chosen || arguments.size() > 1) {
                throw automation::badParamCount("property " + std::string(members.front()->name) +
                                                " is read with no argument and written with one, got " +
                                                std::to_string(arguments.size()));
            }
        }
        return callMember(server, *chosen, std::move(arguments));
    });
}

DispId dispIdOf(std::string_view name) {
    const auto members = findMembers(name);
    if (members.empty()) throw automation::unknownName(std::string(name)).withSource(kCorvexProgId);
    return members.front()->dispId;
}

}  // namespace corvex
