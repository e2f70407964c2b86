#pragma once
// The registry entries that make a server DLL's classes and type library known, as paths
// below a classes root: HKEY_LOCAL_MACHINE\Software\Classes for a registration per machine,
// HKEY_CURRENT_USER\Software\Classes for one per user, "Software\Classes" under the
// installer's per-machine-or-per-user root in a package. One list, built from the class
// table and the type library, for the DLL's own registration (Registration.cpp) and for
// the installer's registry table (tools/regfragment), so the two cannot drift apart.

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

#include "ClassTable.h"

namespace morvel {

struct RegistryEntry {
    std::wstring key;    // below the classes root
    std::wstring name;   // empty: the key's default value
    std::wstring value;  // always REG_SZ
};

// What registering a type library touches, read from the library itself.
struct TypeLibraryFacts {
    std::wstring libid;        // "{...}"
    std::wstring version;      // "1.0": major and minor in hexadecimal, as the platform names the key
    std::wstring locale;       // "409": the locale in hexadecimal
    std::wstring platform;     // "win32" or "win64", from the library's system kind
    std::wstring description;  // the library's documentation string
    std::wstring flags;        // the library flags in decimal
    struct Interface {
        std::wstring iid, name;
        bool dispatchOnly;  // a pure dispinterface: marshalled by the dispatch proxy
    };
    std::vector<Interface> interfaces;  // those the platform registers for marshalling

    std::wstring key() const { return L"TypeLib\\" + libid; }
    std::wstring versionKey() const { return key() + L"\\" + version; }
    std::wstring platformKey() const { return versionKey() + L"\\" + locale + L"\\" + platform; }
};

// "{XXXXXXXX-...}", as CLSID, TypeLib and Interface keys are named.
std::wstring guidText(const GUID& guid);

HRESULT describeTypeLibrary(ITypeLib* library, TypeLibraryFacts& facts);

// Per class: its ProgID key with the CLSID, its CLSID key with the ProgID, the in-process
// server `modulePath` with the apartment model, and (given `library`) its type library
// and version.
std::vector<RegistryEntry> classEntries(const ClassTable& table, const TypeLibraryFacts* library,
                                        const std::wstring& modulePath);
// What the platform's type-library registration writes in the caller's registry view (the
// same keys and values, compared under Wine): the library's description, flags, help folder
// and file for its locale and platform, and for each automation interface its name,
// proxy-stub class and library.
std::vector<RegistryEntry> typeLibraryEntries(const TypeLibraryFacts& library, const std::wstring& libraryPath,
                                              const std::wstring& helpDir);

}  // namespace morvel
