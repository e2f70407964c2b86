// The stand-in companion's module: its class table, from which the kit's entry points
// (comkit/Server.cpp) create and register its classes, and the argument access its
// classes share.

#include "CompanionModule.h"

#include "clsKvOstrel10A.h"
#include "clsKvorErrorHandlerA.h"
#include "comkit/ClassTable.h"

namespace ostrel {

const VARIANT* argumentAt(const DISPPARAMS& params, UINT index) noexcept
{
    if (index >= params.cArgs || !params.rgvarg) return nullptr;
    const VARIANT* arg = &params.rgvarg[params.cArgs - 1 - index];  // arguments arrive last first
    if (V_VT(arg) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(arg)) arg = V_VARIANTREF(arg);
    return arg;
}

namespace {

// {AE9C2519-79BD-495E-8AEE-6229D5626BB2}
const CLSID CLSID_clsKvOstrel10A = {0xAE9C2519, 0x79BD, 0x495E, {0x8A, 0xEE, 0x62, 0x29, 0xD5, 0x62, 0x6B, 0xB2}};
// {037EFB0B-5ED9-4548-8D29-6A4DC4D3E8E8}
const CLSID CLSID_clsKvorErrorHandlerA = {0x037EFB0B, 0x5ED9, 0x4548, {0x8D, 0x29, 0x6A, 0x4D, 0xC4, 0xD3, 0xE8, 0xE8}};

}  // namespace
}  // namespace ostrel

namespace morvel {

// Late-bound only: no type library to register.
const ClassTable& classTable() noexcept
{
    static const ClassEntry entries[] = {
        {&ostrel::CLSID_clsKvOstrel10A, L"clsKvOstrel10A", &ostrel::clsKvOstrel10A::create},
        {&ostrel::CLSID_clsKvorErrorHandlerA, L"clsKvorErrorHandlerA", &ostrel::clsKvorErrorHandlerA::create},
    };
    static const ClassTable table{L"Ostrel10", entries, false};
    return table;
}

}  // namespace morvel
