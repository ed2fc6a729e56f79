#pragma once
// The DLL as a whole: its handle, and the counts that decide when it may be unloaded
// (objects alive and class-factory locks). Apartment-threaded objects can still be released
// from several threads' apartments, so the counts are interlocked.
#include <windows.h>

#include <string>

namespace corvex::com {

HMODULE moduleHandle();
std::wstring modulePath();

void objectCreated();
void objectDestroyed();
void lockModule(bool lock);
bool moduleInUse();

}  // namespace corvex::com
