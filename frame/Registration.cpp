#include "Registration.h"

#include <string>

#include "ClassTable.h"
#include "Handles.h"
#include "Module.h"

namespace morvel {
namespace {

std::wstring guidText(const GUID& guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

HRESULT setValue(HKEY parent, const std::wstring& subkey, const wchar_t* name, const std::wstring& value)
{
    UniqueHKey key;
    LONG status = RegCreateKeyExW(parent, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                  nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    return HRESULT_FROM_WIN32(status);
}

HRESULT deleteTree(HKEY parent, const std::wstring& subkey)
{
    LONG status = RegDeleteTreeW(parent, subkey.c_str());
    if (status == ERROR_FILE_NOT_FOUND) return S_OK;
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    status = RegDeleteKeyW(parent, subkey.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

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
                setValue(HKEY_CLASSES_ROOT, progId, nullptr, progId),
                setValue(HKEY_CLASSES_ROOT, progId + L"\\CLSID", nullptr, guidText(*entry.clsid)),
                setValue(HKEY_CLASSES_ROOT, clsidKey, nullptr, progId),
                setValue(HKEY_CLASSES_ROOT, clsidKey + L"\\ProgID", nullptr, progId),
                setValue(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", nullptr, modulePath),
                setValue(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"),
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
