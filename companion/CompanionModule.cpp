// The stand-in companion's module: entry points, class factory and registration.

#include "CompanionModule.h"

#include <objbase.h>

#include "clsKvOstrel10A.h"
#include "clsKvorErrorHandlerA.h"
#include "frame/Handles.h"

namespace ostrel {
namespace module {
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
void setInstance(HINSTANCE instance) noexcept { g_instance = instance; }
}  // namespace module

const VARIANT* argumentAt(const DISPPARAMS& params, UINT index) noexcept
{
    if (index >= params.cArgs || !params.rgvarg) return nullptr;
    const VARIANT* arg = &params.rgvarg[params.cArgs - 1 - index];  // arguments arrive last first
    if (V_VT(arg) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(arg)) arg = V_VARIANTREF(arg);
    return arg;
}

namespace {

using morvel::ComPtr;
using morvel::UniqueHKey;

struct ClassEntry {
    const CLSID* clsid;
    const wchar_t* progId;
    HRESULT (*create)(REFIID, void**) noexcept;
};

// {AE9C2519-79BD-495E-8AEE-6229D5626BB2}
const CLSID CLSID_clsKvOstrel10A = {0xAE9C2519, 0x79BD, 0x495E, {0x8A, 0xEE, 0x62, 0x29, 0xD5, 0x62, 0x6B, 0xB2}};
// {037EFB0B-5ED9-4548-8D29-6A4DC4D3E8E8}
const CLSID CLSID_clsKvorErrorHandlerA = {0x037EFB0B, 0x5ED9, 0x4548, {0x8D, 0x29, 0x6A, 0x4D, 0xC4, 0xD3, 0xE8, 0xE8}};

const ClassEntry classes[] = {
    {&CLSID_clsKvOstrel10A, L"Ostrel10.clsKvOstrel10A", &clsKvOstrel10A::create},
    {&CLSID_clsKvorErrorHandlerA, L"Ostrel10.clsKvorErrorHandlerA", &clsKvorErrorHandlerA::create},
};

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(const ClassEntry& entry) noexcept : entry_(entry) { module::objectCreated(); }
    ~ClassFactory() { module::objectDestroyed(); }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return entry_.create(iid, object);
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        if (lock)
            module::lock();
        else
            module::unlock();
        return S_OK;
    }

private:
    const ClassEntry& entry_;
    std::atomic<ULONG> references_{0};
};

std::wstring guidText(const GUID& guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

HRESULT setValue(const std::wstring& subkey, const wchar_t* name, const std::wstring& value)
{
    UniqueHKey key;
    LONG status = RegCreateKeyExW(HKEY_CLASSES_ROOT, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    return HRESULT_FROM_WIN32(status);
}

HRESULT deleteTree(const std::wstring& subkey)
{
    LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, subkey.c_str());
    if (status == ERROR_FILE_NOT_FOUND) return S_OK;
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    status = RegDeleteKeyW(HKEY_CLASSES_ROOT, subkey.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

}  // namespace
}  // namespace ostrel

using namespace ostrel;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        module::setInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** factory)
{
    if (!factory) return E_POINTER;
    *factory = nullptr;
    for (const ClassEntry& entry : classes) {
        if (!IsEqualCLSID(clsid, *entry.clsid)) continue;
        auto* fresh = new (std::nothrow) ClassFactory(entry);
        if (!fresh) return E_OUTOFMEMORY;
        fresh->AddRef();
        const HRESULT hr = fresh->QueryInterface(iid, factory);
        fresh->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return module::canUnload() ? S_OK : S_FALSE; }

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer()
{
    try {
        const std::wstring modulePath = module::path();
        if (modulePath.empty()) return HRESULT_FROM_WIN32(GetLastError());
        for (const ClassEntry& entry : classes) {
            const std::wstring progId = entry.progId;
            const std::wstring clsidKey = L"CLSID\\" + guidText(*entry.clsid);
            const HRESULT steps[] = {
                setValue(progId, nullptr, progId),
                setValue(progId + L"\\CLSID", nullptr, guidText(*entry.clsid)),
                setValue(clsidKey, nullptr, progId),
                setValue(clsidKey + L"\\ProgID", nullptr, progId),
                setValue(clsidKey + L"\\InprocServer32", nullptr, modulePath),
                setValue(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"),
            };
            for (HRESULT hr : steps)
                if (FAILED(hr)) return hr;
        }
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    try {
        HRESULT result = S_OK;
        for (const ClassEntry& entry : classes) {
            for (const std::wstring& key : {std::wstring(entry.progId), L"CLSID\\" + guidText(*entry.clsid)}) {
                if (HRESULT hr = deleteTree(key); FAILED(hr) && SUCCEEDED(result)) result = hr;
            }
        }
        return result;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
