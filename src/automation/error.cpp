#include "automation/error.hpp"

#include <cstdio>

namespace corvex::automation {
namespace {

std::string withDetail(const char* standard, const std::string& detail) {
    return detail.empty() ? std::string(standard) : std::string(standard) + ": " + detail;
}

}  // namespace

Error::Error(HResult hr, std::string source, std::string description)
    : std::runtime_error(description), hr_(hr), source_(std::move(source)),
      description_(std::move(description)) {}

Error Error::withSource(const std::string& source) const {
    return source_.empty() ? Error(hr_, source, description_) : *this;
}

Error typeMismatch(const std::string& detail) {
    return {hresult::kTypeMismatch, {}, withDetail("Type mismatch", detail)};
}
Error overflow(const std::string& detail) {
    return {hresult::kOverflow, {}, withDetail("Overflow", detail)};
}
Error divisionByZero(const std::string& detail) {
    return {hresult::kDivisionByZero, {}, withDetail("Division by zero", detail)};
}
Error invalidOperation(const std::string& detail) {
    return {hresult::kInvalidProcedureCall, {}, withDetail("Invalid floating-point operation", detail)};
}
Error subscriptOutOfRange(const std::string& detail) {
    return {hresult::kBadIndex, {}, withDetail("Subscript out of range", detail)};
}
Error objectRequired(const std::string& detail) {
    return {hresult::kObjectRequired, {}, withDetail("Object required", detail)};
}
Error badParamCount(const std::string& detail) {
    return {hresult::kBadParamCount, {}, withDetail("Wrong number of arguments", detail)};
}
Error unknownName(const std::string& name) {
    return {hresult::kUnknownName, {}, "Unknown name: " + name};
}
Error memberNotFound(const std::string& detail) {
    return {hresult::kMemberNotFound, {}, withDetail("Member not found", detail)};
}
Error notImplemented(const std::string& what) {
    return {hresult::kNotImplemented, {}, "Not implemented: " + what};
}
Error invalidArgument(const std::string& description) {
    return {hresult::kInvalidArgument, {}, description};
}
Error failure(const std::string& description) { return {hresult::kFail, {}, description}; }

std::string formatHResult(HResult hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

}  // namespace corvex::automation
