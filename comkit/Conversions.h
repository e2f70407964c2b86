#pragma once
// Conversions between the core's portable values and the automation types at the COM
// boundary. A null BSTR is the null text; out-parameters are checked and cleared first.

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <type_traits>

#include "portable/AutomationError.h"
#include "Handles.h"
#include "portable/Text.h"

namespace morvel {

inline Text fromBstr(BSTR b)
{
    if (!b) return std::nullopt;
    return std::u16string(reinterpret_cast<const char16_t*>(b), SysStringLen(b));
}

inline std::u16string fromBstrOrEmpty(BSTR b)
{
    return b ? std::u16string(reinterpret_cast<const char16_t*>(b), SysStringLen(b)) : std::u16string();
}

// Allocates a BSTR for the text (null for the null text); throws on allocation failure.
inline BSTR toBstr(const Text& t)
{
    if (!t) return nullptr;
    BSTR b = SysAllocStringLen(reinterpret_cast<const wchar_t*>(t->data()), static_cast<UINT>(t->size()));
    if (!b) throw std::bad_alloc();
    return b;
}

inline BSTR toBstr(const std::u16string& t) { return toBstr(Text(t)); }

// Rewrites a caller's by-reference string with a new value.
inline void assignBstr(BSTR* target, const Text& value)
{
    BSTR fresh = toBstr(value);
    SysFreeString(*target);
    *target = fresh;
}

// An enumeration argument as the 32-bit value the host passed. The enumerations widl
// declares have no fixed underlying type, so a value outside one would be undefined once
// read as the enumeration; any 32-bit number may arrive, and its bits are read as they are.
template <class Enum>
std::int32_t rawEnumValue(const Enum& value) noexcept
{
    static_assert(std::is_enum_v<Enum> && sizeof(Enum) == sizeof(std::int32_t));
    std::int32_t raw = 0;
    std::memcpy(&raw, &value, sizeof raw);
    return raw;
}

// Owned variants of the common kinds, for arguments and property values.
inline Variant variantOfText(const std::wstring& text)
{
    Variant v;
    BSTR b = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!b) throw std::bad_alloc();
    V_VT(v.get()) = VT_BSTR;
    V_BSTR(v.get()) = b;
    return v;
}

inline Variant variantOfLong(LONG value)
{
    Variant v;
    V_VT(v.get()) = VT_I4;
    V_I4(v.get()) = value;
    return v;
}

inline Variant variantOfShort(SHORT value)
{
    Variant v;
    V_VT(v.get()) = VT_I2;
    V_I2(v.get()) = value;
    return v;
}

inline Variant variantOfObject(IDispatch* object)
{
    Variant v;
    V_VT(v.get()) = VT_DISPATCH;
    V_DISPATCH(v.get()) = ComPtr<IDispatch>::addRef(object).detach();
    return v;
}

}  // namespace morvel
