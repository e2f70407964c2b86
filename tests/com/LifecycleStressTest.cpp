// The library's lifecycle under load: many create/call/release cycles in one process,
// objects on eight apartment threads at once (each with its own library slot), and the
// DLL loaded and unloaded many times. Nothing may be left behind: no object keeping the
// module alive, no handle, no thread, no growth of private memory.

#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "library/Published.h"
#include "tests/support/ComTestSupport.h"
#include "tests/support/ProcessReadings.h"

using namespace comtest;

namespace {

using ServerEntry = HRESULT(STDAPICALLTYPE*)();
using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

// One cheap late-bound call that every class answers: its type information.
bool touch(IDispatch* object)
{
    UINT count = 0;
    if (FAILED(object->GetTypeInfoCount(&count)) || count != 1) return false;
    ComPtr<ITypeInfo> info;
    return SUCCEEDED(object->GetTypeInfo(0, 0x0409, info.put())) && info;
}

// The process counters, and two readings that work where a counter is not kept (Wine
// answers 0 for the handle count and the private bytes): the value of the next handle the
// process is given, which climbs when handles leak, and the bytes in use on every heap.
struct ProcessCounters {
    DWORD handles = 0;
    std::uintptr_t nextHandle = 0;
    SIZE_T privateBytes = 0;
    SIZE_T heapBytes = 0;
    DWORD threads = 0;
};

ProcessCounters countersNow()
{
    ProcessCounters out;
    GetProcessHandleCount(GetCurrentProcess(), &out.handles);
    out.nextHandle = nextHandleValue();
    out.privateBytes = privateBytes();
    out.heapBytes = heapBytesInUse();
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        THREADENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
            if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++out.threads;
        CloseHandle(snapshot);
    }
    return out;
}

}  // namespace

TEST(Lifecycle, TenThousandCyclesOfEveryClass)
{
    Apartment apartment;
    for (const wchar_t* progId : progIds) {
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(progId, &clsid), S_OK) << progId;
        for (int i = 0; i < 10000; ++i) {
            ComPtr<IDispatch> object;
            ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.putVoid()), S_OK)
                << progId << " cycle " << i;
            ASSERT_TRUE(touch(object.get())) << progId << " cycle " << i;
        }
    }
}

// Every thread is its own apartment with its own library slot: the buddy object one thread
// sets is the one that thread reads back, whatever the others do at the same time.
TEST(Lifecycle, EightApartmentsAtOnceEachWithItsOwnSlot)
{
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t, &failures] {
            if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
                ++failures;
                return;
            }
            {
                ComPtr<IDispatch> library = create(L"Morvel10.clsKvMorvel10A");
                ComPtr<IDispatch> mine = create(L"Morvel10.clsKvHlpfHtmlA");
                if (!library || !mine) ++failures;
                for (int i = 0; library && mine && i < 200; ++i) {
                    VARIANT buddy{};
                    V_VT(&buddy) = VT_DISPATCH;
                    V_DISPATCH(&buddy) = mine.get();
                    DISPID id = 0;
                    LPOLESTR name = const_cast<LPOLESTR>(L"BuddyObjectGlobal");
                    DISPID putId = DISPID_PROPERTYPUT;
                    DISPPARAMS put{&buddy, &putId, 1, 1};
                    if (FAILED(library->GetIDsOfNames(IID_NULL, &name, 1, 0, &id)) ||
                        FAILED(library->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUTREF, &put, nullptr, nullptr,
                                               nullptr))) {
                        ++failures;
                        break;
                    }
                    Variant seen = get(library.get(), L"BuddyObjectGlobal");
                    if (V_VT(seen.get()) != VT_DISPATCH || V_DISPATCH(seen.get()) != mine.get()) ++failures;
                    ComPtr<IDispatch> other = create(progIds[(t + i) % std::size(progIds)]);
                    if (!other || !touch(other.get())) ++failures;
                }
            }
            CoUninitialize();
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);

    // Every apartment has gone: nothing of the library is alive any more.
    HMODULE module = GetModuleHandleW(env(L"MORVEL_DLL").c_str());
    if (module) {
        auto canUnload = reinterpret_cast<ServerEntry>(GetProcAddress(module, "DllCanUnloadNow"));
        ASSERT_TRUE(canUnload);
        EXPECT_EQ(canUnload(), S_OK);
    }
}

// Loading, using and unloading the DLL a thousand times leaves no handle, thread or memory
// behind; the first rounds warm the platform's own caches up.
TEST(Lifecycle, LoadingAndUnloadingLeavesNothingBehind)
{
    Apartment apartment;
    const std::wstring dll = env(L"MORVEL_DLL");
    auto round = [&] {
        HMODULE module = LoadLibraryW(dll.c_str());
        if (!module) return false;
        auto getClassObject = reinterpret_cast<GetClassObject>(GetProcAddress(module, "DllGetClassObject"));
        auto canUnload = reinterpret_cast<ServerEntry>(GetProcAddress(module, "DllCanUnloadNow"));
        bool ok = getClassObject && canUnload;
        if (ok) {
            ComPtr<IClassFactory> factory;
            ComPtr<IDispatch> object;
            ok = SUCCEEDED(getClassObject(CLSID_clsKvHlpfHtmlA, IID_IClassFactory, factory.putVoid())) &&
                 SUCCEEDED(factory->CreateInstance(nullptr, IID_IDispatch, object.putVoid())) && touch(object.get());
        }
        ok = ok && canUnload() == S_OK;
        return FreeLibrary(module) && ok;
    };
    for (int i = 0; i < 50; ++i) ASSERT_TRUE(round()) << "warm-up round " << i;
    const ProcessCounters before = countersNow();
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(round()) << "round " << i;
    const ProcessCounters after = countersNow();
    EXPECT_LE(after.handles, before.handles);
    EXPECT_LE(after.nextHandle, before.nextHandle + 16 * sizeof(void*)) << "handles are left open";
    EXPECT_LE(after.threads, before.threads);
    EXPECT_LT(after.privateBytes, before.privateBytes + 64 * 1024);
    EXPECT_LT(after.heapBytes, before.heapBytes + 64 * 1024);
    std::printf("load/unload x1000: handle count %lu -> %lu, next handle %#zx -> %#zx, threads %lu -> %lu, "
                "private bytes %zu -> %zu, heap bytes in use %zu -> %zu\n",
                before.handles, after.handles, static_cast<size_t>(before.nextHandle),
                static_cast<size_t>(after.nextHandle), before.threads, after.threads,
                static_cast<size_t>(before.privateBytes), static_cast<size_t>(after.privateBytes),
                static_cast<size_t>(before.heapBytes), static_cast<size_t>(after.heapBytes));
}
