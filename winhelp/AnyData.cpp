#include "AnyData.h"

namespace morvel::winhelp {
namespace {
constexpr std::uint16_t vtI2 = 2, vtI4 = 3, vtBstr = 8;
}

AnyDataRoute routeOfAnyData(std::uint16_t variantType) noexcept
{
    if (variantType == vtI4 || variantType == vtI2) return AnyDataRoute::Number;
    if (variantType == vtBstr) return AnyDataRoute::Text;
    return AnyDataRoute::Coerced;
}

AnyDataValue decideAnyData(const AnyData& data)
{
    const std::uint16_t type = data.variantType();
    switch (routeOfAnyData(type)) {
    case AnyDataRoute::Number: return type == vtI2 ? std::int32_t{data.asI2()} : data.asI4();
    case AnyDataRoute::Text: return textOrEmpty(data.asBstr());
    case AnyDataRoute::Coerced: break;
    }
    return data.coerceToInt32();
}

}  // namespace morvel::winhelp
