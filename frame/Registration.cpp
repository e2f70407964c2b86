#include "Registration.h"

#include <objbase.h>

#include <string>
#include <vector>

#include "ErrorInfo.h"
#include "RegistrationJournal.h"
#include "RegistryEntries.h"
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

// A key that is already gone counts as deleted.
HRESULT deleteTree(HKEY root, const std::wstring& subkey)
{
    LONG status = RegDeleteTreeW(root, subkey.c_str());
    if (status == ERROR_FILE_NOT_FOUND) return S_OK;
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    status = RegDeleteKeyW(root, subkey.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

// Deletes `subkey` when nothing but the named subkeys is left in it, and no value unless
// its values are ours too.
HRESULT deleteIfOnly(HKEY root, const std::wstring& subkey, std::initializer_list<const wchar_t*> allowed,
                     bool ownValues = false)
{
    UniqueHKey key;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return S_OK;
    DWORD values = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS || (values > 0 && !ownValues))
        return S_OK;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        const LONG status = RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) return S_OK;
        bool isAllowed = false;
        for (const wchar_t* other : allowed) isAllowed = isAllowed || _wcsicmp(name, other) == 0;
        if (!isAllowed) return S_OK;
    }
    key.reset();
    return deleteTree(root, subkey);
}

std::wstring defaultValue(HKEY root, const std::wstring& subkey)
{
    wchar_t text[64] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(root, subkey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return {};
    return text;
}

HRESULT writeEntries(RegistrationJournal& journal, const std::vector<RegistryEntry>& entries)
{
    for (const RegistryEntry& entry : entries)
        if (HRESULT hr = journal.setValue(entry.key, entry.name.empty() ? nullptr : entry.name.c_str(), entry.value);
            FAILED(hr))
            return hr;
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

// Undoes what typeLibraryEntries wrote for this DLL's platform, as the platform's
// unregistration does: the interface keys that name this library, the library's file for
// this platform, and each level above it once nothing else is left there (the other
// platform's file, or another locale, keeps the version key).
HRESULT removeTypeLibraryKeys(HKEY root, const TypeLibraryFacts& lib)
{
    FirstFailure steps;
    for (const auto& item : lib.interfaces) {
        const std::wstring key = L"Interface\\" + item.iid;
        if (_wcsicmp(defaultValue(root, key + L"\\TypeLib").c_str(), lib.libid.c_str()) == 0)
            steps(deleteTree(root, key));
    }
    steps(deleteTree(root, lib.platformKey()));
    steps(deleteIfOnly(root, lib.versionKey() + L"\\" + lib.locale, {}));
    steps(deleteIfOnly(root, lib.versionKey(), {L"FLAGS", L"HELPDIR"}, true));
    steps(deleteIfOnly(root, lib.key(), {}));
    return steps.result();
}

HRESULT readTypeLibrary(ComPtr<ITypeLib>& library, TypeLibraryFacts& facts)
{
    if (HRESULT hr = module::typeLibrary(library.put()); FAILED(hr)) return hr;
    return describeTypeLibrary(library.get(), facts);
}

// The user's classes root, HKEY_CURRENT_USER\Software\Classes; opened, not created, when
// only removing.
HRESULT openUserClasses(UniqueHKey& key, bool create)
{
    const LONG status =
        create ? RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_ALL_ACCESS, nullptr, key.put(), nullptr)
               : RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, KEY_ALL_ACCESS, key.put());
    return HRESULT_FROM_WIN32(status);
}

std::wstring folderOf(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

HRESULT registerForMachine(const ClassTable& table, const std::wstring& modulePath)
{
    ComPtr<ITypeLib> library;
    TypeLibraryFacts facts;
    if (table.typeLibrary)
        if (HRESULT hr = readTypeLibrary(library, facts); FAILED(hr)) return hr;
    // A registration is all or nothing: a failing step undoes the steps before it.
    RegistrationJournal journal(HKEY_CLASSES_ROOT);
    if (HRESULT hr = writeEntries(journal, classEntries(table, library ? &facts : nullptr, modulePath)); FAILED(hr)) {
        journal.rollBack();
        return hr;
    }
    if (!library) return S_OK;
    // Registering the library also registers its dual interfaces for marshalling. What a
    // failed attempt left of a library that was not registered before goes too.
    LibAttr attributes;
    if (HRESULT hr = attributes.read(library.get()); FAILED(hr)) {
        journal.rollBack();
        return hr;
    }
    const bool wasRegistered = typeLibraryRegistered(*attributes);
    const HRESULT hr = RegisterTypeLib(library.get(), const_cast<OLECHAR*>(modulePath.c_str()), nullptr);
    if (FAILED(hr)) {
        journal.rollBack();
        if (!wasRegistered) UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                                              attributes->lcid, attributes->syskind);
    }
    return hr;
}

// The type library's keys are written here with the classes, not by the platform's
// per-user registration: under Wine that call registers for the whole machine (measured:
// it writes HKEY_LOCAL_MACHINE\Software\Classes\TypeLib), and a registration that needs no
// administrator must not touch the machine. On Windows the platform call writes these same
// keys below the user's classes, so the outcome is the one documented there.
HRESULT registerForUser(const ClassTable& table, const std::wstring& modulePath)
{
    ComPtr<ITypeLib> library;
    TypeLibraryFacts facts;
    std::vector<RegistryEntry> entries;
    if (table.typeLibrary) {
        if (HRESULT hr = readTypeLibrary(library, facts); FAILED(hr)) return hr;
        entries = classEntries(table, &facts, modulePath);
        const auto libraryEntries = typeLibraryEntries(facts, modulePath, folderOf(modulePath));
        entries.insert(entries.end(), libraryEntries.begin(), libraryEntries.end());
    } else {
        entries = classEntries(table, nullptr, modulePath);
    }
    UniqueHKey root;
    if (HRESULT hr = openUserClasses(root, true); FAILED(hr)) return hr;
    RegistrationJournal journal(root.get());
    const HRESULT hr = writeEntries(journal, entries);
    if (FAILED(hr)) journal.rollBack();
    return hr;
}

}  // namespace

HRESULT registerServer(const ClassTable& table, RegistrationScope scope) noexcept
{
    return guardStatus([&]() -> HRESULT {
        const std::wstring modulePath = module::path();
        if (modulePath.empty()) return HRESULT_FROM_WIN32(GetLastError());
        return scope == RegistrationScope::user ? registerForUser(table, modulePath)
                                                : registerForMachine(table, modulePath);
    });
}

HRESULT unregisterServer(const ClassTable& table, RegistrationScope scope) noexcept
{
    return guardStatus([&]() -> HRESULT {
        UniqueHKey userClasses;
        HKEY root = HKEY_CLASSES_ROOT;
        if (scope == RegistrationScope::user) {
            const HRESULT hr = openUserClasses(userClasses, false);
            if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) return S_OK;  // nothing was ever registered there
            if (FAILED(hr)) return hr;
            root = userClasses.get();
        }
        FirstFailure steps;
        for (const ClassEntry& entry : table.classes) {
            steps(deleteTree(root, std::wstring(table.library) + L"." + entry.name));
            steps(deleteTree(root, L"CLSID\\" + guidText(*entry.clsid)));
        }
        if (scope == RegistrationScope::machine) {
            if (table.typeLibrary) steps(unregisterTypeLibrary());
            return steps.result();
        }
        if (table.typeLibrary) {
            ComPtr<ITypeLib> library;
            TypeLibraryFacts facts;
            const HRESULT hr = readTypeLibrary(library, facts);
            steps(hr);
            if (SUCCEEDED(hr)) steps(removeTypeLibraryKeys(root, facts));
        }
        // A user's classes may hold nothing else: the collections the registration had to
        // make go again once empty (the classes root itself always stays).
        for (const wchar_t* collection : {L"CLSID", L"Interface", L"TypeLib"}) steps(deleteIfOnly(root, collection, {}));
        return steps.result();
    });
}

}  // namespace morvel
