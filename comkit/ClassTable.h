#pragma once
// The table of classes a server DLL of this project publishes. It drives creation,
// registration and unregistration (Server.cpp, Registration.cpp), which every server DLL
// compiles from the kit; each DLL defines classTable() over its own classes.

#include <windows.h>

#include <span>

namespace morvel {

using CreateFunction = HRESULT (*)(REFIID iid, void** object) noexcept;

struct ClassEntry {
    const CLSID* clsid;
    const wchar_t* name;  // class name; the ProgID is library + "." + name
    CreateFunction create;
};

struct ClassTable {
    const wchar_t* library;  // the library's name, which prefixes its ProgIDs
    std::span<const ClassEntry> classes;
    bool typeLibrary;  // the DLL embeds a type library that is registered with the classes
};

const ClassTable& classTable() noexcept;

}  // namespace morvel
