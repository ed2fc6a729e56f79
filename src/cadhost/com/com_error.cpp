#include "cadhost/com/com_error.hpp"

#include "cadhost/com/com_ref.hpp"
#include "cadhost/com/com_text.hpp"

namespace corvex::cadhost::com {

std::string systemMessage(HRESULT hr) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length ? narrow(buffer, static_cast<int>(length)) : std::string();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text;
}

automation::Error errorFromHResult(HRESULT hr, const std::string& context) {
    std::string text = systemMessage(hr);
    if (text.empty()) text = "failed";
    return {static_cast<automation::HResult>(hr), {},
            context + ": " + text + " (" + automation::formatHResult(static_cast<automation::HResult>(hr)) + ")"};
}

automation::Error errorFromException(EXCEPINFO& info, const std::string& context) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    HRESULT hr = info.scode;
    // A 16-bit code is a Basic run-time error number: error 5 is 0x800A0005.
    if (!hr && info.wCode) hr = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, info.wCode);
    if (!hr) hr = E_FAIL;
    std::string description = fromBstr(info.bstrDescription);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    info.bstrDescription = info.bstrSource = info.bstrHelpFile = nullptr;
    if (description.empty()) return errorFromHResult(hr, context);
    return {static_cast<automation::HResult>(hr), {}, description};
}

void setErrorInfo(const automation::Error& error, REFGUID interfaceId) {
    ComRef<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.put()))) return;
    const std::wstring source = widen(error.source());
    const std::wstring description = widen(error.description());
    create->SetGUID(interfaceId);
    create->SetSource(const_cast<wchar_t*>(source.c_str()));
    create->SetDescription(const_cast<wchar_t*>(description.c_str()));
    ComRef<IErrorInfo> info;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(info.put()))))
        SetErrorInfo(0, info.get());
}

void fillExcepInfo(const automation::Error& error, EXCEPINFO* info) {
    if (!info) return;
    *info = EXCEPINFO{};
    info->scode = static_cast<SCODE>(error.hr());
    info->bstrSource = SysAllocString(widen(error.source()).c_str());
    info->bstrDescription = SysAllocString(widen(error.description()).c_str());
}

}  // namespace corvex::cadhost::com
