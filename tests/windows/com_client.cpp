// An early- and late-bound C++ client of corvex.dll: the type library must describe the
// member table exactly (order, names, dispatch IDs, parameter types), every member must be
// callable by its dispatch ID, and failures must carry their error information. Runs under
// Wine with corvex.dll registered and no CAD application registered.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "automation/variant.hpp"
#include "cadhost/com/com_ref.hpp"
#include "cadhost/com/com_text.hpp"
#include "checks.hpp"
#include "corvex.h"
#include "server/member_table.hpp"

using corvex::cadhost::com::ComRef;
using corvex::cadhost::com::narrow;
using corvex::wintest::check;
using corvex::wintest::hex;

namespace {

std::string text(BSTR value) { return value ? narrow(value, static_cast<int>(SysStringLen(value))) : std::string(); }

VARTYPE declaredType(corvex::ParamKind kind) {
    switch (kind) {
        case corvex::ParamKind::Variant: return VT_VARIANT;
        case corvex::ParamKind::Double: return VT_R8;
        case corvex::ParamKind::Int16: return VT_I2;
        case corvex::ParamKind::String: return VT_BSTR;
        case corvex::ParamKind::Object: return VT_DISPATCH;
    }
    return VT_EMPTY;
}

VARTYPE resultType(corvex::ResultKind kind) {
    switch (kind) {
        case corvex::ResultKind::Variant: return VT_VARIANT;
        case corvex::ResultKind::Int16: return VT_I2;
        case corvex::ResultKind::String: return VT_BSTR;
        case corvex::ResultKind::Object: return VT_DISPATCH;
        case corvex::ResultKind::None: break;
    }
    return VT_EMPTY;
}

// The vtable interface _corvex4 against the member table, function by function.
void checkTypeLibrary() {
    ComRef<ITypeLib> library;
    HRESULT hr = LoadRegTypeLib(LIBID_corvex, 1, 0, LOCALE_NEUTRAL, library.put());
    check(SUCCEEDED(hr), "the type library corvex 1.0 is registered: " + hex(hr));
    if (!library) return;
    BSTR libraryName = nullptr;
    library->GetDocumentation(-1, &libraryName, nullptr, nullptr, nullptr);
    check(text(libraryName) == "corvex", "the type library is called corvex, got " + text(libraryName));
    SysFreeString(libraryName);

    ComRef<ITypeInfo> coclass;
    hr = library->GetTypeInfoOfGuid(CLSID_corvex4, coclass.put());
    check(SUCCEEDED(hr), "the type library describes the class corvex4");

    ComRef<ITypeInfo> dispatchInfo;
    library->GetTypeInfoOfGuid(IID__corvex4, dispatchInfo.put());
    check(static_cast<bool>(dispatchInfo), "the type library describes _corvex4");
    if (!dispatchInfo) return;
    TYPEATTR* attributes = nullptr;
    dispatchInfo->GetTypeAttr(&attributes);
    check(attributes->typekind == TKIND_DISPATCH && (attributes->wTypeFlags & TYPEFLAG_FDUAL),
          "_corvex4 is a dual interface");
    dispatchInfo->ReleaseTypeAttr(attributes);

    // The vtable side of the dual interface: its own functions follow IDispatch's seven.
    HREFTYPE vtableRef = 0;
    ComRef<ITypeInfo> info;
    if (FAILED(dispatchInfo->GetRefTypeOfImplType(-1, &vtableRef)) ||
        FAILED(dispatchInfo->GetRefTypeInfo(vtableRef, info.put()))) {
        check(false, "the vtable interface of _corvex4 can be reached");
        return;
    }
    info->GetTypeAttr(&attributes);
    const auto& table = corvex::memberTable();
    check(attributes->typekind == TKIND_INTERFACE, "the vtable side is an interface");
    check(attributes->cFuncs == table.size(),
          "_corvex4 has " + std::to_string(table.size()) + " functions, got " + std::to_string(attributes->cFuncs));
    const UINT functions = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);

    for (UINT i = 0; i < functions && i < table.size(); ++i) {
        const auto& member = table[i];
        const std::string where = "function " + std::to_string(i) + " (" + std::string(member.name) + ")";
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(i, &function))) {
            check(false, where + " can be read");
            continue;
        }
        check(function->memid == member.dispId, where + " has dispatch ID " + hex(member.dispId) + ", got " + hex(function->memid));
        check(static_cast<unsigned>(function->invkind) == static_cast<unsigned>(member.kind), where + " is called the member table's way");
        check(function->oVft == static_cast<SHORT>((7 + i) * sizeof(void*)), where + " is in its place in the vtable");

        BSTR functionName = nullptr;
        info->GetDocumentation(function->memid, &functionName, nullptr, nullptr, nullptr);
        check(text(functionName) == member.name, where + " is named " + std::string(member.name) + ", got " + text(functionName));
        SysFreeString(functionName);

        const bool hasRetval = member.result != corvex::ResultKind::None;
        const std::size_t expected = member.parameters.size() + (hasRetval ? 1 : 0);
        check(static_cast<std::size_t>(function->cParams) == expected,
              where + " has " + std::to_string(expected) + " parameters, got " + std::to_string(function->cParams));
        if (static_cast<std::size_t>(function->cParams) == expected) {
            BSTR allNames[32] = {};
            UINT named = 0;
            // Names by ID find the first function of that ID, so the put of Name is not asked.
            std::vector<std::string> parameterNames;
            if (SUCCEEDED(info->GetNames(function->memid, allNames, 32, &named)) &&
                function->invkind != INVOKE_PROPERTYPUT) {
                for (UINT n = 1; n < named; ++n) parameterNames.push_back(text(allNames[n]));
            }
            for (UINT n = 0; n < named; ++n) SysFreeString(allNames[n]);
            for (std::size_t p = 0; p < member.parameters.size(); ++p) {
                const auto& element = function->lprgelemdescParam[p];
                check(element.tdesc.vt == declaredType(member.parameters[p].kind),
                      where + " parameter " + std::string(member.parameters[p].name) + " is a " +
                          corvex::paramKindName(member.parameters[p].kind));
                check(!(element.paramdesc.wParamFlags & PARAMFLAG_FOUT), where + " passes " +
                          std::string(member.parameters[p].name) + " in, by value");
                if (p < parameterNames.size())
                    check(parameterNames[p] == member.parameters[p].name,
                          where + " parameter " + std::to_string(p) + " is named " +
                              std::string(member.parameters[p].name) + ", got " + parameterNames[p]);
            }
            if (hasRetval) {
                const auto& retval = function->lprgelemdescParam[member.parameters.size()];
                check((retval.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) && retval.tdesc.vt == VT_PTR &&
                          retval.tdesc.lptdesc->vt == resultType(member.result),
                      where + " returns a " + corvex::resultKindName(member.result));
            }
        }
        info->ReleaseFuncDesc(function);
    }
}

}  // namespace

void checkRegistration();
void checkCalls();

int main() {
    CoInitialize(nullptr);
    checkRegistration();
    checkTypeLibrary();
    checkCalls();
    CoUninitialize();
    return corvex::wintest::finish();
}
