#include "ServerModule.h"

#include <atomic>

namespace morvel::module {
namespace {

HINSTANCE g_instance = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

}  // namespace

HINSTANCE instance() noexcept { return g_instance; }

std::wstring path()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(g_instance, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

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
