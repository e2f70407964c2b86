#pragma once
// The registry writing every server DLL of the project does for its classes. Header-only,
// so that a DLL takes it without linking to another.

#include <windows.h>
#include <objbase.h>

#include <string>

#include "Handles.h"

namespace morvel::serverRegistry {

// "{XXXXXXXX-...}", as CLSID keys are named.
inline std::wstring guidText(const GUID& guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

inline HRESULT setValue(HKEY parent, const std::wstring& subkey, const wchar_t* name, const std::wstring& value)
{
    UniqueHKey key;
    LONG status = RegCreateKeyExW(parent, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                  nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    return HRESULT_FROM_WIN32(status);
}

// A key that is already gone counts as deleted.
inline HRESULT deleteTree(HKEY parent, const std::wstring& subkey)
{
    LONG status = RegDeleteTreeW(parent, subkey.c_str());
    if (status == ERROR_FILE_NOT_FOUND) return S_OK;
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    status = RegDeleteKeyW(parent, subkey.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

// The ProgID key and the CLSID key of an apartment-threaded in-process class. Every value
// is tried; the first failure is the answer.
inline HRESULT registerClassKeys(const CLSID& clsid, const std::wstring& progId, const std::wstring& modulePath)
{
    const std::wstring clsidKey = L"CLSID\\" + guidText(clsid);
    const HRESULT steps[] = {
        setValue(HKEY_CLASSES_ROOT, progId, nullptr, progId),
        setValue(HKEY_CLASSES_ROOT, progId + L"\\CLSID", nullptr, guidText(clsid)),
        setValue(HKEY_CLASSES_ROOT, clsidKey, nullptr, progId),
        setValue(HKEY_CLASSES_ROOT, clsidKey + L"\\ProgID", nullptr, progId),
        setValue(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", nullptr, modulePath),
        setValue(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"),
    };
    for (HRESULT hr : steps)
        if (FAILED(hr)) return hr;
    return S_OK;
}

}  // namespace morvel::serverRegistry
