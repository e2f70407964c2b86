#pragma once
// AnyData as the COM class keeps it: the host's variant, copied by value when assigned,
// handed back as it is, and read for the core through the AnyData interface.

#include <windows.h>
#include <oleauto.h>

#include "comkit/Handles.h"
#include "winhelp/AnyData.h"

namespace morvel::winhelp {

class ComAnyData final : public AnyData {
public:
    // Keeps a copy of the value; a script's variable arrives as a reference and its value
    // is what is kept. A reference to nothing is refused with E_INVALIDARG and the value
    // before stays.
    HRESULT assign(const VARIANT& value) noexcept;
    // A copy of the value into `result`, which must be initialised; Empty when the copy fails.
    void copyTo(VARIANT* result) const noexcept;

    std::uint16_t variantType() const override { return V_VT(value_.get()); }
    std::int16_t asI2() const override { return V_I2(value_.get()); }
    std::int32_t asI4() const override { return V_I4(value_.get()); }
    Text asBstr() const override;
    std::int32_t coerceToInt32() const override;

private:
    Variant value_;
};

}  // namespace morvel::winhelp
