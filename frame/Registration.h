#pragma once
// Writes and removes a server DLL's registry entries from its class table: for every class
// its ProgID key and its CLSID key (ProgID, in-process server with the apartment threading
// model), and, for a DLL with a type library, the class's library and version and then the
// library itself with its interfaces. Compiled into every server DLL of the project.
//
// Per machine the entries go below HKEY_CLASSES_ROOT and the platform registers the type
// library; per user (DllInstall "user") everything goes below
// HKEY_CURRENT_USER\Software\Classes, which needs no administrator and which the platform
// reads before the machine's classes. Either way the DLL writes in its own registry view.

#include <windows.h>

#include "ClassTable.h"

namespace morvel {

enum class RegistrationScope { machine, user };

// All or nothing: the first failing step is the answer, after every change made before it
// has been undone (values put back, keys that were made removed).
HRESULT registerServer(const ClassTable& table, RegistrationScope scope = RegistrationScope::machine) noexcept;
// Every key is tried; the first failure is the answer. Keys already gone count as removed.
HRESULT unregisterServer(const ClassTable& table, RegistrationScope scope = RegistrationScope::machine) noexcept;

}  // namespace morvel
