// Registration, and calls of every member by dispatch ID, late- and early-bound, with the
// error information a failure must carry. No CAD application is registered: the members
// that need the drawing fail, the others answer.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <set>
#include <string>
#include <vector>

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

std::string registryText(const std::wstring& key, const wchar_t* value) {
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return "(missing)";
    return narrow(std::wstring(data));
}

std::wstring guidText(REFGUID guid) {
    wchar_t buffer[64];
    StringFromGUID2(guid, buffer, 64);
    return buffer;
}

// An argument of the declared kind that any member can take: a point for Variants.
VARIANT sampleArgument(corvex::ParamKind kind) {
    VARIANT v;
    VariantInit(&v);
    switch (kind) {
        case corvex::ParamKind::Variant: {
            SAFEARRAY* point = SafeArrayCreateVector(VT_R8, 0, 3);
            double* values = nullptr;
            SafeArrayAccessData(point, reinterpret_cast<void**>(&values));
            values[0] = 1;
            values[1] = 2;
            values[2] = 0;
            SafeArrayUnaccessData(point);
            v.vt = VT_ARRAY | VT_R8;
            v.parray = point;
            break;
        }
        case corvex::ParamKind::Double: v.vt = VT_R8; v.dblVal = 1.5; break;
        case corvex::ParamKind::Int16: v.vt = VT_I2; v.iVal = 1; break;
        case corvex::ParamKind::String: v.vt = VT_BSTR; v.bstrVal = SysAllocString(L"cell"); break;
        case corvex::ParamKind::Object: v.vt = VT_DISPATCH; v.pdispVal = nullptr; break;
    }
    return v;
}

struct Outcome {
    HRESULT hr = S_OK;
    VARIANT result;
    EXCEPINFO exception{};
};

Outcome callById(IDispatch* server, const corvex::Member& member) {
    std::vector<VARIANT> arguments;
    for (auto p = member.parameters.rbegin(); p != member.parameters.rend(); ++p) arguments.push_back(sampleArgument(p->kind));
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{arguments.empty() ? nullptr : arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    if (member.kind == corvex::InvokeKind::PropertyPut) {
        flags = DISPATCH_PROPERTYPUT;
        parameters.rgdispidNamedArgs = &putId;
        parameters.cNamedArgs = 1;
    }
    Outcome outcome;
    VariantInit(&outcome.result);
    UINT argumentError = 0;
    outcome.hr = server->Invoke(member.dispId, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, &outcome.result,
                                &outcome.exception, &argumentError);
    for (auto& argument : arguments) VariantClear(&argument);
    return outcome;
}

using DllCanUnloadNowFunction = HRESULT(WINAPI*)();

HRESULT canUnloadNow() {
    HMODULE module = GetModuleHandleW(L"corvex.dll");
    if (!module) return E_FAIL;
    auto function = reinterpret_cast<DllCanUnloadNowFunction>(GetProcAddress(module, "DllCanUnloadNow"));
    return function ? function() : E_FAIL;
}

}  // namespace

void checkRegistration() {
    CLSID byName{};
    check(SUCCEEDED(CLSIDFromProgID(L"corvex.corvex4", &byName)) && IsEqualCLSID(byName, CLSID_corvex4),
          "the programmatic identifier corvex.corvex4 names the class corvex4");
    const std::wstring classKey = L"CLSID\\" + guidText(CLSID_corvex4);
    check(registryText(classKey + L"\\InprocServer32", L"ThreadingModel") == "Apartment",
          "the class is registered apartment threaded");
    check(registryText(classKey + L"\\InprocServer32", nullptr).find("corvex.dll") != std::string::npos,
          "the class is served by corvex.dll");
    check(registryText(classKey + L"\\TypeLib", nullptr) == narrow(guidText(LIBID_corvex)),
          "the class names its type library");
}

void checkCalls() {
    ComRef<IDispatch> server;
    HRESULT hr = CoCreateInstance(CLSID_corvex4, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                  reinterpret_cast<void**>(server.put()));
    check(SUCCEEDED(hr) && server, "corvex4 can be created: " + hex(hr));
    if (!server) return;
    check(canUnloadNow() == S_FALSE, "the DLL stays loaded while an instance lives");

    // Names are found without regard to case, and unknown ones are refused.
    for (const auto& member : corvex::memberTable()) {
        std::wstring name = corvex::cadhost::com::widen(std::string(member.name));
        for (auto& c : name) c = static_cast<wchar_t>(towlower(c));
        LPOLESTR names[] = {name.data()};
        DISPID id = 0;
        hr = server->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        check(hr == S_OK && id == member.dispId, "GetIDsOfNames(" + narrow(name) + ") gives " + hex(member.dispId));
    }
    {
        wchar_t unknown[] = L"MillEverything";
        LPOLESTR names[] = {unknown};
        DISPID id = 0;
        check(server->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id) == DISP_E_UNKNOWNNAME,
              "an unknown name is refused");
    }

    // Every member by its dispatch ID. Only these answer before a CAD application is attached.
    const std::set<std::string> answerWithoutHost = {"Name", "StartAcad", "ProbeRadius", "subtract", "distance"};
    for (const auto& member : corvex::memberTable()) {
        const std::string name(member.name);
        Outcome outcome = callById(server.get(), member);
        if (answerWithoutHost.count(name)) {
            check(outcome.hr == S_OK, name + " answers without a CAD application: " + hex(outcome.hr) + " " +
                                          text(outcome.exception.bstrDescription));
        } else {
            check(outcome.hr == DISP_E_EXCEPTION, name + " fails without a CAD application: " + hex(outcome.hr));
            check(outcome.exception.scode != 0 && text(outcome.exception.bstrSource) == "corvex.corvex4" &&
                      !text(outcome.exception.bstrDescription).empty(),
                  name + "'s failure carries code, source and description");
            ComRef<IErrorInfo> info;
            BSTR description = nullptr;
            if (GetErrorInfo(0, info.put()) == S_OK && info) info->GetDescription(&description);
            check(text(description) == text(outcome.exception.bstrDescription),
                  name + "'s failure is also the thread's error information");
            SysFreeString(description);
        }
        if (name == "StartAcad")
            check(outcome.result.vt == VT_I2 && outcome.result.iVal == 0, "StartAcad returns the Integer 0");
        if (name == "distance") check(outcome.result.vt == VT_R8, "distance returns a Double");
        if (name == "Name" && member.kind == corvex::InvokeKind::PropertyGet)
            check(outcome.result.vt == VT_BSTR, "Name returns a String");
        SysFreeString(outcome.exception.bstrSource);
        SysFreeString(outcome.exception.bstrDescription);
        SysFreeString(outcome.exception.bstrHelpFile);
        VariantClear(&outcome.result);
    }

    // Dispatch-level refusals come back as their own codes.
    {
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        VARIANT result;
        VariantInit(&result);
        check(server->Invoke(0x60030012, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr) ==
                  DISP_E_BADPARAMCOUNT,
              "distance with no arguments is a wrong argument count");
        check(server->Invoke(0x12345, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr) ==
                  DISP_E_MEMBERNOTFOUND,
              "an unknown dispatch ID is not found");
    }

    // Early-bound: the vtable answers and fails the same way, with ISupportErrorInfo.
    ComRef<_corvex4> early;
    server->QueryInterface(IID__corvex4, reinterpret_cast<void**>(early.put()));
    check(static_cast<bool>(early), "the instance answers for _corvex4");
    ComRef<ISupportErrorInfo> supports;
    server->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(supports.put()));
    check(supports && supports->InterfaceSupportsErrorInfo(IID__corvex4) == S_OK,
          "ISupportErrorInfo vouches for _corvex4");
    if (early) {
        VARIANT result;
        VariantInit(&result);
        hr = early->distance(0, 0, 6, 8, &result);
        check(hr == S_OK && result.vt == VT_R8 && result.dblVal == 10, "distance through the vtable is 10");
        BSTR name = SysAllocString(L"vtable");
        early->put_Name(name);
        SysFreeString(name);
        BSTR back = nullptr;
        early->get_Name(&back);
        check(text(back) == "vtable", "Name through the vtable reads back");
        SysFreeString(back);

        hr = early->ToolPolyCreate();
        check(hr == static_cast<HRESULT>(0x800A01A8), "ToolPolyCreate through the vtable fails with 'Object required': " + hex(hr));
        ComRef<IErrorInfo> info;
        BSTR source = nullptr, description = nullptr;
        GUID guid{};
        if (GetErrorInfo(0, info.put()) == S_OK && info) {
            info->GetSource(&source);
            info->GetDescription(&description);
            info->GetGUID(&guid);
        }
        check(text(source) == "corvex.corvex4" && text(description).find("Object required") != std::string::npos &&
                  IsEqualGUID(guid, IID__corvex4),
              "the vtable failure leaves error information: " + text(source) + ": " + text(description));
        SysFreeString(source);
        SysFreeString(description);

        hr = early->RotateAxis(1, 1e308 * 10);
        check(FAILED(hr), "RotateAxis with an infinite angle fails");

        // Every member that needs the drawing, called through the vtable before StartAcad, must
        // reach its own member: one that reached another member with another number of
        // parameters would fail with a wrong argument count instead of "Object required".
        VARIANT e;
        VariantInit(&e);
        VARIANT out;
        VariantInit(&out);
        IDispatch* solid = nullptr;
        const std::vector<std::pair<const char*, HRESULT>> calls = {
            {"MakeRegion", early->MakeRegion(e, &out)},
            {"ToolExtrudeLine", early->ToolExtrudeLine(e, e, e, e, e, 0, &out)},
            {"ToolPolyCreate", early->ToolPolyCreate()},
            {"MoveTool", early->MoveTool(e, e, 0, &out)},
            {"ProbeToZero", early->ProbeToZero()},
            {"MoveProbe", early->MoveProbe(e, e, 0, &out)},
            {"MakeToolMill", early->MakeToolMill(e, 1, 1, 0, &solid)},
            {"MakeToolLathe", early->MakeToolLathe(0, 0, e, e, &solid)},
            {"SubtractToolFromGroup", early->SubtractToolFromGroup()},
            {"SubtractArcToolFromGroup", early->SubtractArcToolFromGroup()},
            {"ToolRevolveArc", early->ToolRevolveArc(e, e, e, e, e, 0, e, 1)},
            {"ToolExtrudePath", early->ToolExtrudePath(e, e)},
            {"drill_path", early->drill_path(0, 0, 0, 1, 1)},
            {"setcolor", early->setcolor(e)},
            {"RotateAxis", early->RotateAxis(1, 90)},
            {"ToolMillArc", early->ToolMillArc(e, e, e, e, e, e, 1, 0, 0, 90)},
            {"LatheInsert", early->LatheInsert(0, 0, e, e, e, e, e)},
            {"LatheLine", early->LatheLine(0, 0, e, e, e, e, e, e)},
            {"LatheArc", early->LatheArc(e, e, e, e, e)},
        };
        for (const auto& [member, result] : calls)
            check(FAILED(result) && result != DISP_E_BADPARAMCOUNT,
                  std::string(member) + " through the vtable reaches its own member: " + hex(result));
        VariantClear(&out);
    }

    ComRef<ITypeInfo> typeInfo;
    check(SUCCEEDED(server->GetTypeInfo(0, 0, typeInfo.put())) && typeInfo, "the instance hands out its type information");

    typeInfo = {};
    early = {};
    supports = {};
    server = {};
    check(canUnloadNow() == S_OK, "the DLL may be unloaded once every instance is released");
}
