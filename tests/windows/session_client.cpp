// A session through corvex.dll on the test CAD application: every call must succeed, and the
// operations the application receives must be, line for line, those the embedded host
// journalled for the same session on the same drawing.
//   session_client SESSION EXPECTED_JOURNAL RECORD
// RECORD is where the test CAD application writes what it receives (CORVEX_FAKE_CAD_RECORD).
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <set>
#include <utility>
#include <stdexcept>
#include <string>

#include "cadhost/com/com_ref.hpp"
#include "cadhost/com/com_text.hpp"
#include "checks.hpp"
#include "session_file.hpp"

using corvex::cadhost::com::ComRef;
using corvex::cadhost::com::narrow;
using corvex::cadhost::com::widen;
using corvex::wintest::check;
using corvex::wintest::hex;

namespace {

ComRef<IDispatch> createServer() {
    CLSID clsid;
    ComRef<IDispatch> server;
    if (SUCCEEDED(CLSIDFromProgID(L"corvex.corvex4", &clsid)))
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(server.put()));
    return server;
}

// Whether the server's type information has a property put for `id`.
bool hasPropertyPut(IDispatch* server, DISPID id) {
    ComRef<ITypeInfo> type;
    TYPEATTR* attributes = nullptr;
    if (FAILED(server->GetTypeInfo(0, LOCALE_USER_DEFAULT, type.put())) || FAILED(type->GetTypeAttr(&attributes)))
        return false;
    bool found = false;
    for (UINT i = 0; i < attributes->cFuncs && !found; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(type->GetFuncDesc(i, &function))) continue;
        found = function->memid == id && function->invkind == INVOKE_PROPERTYPUT;
        type->ReleaseFuncDesc(function);
    }
    type->ReleaseTypeAttr(attributes);
    return found;
}

// The members a session called, by dispatch ID and kind (INVOKE_FUNC and INVOKE_PROPERTYGET are
// alike here: a call asks for either).
std::set<std::pair<DISPID, bool>> called;  // (id, property put)

// A late-bound call by name, as a script makes it; the arguments are the session's. As in the
// runner, a property is written when the session gives it one argument.
HRESULT call(IDispatch* server, corvex::wintest::SessionCall& session, VARIANT* result, std::string& error) {
    std::wstring name = widen(session.member);
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    HRESULT hr = server->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(session.arguments.rbegin(), session.arguments.rend());
    DISPPARAMS parameters{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    DISPID putId = DISPID_PROPERTYPUT;
    if (reversed.size() == 1 && hasPropertyPut(server, id)) {
        flags = DISPATCH_PROPERTYPUT;
        parameters.rgdispidNamedArgs = &putId;
        parameters.cNamedArgs = 1;
    }
    EXCEPINFO exception{};
    hr = server->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result, &exception, nullptr);
    if (hr == S_OK) called.insert({id, flags == DISPATCH_PROPERTYPUT});
    if (exception.bstrDescription)
        error = narrow(exception.bstrDescription, static_cast<int>(SysStringLen(exception.bstrDescription)));
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
    return hr;
}

// Every member of the interface, each property's get and put apart, ran with success.
void checkEveryMemberCalled(IDispatch* server) {
    ComRef<ITypeInfo> type;
    TYPEATTR* attributes = nullptr;
    if (FAILED(server->GetTypeInfo(0, LOCALE_USER_DEFAULT, type.put())) || FAILED(type->GetTypeAttr(&attributes))) {
        check(false, "corvex4 describes its interface");
        return;
    }
    int members = 0;
    for (UINT i = 0; i < attributes->cFuncs; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(type->GetFuncDesc(i, &function))) continue;
        // The interface's own members; IDispatch's and IUnknown's are restricted.
        if (!(function->wFuncFlags & FUNCFLAG_FRESTRICTED)) {
            ++members;
            const bool put = function->invkind == INVOKE_PROPERTYPUT;
            BSTR name = nullptr;
            UINT names = 0;
            type->GetNames(function->memid, &name, 1, &names);
            check(called.count({function->memid, put}) == 1,
                  "the session calls " + (name ? narrow(name, static_cast<int>(SysStringLen(name))) : hex(function->memid)) +
                      (put ? " (put)" : "") + " with success");
            SysFreeString(name);
        }
        type->ReleaseFuncDesc(function);
    }
    type->ReleaseTypeAttr(attributes);
    check(members == 25, "the interface has 25 members, not " + std::to_string(members));
}

void runSession(const std::string& sessionPath) {
    auto calls = corvex::wintest::readSession(sessionPath);
    check(!calls.empty(), "the session has calls");
    auto server = createServer();
    check(static_cast<bool>(server), "corvex.corvex4 can be created");
    if (!server) return;
    for (auto& session : calls) {
        VARIANT result;
        VariantInit(&result);
        std::string error;
        corvex::wintest::resolveEntities(session);
        const HRESULT hr = call(server.get(), session, &result, error);
        check(hr == S_OK, "line " + std::to_string(session.line) + ": " + session.member + " succeeds: " + hex(hr) +
                              " " + error);
        if (session.member == "StartAcad")
            check(result.vt == VT_I2 && result.iVal == 1, "StartAcad finds the CAD application and returns 1");
        VariantClear(&result);
        for (auto& argument : session.arguments) VariantClear(&argument);
    }
    checkEveryMemberCalled(server.get());
}

void compareJournals(const std::string& expectedPath, const std::string& recordPath) {
    const auto expected = corvex::wintest::normalizedJournal(corvex::wintest::readLines(expectedPath));
    const auto received = corvex::wintest::normalizedJournal(corvex::wintest::readLines(recordPath));
    check(!expected.empty(), "the embedded host's journal has lines");
    check(received.size() == expected.size(), "the CAD application received " + std::to_string(received.size()) +
                                                  " operations, the embedded host journalled " +
                                                  std::to_string(expected.size()));
    int shown = 0;
    for (std::size_t i = 0; i < expected.size() || i < received.size(); ++i) {
        const std::string want = i < expected.size() ? expected[i] : "(nothing)";
        const std::string got = i < received.size() ? received[i] : "(nothing)";
        if (want != got && shown++ < 10) std::printf("operation %zu:\n  embedded: %s\n  adapter:  %s\n", i + 1, want.c_str(), got.c_str());
    }
    check(shown == 0, "every operation matches the embedded host's, in order (" + std::to_string(shown) + " differ)");
}

// A second instance attaches to the application that the first one started.
void attachToRunning() {
    CLSID host;
    ComRef<IUnknown> running;
    check(SUCCEEDED(CLSIDFromProgID(L"AutoCAD.Application", &host)) &&
              SUCCEEDED(GetActiveObject(host, nullptr, running.put())),
          "the CAD application started by StartAcad is the running object");
    auto server = createServer();
    if (!server) return;
    corvex::wintest::SessionCall start;
    start.member = "StartAcad";
    VARIANT result;
    VariantInit(&result);
    std::string error;
    check(call(server.get(), start, &result, error) == S_OK && result.vt == VT_I2 && result.iVal == 1,
          "a second instance attaches to the running CAD application: " + error);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::printf("usage: session_client SESSION EXPECTED_JOURNAL RECORD\n");
        return 2;
    }
    CoInitialize(nullptr);
    try {
        runSession(argv[1]);
        compareJournals(argv[2], argv[3]);
        attachToRunning();
    } catch (const std::exception& error) {
        check(false, error.what());
    }
    const int status = corvex::wintest::finish();
    std::fflush(stdout);
    // The test CAD application keeps its objects to the end; leave without tearing COM down
    // under them.
    ExitProcess(static_cast<UINT>(status));
}
