#include "clsKvMorvel10A.h"

#include <limits>

#include "comkit/Conversions.h"
#include "comkit/ErrorInfo.h"
#include "LibraryResources.h"
#include "basKvMorvel10A.h"
#include "basKvorCommonA.h"

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
        *result = basKvMorvel10A::App().detach();
    });
}

HRESULT clsKvMorvel10A::get_GetProResStrings(LONG* lResId, BSTR* result)
{
    return run(u"clsKvMorvel10A.GetProResStrings", [&] {
        *require(result) = nullptr;
        *result = toBstr(loadResString(*require(lResId)));
    });
}

HRESULT clsKvMorvel10A::get_GetProResPicture(LONG* lResId, LONG* lRestype, IPictureDisp** result)
{
    return run(u"clsKvMorvel10A.GetProResPicture", [&] {
        *require(result) = nullptr;
        const LONG id = *require(lResId);
        const LONG kind = *require(lRestype);
        // The kind is a 16-bit value to the runtime; narrowing fails before any look-up.
        if (kind < std::numeric_limits<std::int16_t>::min() || kind > std::numeric_limits<std::int16_t>::max())
            throw errors::overflow();
        *result = loadResPicture(id, static_cast<std::int16_t>(kind)).detach();
    });
}

HRESULT clsKvMorvel10A::get_GetProResData(LONG* lResId, VARIANT* vRestype, VARIANT* result)
{
    return run(u"clsKvMorvel10A.GetProResData", [&] {
        VariantInit(require(result));
        const LONG id = *require(lResId);
        loadResData(id, *require(vRestype)).detachTo(result);
    });
}

HRESULT clsKvMorvel10A::About(LONG* result)
{
    return run(u"clsKvMorvel10A.About", [&] {
        *require(result) = 0;
        basKvorCommonA::AppAboutKvor_Pro();
    });
}

HRESULT clsKvMorvel10A::get_BuddyObjectGlobal(IDispatch** result)
{
    return run(u"clsKvMorvel10A.BuddyObjectGlobal", [&] {
        *require(result) = nullptr;
        *result = basKvMorvel10A::BuddyObjectGlobal().detach();
    });
}

HRESULT clsKvMorvel10A::putref_BuddyObjectGlobal(IDispatch* rhs)
{
    return run(u"clsKvMorvel10A.BuddyObjectGlobal", [&] { basKvMorvel10A::setBuddyObjectGlobal(rhs); });
}

}  // namespace morvel
