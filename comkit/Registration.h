#pragma once
// Writes and removes a server DLL's registry entries from its class table: for every class
// its ProgID key and its CLSID key (ProgID, in-process server with the apartment threading
// model), and, for a DLL with a type library, the class's library and version and then the
// library itself with its interfaces. Compiled into every server DLL of the project.
//
// Each scope names its classes root outright: per machine HKEY_LOCAL_MACHINE\Software\Classes
// (needs an administrator), per user (DllInstall "user") HKEY_CURRENT_USER\Software\Classes
// (needs none). Neither goes through HKEY_CLASSES_ROOT: on Windows that merged view sends a
// write or a deletion to the user's copy of any key the user's classes already hold, so a
// machine registration would change, and its removal delete, a user's own registration.
// The type library is written as our own keys too (RegistryEntries.h), not by the
// platform's type-library registration, which works through the merged view. Either scope
// writes in the DLL's own registry view.

#include <windows.h>

#include "ClassTable.h"

namespace morvel {

enum class RegistrationScope { machine, user };

// All or nothing: the first failing step, or any exception (running out of memory), is the
// answer, after every change made before it has been undone (values put back, keys that
// were made removed).
HRESULT registerServer(const ClassTable& table, RegistrationScope scope = RegistrationScope::machine) noexcept;
// Removes from the scope's own root only, whatever the other scope holds. Every key is
// tried; the first failure is the answer. Keys already gone count as removed.
HRESULT unregisterServer(const ClassTable& table, RegistrationScope scope = RegistrationScope::machine) noexcept;

}  // namespace morvel
