#include "basKvorCommonA.h"

#include <new>

#include "comkit/Conversions.h"
#include "comkit/ErrorInfo.h"
#include "ErrorObject.h"
#include "comkit/Handles.h"
#include "comkit/LateBinding.h"
#include "basKvMorvel10A.h"

namespace morvel::basKvorCommonA {
namespace {

constexpr const wchar_t* applicationProgId = L"Ostrel10.clsKvOstrel10A";
constexpr const wchar_t* errorHandlerProgId = L"Ostrel10.clsKvorErrorHandlerA";
constexpr const wchar_t* aboutSource = L"basKvorCommonA.AppAboutKvor_Pro";

// A by-reference argument pointing at `target`'s value; whatever the callee stores there
// is released with `target`.
VARIANT byRef(Variant& target)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = static_cast<VARTYPE>(VT_BYREF | V_VT(target.get()));
    V_BYREF(&v) = &V_I4(target.get());  // every value of the union starts at its beginning
    return v;
}

// Runs one step of the About service; its error is reported and the service goes on.
template <class Step>
void aboutStep(Step&& step)
{
    try {
        step();
    } catch (const AutomationError& error) {
        reportError(error, aboutSource);
    } catch (const std::bad_alloc&) {
        reportError(errors::outOfMemory(), aboutSource);
    }
}

}  // namespace

void ErrorHandlerMessageKv_Pro(IDispatch* application, IDispatch* error, const std::wstring& text3,
                               const std::wstring& source, LONG number5, const std::wstring& text6, LONG number7,
                               const VARIANT* optional)
{
    // A new handler for every report: nothing survives from one report to the next.
    ComPtr<IDispatch> handler = createObject(errorHandlerProgId);

    Variant values[] = {variantOfObject(application), variantOfObject(error), variantOfText(text3),
                        variantOfText(source),        variantOfLong(number5), variantOfText(text6),
                        variantOfLong(number7)};
    Variant eighth;
    if (optional) {
        if (HRESULT hr = VariantCopy(eighth.get(), const_cast<VARIANT*>(optional)); FAILED(hr))
            throw errorFromHresult(hr);
    } else {
        V_VT(eighth.get()) = VT_ERROR;
        V_ERROR(eighth.get()) = DISP_E_PARAMNOTFOUND;
    }
    VARIANT args[8];
    for (int i = 0; i < 7; ++i) args[i] = byRef(values[i]);
    args[7] = *eighth.get();  // lent, not moved: `eighth` still owns it
    callByName(handler.get(), L"ErrorHandlerMessageKv", args);
}

void reportError(const AutomationError& error, const wchar_t* source)
{
    ComPtr<IDispatch> application = basKvMorvel10A::App();
    ComPtr<IDispatch> errorObject = createErrorObject(error);
    ErrorHandlerMessageKv_Pro(application.get(), errorObject.get(), L"", source, 0, L"", 0);
}

void AppAboutKvor_Pro()
{
    ComPtr<IDispatch> application;
    aboutStep([&] { application = createObject(applicationProgId); });
    ComPtr<IDispatch> second = application;
    aboutStep([&] {
        Variant argument = variantOfObject(basKvMorvel10A::App().get());
        callByName(second.get(), L"AppAboutKvor", {argument.get(), 1});
    });
    second.reset();
    application.reset();
}

}  // namespace morvel::basKvorCommonA
