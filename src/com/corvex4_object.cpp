#include "com/corvex4_object.hpp"

#include <new>
#include <vector>

#include "automation/error.hpp"
#include "cadhost/com/com_error.hpp"
#include "cadhost/com/com_text.hpp"
#include "cadhost/com/variant_bridge.hpp"
#include "com/module.hpp"
#include "server/dispatch.hpp"

namespace corvex::com {

using automation::Variant;
using cadhost::com::ObjectKind;

namespace {

// A failure as the client sees it: the HRESULT, and error information from corvex.corvex4.
automation::Error asClassError(const automation::Error& error) { return error.withSource(kCorvexProgId); }

}  // namespace

Corvex4Object::Corvex4Object() : server_(connector_, userInterface_) { objectCreated(); }

Corvex4Object::~Corvex4Object() { objectDestroyed(); }

HRESULT Corvex4Object::create(REFIID interfaceId, void** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    auto* object = new (std::nothrow) Corvex4Object();
    if (!object) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(interfaceId, result);
    object->Release();
    return hr;
}

// --- IUnknown ---------------------------------------------------------------------------------

HRESULT Corvex4Object::QueryInterface(REFIID interfaceId, void** result) {
    if (!result) return E_POINTER;
    if (IsEqualIID(interfaceId, IID_IUnknown) || IsEqualIID(interfaceId, IID_IDispatch) ||
        IsEqualIID(interfaceId, IID__corvex4)) {
        *result = static_cast<_corvex4*>(this);
    } else if (IsEqualIID(interfaceId, IID_ISupportErrorInfo)) {
        *result = static_cast<ISupportErrorInfo*>(this);
    } else {
        *result = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG Corvex4Object::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG Corvex4Object::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

// --- IDispatch --------------------------------------------------------------------------------

HRESULT Corvex4Object::loadTypeInfo() {
    if (typeInfo_) return S_OK;
    cadhost::com::ComRef<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(modulePath().c_str(), REGKIND_NONE, library.put());
    if (FAILED(hr)) return hr;
    return library->GetTypeInfoOfGuid(IID__corvex4, typeInfo_.put());
}

HRESULT Corvex4Object::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT Corvex4Object::GetTypeInfo(UINT index, LCID, ITypeInfo** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    const HRESULT hr = loadTypeInfo();
    if (FAILED(hr)) return hr;
    typeInfo_->AddRef();
    *result = typeInfo_.get();
    return S_OK;
}

HRESULT Corvex4Object::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    if (count == 0) return S_OK;
    // Only member names: no member has named parameters a client could pass by name.
    const auto members = findMembers(cadhost::com::narrow(std::wstring(names[0] ? names[0] : L"")));
    if (members.empty()) return DISP_E_UNKNOWNNAME;
    ids[0] = members.front()->dispId;
    if (count > 1) hr = DISP_E_UNKNOWNNAME;
    return hr;
}

HRESULT Corvex4Object::Invoke(DISPID dispId, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                              EXCEPINFO* exception, UINT* argumentError) {
    if (!parameters) return E_INVALIDARG;
    const auto kind = static_cast<InvokeKind>(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT |
                                                       DISPATCH_PROPERTYPUTREF));
    const Member* member = findMember(dispId, kind);
    if (!member) return DISP_E_MEMBERNOTFOUND;
    const bool put = member->kind == InvokeKind::PropertyPut;
    if (parameters->cNamedArgs > (put ? 1u : 0u)) return DISP_E_NONAMEDARGS;
    if (put && (parameters->cNamedArgs != 1 || parameters->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
        return DISP_E_PARAMNOTFOUND;
    if (parameters->cArgs != member->parameters.size()) return DISP_E_BADPARAMCOUNT;

    try {
        std::vector<Variant> arguments;
        const auto mapping = objects();
        // DISPPARAMS lists the arguments from last to first.
        for (UINT i = parameters->cArgs; i-- > 0;) {
            try {
                arguments.push_back(cadhost::com::fromVariant(parameters->rgvarg[i], mapping));
            } catch (const automation::Error& error) {
                if (argumentError) *argumentError = i;
                throw automation::Error(error.hr(), error.source(),
                                        error.description() + " (argument " +
                                            std::to_string(parameters->cArgs - i) + " of " +
                                            std::string(member->name) + ")");
            }
        }
        const Variant value = invoke(server_, dispId, member->kind, std::move(arguments));
        if (result) {
            VariantInit(result);
            if (member->result != ResultKind::None) cadhost::com::toVariant(value, result, mapping);
        }
        return S_OK;
    } catch (const automation::Error& error) {
        const auto reported = asClassError(error);
        cadhost::com::setErrorInfo(reported, IID__corvex4);
        cadhost::com::fillExcepInfo(reported, exception);
        return DISP_E_EXCEPTION;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

// --- ISupportErrorInfo ------------------------------------------------------------------------

HRESULT Corvex4Object::InterfaceSupportsErrorInfo(REFIID interfaceId) {
    return IsEqualIID(interfaceId, IID__corvex4) ? S_OK : S_FALSE;
}

// --- Early-bound calls ------------------------------------------------------------------------

cadhost::com::ObjectMapping Corvex4Object::objects() const {
    // What a client passes in is an object of the CAD application (a tool solid); what goes
    // out is the application's own object.
    return connector_.session()->mapping(ObjectKind::Entity);
}

HRESULT Corvex4Object::callMember(const char* member, InvokeKind kind, std::initializer_list<VARIANT> arguments,
                                  ResultSlot result) {
    try {
        const DispId dispId = dispIdOf(member);
        const auto mapping = objects();
        std::vector<Variant> converted;
        for (const VARIANT& argument : arguments) converted.push_back(cadhost::com::fromVariant(argument, mapping));
        const Variant value = invoke(server_, dispId, kind, std::move(converted));
        if (auto* slot = std::get_if<VARIANT*>(&result)) {
            if (!*slot) return E_POINTER;
            cadhost::com::toVariant(value, *slot, mapping);
        } else if (auto* text = std::get_if<BSTR*>(&result)) {
            if (!*text) return E_POINTER;
            *(*text) = cadhost::com::toBstr(value.asString());
        } else if (auto* number = std::get_if<short*>(&result)) {
            if (!*number) return E_POINTER;
            *(*number) = value.asInt16();
        } else if (auto* object = std::get_if<IDispatch**>(&result)) {
            if (!*object) return E_POINTER;
            **object = value.asObject() ? mapping.toDispatch(value.asObject()) : nullptr;
        }
        return S_OK;
    } catch (const automation::Error& error) {
        const auto reported = asClassError(error);
        cadhost::com::setErrorInfo(reported, IID__corvex4);
        return static_cast<HRESULT>(reported.hr());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace corvex::com
