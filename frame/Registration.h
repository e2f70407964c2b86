#pragma once
// Writes and removes a server DLL's registry entries from its class table: for every class
// its ProgID key and its CLSID key (ProgID, in-process server with the apartment threading
// model), and, for a DLL with a type library, the class's library and version and then the
// library itself with its interfaces. Compiled into every server DLL of the project.

#include <windows.h>

#include "ClassTable.h"

namespace morvel {

// All or nothing: the first failing step is the answer, after every change made before it
// has been undone (values put back, keys that were made removed).
HRESULT registerServer(const ClassTable& table) noexcept;
// Every key is tried; the first failure is the answer. Keys already gone count as removed.
HRESULT unregisterServer(const ClassTable& table) noexcept;

}  // namespace morvel
