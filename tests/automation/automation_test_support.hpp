#pragma once
// Shared by the automation tests: readable table rows and the code a call raised.
#include <exception>
#include <optional>
#include <ostream>
#include <string>

#include "automation/error.hpp"
#include "automation/object.hpp"
#include "automation/variant.hpp"

namespace corvex::automation {

// GoogleTest prints a Variant in a failure message through this, so that a failing row
// names the value it was about instead of dumping its bytes.
inline void PrintTo(const Variant& v, std::ostream* os) { *os << v.toDebugString(); }

namespace test_support {

// The HRESULT that `call` raised as "0x%08X", "no error", or the text of a foreign exception:
// comparing strings makes a wrong code readable in the failure message.
template <typename Call>
std::string raisedCode(Call&& call) {
    try {
        call();
    } catch (const Error& e) {
        return formatHResult(e.hr());
    } catch (const std::exception& e) {
        return std::string("not an automation Error: ") + e.what();
    }
    return "no error";
}

inline std::string code(HResult hr) { return formatHResult(hr); }

// The Error that `call` raised, if it raised one.
template <typename Call>
std::optional<Error> raisedError(Call&& call) {
    try {
        call();
    } catch (const Error& e) {
        return e;
    }
    return std::nullopt;
}

// A stand-in for an entity a CAD host would hand out.
class FakeEntity : public Object {
public:
    explicit FakeEntity(std::string name = "IAcad3DSolid") : name_(std::move(name)) {}
    std::string typeName() const override { return name_; }
    std::string describe() const override { return name_ + "#1"; }

private:
    std::string name_;
};

}  // namespace test_support
}  // namespace corvex::automation
