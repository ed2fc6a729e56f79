// The test CAD application as an in-process server registered under "AutoCAD.Application",
// so that corvex.dll's StartAcad finds it the way it finds the real one: a new instance is
// created from the programmatic identifier and then registered as the running object.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>

#include "fake_cad_objects.hpp"

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
