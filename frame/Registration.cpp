#include "Registration.h"

#include <objbase.h>

#include <string>
#include <vector>

#include "ErrorInfo.h"
#include "RegistrationJournal.h"
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

// The first failing step ends the class; the caller then undoes what the journal holds.
HRESULT registerClass(RegistrationJournal& journal, const ClassTable& table, const ClassEntry& entry,
                      const std::wstring& modulePath, const std::wstring& libid)
{
    const std::wstring progId = progIdOf(table, entry);
    const std::wstring clsid = guidText(*entry.clsid);
    const std::wstring clsidKey = L"CLSID\\" + clsid;
    struct Step {
        std::wstring key;
        const wchar_t* name;
        std::wstring value;
    };
    std::vector<Step> steps = {
        {progId, nullptr, progId},
        {progId + L"\\CLSID", nullptr, clsid},
        {clsidKey, nullptr, progId},
        {clsidKey + L"\\ProgID", nullptr, progId},
        {clsidKey + L"\\InprocServer32", nullptr, modulePath},
        {clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
    };
    if (!libid.empty()) {
        steps.push_back({clsidKey + L"\\TypeLib", nullptr, libid});
        steps.push_back({clsidKey + L"\\VERSION", nullptr, L"1.0"});
    }
    for (const Step& step : steps)
        if (HRESULT hr = journal.setValue(step.key, step.name, step.value); FAILED(hr)) return hr;
    return S_OK;
}

bool typeLibraryRegistered(const TLIBATTR& lib)
{
    Bstr registeredPath;
    return SUCCEEDED(QueryPathOfRegTypeLib(lib.guid, lib.wMajorVerNum, lib.wMinorVerNum, lib.lcid,
                                           registeredPath.put()));
}

HRESULT unregisterTypeLibrary()
{
    ComPtr<ITypeLib> library;
    LibAttr lib;
    if (HRESULT hr = module::typeLibrary(library.put()); FAILED(hr)) return hr;
    if (HRESULT hr = lib.read(library.get()); FAILED(hr)) return hr;
    // A library that is not registered is already in the state we want. Platforms differ in
    // how UnRegisterTypeLib says so (Wine answers E_INVALIDARG), so it is asked first.
    if (!typeLibraryRegistered(*lib)) return S_OK;
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
        // A registration is all or nothing: a failing step undoes the steps before it.
        RegistrationJournal journal;
        for (const ClassEntry& entry : table.classes) {
            if (HRESULT hr = registerClass(journal, table, entry, modulePath, libid); FAILED(hr)) {
                journal.rollBack();
                return hr;
            }
        }
        if (!library) return S_OK;
        // Registering the library also registers its dual interfaces for marshalling. What a
        // failed attempt left of a library that was not registered before goes too.
        const bool wasRegistered = typeLibraryRegistered(*attributes);
        const HRESULT hr = RegisterTypeLib(library.get(), const_cast<OLECHAR*>(modulePath.c_str()), nullptr);
        if (FAILED(hr)) {
            journal.rollBack();
            if (!wasRegistered) UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                                                  attributes->lcid, attributes->syskind);
        }
        return hr;
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
