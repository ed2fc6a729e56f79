// The test CAD application as a COM server: an in-process server registered under
// "AutoCAD.Application", so that corvex.dll's StartAcad finds it the way it finds the real one
// (a new instance is created from the programmatic identifier and then registered as the
// running object), and IDispatch by name for all of its objects, which records every call
// it receives in the host journal's line format. What each member does is in
// fake_cad_objects.cpp.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "automation/error.hpp"
#include "cadhost/com/com_error.hpp"
#include "cadhost/com/com_text.hpp"
#include "cadhost/com/variant_bridge.hpp"
#include "fake_cad_objects.hpp"

namespace corvex::fakecad {

const IID IID_FakeObject = {0x793dc360, 0x1d0d, 0x45c5, {0xa9, 0xd1, 0x66, 0x47, 0x96, 0x84, 0xdd, 0x98}};

namespace {

cadhost::com::ObjectMapping mapping() {
    cadhost::com::ObjectMapping objects;
    objects.fromDispatch = [](IDispatch* dispatch) -> automation::ObjectRef {
        FakeObject* ours = nullptr;
        if (FAILED(dispatch->QueryInterface(IID_FakeObject, reinterpret_cast<void**>(&ours))) || !ours)
            throw automation::typeMismatch("an object of another application");
        auto handle = std::make_shared<Handle>(ComRef<FakeObject>::adopt(ours));
        return handle;
    };
    objects.toDispatch = [](const automation::ObjectRef& object) -> IDispatch* {
        auto* handle = dynamic_cast<Handle*>(object.get());
        handle->target->AddRef();
        return handle->target.get();
    };
    return objects;
}

std::vector<std::string>& memberNames() {
    static std::vector<std::string> names;
    return names;
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                                  b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::string objectNameOf(const std::string& kind) {
    if (kind == "Solid3D") return "AcDb3dSolid";
    if (kind == "Polyline") return "AcDb2dPolyline";
    return "AcDb" + kind;
}

}  // namespace

bool isQuery(const std::string& member) { return member == "ObjectName" || member == "EntityById"; }

HRESULT FakeObject::QueryInterface(REFIID interfaceId, void** result) {
    if (!result) return E_POINTER;
    if (IsEqualIID(interfaceId, IID_IUnknown) || IsEqualIID(interfaceId, IID_IDispatch) ||
        IsEqualIID(interfaceId, IID_FakeObject)) {
        *result = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
}

ULONG FakeObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG FakeObject::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT FakeObject::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return S_OK;
}

HRESULT FakeObject::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

HRESULT FakeObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (count == 0) return S_OK;
    const std::string name = cadhost::com::narrow(std::wstring(names[0]));
    auto& known = memberNames();
    for (std::size_t i = 0; i < known.size(); ++i) {
        if (sameName(known[i], name)) {
            ids[0] = static_cast<DISPID>(i + 1);
            return S_OK;
        }
    }
    known.push_back(name);
    ids[0] = static_cast<DISPID>(known.size());
    return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT FakeObject::Invoke(DISPID dispId, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                           EXCEPINFO* exception, UINT*) {
    const auto& known = memberNames();
    if (dispId < 1 || static_cast<std::size_t>(dispId) > known.size()) return DISP_E_MEMBERNOTFOUND;
    const std::string member = known[static_cast<std::size_t>(dispId - 1)];
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    std::vector<Variant> arguments;
    std::string line = describe() + "." + member + "(";
    try {
        const auto objects = mapping();
        for (UINT i = parameters->cArgs; i-- > 0;) {
            arguments.push_back(cadhost::com::fromVariant(parameters->rgvarg[i], objects));
            line += (arguments.size() > 1 ? ", " : "") + arguments.back().toDebugString();
        }
        line += ")";
        Variant value;
        if (member == "ObjectName") {
            auto* entity = dynamic_cast<FakeEntity*>(this);
            if (!entity) throw automation::memberNotFound(describe() + " has no ObjectName");
            value = Variant::string(objectNameOf(entity->kind));
        } else {
            value = call(member, put, arguments);
            if (!isQuery(member)) drawing_->note(line + (value.isEmpty() ? "" : " -> " + value.toDebugString()));
        }
        if (result) cadhost::com::toVariant(value, result, objects);
        return S_OK;
    } catch (const automation::Error& error) {
        drawing_->note(line + " !! " + error.description());
        cadhost::com::fillExcepInfo(automation::Error(error.hr(), "FakeCAD", error.description()), exception);
        return DISP_E_EXCEPTION;
    }
}

}  // namespace corvex::fakecad

namespace {

// {e850c4cf-da8c-4848-b617-e5facae577d4}
const CLSID kFakeClassId = {0xe850c4cf, 0xda8c, 0x4848, {0xb6, 0x17, 0xe5, 0xfa, 0xca, 0xe5, 0x77, 0xd4}};
const wchar_t* const kProgId = L"AutoCAD.Application";

HMODULE module = nullptr;

std::wstring guidText(REFGUID guid) {
    wchar_t text[64];
    StringFromGUID2(guid, text, 64);
    return text;
}

bool setValue(const std::wstring& keyPath, const wchar_t* name, const std::wstring& data) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool ok = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** result) override {
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IClassFactory)) {
            *result = this;
            return S_OK;
        }
        *result = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** result) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        auto application = corvex::fakecad::createApplication();
        DWORD cookie = 0;
        RegisterActiveObject(application.get(), kFakeClassId, ACTIVEOBJECT_STRONG, &cookie);
        return application->QueryInterface(id, result);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory factory;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) module = instance;
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID id, REFIID interfaceId, LPVOID* result) {
    if (!IsEqualCLSID(id, kFakeClassId)) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(interfaceId, result);
}

// Kept loaded: its objects live as long as the test process.
STDAPI DllCanUnloadNow() { return S_FALSE; }

STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(module, path, MAX_PATH);
    const std::wstring classKey = L"CLSID\\" + guidText(kFakeClassId);
    const bool ok = setValue(classKey, nullptr, L"test CAD application") &&
                    setValue(classKey + L"\\InprocServer32", nullptr, path) &&
                    setValue(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                    setValue(classKey + L"\\ProgID", nullptr, kProgId) && setValue(kProgId, nullptr, L"test CAD application") &&
                    setValue(std::wstring(kProgId) + L"\\CLSID", nullptr, guidText(kFakeClassId));
    return ok ? S_OK : E_FAIL;
}

STDAPI DllUnregisterServer() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + guidText(kFakeClassId)).c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (L"CLSID\\" + guidText(kFakeClassId)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    RegDeleteKeyW(HKEY_CLASSES_ROOT, kProgId);
    return S_OK;
}
