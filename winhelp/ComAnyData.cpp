#include "ComAnyData.h"

#include <utility>

#include "comkit/Conversions.h"
#include "comkit/VariantCoercion.h"

namespace morvel::winhelp {

HRESULT ComAnyData::assign(const VARIANT& value) noexcept
{
    Variant copy;
    if (HRESULT hr = copyByValue(copy.get(), value); FAILED(hr)) return hr;
    value_ = std::move(copy);
    return S_OK;
}

void ComAnyData::copyTo(VARIANT* result) const noexcept
{
    VariantInit(result);
    if (FAILED(VariantCopy(result, const_cast<VARIANT*>(value_.get())))) VariantInit(result);
}

Text ComAnyData::asBstr() const { return fromBstr(V_BSTR(value_.get())); }

std::int32_t ComAnyData::coerceToInt32() const { return morvel::coerceToInt32(*value_.get()); }

}  // namespace morvel::winhelp
