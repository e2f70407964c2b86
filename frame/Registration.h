#pragma once
// Writes and removes a server DLL's registry entries from its class table: for every class
// its ProgID key and its CLSID key (ProgID, in-process server with the apartment threading
// model), and, for a DLL with a type library, the class's library and version and then the
// library itself with its interfaces. Compiled into every server DLL of the project.

#include <windows.h>

#include "ClassTable.h"

namespace morvel {

// Every value is tried; the first failure is the answer.
HRESULT registerServer(const ClassTable& table) noexcept;
// Every key is tried; the first failure is the answer. Keys already gone count as removed.
HRESULT unregisterServer(const ClassTable& table) noexcept;

}  // namespace morvel
