#include "clsKvMorvel10A.h"

#include "Conversions.h"
#include "ErrorInfo.h"

namespace morvel {
namespace {

template <class Body>
HRESULT run(const char16_t* source, Body&& body) noexcept
{
    return guard(__uuidof(_clsKvMorvel10A), source, std::forward<Body>(body));
}

}  // namespace

HRESULT clsKvMorvel10A::get_GetProStdProperties(IDispatch** result)
{
    return run(u"clsKvMorvel10A.GetProStdProperties", [&] {
        *require(result) = nullptr;
        throw errors::notAvailable(u"GetProStdProperties");
    });
}

HRESULT clsKvMorvel10A::get_GetProResStrings(LONG*, BSTR* result)
{
    return run(u"clsKvMorvel10A.GetProResStrings", [&] {
        *require(result) = nullptr;
        throw errors::notAvailable(u"GetProResStrings");
    });
}

HRESULT clsKvMorvel10A::get_GetProResPicture(LONG*, LONG*, IPictureDisp** result)
{
    return run(u"clsKvMorvel10A.GetProResPicture", [&] {
        *require(result) = nullptr;
        throw errors::notAvailable(u"GetProResPicture");
    });
}

HRESULT clsKvMorvel10A::get_GetProResData(LONG*, VARIANT*, VARIANT* result)
{
    return run(u"clsKvMorvel10A.GetProResData", [&] {
        VariantInit(require(result));
        throw errors::notAvailable(u"GetProResData");
    });
}

HRESULT clsKvMorvel10A::About(LONG* result)
{
    return run(u"clsKvMorvel10A.About", [&] {
        *require(result) = 0;
        throw errors::notAvailable(u"About");
    });
}

HRESULT clsKvMorvel10A::get_BuddyObjectGlobal(IDispatch** result)
{
    return run(u"clsKvMorvel10A.BuddyObjectGlobal", [&] {
        *require(result) = nullptr;
        throw errors::notAvailable(u"BuddyObjectGlobal");
    });
}

HRESULT clsKvMorvel10A::putref_BuddyObjectGlobal(IDispatch*)
{
    return run(u"clsKvMorvel10A.BuddyObjectGlobal", [&] { throw errors::notAvailable(u"BuddyObjectGlobal"); });
}

}  // namespace morvel
