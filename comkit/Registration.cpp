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
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS ||
        (values > 0 && !ownValues))
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

HRESULT readTypeLibrary(TypeLibraryFacts& facts)
{
    ComPtr<ITypeLib> library;
    if (HRESULT hr = module::typeLibrary(library.put()); FAILED(hr)) return hr;
    return describeTypeLibrary(library.get(), facts);
}

// What a registration writes below its classes root: the classes, and the type library
// with its interfaces where the DLL has one.
HRESULT entriesOf(const ClassTable& table, const std::wstring& modulePath, std::vector<RegistryEntry>& entries)
{
    if (!table.typeLibrary) {
        entries = classEntries(table, nullptr, modulePath);
        return S_OK;
    }
    TypeLibraryFacts facts;
    if (HRESULT hr = readTypeLibrary(facts); FAILED(hr)) return hr;
    entries = classEntries(table, &facts, modulePath);
    const std::size_t slash = modulePath.find_last_of(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : modulePath.substr(0, slash);
    for (RegistryEntry& entry : typeLibraryEntries(facts, modulePath, folder)) entries.push_back(std::move(entry));
    return S_OK;
}

// The scope's classes root, named outright (Registration.h says why never
// HKEY_CLASSES_ROOT); opened, not created, when only removing. No KEY_WOW64_* flag is
// needed: a key opened without one is in the calling process's own view, so the x86 DLL
// registers in the 32-bit view and the x64 DLL in the 64-bit one, each where hosts of its
// width look.
HRESULT openClasses(RegistrationScope scope, bool create, UniqueHKey& key)
{
    const HKEY hive = scope == RegistrationScope::user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    const LONG status = create ? RegCreateKeyExW(hive, L"Software\\Classes", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                 KEY_ALL_ACCESS, nullptr, key.put(), nullptr)
                               : RegOpenKeyExW(hive, L"Software\\Classes", 0, KEY_ALL_ACCESS, key.put());
    return HRESULT_FROM_WIN32(status);
}

}  // namespace

HRESULT registerServer(const ClassTable& table, RegistrationScope scope) noexcept
{
    return guardStatus([&]() -> HRESULT {
        const std::wstring modulePath = module::path();
        if (modulePath.empty()) return HRESULT_FROM_WIN32(GetLastError());
        std::vector<RegistryEntry> entries;
        if (HRESULT hr = entriesOf(table, modulePath, entries); FAILED(hr)) return hr;
        UniqueHKey root;
        if (HRESULT hr = openClasses(scope, true, root); FAILED(hr)) return hr;
        // All or nothing: unless committed, the journal undoes what it wrote when it goes,
        // on a failed step as on an exception.
        RegistrationJournal journal(root.get());
        for (const RegistryEntry& entry : entries)
            if (HRESULT hr = journal.setValue(entry.key, entry.name.empty() ? nullptr : entry.name.c_str(),
                                              entry.value);
                FAILED(hr))
                return hr;
        journal.commit();
        return S_OK;
    });
}

HRESULT unregisterServer(const ClassTable& table, RegistrationScope scope) noexcept
{
    return guardStatus([&]() -> HRESULT {
        UniqueHKey root;
        const HRESULT opened = openClasses(scope, false, root);
        if (opened == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) return S_OK;  // nothing was ever registered there
        if (FAILED(opened)) return opened;
        FirstFailure steps;
        for (const ClassEntry& entry : table.classes) {
            steps(deleteTree(root.get(), std::wstring(table.library) + L"." + entry.name));
            steps(deleteTree(root.get(), L"CLSID\\" + guidText(*entry.clsid)));
        }
        if (table.typeLibrary) {
            TypeLibraryFacts facts;
            const HRESULT hr = readTypeLibrary(facts);
            steps(hr);
            if (SUCCEEDED(hr)) steps(removeTypeLibraryKeys(root.get(), facts));
        }
        // A user's classes may hold nothing else: the collections the registration had to
        // make go again once empty (the classes root itself always stays). The machine's
        // are never empty, so there this finds nothing to do.
        for (const wchar_t* collection : {L"CLSID", L"Interface", L"TypeLib"})
            steps(deleteIfOnly(root.get(), collection, {}));
        return steps.result();
    });
}

}  // namespace morvel
