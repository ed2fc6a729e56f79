#include "cadhost/com/dispatch_call.hpp"

#include "automation/error.hpp"
#include "cadhost/com/com_error.hpp"
#include "cadhost/com/com_text.hpp"

namespace corvex::cadhost::com {
namespace {

// The argument VARIANTs of one call, cleared when the call is over.
class ArgumentList {
public:
    ArgumentList(const std::vector<automation::Variant>& arguments, const ObjectMapping& objects)
        : values_(arguments.size()) {
        for (auto& value : values_) VariantInit(&value);
        // DISPPARAMS lists the arguments from last to first.
        for (std::size_t i = 0; i < arguments.size(); ++i)
            toVariant(arguments[i], &values_[arguments.size() - 1 - i], objects);
    }
    ~ArgumentList() {
        for (auto& value : values_) VariantClear(&value);
    }
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;

    VARIANT* data() { return values_.empty() ? nullptr : values_.data(); }
    UINT size() const { return static_cast<UINT>(values_.size()); }

private:
    std::vector<VARIANT> values_;
};

}  // namespace

automation::Variant callByName(IDispatch* target, const std::string& context, const std::string& member,
                               CallKind kind, const std::vector<automation::Variant>& arguments,
                               const ObjectMapping& objects) {
    const std::string where = context + "." + member;
    if (!target) throw automation::objectRequired(where + " called on Nothing");

    std::wstring name = widen(member);
    LPOLESTR names[] = {name.data()};
    DISPID dispId = DISPID_UNKNOWN;
    HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispId);
    if (hr == DISP_E_UNKNOWNNAME || hr == DISP_E_MEMBERNOTFOUND)
        throw automation::memberNotFound(context + " has no " + member);
    if (FAILED(hr)) throw errorFromHResult(hr, where);

    ArgumentList list(arguments, objects);
    DISPPARAMS parameters{list.data(), nullptr, list.size(), 0};
    DISPID putId = DISPID_PROPERTYPUT;
    WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;  // a call for a value, as Basic makes it
    if (kind == CallKind::PropertyGet) flags = DISPATCH_PROPERTYGET;
    if (kind == CallKind::PropertyPut) {
        flags = DISPATCH_PROPERTYPUT;
        parameters.rgdispidNamedArgs = &putId;
        parameters.cNamedArgs = 1;
    }

    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT argumentError = 0;
    hr = target->Invoke(dispId, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                        kind == CallKind::PropertyPut ? nullptr : &result, &exception, &argumentError);
    if (hr == DISP_E_EXCEPTION) throw errorFromException(exception, where);
    if (FAILED(hr)) {
        if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND)
            throw errorFromHResult(hr, where + " (argument " + std::to_string(list.size() - argumentError) + ")");
        throw errorFromHResult(hr, where);
    }
    try {
        automation::Variant converted = fromVariant(result, objects);
        VariantClear(&result);
        return converted;
    } catch (...) {
        VariantClear(&result);
        throw;
    }
}

}  // namespace corvex::cadhost::com
