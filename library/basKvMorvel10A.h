#pragma once
// The library's module data, kept once per thread as the runtime keeps a project's global
// data for an apartment-threaded library: the object slot BuddyObjectGlobal and the
// application-information object (App). Both are released when the thread's apartment
// ends (its last CoUninitialize), seen through an initialize spy registered on first use,
// so nothing of it is ever released under the loader lock.

#include <windows.h>
#include <oaidl.h>

#include "comkit/Handles.h"

namespace morvel::basKvMorvel10A {

// A new reference to this thread's slot object, or an empty one.
ComPtr<IDispatch> BuddyObjectGlobal() noexcept;
// Stores `object` (null empties the slot); the new reference is taken before the old one
// is dropped. Throws AutomationError when the thread's data cannot be set up.
void setBuddyObjectGlobal(IDispatch* object);
// This thread's application-information object, made on first use. Throws like the above.
ComPtr<IDispatch> App();

}  // namespace morvel::basKvMorvel10A
