#pragma once
// The error object handed to the companion component's error report: Number, Source,
// Description, HelpFile, HelpContext and LastDllError of a caught run-time error, read by
// late binding like the runtime's own error object.

#include <windows.h>
#include <oaidl.h>

#include "portable/AutomationError.h"
#include "comkit/Handles.h"

namespace morvel {

// Number, source and description come from `error` (an error without a source of its own
// is the library's, "Morvel10"); LastDllError is the thread's captured last-error code.
// Throws std::bad_alloc.
ComPtr<IDispatch> createErrorObject(const AutomationError& error);

}  // namespace morvel
