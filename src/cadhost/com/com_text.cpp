#include "cadhost/com/com_text.hpp"

#include "automation/error.hpp"

namespace corvex::cadhost::com {

std::wstring widen(const std::string& text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string narrow(const wchar_t* text, int length) {
    if (!text || length <= 0) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

std::string narrow(const std::wstring& text) { return narrow(text.data(), static_cast<int>(text.size())); }

std::string fromBstr(BSTR text) { return text ? narrow(text, static_cast<int>(SysStringLen(text))) : std::string(); }

BSTR toBstr(const std::string& text) {
    const std::wstring wide = widen(text);
    BSTR result = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!result) throw automation::failure("out of memory for a string of " + std::to_string(text.size()) + " bytes");
    return result;
}

}  // namespace corvex::cadhost::com
