#pragma once
// Whether a member wrote into a by-reference temporary (DispatchInvoke.cpp): the script
// caller's variable gets the temporary back only then, so a variable the member merely
// read keeps its own value and type.

#include <windows.h>
#include <oleauto.h>

#include <cstring>

namespace morvel {

// Compares the value bytes, not the values: a linguistic comparison calls texts equal that
// differ (an ignorable character, another composition of the same letter), and the
// caller would lose such a rewrite. `now` and `before` hold the same scalar type or a BSTR.
inline bool rewritten(const VARIANT& now, const VARIANT& before) noexcept
{
    if (V_VT(&now) != V_VT(&before)) return true;
    if (V_VT(&now) == VT_BSTR) {
        const UINT bytes = SysStringByteLen(V_BSTR(&now));
        return bytes != SysStringByteLen(V_BSTR(&before)) ||
               (bytes != 0 && std::memcmp(V_BSTR(&now), V_BSTR(&before), bytes) != 0);
    }
    size_t size = 0;
    switch (V_VT(&now)) {
    case VT_UI1: size = sizeof(BYTE); break;
    case VT_I2:
    case VT_BOOL: size = sizeof(SHORT); break;
    case VT_I4:
    case VT_R4: size = sizeof(LONG); break;
    case VT_R8:
    case VT_CY:
    case VT_DATE: size = sizeof(double); break;
    default: return true;  // a kind we do not coerce into: hand it back rather than lose it
    }
    return std::memcmp(&V_UI1(&now), &V_UI1(&before), size) != 0;
}

}  // namespace morvel
