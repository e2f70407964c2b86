#pragma once
// What every in-process server DLL of this project keeps about itself: its instance handle
// and path, and the count of live objects and server locks that DllCanUnloadNow answers
// from. ServerModule.cpp is compiled into each DLL, so each keeps its own.

#include <windows.h>

#include <string>

namespace morvel::module {

// Set by the DLL's entry point when it is loaded.
HINSTANCE instance() noexcept;

// Full path of a loaded module, however long; empty on failure, with the thread's last
// error telling why.
std::wstring pathOf(HMODULE module);
// Full path of this DLL (not of the host program); empty on failure.
std::wstring path();

void objectCreated() noexcept;
void objectDestroyed() noexcept;
void lock() noexcept;
void unlock() noexcept;
bool canUnload() noexcept;

// The counting policy of UnknownImpl for objects that keep this DLL loaded.
struct ObjectCount {
    static void created() noexcept { objectCreated(); }
    static void destroyed() noexcept { objectDestroyed(); }
};

}  // namespace morvel::module
