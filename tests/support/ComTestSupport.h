#pragma once
// Helpers shared by the COM tests: an apartment per test, creation by ProgID, late-bound
// calls by member name, a recorder that dismisses and records message boxes, and a
// snapshot of the registry's class keys.

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "comkit/Handles.h"
#include "tests/support/Environment.h"
#include "tests/support/MessageBoxReading.h"
#include "tests/support/TempLog.h"

namespace comtest {

using morvel::Bstr;
using morvel::ComPtr;
using morvel::Variant;

struct Apartment {
    Apartment() { hr = CoInitialize(nullptr); }
    ~Apartment()
    {
        if (SUCCEEDED(hr)) CoUninitialize();
    }
    HRESULT hr;
};

// The library's classes by ProgID, in the order of its class table.
inline const wchar_t* const progIds[] = {L"Morvel10.clsKvMorvel10A", L"Morvel10.clsKvHlpfHtmlA",
                                         L"Morvel10.clsKvHlpfHlpA", L"Morvel10.clsKvHlpfGeneralA",
                                         L"Morvel10.clsKvHlpfAdvancedA"};

ComPtr<IDispatch> create(const wchar_t* progId);

struct CallResult {
    HRESULT hr = S_OK;
    Variant value;
    EXCEPINFO exception{};
    CallResult() = default;
    CallResult(CallResult&& other) noexcept : hr(other.hr), value(std::move(other.value)), exception(other.exception)
    {
        other.exception = {};
    }
    ~CallResult();
    std::wstring source() const { return exception.bstrSource ? exception.bstrSource : L""; }
    std::wstring description() const { return exception.bstrDescription ? exception.bstrDescription : L""; }
};

// Late-bound call by name; `args` in natural (left to right) order. For DISPATCH_PROPERTYPUT
// and PUTREF the last argument is the new value.
CallResult call(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args = {});
// A method call with one text in a variable, passed by reference as a script passes it;
// `text` ends as the variable does.
CallResult callWithText(IDispatch* object, const wchar_t* member, std::wstring& text);
Variant get(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args = {});
void put(IDispatch* object, const wchar_t* name, VARIANT value);

// A VARIANT of `type`, its value filled in by `fill`.
template <class Fill>
VARIANT variantOf(VARTYPE type, Fill fill)
{
    VARIANT x;
    VariantInit(&x);
    V_VT(&x) = type;
    fill(x);
    return x;
}
VARIANT vI4(LONG v);
VARIANT vI2(SHORT v);
VARIANT vBool(VARIANT_BOOL v);
VARIANT vStr(const wchar_t* text);  // owns a new BSTR: free with VariantClear or pass to call()
VARIANT vRef(VARIANT* target);      // VT_BYREF|VT_VARIANT, as a script passes a variable
std::wstring str(const VARIANT* v);

// Records every message box shown on this thread and presses OK on it.
class MessageBoxRecorder {
public:
    using Box = MessageBoxReading;
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
    const std::vector<Box>& boxes() const { return boxes_; }
    void clear() { boxes_.clear(); }

private:
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_ = nullptr;
    std::vector<Box> boxes_;
};

// A test's own automation object: counts its references, remembers that it was destroyed,
// and answers its default value (DISPID_VALUE) with `value` (or fails when it is Empty).
class ProbeObject final : public IDispatch {
public:
    struct State {
        std::atomic<long> references{0};
        std::atomic<bool> destroyed{false};
    };
    // Created with one reference, which the caller owns; `state` must outlive the object.
    static IDispatch* create(State& state, LONG value = 0, bool hasValue = false);

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override;

private:
    ProbeObject(State& state, LONG value, bool hasValue) : state_(state), value_(value), hasValue_(hasValue) {}
    State& state_;
    LONG value_;
    bool hasValue_;
};

// The companion stand-in's log of calls for as long as this lives (MORVEL_COMPANION_LOG).
class CompanionLog : public TempLog {
public:
    CompanionLog() : TempLog(L"MORVEL_COMPANION_LOG", L"ost") {}
    // One entry per call: the fields between " | " (the member first).
    std::vector<std::vector<std::wstring>> calls() const;
};

// Removes the registration of some of the companion's classes (by ProgID) for as long as
// this lives; the companion registers itself again afterwards.
class CompanionClassesRemoved {
public:
    explicit CompanionClassesRemoved(std::vector<std::wstring> progIds);
    ~CompanionClassesRemoved();
    CompanionClassesRemoved(const CompanionClassesRemoved&) = delete;
    CompanionClassesRemoved& operator=(const CompanionClassesRemoved&) = delete;
};

// Points one entry of a module's import table at `replacement` for as long as this lives.
// The module must stay loaded meanwhile.
class ImportHook {
public:
    ImportHook(HMODULE module, const char* dll, const char* function, void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;
    bool installed() const { return slot_ != nullptr; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

// Every key and value below the class roots, as "path|name" -> "type:data".
std::map<std::wstring, std::wstring> snapshotClasses(bool withMachine = true);  // false: the user's alone

// What `after` holds that `before` does not (or holds otherwise): "lost or changed ..." and
// "left behind ..." lines, empty when the two are equal. Keys whose path starts with one of
// `ignored` are left out.
std::vector<std::wstring> registryDifferences(const std::map<std::wstring, std::wstring>& before,
                                              const std::map<std::wstring, std::wstring>& after,
                                              const std::vector<std::wstring>& ignored = {});

// Creates a class from the user's classes alone, as Windows does through its merged view of
// HKEY_CLASSES_ROOT: ProgID -> CLSID -> InprocServer32 below HKEY_CURRENT_USER\Software\Classes,
// then the server's own class factory. Wine's HKEY_CLASSES_ROOT shows the machine's classes
// only (measured), so its COM cannot find a per-user registration by itself. `module`
// receives the loaded server, which must outlive the object.
HRESULT createFromUserClasses(const std::wstring& progId, morvel::UniqueModule& module, IDispatch** object);

// Runs a program of the prefix (regsvr32, msiexec, cscript) and waits: its exit code, or -1.
DWORD runProgram(const std::wstring& commandLine);

// The registry views of this process: its own (KEY_WOW64_64KEY for a 64-bit process,
// KEY_WOW64_32KEY for a 32-bit one on 64-bit Windows) and the other one; both 0 on 32-bit
// Windows, which has a single view.
REGSAM ownRegistryView();
REGSAM otherRegistryView();
bool keyExists(HKEY root, const std::wstring& path, REGSAM view);

}  // namespace comtest
