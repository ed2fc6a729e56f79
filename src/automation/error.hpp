#pragma once
// Every failure in corvex is an automation Error: what a late-bound client sees as
// Err.Number (the HRESULT), Err.Source and Err.Description.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace corvex::automation {

using HResult = std::uint32_t;

// The standard codes a Visual Basic style client knows.
namespace hresult {
inline constexpr HResult kFail = 0x80004005;              // E_FAIL
inline constexpr HResult kNotImplemented = 0x80004001;    // E_NOTIMPL
inline constexpr HResult kInvalidArgument = 0x80070057;   // E_INVALIDARG
inline constexpr HResult kMemberNotFound = 0x80020003;    // DISP_E_MEMBERNOTFOUND
inline constexpr HResult kTypeMismatch = 0x80020005;      // DISP_E_TYPEMISMATCH
inline constexpr HResult kUnknownName = 0x80020006;       // DISP_E_UNKNOWNNAME
inline constexpr HResult kOverflow = 0x8002000A;          // DISP_E_OVERFLOW
inline constexpr HResult kBadIndex = 0x8002000B;          // DISP_E_BADINDEX
inline constexpr HResult kBadParamCount = 0x8002000E;     // DISP_E_BADPARAMCOUNT
inline constexpr HResult kDivisionByZero = 0x800A000B;    // VB run-time error 11
inline constexpr HResult kInvalidProcedureCall = 0x800A0005;  // VB run-time error 5
inline constexpr HResult kObjectRequired = 0x800A01A8;    // VB run-time error 424
}  // namespace hresult

class Error : public std::runtime_error {
public:
    Error(HResult hr, std::string source, std::string description);

    HResult hr() const { return hr_; }
    const std::string& source() const { return source_; }
    const std::string& description() const { return description_; }

    // The same error, said to come from `source` (kept when one is already set).
    Error withSource(const std::string& source) const;

private:
    HResult hr_;
    std::string source_;
    std::string description_;
};

// Factories for the standard failures; `detail` is appended to the standard wording.
Error typeMismatch(const std::string& detail = {});
Error overflow(const std::string& detail = {});
Error divisionByZero(const std::string& detail = {});
Error invalidOperation(const std::string& detail = {});
Error subscriptOutOfRange(const std::string& detail = {});
Error objectRequired(const std::string& detail = {});
Error badParamCount(const std::string& detail = {});
Error unknownName(const std::string& name);
Error memberNotFound(const std::string& detail);
Error notImplemented(const std::string& what);
Error invalidArgument(const std::string& description);
Error failure(const std::string& description);

std::string formatHResult(HResult hr);  // "0x80020005"

}  // namespace corvex::automation
