#pragma once
// Late binding as the runtime does it for an object variable declared As Object: creation
// by ProgID and calls by member name through IDispatch, with the runtime's errors.

#include <windows.h>
#include <oaidl.h>

#include <span>

#include "Handles.h"

namespace morvel {

// CreateObject: a new object of the class registered under `progId`. Throws
// AutomationError 429 when the class is unknown or cannot be created.
ComPtr<IDispatch> createObject(const wchar_t* progId);

// Calls `member` on `object` as a method, with `args` in natural (left to right) order,
// passed exactly as given (by-reference variants included). Throws AutomationError 91 for
// an empty reference, 438 for an unknown member, and the member's own error otherwise.
Variant callByName(IDispatch* object, const wchar_t* member, std::span<VARIANT> args);

}  // namespace morvel
