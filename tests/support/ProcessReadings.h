#pragma once
// Readings of what a process holds, for tests and benchmarks that must show nothing grows.
// Wine keeps no private-bytes or handle counter (both read 0), so besides the counters
// there are two readings that work everywhere: the bytes in use on every heap, and the
// value of the next handle the process is given, which climbs when handles leak.
// Header-only, so the benchmarks can use it without the test library.

#include <windows.h>

#include <psapi.h>

#include <cstdint>
#include <vector>

namespace comtest {

inline SIZE_T heapBytesInUse()
{
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    SIZE_T total = 0;
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap)) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        HeapUnlock(heap);
    }
    return total;
}

inline std::uintptr_t nextHandleValue()
{
    HANDLE probe = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!probe) return 0;
    CloseHandle(probe);
    return reinterpret_cast<std::uintptr_t>(probe);
}

// The private bytes where the platform counts them, else the page-file usage, which is
// the same figure on Windows and is kept by Wine.
inline SIZE_T privateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
        return 0;
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

}  // namespace comtest
