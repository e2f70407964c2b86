#pragma once
// AnyData as the WinHelp core reads it. The host's value itself stays with the COM class,
// as the HTML Help class keeps its frm object there: only the platform can copy, hand
// back and coerce every kind of value a host may assign. The core asks for the value's
// type, then for the one reading that type calls for.

#include <cstdint>
#include <string>
#include <variant>

#include "portable/Text.h"

namespace morvel::winhelp {

class AnyData {
public:
    virtual ~AnyData() = default;

    // The automation type code (VT_...) of the value as assigned; never a reference, the
    // property keeps values, not the caller's variables.
    virtual std::uint16_t variantType() const = 0;
    virtual std::int16_t asI2() const = 0;  // a VT_I2 value
    virtual std::int32_t asI4() const = 0;  // a VT_I4 value
    virtual Text asBstr() const = 0;        // a VT_BSTR value; nullopt for a null BSTR
    // The automation coercion of a value of any type to a 32-bit integer. Throws its
    // AutomationError: 94 for Null, 91 for an empty object reference, 6 for a number
    // outside the range, 13 for anything that has no number.
    virtual std::int32_t coerceToInt32() const = 0;
};

// What a value's type asks for. The numbers are the automation type codes.
enum class AnyDataRoute {
    Number,   // VT_I2 (2) and VT_I4 (3): the value itself, sign-extended
    Text,     // VT_BSTR (8): the text, in ANSI passed by address
    Coerced,  // anything else: the automation coercion to a 32-bit integer
};
AnyDataRoute routeOfAnyData(std::uint16_t variantType) noexcept;

// AnyData once decided: a number, or a text still in UTF-16 (a null BSTR is the empty
// text). Throws the coercion's AutomationError.
using AnyDataValue = std::variant<std::int32_t, std::u16string>;
AnyDataValue decideAnyData(const AnyData& data);

}  // namespace morvel::winhelp
