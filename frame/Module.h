#pragma once
// The library module itself: what every server DLL keeps (ServerModule.h), and the type
// library read back from the module's own resources.

#include <windows.h>
#include <oaidl.h>

#include <memory>

#include "DispatchInvoke.h"
#include "ServerModule.h"

namespace morvel::module {

// The type information of a published interface or class from the embedded type library,
// loaded once and cached: as the library describes it (the dispatch half of a dual
// interface), or, with `vtableHalf`, the half ITypeInfo::Invoke calls through slots.
HRESULT typeInfo(REFGUID guid, ITypeInfo** info, bool vtableHalf = false) noexcept;
// What a late-bound call on a published dual interface needs: its vtable half and the
// table of its members, both built once and shared by every object and thread.
HRESULT dispatchInfo(REFGUID guid, ITypeInfo** info, std::shared_ptr<const DispatchTable>& table) noexcept;
// The embedded type library itself.
HRESULT typeLibrary(ITypeLib** library) noexcept;
// Drops the cached type library; called when the module is about to be unloaded.
void releaseTypeLibrary() noexcept;

}  // namespace morvel::module
