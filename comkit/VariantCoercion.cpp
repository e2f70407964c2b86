#include "VariantCoercion.h"

#include "ErrorInfo.h"
#include "Handles.h"

namespace morvel {

HRESULT copyByValue(VARIANT* target, const VARIANT& source) noexcept
{
    if (HRESULT hr = VariantClear(target); FAILED(hr)) return hr;
    const VARIANT* value = &source;
    // A script's variable arrives as a reference to a variant, which may hold a reference itself.
    if (V_VT(value) == (VT_BYREF | VT_VARIANT)) {
        if (!V_VARIANTREF(value)) return E_INVALIDARG;
        value = V_VARIANTREF(value);
        if (V_VT(value) == (VT_BYREF | VT_VARIANT)) return E_INVALIDARG;
    }
    if (V_ISBYREF(value) && !V_BYREF(value)) return E_INVALIDARG;
    return VariantCopyInd(target, const_cast<VARIANT*>(value));
}

std::int32_t coerceToInt32(const VARIANT& value)
{
    Variant plain;
    if (HRESULT hr = copyByValue(plain.get(), value); FAILED(hr)) throw errorFromHresult(hr);
    switch (V_VT(plain.get())) {
    case VT_NULL: throw errors::invalidUseOfNull();
    case VT_ERROR: return static_cast<std::int32_t>(V_ERROR(plain.get()));
    case VT_DISPATCH:
    case VT_UNKNOWN:
        if (!V_UNKNOWN(plain.get())) throw errors::objectNotSet();
        break;
    default: break;
    }
    Variant converted;
    if (HRESULT hr = VariantChangeType(converted.get(), plain.get(), 0, VT_I4); FAILED(hr)) {
        // The coercion answers "bad variable type" for arrays and records; a host sees
        // that as a type mismatch, like every other value that has no number.
        throw hr == DISP_E_OVERFLOW || hr == E_OUTOFMEMORY ? errorFromHresult(hr) : errors::typeMismatch();
    }
    return V_I4(converted.get());
}

}  // namespace morvel
