#include "cadhost/com/variant_bridge.hpp"

#include <string>
#include <vector>

#include "automation/error.hpp"
#include "cadhost/com/com_error.hpp"
#include "cadhost/com/com_ref.hpp"
#include "cadhost/com/com_text.hpp"

namespace corvex::cadhost::com {
namespace {

using automation::Variant;
using automation::VarType;

// A VARIANT that clears itself.
struct OwnedVariant {
    VARIANT v;
    OwnedVariant() { VariantInit(&v); }
    ~OwnedVariant() { VariantClear(&v); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;
};

std::string vtName(VARTYPE vt) { return "VARTYPE " + std::to_string(vt); }

Variant objectFrom(IUnknown* unknown, const ObjectMapping& objects) {
    if (!unknown) return Variant::object(nullptr);
    ComRef<IDispatch> dispatch;
    if (FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put()))) || !dispatch)
        throw automation::typeMismatch("an object without IDispatch cannot be called late-bound");
    return Variant::object(objects.fromDispatch(dispatch.get()));
}

// Anything numeric that has no kind of its own here, by the system's own conversion.
Variant converted(const VARIANT& value, VARTYPE target) {
    OwnedVariant result;
    const HRESULT hr = VariantChangeType(&result.v, const_cast<VARIANT*>(&value), 0, target);
    if (FAILED(hr)) throw errorFromHResult(hr, "converting " + vtName(value.vt));
    return target == VT_I4 ? Variant::int32(result.v.lVal) : Variant::real(result.v.dblVal);
}

VarType elementTypeOf(VARTYPE vt) {
    switch (vt) {
        case VT_R8: case VT_R4: case VT_CY: case VT_DATE: case VT_DECIMAL: return VarType::Double;
        case VT_I2: case VT_UI1: case VT_I1: return VarType::Int16;
        case VT_I4: case VT_INT: case VT_UI2: return VarType::Int32;
        case VT_BOOL: return VarType::Boolean;
        case VT_BSTR: return VarType::String;
        case VT_DISPATCH: case VT_UNKNOWN: return VarType::Object;
        default: return VarType::Empty;  // VT_VARIANT and the rest: elements keep their own kinds
    }
}

Variant arrayFrom(const VARIANT& value, const ObjectMapping& objects) {
    SAFEARRAY* array = (value.vt & VT_BYREF) ? *value.pparray : value.parray;
    if (!array) return Variant::variants({});
    if (SafeArrayGetDim(array) != 1)
        throw automation::typeMismatch("an array of " + std::to_string(SafeArrayGetDim(array)) +
                                       " dimensions where one is expected");
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    const VARTYPE elementVt = value.vt & VT_TYPEMASK;
    // Elements are read into a VARIANT's value slot, which holds at most eight bytes.
    if (elementVt == VT_DECIMAL || elementVt == VT_RECORD || (elementTypeOf(elementVt) == VarType::Empty && elementVt != VT_VARIANT))
        throw automation::typeMismatch("an array of " + vtName(elementVt) + " elements");
    std::vector<Variant> items;
    for (LONG i = lower; i <= upper; ++i) {
        OwnedVariant element;
        HRESULT hr;
        if (elementVt == VT_VARIANT) {
            hr = SafeArrayGetElement(array, &i, &element.v);
        } else {
            // SafeArrayGetElement copies into the VARIANT's value slot and adds references
            // to strings and objects, which the VARIANT then owns.
            hr = SafeArrayGetElement(array, &i, &element.v.lVal);
            if (SUCCEEDED(hr)) element.v.vt = elementVt;
        }
        if (FAILED(hr)) throw errorFromHResult(hr, "reading element " + std::to_string(i) + " of an array");
        items.push_back(fromVariant(element.v, objects));
    }
    return Variant::array(automation::Array(elementTypeOf(elementVt), lower, std::move(items)));
}

VARTYPE vtOfElements(VarType type) {
    switch (type) {
        case VarType::Double: return VT_R8;
        case VarType::Int16: return VT_I2;
        case VarType::Int32: return VT_I4;
        case VarType::Boolean: return VT_BOOL;
        case VarType::String: return VT_BSTR;
        case VarType::Object: return VT_DISPATCH;
        default: return VT_VARIANT;
    }
}

void arrayTo(const automation::Array& array, VARIANT* out, const ObjectMapping& objects) {
    const VARTYPE vt = vtOfElements(array.elementType());
    SAFEARRAY* safeArray = SafeArrayCreateVector(vt, array.lowerBound(), static_cast<ULONG>(array.size()));
    if (!safeArray) throw automation::failure("out of memory for an array of " + std::to_string(array.size()));
    try {
        LONG index = array.lowerBound();
        for (const auto& item : array.items()) {
            OwnedVariant element;
            toVariant(item, &element.v, objects);
            HRESULT hr;
            if (vt == VT_VARIANT) {
                hr = SafeArrayPutElement(safeArray, &index, &element.v);
            } else if (vt == VT_BSTR) {
                hr = SafeArrayPutElement(safeArray, &index, element.v.bstrVal);  // copied
            } else if (vt == VT_DISPATCH) {
                hr = SafeArrayPutElement(safeArray, &index, element.v.pdispVal);  // AddRef'd
            } else {
                hr = SafeArrayPutElement(safeArray, &index, &element.v.lVal);
            }
            if (FAILED(hr)) throw errorFromHResult(hr, "writing element " + std::to_string(index) + " of an array");
            ++index;
        }
    } catch (...) {
        SafeArrayDestroy(safeArray);
        throw;
    }
    out->vt = VT_ARRAY | vt;
    out->parray = safeArray;
}

}  // namespace

Variant fromVariant(const VARIANT& value, const ObjectMapping& objects) {
    if (value.vt & VT_ARRAY) return arrayFrom(value, objects);
    if (value.vt == (VT_BYREF | VT_VARIANT)) return fromVariant(*value.pvarVal, objects);
    if (value.vt & VT_BYREF) {
        OwnedVariant direct;
        const HRESULT hr = VariantCopyInd(&direct.v, const_cast<VARIANT*>(&value));
        if (FAILED(hr)) throw errorFromHResult(hr, "reading a by-reference argument");
        return fromVariant(direct.v, objects);
    }
    switch (value.vt) {
        case VT_EMPTY: return Variant();
        case VT_NULL: return Variant::null();
        case VT_I2: return Variant::int16(value.iVal);
        case VT_UI1: return Variant::int16(value.bVal);
        case VT_I1: return Variant::int16(value.cVal);
        case VT_I4: return Variant::int32(value.lVal);
        case VT_INT: return Variant::int32(value.intVal);
        case VT_UI2: return Variant::int32(value.uiVal);
        case VT_R8: return Variant::real(value.dblVal);
        case VT_BOOL: return Variant::boolean(value.boolVal != VARIANT_FALSE);
        case VT_BSTR: return Variant::string(fromBstr(value.bstrVal));
        case VT_DISPATCH: return objectFrom(value.pdispVal, objects);
        case VT_UNKNOWN: return objectFrom(value.punkVal, objects);
        case VT_ERROR:
            if (value.scode == DISP_E_PARAMNOTFOUND) return Variant();
            throw automation::typeMismatch("an error value " + automation::formatHResult(static_cast<automation::HResult>(value.scode)));
        case VT_UI4: case VT_I8: case VT_UI8: case VT_UINT: {
            try {
                return converted(value, VT_I4);
            } catch (const automation::Error&) {
                return converted(value, VT_R8);  // beyond 32 bits: as a Basic client would hold it
            }
        }
        case VT_R4: case VT_CY: case VT_DATE: case VT_DECIMAL: return converted(value, VT_R8);
        default: throw automation::typeMismatch("a value of " + vtName(value.vt) + " has no automation counterpart");
    }
}

void toVariant(const Variant& value, VARIANT* out, const ObjectMapping& objects) {
    VariantInit(out);
    switch (value.type()) {
        case VarType::Empty: return;
        case VarType::Null: out->vt = VT_NULL; return;
        case VarType::Int16: out->vt = VT_I2; out->iVal = value.asInt16(); return;
        case VarType::Int32: out->vt = VT_I4; out->lVal = value.asInt32(); return;
        case VarType::Double: out->vt = VT_R8; out->dblVal = value.asDouble(); return;
        case VarType::Boolean: out->vt = VT_BOOL; out->boolVal = value.asBoolean() ? VARIANT_TRUE : VARIANT_FALSE; return;
        case VarType::String: out->bstrVal = toBstr(value.asString()); out->vt = VT_BSTR; return;
        case VarType::Object:
            out->pdispVal = value.asObject() ? objects.toDispatch(value.asObject()) : nullptr;
            out->vt = VT_DISPATCH;
            return;
        case VarType::Array: arrayTo(value.asArray(), out, objects); return;
    }
}

}  // namespace corvex::cadhost::com
