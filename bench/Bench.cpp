// Side-by-side timings of the library against the platform floor in one process, printed
// as a table of ratios (library / floor). Run by tools/bench.sh against a registered DLL;
// the figures are for reading, nothing here asserts on them.
//
//   Bench.exe [scale [help file]]   scale multiplies every loop count (default 1); with a
//                                   help file, the rows of a display command showing nothing

#include <windows.h>
#include <htmlhelp.h>
#include <oleauto.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "comkit/Handles.h"
#include "tests/support/ProcessReadings.h"

using morvel::Bstr;
using morvel::ComPtr;
using morvel::Variant;

using comtest::heapBytesInUse;
using comtest::privateBytes;

namespace {

constexpr DISPID HHTopicIDId = 0x6803001D;
constexpr DISPID GetWindowsVersionId = 0x6003003C;
constexpr DISPID HHCheckRegistryId = 0x60030029;
constexpr DISPID HHDisplayTopicIDId = 0x60030021;
constexpr DISPID CHMFileId = 0x68030017;
const char ListKey[] = "Software\\Microsoft\\Windows\\HTML Help";

double nowNs()
{
    static const double perNs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1e9;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / perNs;
}

// Nanoseconds per call, the best of three rounds (the machine is shared).
double timePerCall(long count, const std::function<void()>& body)
{
    for (long i = 0; i < count / 10 + 1; ++i) body();  // warm up
    double best = 1e300;
    for (int round = 0; round < 3; ++round) {
        const double start = nowNs();
        for (long i = 0; i < count; ++i) body();
        best = std::min(best, (nowNs() - start) / count);
    }
    return best;
}

void row(const char* what, double library, const char* floorName, double floor)
{
    std::printf("| %s | %.0f ns | %s: %.0f ns | %.2fx |\n", what, library, floorName, floor, library / floor);
    std::fflush(stdout);
}

ComPtr<IDispatch> create(const wchar_t* progId)
{
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(progId, &clsid))) return {};
    ComPtr<IDispatch> object;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.putVoid());
    return object;
}

// The vtable half of the object's dual interface and the object seen through it: what
// ITypeInfo::Invoke needs to call a member through its slot.
struct Floor {
    ComPtr<ITypeInfo> info;
    ComPtr<IUnknown> instance;
};

Floor floorOf(IDispatch* object)
{
    Floor f;
    ComPtr<ITypeInfo> described;
    if (FAILED(object->GetTypeInfo(0, 0, described.put()))) return f;
    HREFTYPE ref = 0;
    if (FAILED(described->GetRefTypeOfImplType(-1, &ref))) return f;
    if (FAILED(described->GetRefTypeInfo(ref, f.info.put()))) return f;
    TYPEATTR* attr = nullptr;
    if (FAILED(f.info->GetTypeAttr(&attr))) return f;
    const IID iid = attr->guid;
    f.info->ReleaseTypeAttr(attr);
    object->QueryInterface(iid, reinterpret_cast<void**>(f.instance.put()));
    return f;
}

HRESULT invoke(IDispatch* object, DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result)
{
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
}

HRESULT invokeFloor(const Floor& f, DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result)
{
    return f.info->Invoke(f.instance.get(), id, flags, &params, result, nullptr, nullptr);
}

struct Key {
    HKEY h = nullptr;
    ~Key()
    {
        if (h) RegCloseKey(h);
    }
};

void fileListRows(IDispatch* html, long scale)
{
    Key key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, ListKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.h, nullptr) !=
        ERROR_SUCCESS) {
        std::printf("| HHCheckRegistry | cannot open the file list |\n");
        return;
    }
    const char folder[] = "C:\\Bench";
    RegSetValueExA(key.h, "BenchProbe.chm", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder), sizeof folder);
    int listed = 0;
    for (int files : {10, 1000, 10000}) {
        for (; listed < files; ++listed) {
            char name[32];
            std::snprintf(name, sizeof name, "Bench%05d.chm", listed);
            RegSetValueExA(key.h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder), sizeof folder);
        }
        // The object keeps an index of the list only once the list has been left alone for a
        // second (until then every lookup enumerates it); the warm-up call makes the index.
        Sleep(1100);
        // A bare name that is not listed: a walk of the key has to rule out every value.
        const long count = 500 * scale;
        const double library = timePerCall(count, [&] {
            Variant file;
            V_VT(file.get()) = VT_BSTR;
            V_BSTR(file.get()) = SysAllocString(L"Absent.chm");
            VARIANT arg;
            V_VT(&arg) = VT_BYREF | VT_BSTR;
            V_BSTRREF(&arg) = &V_BSTR(file.get());
            DISPPARAMS params{&arg, nullptr, 1, 0};
            Variant result;
            invoke(html, HHCheckRegistryId, DISPATCH_METHOD, params, result.get());
        });
        const double floor = timePerCall(2000 * scale, [&] {
            char data[MAX_PATH];
            DWORD size = sizeof data, type = 0;
            RegQueryValueExA(key.h, "BenchProbe.chm", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        });
        char what[64];
        std::snprintf(what, sizeof what, "HHCheckRegistry, %d files listed", files);
        row(what, library, "RegQueryValueExA of one value", floor);
    }
    for (int i = 0; i < listed; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Bench%05d.chm", i);
        RegDeleteValueA(key.h, name);
    }
    RegDeleteValueA(key.h, "BenchProbe.chm");
}

void put(IDispatch* object, DISPID id, VARIANT value)
{
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    invoke(object, id, DISPATCH_PROPERTYPUT, params, nullptr);
}

// A display command the engine shows nothing for (an id the file does not map), against the
// engine called straight. Without a debugger the library does no more than the command; with
// one (the process's own flag set, as a debugger sets it) it reads the file to tell the
// debugger why, as every such call did before the library asked whether anyone listens.
void noWindowRows(IDispatch* html, long scale, const wchar_t* file)
{
    const morvel::UniqueModule engine(LoadLibraryW(L"hhctrl.ocx"));
    const auto htmlHelp = engine ? reinterpret_cast<decltype(&HtmlHelpW)>(
                                       reinterpret_cast<void*>(GetProcAddress(engine.get(), "HtmlHelpW")))
                                 : nullptr;
    if (!htmlHelp) {
        std::printf("| HHDisplayTopicID | the engine does not load |\n");
        return;
    }
    constexpr long UnmappedId = 987654;
    VARIANT value;
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(file);
    put(html, CHMFileId, value);
    VariantClear(&value);
    V_VT(&value) = VT_I4;
    V_I4(&value) = UnmappedId;
    put(html, HHTopicIDId, value);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    const long count = 50 * scale;
    const double floor = timePerCall(count, [&] { htmlHelp(nullptr, file, HH_HELP_CONTEXT, UnmappedId); });
    row("HHDisplayTopicID showing no window, no debugger",
        timePerCall(count, [&] { invoke(html, HHDisplayTopicIDId, DISPATCH_METHOD, none, nullptr); }),
        "HtmlHelpW straight", floor);
    NtCurrentTeb()->ProcessEnvironmentBlock->BeingDebugged = TRUE;
    row("HHDisplayTopicID showing no window, debugger attached",
        timePerCall(count, [&] { invoke(html, HHDisplayTopicIDId, DISPATCH_METHOD, none, nullptr); }),
        "HtmlHelpW straight", floor);
    NtCurrentTeb()->ProcessEnvironmentBlock->BeingDebugged = FALSE;
}

}  // namespace

int main(int argc, char** argv)
{
    const long scale = argc > 1 ? std::max(1L, std::atol(argv[1])) : 1;
    if (FAILED(CoInitialize(nullptr))) return 2;
    int status = 0;
    {
        ComPtr<IDispatch> html = create(L"Morvel10.clsKvHlpfHtmlA");
        ComPtr<IDispatch> dictionary = create(L"Scripting.Dictionary");
        if (!html || !dictionary) {
            std::fprintf(stderr, "cannot create the objects: is the library registered?\n");
            status = 1;
        } else {
            const Floor floor = floorOf(html.get());
            DISPPARAMS none{nullptr, nullptr, 0, 0};
            std::printf("| What | Library | Floor or peer, same run | Ratio |\n|---|---|---|---|\n");
            const long calls = 200000 * scale;
            row("property get HHTopicID, late-bound",
                timePerCall(calls,
                            [&] {
                                Variant r;
                                invoke(html.get(), HHTopicIDId, DISPATCH_PROPERTYGET, none, r.get());
                            }),
                "ITypeInfo::Invoke", timePerCall(calls, [&] {
                    Variant r;
                    invokeFloor(floor, HHTopicIDId, DISPATCH_PROPERTYGET, none, r.get());
                }));
            row("method GetWindowsVersion, late-bound",
                timePerCall(calls / 4,
                            [&] {
                                Variant r;
                                invoke(html.get(), GetWindowsVersionId, DISPATCH_METHOD, none, r.get());
                            }),
                "ITypeInfo::Invoke", timePerCall(calls / 4, [&] {
                    Variant r;
                    invokeFloor(floor, GetWindowsVersionId, DISPATCH_METHOD, none, r.get());
                }));
            LPOLESTR name = const_cast<LPOLESTR>(L"HHTopicID");
            DISPID id = 0;
            row("GetIDsOfNames HHTopicID", timePerCall(calls, [&] { html->GetIDsOfNames(IID_NULL, &name, 1, 0, &id); }),
                "ITypeInfo::GetIDsOfNames", timePerCall(calls, [&] { floor.info->GetIDsOfNames(&name, 1, &id); }));
            row("create + release clsKvHlpfHtmlA",
                timePerCall(20000 * scale, [] { create(L"Morvel10.clsKvHlpfHtmlA"); }), "Scripting.Dictionary",
                timePerCall(20000 * scale, [] { create(L"Scripting.Dictionary"); }));
            fileListRows(html.get(), scale);
            if (argc > 2) {
                const std::wstring file(argv[2], argv[2] + std::strlen(argv[2]));
                noWindowRows(html.get(), scale, file.c_str());
            }

            // Private bytes around 1,000,000 late-bound calls and 100,000 creations, after a
            // warm-up that has built every cache.
            const SIZE_T before = privateBytes(), heapBefore = heapBytesInUse();
            for (long i = 0; i < 1000000; ++i) {
                Variant r;
                invoke(html.get(), HHTopicIDId, DISPATCH_PROPERTYGET, none, r.get());
            }
            for (long i = 0; i < 100000; ++i) create(L"Morvel10.clsKvHlpfHtmlA");
            const SIZE_T after = privateBytes(), heapAfter = heapBytesInUse();
            std::printf("\nover 1,000,000 late-bound calls and 100,000 create/release: private bytes %+lld KiB, "
                        "heap bytes in use %+lld KiB\n",
                        (static_cast<long long>(after) - static_cast<long long>(before)) / 1024,
                        (static_cast<long long>(heapAfter) - static_cast<long long>(heapBefore)) / 1024);
        }
    }
    CoUninitialize();
    return status;
}
