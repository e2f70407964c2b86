#pragma once
// The library's application-information object, as the runtime keeps one for a project:
// Title, EXEName, Path (the folder Morvel10.dll was loaded from), the version numbers Major,
// Minor and Revision, and the texts Comments, CompanyName, FileDescription, LegalCopyright,
// LegalTrademarks and ProductName, all read from the module's own version information.

#include <windows.h>
#include <oaidl.h>

#include "comkit/Handles.h"

namespace morvel {

// A new object with the values read now. Texts the version information lacks are empty.
// Throws std::bad_alloc.
ComPtr<IDispatch> createApplicationInfo();

}  // namespace morvel
