#pragma once
// The library module itself: what every server DLL keeps (ServerModule.h), and the type
// library read back from the module's own resources.

#include <windows.h>
#include <oaidl.h>

#include "DispatchInvoke.h"
#include "ServerModule.h"

namespace morvel::module {

// The type information of a published interface or class from the embedded type library,
// loaded once and cached: as the library describes it (the dispatch half of a dual
// interface), or, with `vtableHalf`, the half ITypeInfo::Invoke calls through slots.
HRESULT typeInfo(REFGUID guid, ITypeInfo** info, bool vtableHalf = false) noexcept;
// What a late-bound call on a published dual interface needs: the table of its members and
// names, with the vtable half it was read from, built once and shared by every object and
// thread. The table lives until releaseTypeLibrary, which lets it go only while no object
// is left, so an object may keep the pointer as long as it lives.
HRESULT dispatchTable(REFGUID guid, const DispatchTable*& table) noexcept;
// The embedded type library itself.
HRESULT typeLibrary(ITypeLib** library) noexcept;
// Drops the cached type library and tables when the module is about to be unloaded; does
// nothing and answers false when an object or a server lock has appeared since the caller
// found none.
bool releaseTypeLibrary() noexcept;

}  // namespace morvel::module
