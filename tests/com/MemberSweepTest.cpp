// Every member of every class, late-bound, with the arguments a hostile or careless host
// sends. The members come from the type library, not from a list: a member added later is
// swept too. The host must survive; every failure is a proper status code, and one reported
// through EXCEPINFO carries a failing code, a source and a description; no call leaves a
// reference on the object or on an object it was given.
//
// The help engine is the recording stand-in (the test runs through with-recorder.sh),
// WinHelpA and WinHelpW are taken over in the library's import table, message boxes are
// recorded and dismissed, and the HTML Help file list is put back as it was after every round.
// MORVEL_SWEEP_ROUNDS=<n> runs n rounds in one process and prints the memory readings
// after each (tools/sweep.sh); the last two rounds must not grow.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "comkit/Handles.h"
#include "tests/support/ComTestSupport.h"
#include "tests/support/HelpFileList.h"
#include "tests/support/ProcessReadings.h"
#include "tests/support/TypeLibraryWalk.h"

using namespace comtest;

namespace {

template <class Char>
BOOL WINAPI quietWinHelp(HWND, const Char*, UINT, ULONG_PTR)
{
    return TRUE;
}

// The creatable classes of the library with their own members, restricted ones left out.
struct SweptClass {
    std::wstring name;
    CLSID clsid;
    std::vector<Function> members;
};

std::vector<SweptClass> classesOfTheLibrary()
{
    std::vector<SweptClass> out;
    const TypeLibraryWalk walk(env(L"MORVEL_DLL"));
    for (const TypeEntry* coclass : walk.ofKind(TKIND_COCLASS)) {
        if (!(coclass->attr->wTypeFlags & TYPEFLAG_FCANCREATE)) continue;
        SweptClass swept{coclass->name, coclass->attr->guid, {}};
        for (Function& f : functions(defaultInterface(coclass->info.get()).get()))
            if (f.desc && !f.names.empty() && !(f.desc->wFuncFlags & FUNCFLAG_FRESTRICTED))
                swept.members.push_back(std::move(f));
        out.push_back(std::move(swept));
    }
    return out;
}

// The hostile values, built once and passed by value (the callee must not free them).
struct HostileArguments {
    std::vector<std::pair<const wchar_t*, VARIANT>> kinds;
    ProbeObject::State probeState;

    HostileArguments()
    {
        auto plain = [](VARTYPE vt) {
            VARIANT v;
            VariantInit(&v);
            V_VT(&v) = vt;
            return v;
        };
        auto text = [](std::wstring s) {
            VARIANT v;
            VariantInit(&v);
            V_VT(&v) = VT_BSTR;
            V_BSTR(&v) = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
            return v;
        };
        kinds.emplace_back(L"empty", plain(VT_EMPTY));
        kinds.emplace_back(L"null", plain(VT_NULL));
        kinds.emplace_back(L"I4 min", vI4(std::numeric_limits<LONG>::min()));
        kinds.emplace_back(L"I4 max", vI4(std::numeric_limits<LONG>::max()));
        kinds.emplace_back(L"I2 min", vI2(std::numeric_limits<SHORT>::min()));
        kinds.emplace_back(L"I2 max", vI2(std::numeric_limits<SHORT>::max()));
        VARIANT byte = plain(VT_UI1);
        V_UI1(&byte) = 255;
        kinds.emplace_back(L"UI1 max", byte);
        VARIANT nan = plain(VT_R8);
        V_R8(&nan) = std::numeric_limits<double>::quiet_NaN();
        kinds.emplace_back(L"NaN", nan);
        kinds.emplace_back(L"null BSTR", plain(VT_BSTR));
        kinds.emplace_back(L"empty BSTR", text(L""));
        kinds.emplace_back(L"1 MiB BSTR", text(std::wstring(512 * 1024, L'x')));  // 2 bytes a character
        kinds.emplace_back(L"embedded NUL", text(std::wstring(L"Help\0.chm", 9)));
        kinds.emplace_back(L"UNC path", text(L"\\\\nohost.invalid\\share\\Help.chm"));
        kinds.emplace_back(L"wildcard", text(L"C:\\*\\?.ch*"));
        kinds.emplace_back(L"null dispatch", plain(VT_DISPATCH));
        VARIANT missing = plain(VT_ERROR);
        V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
        kinds.emplace_back(L"missing", missing);
        for (VARTYPE vt : std::initializer_list<VARTYPE>{VT_I2, VT_I4, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BSTR,
                                                         VT_DISPATCH, VT_ERROR, VT_BOOL, VT_VARIANT, VT_UNKNOWN,
                                                         VT_DECIMAL, VT_UI1, VARTYPE(VT_ARRAY | VT_VARIANT)}) {
            VARIANT ref = plain(VT_BYREF | vt);
            V_BYREF(&ref) = nullptr;
            kinds.emplace_back(L"null reference", ref);
        }
        VARIANT array = plain(VT_ARRAY | VT_VARIANT);
        V_ARRAY(&array) = SafeArrayCreateVector(VT_VARIANT, 0, 3);
        for (LONG i = 0; i < 3; ++i) {
            VARIANT element = vI4(i);
            SafeArrayPutElement(V_ARRAY(&array), &i, &element);
        }
        kinds.emplace_back(L"array", array);
        VARIANT probe = plain(VT_DISPATCH);
        V_DISPATCH(&probe) = ProbeObject::create(probeState, 1, true);
        kinds.emplace_back(L"object", probe);
    }
    ~HostileArguments()
    {
        for (auto& kind : kinds) VariantClear(&kind.second);
    }
    HostileArguments(const HostileArguments&) = delete;
    HostileArguments& operator=(const HostileArguments&) = delete;
};

ULONG references(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

class Sweep {
public:
    explicit Sweep(HostileArguments& hostile) : hostile_(hostile) {}

    void member(const SweptClass& swept, const Function& m)
    {
        const INVOKEKIND kind = m.desc->invkind;
        const bool put = kind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF);
        const WORD flags = kind == INVOKE_FUNC          ? DISPATCH_METHOD
                           : kind == INVOKE_PROPERTYGET ? DISPATCH_PROPERTYGET
                           : kind == INVOKE_PROPERTYPUT ? DISPATCH_PROPERTYPUT
                                                        : DISPATCH_PROPERTYPUTREF;
        const UINT n = static_cast<UINT>(m.declared());
        const std::vector<VARIANT> benign(n + 1, vI4(0));
        auto firstN = [&](UINT count) { return std::vector<VARIANT>(benign.begin(), benign.begin() + count); };

        // The argument counts: none, as declared, one too many (also as a script's get).
        invoke(swept, m, flags, {}, put, L"no arguments");
        invoke(swept, m, flags, firstN(n), put, L"declared count");
        invoke(swept, m, flags, firstN(n + 1), put, L"one too many");
        if (!put) invoke(swept, m, DISPATCH_METHOD | DISPATCH_PROPERTYGET, firstN(n + 1), false, L"one too many");
        // Each hostile value in each position.
        for (UINT position = 0; position < n; ++position)
            for (const auto& [kind, value] : hostile_.kinds) {
                std::vector<VARIANT> args = firstN(n);
                args[position] = value;
                invoke(swept, m, flags, args, put, kind);
            }
        // Named arguments: a parameter the member has, and one it has not.
        for (DISPID named : {DISPID(0), DISPID(99)}) {
            std::vector<VARIANT> args = firstN(std::max<UINT>(n, 1));
            invoke(swept, m, flags, args, put, named == 0 ? L"named argument" : L"unknown named argument", named);
        }
        // A put without the property-put id, as some hosts send it.
        if (put) invoke(swept, m, flags, firstN(n), false, L"put without its id");
    }

    int calls() const { return calls_; }
    int failures() const { return failures_; }

private:
    void invoke(const SweptClass& swept, const Function& m, WORD flags, std::vector<VARIANT> args, bool putId,
                const wchar_t* kind, std::optional<DISPID> named = std::nullopt)
    {
        ++calls_;
        const std::wstring what = swept.name + L"." + m.name() + L" with " + kind;
        if (trace_)
            std::printf("%ls (%u arguments)\n", what.c_str(), static_cast<unsigned>(args.size())), std::fflush(stdout);
        ComPtr<IDispatch> object;
        ASSERT_EQ(CoCreateInstance(swept.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(object.put())),
                  S_OK)
            << swept.name.c_str();
        const ULONG before = references(object.get());
        const long probeBefore = hostile_.probeState.references;

        std::vector<VARIANT> reversed(args.rbegin(), args.rend());  // arguments travel last first
        std::vector<DISPID> names;
        if (putId) names.push_back(DISPID_PROPERTYPUT);
        if (named) names.push_back(*named);
        // Named arguments come first in rgvarg, in the order of their ids.
        DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), names.empty() ? nullptr : names.data(),
                          static_cast<UINT>(reversed.size()),
                          static_cast<UINT>(std::min(names.size(), reversed.size()))};
        Variant result;
        EXCEPINFO exception{};
        UINT argError = 0;
        const bool wantsResult = !(flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF));
        const HRESULT hr = object->Invoke(m.desc->memid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                          wantsResult ? result.get() : nullptr, &exception, &argError);
        // The arguments are the caller's: a member may write only through a reference.
        for (size_t i = 0; i < args.size(); ++i)
            if (std::memcmp(&reversed[args.size() - 1 - i], &args[i], sizeof(VARIANT)) != 0)
                fail(what, L"changed an argument the caller passed by value", hr);
        const Bstr source = Bstr::adopt(exception.bstrSource);
        const Bstr description = Bstr::adopt(exception.bstrDescription);
        const Bstr helpFile = Bstr::adopt(exception.bstrHelpFile);

        if (FAILED(hr)) {
            const bool proper = HRESULT_FACILITY(hr) == FACILITY_DISPATCH || hr == E_INVALIDARG ||
                                hr == E_OUTOFMEMORY || HRESULT_FACILITY(hr) == FACILITY_CONTROL;
            if (!proper) fail(what, L"answered an improper status", hr);
        }
        if (hr == DISP_E_EXCEPTION) {
            const HRESULT code = exception.wCode ? MAKE_HRESULT(1, FACILITY_CONTROL, exception.wCode) : exception.scode;
            if (!FAILED(code)) fail(what, L"raised an exception with no failing code", code);
            if (SysStringLen(source.get()) == 0) fail(what, L"raised an exception without a source", code);
            if (SysStringLen(description.get()) == 0) fail(what, L"raised an exception without a description", code);
        }
        if (references(object.get()) != before) fail(what, L"left a reference on the object", hr);
        object.reset();
        // A property may keep an object beyond its own object's life (a global setting):
        // setting it to Nothing must let go of it again.
        if (hostile_.probeState.references != probeBefore && (flags & DISPATCH_PROPERTYPUTREF)) clear(swept, m);
        if (hostile_.probeState.references != probeBefore) fail(what, L"left a reference on its argument", hr);
    }

    void clear(const SweptClass& swept, const Function& m)
    {
        ComPtr<IDispatch> object;
        if (FAILED(CoCreateInstance(swept.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                    reinterpret_cast<void**>(object.put()))))
            return;
        VARIANT nothing;
        VariantInit(&nothing);
        V_VT(&nothing) = VT_DISPATCH;
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{&nothing, &put, 1, 1};
        object->Invoke(m.desc->memid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUTREF, &params, nullptr, nullptr,
                       nullptr);
    }

    void fail(const std::wstring& what, const wchar_t* problem, HRESULT hr)
    {
        ++failures_;
        ADD_FAILURE() << std::string(what.begin(), what.end()) << ": "
                      << std::string(problem, problem + wcslen(problem)) << " (0x" << std::hex << hr << ")";
    }

    HostileArguments& hostile_;
    int calls_ = 0;
    int failures_ = 0;
    const bool trace_ = !env(L"MORVEL_SWEEP_TRACE").empty();  // each call before it is made
};

bool helpEngineIsTheRecorder()
{
    // The recorder exports HtmlHelpA alone; the platform's engine is also a COM server.
    HMODULE engine = LoadLibraryExA("hhctrl.ocx", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!engine) return false;
    const bool recorder = GetProcAddress(engine, "HtmlHelpA") && !GetProcAddress(engine, "DllGetClassObject");
    FreeLibrary(engine);
    return recorder;
}

}  // namespace

TEST(MemberSweep, EveryMemberOfEveryClassSurvivesHostileArguments)
{
    ASSERT_TRUE(helpEngineIsTheRecorder()) << "run through tests/hhrecorder/with-recorder.sh";
    Apartment apartment;
    MessageBoxRecorder boxes;
    // Keep the library loaded for the whole sweep, so its import table stays redirected.
    HMODULE module = LoadLibraryW(env(L"MORVEL_DLL").c_str());
    ASSERT_TRUE(module);
    std::optional<ImportHook> winHelpA, winHelpW;
    winHelpA.emplace(module, "user32.dll", "WinHelpA", reinterpret_cast<void*>(&quietWinHelp<char>));
    winHelpW.emplace(module, "user32.dll", "WinHelpW", reinterpret_cast<void*>(&quietWinHelp<wchar_t>));
    ASSERT_TRUE(winHelpA->installed() && winHelpW->installed());

    const std::vector<SweptClass> classes = classesOfTheLibrary();
    ASSERT_GE(classes.size(), 5u);
    size_t memberCount = 0;
    for (const auto& c : classes) memberCount += c.members.size();
    ASSERT_GT(memberCount, 0u);

    const std::wstring roundsText = env(L"MORVEL_SWEEP_ROUNDS");
    const int rounds = roundsText.empty() ? 1 : std::max(1, _wtoi(roundsText.c_str()));
    // HHRegister and HHUnRegister change the list with whatever the sweep hands them.
    const fileList::Values list = fileList::read();
    std::vector<SIZE_T> heap;
    std::vector<std::uintptr_t> handles;
    {
        HostileArguments hostile;
        for (int round = 1; round <= rounds; ++round) {
            const auto start = std::chrono::steady_clock::now();
            Sweep sweep(hostile);
            for (const auto& c : classes)
                for (const auto& m : c.members) sweep.member(c, m);
            const int restored = fileList::restore(list);
            CoFreeUnusedLibraries();
            heap.push_back(heapBytesInUse());
            handles.push_back(nextHandleValue());
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::printf("sweep round %d: %zu classes, %zu members, %d calls, %zu message boxes, %d list values put "
                        "back, %.1f s; heap bytes in use %zu, next handle %#zx\n",
                        round, classes.size(), memberCount, sweep.calls(), boxes.boxes().size(), restored, seconds,
                        static_cast<size_t>(heap.back()), static_cast<size_t>(handles.back()));
            std::fflush(stdout);
            boxes.clear();
            if (sweep.failures() > 0) break;
        }
        EXPECT_EQ(hostile.probeState.references, 1) << "the objects kept the argument object";
    }
    EXPECT_EQ(fileList::read(), list) << "the HTML Help file list was not put back";
    if (heap.size() >= 3) {
        const size_t n = heap.size();
        EXPECT_LT(heap[n - 1], heap[n - 2] + 64 * 1024) << "heap grew over the last round";
        EXPECT_LE(handles[n - 1], handles[n - 2] + 16 * sizeof(void*)) << "handles grew over the last round";
        std::printf("growth over the last round: heap %+lld bytes, next handle %+lld\n",
                    static_cast<long long>(heap[n - 1]) - static_cast<long long>(heap[n - 2]),
                    static_cast<long long>(handles[n - 1]) - static_cast<long long>(handles[n - 2]));
    }
    winHelpA.reset();
    winHelpW.reset();
    FreeLibrary(module);
}
