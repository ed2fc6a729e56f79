#include "com/module.hpp"

namespace corvex::com {
namespace {

HMODULE module = nullptr;
LONG liveObjects = 0;
LONG locks = 0;

}  // namespace

HMODULE moduleHandle() { return module; }

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void objectCreated() { InterlockedIncrement(&liveObjects); }
void objectDestroyed() { InterlockedDecrement(&liveObjects); }
void lockModule(bool lock) { lock ? InterlockedIncrement(&locks) : InterlockedDecrement(&locks); }
bool moduleInUse() { return liveObjects > 0 || locks > 0; }

}  // namespace corvex::com

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        corvex::com::module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
