#include "cadhost/com/com_connector.hpp"

#include <windows.h>
#include <oleauto.h>

#include "automation/error.hpp"
#include "cadhost/com/com_error.hpp"
#include "cadhost/com/com_ref.hpp"
#include "cadhost/com/com_text.hpp"
#include "cadhost/take.hpp"

namespace corvex::cadhost::com {
namespace {

CLSID classOf(const std::string& progId, const std::string& doing) {
    CLSID clsid;
    const HRESULT hr = CLSIDFromProgID(widen(progId).c_str(), &clsid);
    if (FAILED(hr)) throw errorFromHResult(hr, doing + " \"" + progId + "\"");
    return clsid;
}

ComRef<IDispatch> dispatchOf(IUnknown* unknown, const std::string& progId) {
    ComRef<IDispatch> dispatch;
    const HRESULT hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put()));
    if (FAILED(hr)) throw errorFromHResult(hr, "\"" + progId + "\" cannot be called late-bound");
    return dispatch;
}

}  // namespace

ComConnector::ComConnector(std::shared_ptr<Journal> journal)
    : journal_(journal ? std::move(journal) : std::make_shared<Journal>()), session_(ComSession::create(journal_)) {}

std::shared_ptr<Application> ComConnector::attach(const std::string& progId) {
    const std::string doing = "Attaching to a running";
    const CLSID clsid = classOf(progId, doing);
    ComRef<IUnknown> running;
    const HRESULT hr = GetActiveObject(clsid, nullptr, running.put());
    if (FAILED(hr) || !running) throw errorFromHResult(FAILED(hr) ? hr : MK_E_UNAVAILABLE, doing + " \"" + progId + "\"");
    auto dispatch = dispatchOf(running.get(), progId);
    return take<Application>(session_->wrap(dispatch.get(), ObjectKind::Application), "an application");
}

std::shared_ptr<Application> ComConnector::launch(const std::string& progId) {
    const std::string doing = "Starting";
    const CLSID clsid = classOf(progId, doing);
    ComRef<IDispatch> dispatch;
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(dispatch.put()));
    if (FAILED(hr) || !dispatch) throw errorFromHResult(FAILED(hr) ? hr : E_NOINTERFACE, doing + " \"" + progId + "\"");
    return take<Application>(session_->wrap(dispatch.get(), ObjectKind::Application), "an application");
}

void MessageBoxUserInterface::messageBox(const std::string& text) {
    MessageBoxW(nullptr, widen(text).c_str(), nullptr, MB_OK);
}

}  // namespace corvex::cadhost::com
