#pragma once
// The runtime's conversion of any variant to a 32-bit integer, with its run-time errors.

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

namespace morvel {

// VariantCopyInd that refuses a reference to nothing (the platform's copy would follow the
// null pointer): E_INVALIDARG, and `target` is left empty. `target` must be initialised.
HRESULT copyByValue(VARIANT* target, const VARIANT& source) noexcept;

// Converts through the platform's automation coercion after dereferencing VT_BYREF:
// Empty gives 0, true gives -1, fractions round half to even, an object gives its default
// value. An error value (VT_ERROR) gives its 32-bit code. Throws AutomationError: 94 for
// Null, 91 for an empty object reference, 6 for a number outside the 32-bit range, 13 for
// anything else that cannot convert.
std::int32_t coerceToInt32(const VARIANT& value);

}  // namespace morvel
