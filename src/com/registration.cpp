// Registration: the class under "corvex.corvex4" (apartment threaded, in this DLL) and the
// type library held as resource 1. Unregistration removes both and leaves nothing behind.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include <string>

#include "cadhost/com/com_ref.hpp"
#include "com/module.hpp"
#include "corvex.h"

namespace corvex::com {
namespace {

const wchar_t* const kProgId = L"corvex.corvex4";
const wchar_t* const kClassName = L"corvex4";

std::wstring guidText(REFGUID guid) {
    wchar_t text[64];
    StringFromGUID2(guid, text, 64);
    return text;
}

HRESULT setValue(const std::wstring& keyPath, const wchar_t* valueName, const std::wstring& data) {
    HKEY key = nullptr;
    LONG status = RegCreateKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    status = RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return HRESULT_FROM_WIN32(status);
}

HRESULT deleteTree(const std::wstring& keyPath) {
    const LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, keyPath.c_str());
    if (status == ERROR_SUCCESS) RegDeleteKeyW(HKEY_CLASSES_ROOT, keyPath.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

HRESULT registerClass(const std::wstring& dllPath) {
    const std::wstring classKey = L"CLSID\\" + guidText(CLSID_corvex4);
    const std::pair<std::wstring, std::pair<const wchar_t*, std::wstring>> values[] = {
        {classKey, {nullptr, kClassName}},
        {classKey + L"\\InprocServer32", {nullptr, dllPath}},
        {classKey + L"\\InprocServer32", {L"ThreadingModel", L"Apartment"}},
        {classKey + L"\\ProgID", {nullptr, kProgId}},
        {classKey + L"\\TypeLib", {nullptr, guidText(LIBID_corvex)}},
        {classKey + L"\\Version", {nullptr, L"1.0"}},
        {kProgId, {nullptr, kClassName}},
        {std::wstring(kProgId) + L"\\CLSID", {nullptr, guidText(CLSID_corvex4)}},
    };
    for (const auto& [key, value] : values) {
        const HRESULT hr = setValue(key, value.first, value.second);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT unregisterClass() {
    const HRESULT byClass = deleteTree(L"CLSID\\" + guidText(CLSID_corvex4));
    const HRESULT byName = deleteTree(kProgId);
    return FAILED(byClass) ? byClass : byName;
}

}  // namespace
}  // namespace corvex::com

STDAPI DllRegisterServer() {
    using namespace corvex::com;
    const std::wstring path = modulePath();
    corvex::cadhost::com::ComRef<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put());
    if (SUCCEEDED(hr)) hr = RegisterTypeLib(library.get(), const_cast<wchar_t*>(path.c_str()), nullptr);
    if (SUCCEEDED(hr)) hr = registerClass(path);
    if (FAILED(hr)) {
        // Half a registration is worse than none.
        unregisterClass();
        UnRegisterTypeLib(LIBID_corvex, 1, 0, LOCALE_NEUTRAL, SYS_WIN32);
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    using namespace corvex::com;
    // A type library that is not registered is already gone.
    const HRESULT library = UnRegisterTypeLib(LIBID_corvex, 1, 0, LOCALE_NEUTRAL, SYS_WIN32);
    const HRESULT classes = unregisterClass();
    if (FAILED(classes)) return classes;
    return SUCCEEDED(library) || library == TYPE_E_REGISTRYACCESS ? S_OK : library;
}
