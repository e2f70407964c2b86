#pragma once
// The library's own resources, loaded from Morvel10.dll as the runtime's LoadResString,
// LoadResPicture and LoadResData do, with the runtime's errors. Identifiers outside
// 1..65535 (0..65535 for strings) name no resource of ours and are never handed to the
// platform as pointers.

#include <windows.h>
#include <ocidl.h>

#include <cstdint>
#include <string>

#include "comkit/Handles.h"

namespace morvel {

// The string resource `id`. Throws AutomationError 326 when there is none (an empty entry
// of a string table is no string either).
std::u16string loadResString(std::int32_t id);

// A picture object of the bitmap (0), icon (1) or cursor (2) resource `id`. Throws
// AutomationError 5 for another kind and 326 when the resource is not there.
ComPtr<IPictureDisp> loadResPicture(std::int32_t id, std::int16_t kind);

// The raw bytes of the resource `id` of type `type` (a number: a standard type; a text: a
// named type) as a byte-array variant. Throws AutomationError 326 when it is not there and
// the coercion's errors for a type that is neither number nor text.
Variant loadResData(std::int32_t id, const VARIANT& type);

}  // namespace morvel
