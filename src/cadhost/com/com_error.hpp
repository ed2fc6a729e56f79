#pragma once
// Failures of COM calls as automation errors, and automation errors as COM error
// information. The CAD application's own description is kept word for word: it is what the
// user of the application would have seen.
#include <windows.h>
#include <oaidl.h>

#include <string>

#include "automation/error.hpp"

namespace corvex::cadhost::com {

// The system's text for an HRESULT ("" when it has none).
std::string systemMessage(HRESULT hr);

// A failed call: `context` says what was being done ("Solid3D#4.Boolean").
automation::Error errorFromHResult(HRESULT hr, const std::string& context);

// A DISP_E_EXCEPTION: the callee's code and description (filled in first if deferred).
// The callee's source is not kept: the error reaches the client as one of corvex's.
automation::Error errorFromException(EXCEPINFO& info, const std::string& context);

// Sets the thread's error information for `error` (source, description, interface).
void setErrorInfo(const automation::Error& error, REFGUID interfaceId);

// Fills an EXCEPINFO from `error`; the strings become the caller's.
void fillExcepInfo(const automation::Error& error, EXCEPINFO* info);

}  // namespace corvex::cadhost::com
