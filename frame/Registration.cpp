#include "Registration.h"

#include <objbase.h>

#include <string>

#include "ErrorInfo.h"
#include "Handles.h"
#include "Module.h"
#include "ServerModule.h"
#include "TypeDescription.h"

namespace morvel {
namespace {

// Keeps the first failure of a run of steps that are all tried.
class FirstFailure {
public:
    void operator()(HRESULT hr) noexcept
    {
        if (FAILED(hr) && SUCCEEDED(result_)) result_ = hr;
    }
    HRESULT result() const noexcept { return result_; }

private:
    HRESULT result_ = S_OK;
};

// "{XXXXXXXX-...}", as CLSID keys are named.
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

// A key that is already gone counts as deleted.
HRESULT deleteTree(const std::wstring& subkey)
{
    LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, subkey.c_str());
    if (status == ERROR_FILE_NOT_FOUND) return S_OK;
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    status = RegDeleteKeyW(HKEY_CLASSES_ROOT, subkey.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

std::wstring progIdOf(const ClassTable& table, const ClassEntry& entry)
{
    return std::wstring(table.library) + L"." + entry.name;
}

HRESULT registerClass(const ClassTable& table, const ClassEntry& entry, const std::wstring& modulePath,
                      const std::wstring& libid)
{
    const std::wstring progId = progIdOf(table, entry);
    const std::wstring clsid = guidText(*entry.clsid);
    const std::wstring clsidKey = L"CLSID\\" + clsid;
    FirstFailure steps;
    steps(setValue(progId, nullptr, progId));
    steps(setValue(progId + L"\\CLSID", nullptr, clsid));
    steps(setValue(clsidKey, nullptr, progId));
    steps(setValue(clsidKey + L"\\ProgID", nullptr, progId));
    steps(setValue(clsidKey + L"\\InprocServer32", nullptr, modulePath));
    steps(setValue(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"));
    if (!libid.empty()) {
        steps(setValue(clsidKey + L"\\TypeLib", nullptr, libid));
        steps(setValue(clsidKey + L"\\VERSION", nullptr, L"1.0"));
    }
    return steps.result();
}

HRESULT unregisterTypeLibrary()
{
    ComPtr<ITypeLib> library;
    LibAttr lib;
    if (HRESULT hr = module::typeLibrary(library.put()); FAILED(hr)) return hr;
    if (HRESULT hr = lib.read(library.get()); FAILED(hr)) return hr;
    // A library that is not registered is already in the state we want. Platforms differ in
    // how UnRegisterTypeLib says so (Wine answers E_INVALIDARG), so it is asked first.
    Bstr registeredPath;
    if (FAILED(QueryPathOfRegTypeLib(lib->guid, lib->wMajorVerNum, lib->wMinorVerNum, lib->lcid,
                                     registeredPath.put())))
        return S_OK;
    const HRESULT hr = UnRegisterTypeLib(lib->guid, lib->wMajorVerNum, lib->wMinorVerNum, lib->lcid, lib->syskind);
    return hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_LIBNOTREGISTERED ? S_OK : hr;
}

}  // namespace

HRESULT registerServer(const ClassTable& table) noexcept
{
    return guardStatus([&]() -> HRESULT {
        const std::wstring modulePath = module::path();
        if (modulePath.empty()) return HRESULT_FROM_WIN32(GetLastError());
        ComPtr<ITypeLib> library;
        LibAttr attributes;
        if (table.typeLibrary) {
            if (HRESULT hr = module::typeLibrary(library.put()); FAILED(hr)) return hr;
            if (HRESULT hr = attributes.read(library.get()); FAILED(hr)) return hr;
        }
        const std::wstring libid = attributes ? guidText(attributes->guid) : std::wstring();
        for (const ClassEntry& entry : table.classes)
            if (HRESULT hr = registerClass(table, entry, modulePath, libid); FAILED(hr)) return hr;
        if (!library) return S_OK;
        // Registering the library also registers its dual interfaces for marshalling.
        return RegisterTypeLib(library.get(), const_cast<OLECHAR*>(modulePath.c_str()), nullptr);
    });
}

HRESULT unregisterServer(const ClassTable& table) noexcept
{
    return guardStatus([&]() -> HRESULT {
        FirstFailure steps;
        for (const ClassEntry& entry : table.classes) {
            steps(deleteTree(progIdOf(table, entry)));
            steps(deleteTree(L"CLSID\\" + guidText(*entry.clsid)));
        }
        if (table.typeLibrary) steps(unregisterTypeLibrary());
        return steps.result();
    });
}

}  // namespace morvel
