#include "WinHelpCommands.h"

#include <optional>

namespace morvel::winhelp {

AnyDataRoute routeOfAnyData(std::uint16_t variantType) noexcept
{
    constexpr std::uint16_t vtI2 = 2, vtI4 = 3, vtBstr = 8;
    if (variantType == vtI4 || variantType == vtI2) return AnyDataRoute::Number;
    if (variantType == vtBstr) return AnyDataRoute::Text;
    return AnyDataRoute::Coerced;
}

std::int32_t runWinHelp(WinHelpPort& port, std::uint32_t window, const Text& fileName, std::uint32_t command,
                        const AnyDataValue& data)
{
    std::optional<std::string> file;
    if (fileName) file = port.ToAnsi(*fileName);
    WinHelpData argument = std::int32_t{0};
    if (const auto* text = std::get_if<std::u16string>(&data))
        argument = port.ToAnsi(*text);
    else
        argument = std::get<std::int32_t>(data);
    return port.WinHelpA(window, file, command, argument);
}

}  // namespace morvel::winhelp
