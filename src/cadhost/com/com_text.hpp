#pragma once
// Text across the COM boundary: corvex keeps UTF-8, COM speaks UTF-16 BSTRs.
#include <windows.h>
#include <oleauto.h>

#include <string>

namespace corvex::cadhost::com {

std::wstring widen(const std::string& text);
std::string narrow(const wchar_t* text, int length);
std::string narrow(const std::wstring& text);
// A BSTR may hold embedded zeros; its length is its own.
std::string fromBstr(BSTR text);
// A new BSTR the caller owns; throws an out-of-memory automation error when none is left.
BSTR toBstr(const std::string& text);

}  // namespace corvex::cadhost::com
