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

// The C++ runtime linked into this DLL keeps an emergency pool for exceptions thrown when
// memory runs out (about 73 KiB), allocated at load and never given back on its own; a
// host that loads and unloads the DLL would lose it every time. The runtime frees it here.
namespace __gnu_cxx {
void __freeres() noexcept;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    // Nothing else happens here: no loading, no COM, nothing under the loader lock.
    if (reason == DLL_PROCESS_ATTACH) {
        morvel::module::g_instance = instance;
        DisableThreadLibraryCalls(instance);
#if defined(__i386__)
        // The x86 runtime registers this DLL's unwind tables under a lock of its threads
        // layer, which takes a TLS index, two handles and a few hundred bytes for the loading
        // thread and gives none of them back when the DLL is unloaded. A host that loads and
        // unloads the library again and again would run out of TLS indexes; so on x86 the
        // DLL stays loaded once it is loaded. (The x64 runtime unwinds through the
        // platform's tables and unloads cleanly.)
        HMODULE self = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(instance), &self);
#endif
    }
    // Only when the DLL is unloaded while the process goes on; at process exit the memory
    // goes with the process, and other threads may still be running.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) __gnu_cxx::__freeres();
    return TRUE;
}
