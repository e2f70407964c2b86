#pragma once
// The portable part of clsKvHlpfHlpA: how the variant AnyData becomes the data argument of
// a WinHelp command, and how the command reaches the platform.

#include <cstdint>
#include <string>
#include <variant>

#include "frame/Text.h"
#include "winhelp/WinHelpPort.h"

namespace morvel::winhelp {

// What AnyData's variant type asks for. The numbers are the automation type codes.
enum class AnyDataRoute {
    Number,   // VT_I2 (2) and VT_I4 (3): the value itself, sign-extended
    Text,     // VT_BSTR (8): the text in ANSI, passed by address
    Coerced,  // anything else: the automation coercion to a 32-bit integer
};
AnyDataRoute routeOfAnyData(std::uint16_t variantType) noexcept;

// AnyData once decided: a number, or a text still in UTF-16.
using AnyDataValue = std::variant<std::int32_t, std::u16string>;

// Runs one WinHelp command on `fileName` (the null text becomes a null pointer, the empty
// text an empty string) with `command` unchanged. Returns WinHelpA's result.
std::int32_t runWinHelp(WinHelpPort& port, std::uint32_t window, const Text& fileName, std::uint32_t command,
                        const AnyDataValue& data);

}  // namespace morvel::winhelp
