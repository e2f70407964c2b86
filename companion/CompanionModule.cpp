// The stand-in companion's module: class table, server entry points and registration.

#include "CompanionModule.h"

#include <objbase.h>

#include <string>

#include "clsKvOstrel10A.h"
#include "clsKvorErrorHandlerA.h"
#include "frame/ClassFactory.h"
#include "frame/ServerRegistry.h"

namespace ostrel {

const VARIANT* argumentAt(const DISPPARAMS& params, UINT index) noexcept
{
    if (index >= params.cArgs || !params.rgvarg) return nullptr;
    const VARIANT* arg = &params.rgvarg[params.cArgs - 1 - index];  // arguments arrive last first
    if (V_VT(arg) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(arg)) arg = V_VARIANTREF(arg);
    return arg;
}

namespace {

struct ClassEntry {
    const CLSID* clsid;
    const wchar_t* progId;
    morvel::CreateFunction create;
};

// {AE9C2519-79BD-495E-8AEE-6229D5626BB2}
const CLSID CLSID_clsKvOstrel10A = {0xAE9C2519, 0x79BD, 0x495E, {0x8A, 0xEE, 0x62, 0x29, 0xD5, 0x62, 0x6B, 0xB2}};
// {037EFB0B-5ED9-4548-8D29-6A4DC4D3E8E8}
const CLSID CLSID_clsKvorErrorHandlerA = {0x037EFB0B, 0x5ED9, 0x4548, {0x8D, 0x29, 0x6A, 0x4D, 0xC4, 0xD3, 0xE8, 0xE8}};

const ClassEntry classes[] = {
    {&CLSID_clsKvOstrel10A, L"Ostrel10.clsKvOstrel10A", &clsKvOstrel10A::create},
    {&CLSID_clsKvorErrorHandlerA, L"Ostrel10.clsKvorErrorHandlerA", &clsKvorErrorHandlerA::create},
};

}  // namespace
}  // namespace ostrel

using namespace ostrel;
namespace module = morvel::module;
namespace serverRegistry = morvel::serverRegistry;

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** factory)
{
    return morvel::getClassObject(classes, clsid, iid, factory);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return module::canUnload() ? S_OK : S_FALSE; }

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer()
{
    try {
        const std::wstring modulePath = module::path();
        if (modulePath.empty()) return HRESULT_FROM_WIN32(GetLastError());
        for (const ClassEntry& entry : classes)
            if (HRESULT hr = serverRegistry::registerClassKeys(*entry.clsid, entry.progId, modulePath); FAILED(hr))
                return hr;
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
            for (const std::wstring& key :
                 {std::wstring(entry.progId), L"CLSID\\" + serverRegistry::guidText(*entry.clsid)}) {
                if (HRESULT hr = serverRegistry::deleteTree(HKEY_CLASSES_ROOT, key); FAILED(hr) && SUCCEEDED(result))
                    result = hr;
            }
        }
        return result;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
