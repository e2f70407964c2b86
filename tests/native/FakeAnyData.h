#pragma once
// AnyData for the core's unit tests: a type code and the readings a test gives it, with a
// record of which readings the core asked for. The coercion runs `coerce`, which may
// return a number or throw what the platform's coercion would.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "winhelp/AnyData.h"

namespace morvel::winhelp {

class FakeAnyData : public AnyData {
public:
    std::uint16_t type = 0;  // VT_EMPTY
    std::int16_t i2 = 0;
    std::int32_t i4 = 0;
    Text bstr;
    std::function<std::int32_t()> coerce = [] { return 0; };

    mutable std::vector<std::string> reads;

    std::uint16_t variantType() const override { return type; }
    std::int16_t asI2() const override
    {
        reads.push_back("I2");
        return i2;
    }
    std::int32_t asI4() const override
    {
        reads.push_back("I4");
        return i4;
    }
    Text asBstr() const override
    {
        reads.push_back("Bstr");
        return bstr;
    }
    std::int32_t coerceToInt32() const override
    {
        reads.push_back("coerceToInt32");
        return coerce();
    }
};

}  // namespace morvel::winhelp
