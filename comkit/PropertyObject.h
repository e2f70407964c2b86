#pragma once
// A small read-only automation object of the library's own: a fixed list of named values
// that a late-bound host reads as properties. The application-information object and the
// error object handed to the companion component are made of it. It has no type library:
// names are looked up in its own table, in any letter case.

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <utility>
#include <vector>

#include "Handles.h"

namespace morvel {

using NamedValues = std::vector<std::pair<std::wstring, Variant>>;

// Takes the values over; the properties get dispatch ids 1, 2, ... in list order.
// Throws std::bad_alloc.
ComPtr<IDispatch> createPropertyObject(NamedValues values);

}  // namespace morvel
