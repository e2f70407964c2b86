#pragma once
// Writes and removes the server's registry entries: for every class of the class table
// its CLSID key (ProgID, in-process server with the apartment threading model, type
// library) and its ProgID key, then the type library with its interfaces.

#include <windows.h>

namespace morvel {

HRESULT registerServer() noexcept;
HRESULT unregisterServer() noexcept;

}  // namespace morvel
