#include "ComWinHelp.h"

#include "comkit/Conversions.h"
#include "comkit/ErrorInfo.h"

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
std::uint32_t idValue(const LONG* id) { return static_cast<std::uint32_t>(*require(id)); }

}  // namespace

ComWinHelp::ComWinHelp() = default;
ComWinHelp::~ComWinHelp() = default;

HRESULT ComWinHelp::get_FileName(BSTR* result)
{
    return absorbing(u"czHlpfHLP.FileName", [&] {
        *require(result) = nullptr;
        *result = toBstr(object_.FileName);
    });
}

HRESULT ComWinHelp::put_FileName(BSTR rhs)
{
    return absorbing(u"czHlpfHLP.FileName", [&] { object_.FileName = fromBstr(rhs); });
}

HRESULT ComWinHelp::get_AnyData(VARIANT* result)
{
    if (!result) return E_POINTER;
    anyData_.copyTo(result);  // a copy that fails is absorbed: Empty comes back
    return S_OK;
}

HRESULT ComWinHelp::put_AnyData(VARIANT rhs) { return anyData_.assign(rhs); }

HRESULT ComWinHelp::GetMenuContextHelpIdHlpf(LONG* lMenuHandle, LONG* result)
{
    return absorbing(u"czHlpfHLP.GetMenuContextHelpIdHlpf", [&] {
        *require(result) = 0;
        *result = object_.GetMenuContextHelpIdHlpf(handleValue(lMenuHandle));
    });
}

HRESULT ComWinHelp::GetWindowContextHelpIdHlpf(LONG* lWindowHandle, LONG* result)
{
    return absorbing(u"czHlpfHLP.GetWindowContextHelpIdHlpf", [&] {
        *require(result) = 0;
        *result = object_.GetWindowContextHelpIdHlpf(handleValue(lWindowHandle));
    });
}

HRESULT ComWinHelp::SetMenuContextHelpIdHlpf(LONG* lMenuHandle, LONG* lslFlags, LONG* result)
{
    return absorbing(u"czHlpfHLP.SetMenuContextHelpIdHlpf", [&] {
        *require(result) = 0;
        *result = object_.SetMenuContextHelpIdHlpf(handleValue(lMenuHandle), idValue(lslFlags));
    });
}

HRESULT ComWinHelp::SetWindowContextHelpIdHlpf(LONG* lWindowHandle, LONG* lslFlags, LONG* result)
{
    return absorbing(u"czHlpfHLP.SetWindowContextHelpIdHlpf", [&] {
        *require(result) = 0;
        *result = object_.SetWindowContextHelpIdHlpf(handleValue(lWindowHandle), idValue(lslFlags));
    });
}

HRESULT ComWinHelp::WinHelpHlpf(LONG* lWindowHandle, WinHelpCmdHlpfConstants* lHelpCommand, LONG* result)
{
    return run(u"czHlpfHLP.WinHelpHlpf", [&] {
        *require(result) = 0;
        const std::uint32_t window = handleValue(lWindowHandle);
        // Any 32-bit number the host passes is a command, not only the enumeration's values,
        // which in C++ would not cover all of them: the bits are read as they are.
        const auto command = static_cast<std::uint32_t>(rawEnumValue(*require(lHelpCommand)));
        // The core reports its own errors and answers 0; only a failed report gets here.
        *result = object_.WinHelpHlpf(window, command, anyData_);
    });
}

}  // namespace morvel::winhelp
