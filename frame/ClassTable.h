#pragma once
// The one table of published classes that drives creation, registration and
// unregistration of the server.

#include <windows.h>

#include <span>

namespace morvel {

struct ClassEntry {
    const CLSID* clsid;
    const wchar_t* name;  // class name; the ProgID is "Morvel10." + name
    HRESULT (*create)(REFIID iid, void** object) noexcept;
};

std::span<const ClassEntry> classTable() noexcept;

inline constexpr const wchar_t* libraryName = L"Morvel10";

}  // namespace morvel
