#include "ComWinHelp.h"

#include <cstring>
#include <new>

#include "frame/Conversions.h"
#include "frame/ErrorInfo.h"
#include "frame/VariantCoercion.h"
#include "frame/basKvorCommonA.h"
#include "winhelp/Win32WinHelpPort.h"

namespace morvel::winhelp {
namespace {

template <class Body>
HRESULT run(const char16_t* source, Body&& body) noexcept
{
    return guard(__uuidof(_clsKvHlpfHlpA), source, std::forward<Body>(body));
}

// The property accessors and the context-help members never fail towards the host: an
// error inside them is swallowed and the result keeps the value it was cleared to. Only a
// NULL pointer from the caller is still refused.
template <class Body>
HRESULT absorbing(const char16_t* source, Body&& body) noexcept
{
    const HRESULT hr = run(source, std::forward<Body>(body));
    if (SUCCEEDED(hr) || hr == E_POINTER) return hr;
    SetErrorInfo(0, nullptr);
    return S_OK;
}

std::uint32_t handleValue(const LONG* handle) { return static_cast<std::uint32_t>(*require(handle)); }

}  // namespace

ComWinHelp::ComWinHelp() : port_(std::make_unique<Win32WinHelpPort>()) {}
ComWinHelp::~ComWinHelp() = default;

HRESULT ComWinHelp::get_FileName(BSTR* result)
{
    return absorbing(u"czHlpfHLP.FileName", [&] {
        *require(result) = nullptr;
        *result = toBstr(fileName_);
    });
}

HRESULT ComWinHelp::put_FileName(BSTR rhs)
{
    return absorbing(u"czHlpfHLP.FileName", [&] { fileName_ = fromBstr(rhs); });
}

HRESULT ComWinHelp::get_AnyData(VARIANT* result)
{
    if (!result) return E_POINTER;
    VariantInit(result);
    if (FAILED(VariantCopy(result, anyData_.get()))) VariantInit(result);  // absorbed: Empty comes back
    return S_OK;
}

HRESULT ComWinHelp::put_AnyData(VARIANT rhs)
{
    // A script passes a variable as a reference to it; the property keeps the value, never
    // a pointer into the caller's variable.
    Variant copy;
    if (HRESULT hr = copyByValue(copy.get(), rhs); FAILED(hr)) return hr;
    anyData_ = std::move(copy);
    return S_OK;
}

HRESULT ComWinHelp::GetMenuContextHelpIdHlpf(LONG* lMenuHandle, LONG* result)
{
    return absorbing(u"czHlpfHLP.GetMenuContextHelpIdHlpf", [&] {
        *require(result) = 0;
        *result = static_cast<LONG>(port_->GetMenuContextHelpId(handleValue(lMenuHandle)));
    });
}

HRESULT ComWinHelp::GetWindowContextHelpIdHlpf(LONG* lWindowHandle, LONG* result)
{
    return absorbing(u"czHlpfHLP.GetWindowContextHelpIdHlpf", [&] {
        *require(result) = 0;
        *result = static_cast<LONG>(port_->GetWindowContextHelpId(handleValue(lWindowHandle)));
    });
}

HRESULT ComWinHelp::SetMenuContextHelpIdHlpf(LONG* lMenuHandle, LONG* lslFlags, LONG* result)
{
    return absorbing(u"czHlpfHLP.SetMenuContextHelpIdHlpf", [&] {
        *require(result) = 0;
        *result = port_->SetMenuContextHelpId(handleValue(lMenuHandle), static_cast<std::uint32_t>(*require(lslFlags)));
    });
}

HRESULT ComWinHelp::SetWindowContextHelpIdHlpf(LONG* lWindowHandle, LONG* lslFlags, LONG* result)
{
    return absorbing(u"czHlpfHLP.SetWindowContextHelpIdHlpf", [&] {
        *require(result) = 0;
        *result =
            port_->SetWindowContextHelpId(handleValue(lWindowHandle), static_cast<std::uint32_t>(*require(lslFlags)));
    });
}

AnyDataValue ComWinHelp::decideAnyData() const
{
    const VARIANT& data = *anyData_.get();
    switch (routeOfAnyData(V_VT(&data))) {
    case AnyDataRoute::Number:
        return V_VT(&data) == VT_I2 ? std::int32_t{V_I2(&data)} : std::int32_t{V_I4(&data)};
    case AnyDataRoute::Text:
        return fromBstrOrEmpty(V_BSTR(&data));
    case AnyDataRoute::Coerced:
        break;
    }
    return coerceToInt32(data);
}

HRESULT ComWinHelp::WinHelpHlpf(LONG* lWindowHandle, WinHelpCmdHlpfConstants* lHelpCommand, LONG* result)
{
    static constexpr const wchar_t* source = L"czHlpfHLP.WinHelpHlpf";
    return run(u"czHlpfHLP.WinHelpHlpf", [&] {
        *require(result) = 0;
        const std::uint32_t window = handleValue(lWindowHandle);
        // Any 32-bit number the host passes is a command, not only the enumeration's values,
        // which in C++ would not cover all of them: the bits are read as they are.
        static_assert(sizeof(WinHelpCmdHlpfConstants) == sizeof(std::uint32_t));
        std::uint32_t command = 0;
        std::memcpy(&command, require(lHelpCommand), sizeof command);
        // Every error of preparing or making the call goes to the companion's report and
        // the member completes with 0; an error of the report itself fails the call.
        try {
            *result = runWinHelp(*port_, window, fileName_, command, decideAnyData());
        } catch (const AutomationError& error) {
            basKvorCommonA::reportError(error, source);
            *result = 0;
        } catch (const std::bad_alloc&) {
            basKvorCommonA::reportError(AutomationError(errors::OutOfMemory, u"Out of memory"), source);
            *result = 0;
        }
    });
}

}  // namespace morvel::winhelp
