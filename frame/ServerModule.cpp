#include "ServerModule.h"

#include <atomic>

namespace morvel::module {
namespace {

HINSTANCE g_instance = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

}  // namespace

HINSTANCE instance() noexcept { return g_instance; }

std::wstring pathOf(HMODULE module)
{
    // No path is longer than the longest the platform takes (32767 characters).
    constexpr size_t longest = 0x10000;
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        // Cut short (the name filled the buffer): try again with room to spare.
        if (buffer.size() >= longest) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring path() { return pathOf(g_instance); }

void objectCreated() noexcept { ++g_objects; }
void objectDestroyed() noexcept { --g_objects; }
void lock() noexcept { ++g_locks; }
void unlock() noexcept { --g_locks; }
bool canUnload() noexcept { return g_objects == 0 && g_locks == 0; }

}  // namespace morvel::module

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    // Nothing else happens here: no loading, no COM, nothing under the loader lock.
    if (reason == DLL_PROCESS_ATTACH) {
        morvel::module::g_instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
