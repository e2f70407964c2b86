#include "Registration.h"

#include <string>

#include "ClassTable.h"
#include "Handles.h"
#include "Module.h"
#include "ServerRegistry.h"

namespace morvel {
namespace {

using serverRegistry::deleteTree;
using serverRegistry::guidText;
using serverRegistry::setValue;

HRESULT libraryAttributes(TLIBATTR& out)
{
    ComPtr<ITypeLib> library;
    if (HRESULT hr = module::typeLibrary(library.put()); FAILED(hr)) return hr;
    TLIBATTR* attr = nullptr;
    if (HRESULT hr = library->GetLibAttr(&attr); FAILED(hr)) return hr;
    out = *attr;
    library->ReleaseTLibAttr(attr);
    return S_OK;
}

}  // namespace

HRESULT registerServer() noexcept
{
    try {
        const std::wstring modulePath = module::path();
        if (modulePath.empty()) return HRESULT_FROM_WIN32(GetLastError());
        TLIBATTR lib{};
        if (HRESULT hr = libraryAttributes(lib); FAILED(hr)) return hr;
        const std::wstring libid = guidText(lib.guid);

        for (const ClassEntry& entry : classTable()) {
            const std::wstring progId = std::wstring(libraryName) + L"." + entry.name;
            const std::wstring clsidKey = L"CLSID\\" + guidText(*entry.clsid);
            HRESULT steps[] = {
                serverRegistry::registerClassKeys(*entry.clsid, progId, modulePath),
                setValue(HKEY_CLASSES_ROOT, clsidKey + L"\\TypeLib", nullptr, libid),
                setValue(HKEY_CLASSES_ROOT, clsidKey + L"\\VERSION", nullptr, L"1.0"),
            };
            for (HRESULT hr : steps)
                if (FAILED(hr)) return hr;
        }

        // Registering the library also registers its dual interfaces for marshalling.
        ComPtr<ITypeLib> library;
        if (HRESULT hr = module::typeLibrary(library.put()); FAILED(hr)) return hr;
        return RegisterTypeLib(library.get(), const_cast<OLECHAR*>(modulePath.c_str()), nullptr);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT unregisterServer() noexcept
{
    try {
        HRESULT result = S_OK;
        for (const ClassEntry& entry : classTable()) {
            const std::wstring progId = std::wstring(libraryName) + L"." + entry.name;
            if (HRESULT hr = deleteTree(HKEY_CLASSES_ROOT, progId); FAILED(hr)) result = hr;
            if (HRESULT hr = deleteTree(HKEY_CLASSES_ROOT, L"CLSID\\" + guidText(*entry.clsid)); FAILED(hr))
                result = hr;
        }
        TLIBATTR lib{};
        if (HRESULT hr = libraryAttributes(lib); FAILED(hr)) return hr;
        HRESULT hr = UnRegisterTypeLib(lib.guid, lib.wMajorVerNum, lib.wMinorVerNum, lib.lcid, lib.syskind);
        // A library that was never registered is already in the state we want.
        if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_LIBNOTREGISTERED) result = hr;
        return result;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace morvel
