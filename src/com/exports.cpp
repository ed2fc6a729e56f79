// The entry points of an in-process server: the class factory and the unload check.
// Registration is in registration.cpp.
#include <windows.h>
#include <objbase.h>

#include <new>

#include "com/corvex4_object.hpp"
#include "com/module.hpp"

namespace corvex::com {
namespace {

// One factory for the one class; it lives as long as the DLL, so its counts only hold the
// module while a client keeps it.
class ClassFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** result) override {
        if (!result) return E_POINTER;
        if (IsEqualIID(interfaceId, IID_IUnknown) || IsEqualIID(interfaceId, IID_IClassFactory)) {
            *result = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *result = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        lockModule(true);
        return 2;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        lockModule(false);
        return 1;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID interfaceId, void** result) override {
        if (!result) return E_POINTER;
        *result = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return Corvex4Object::create(interfaceId, result);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lockModule(lock != FALSE);
        return S_OK;
    }
};

ClassFactory factory;

}  // namespace
}  // namespace corvex::com

STDAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, LPVOID* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (!IsEqualCLSID(classId, CLSID_corvex4)) return CLASS_E_CLASSNOTAVAILABLE;
    return corvex::com::factory.QueryInterface(interfaceId, result);
}

STDAPI DllCanUnloadNow() { return corvex::com::moduleInUse() ? S_FALSE : S_OK; }
