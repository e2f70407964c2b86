#include "ComWinHelp.h"

#include "frame/Conversions.h"
#include "frame/ErrorInfo.h"

namespace morvel::winhelp {
namespace {

template <class Body>
HRESULT run(const char16_t* source, Body&& body) noexcept
{
    return guard(__uuidof(_clsKvHlpfHlpA), source, std::forward<Body>(body));
}

}  // namespace

HRESULT ComWinHelp::get_FileName(BSTR* result)
{
    return run(u"czHlpfHLP.FileName", [&] {
        *require(result) = nullptr;
        if (fileName_.get()) *result = toBstr(fromBstr(fileName_.get()));
    });
}

HRESULT ComWinHelp::put_FileName(BSTR rhs)
{
    return run(u"czHlpfHLP.FileName", [&] { fileName_ = Bstr::adopt(toBstr(fromBstr(rhs))); });
}

HRESULT ComWinHelp::get_AnyData(VARIANT* result)
{
    if (!result) return E_POINTER;
    VariantInit(result);
    return VariantCopy(result, anyData_.get());
}

HRESULT ComWinHelp::put_AnyData(VARIANT rhs)
{
    Variant copy;
    if (HRESULT hr = VariantCopy(copy.get(), &rhs); FAILED(hr)) return hr;
    anyData_ = std::move(copy);
    return S_OK;
}

HRESULT ComWinHelp::GetMenuContextHelpIdHlpf(LONG*, LONG* result)
{
    return run(u"czHlpfHLP.GetMenuContextHelpIdHlpf", [&] {
        *require(result) = 0;
        throw errors::notAvailable(u"GetMenuContextHelpIdHlpf");
    });
}

HRESULT ComWinHelp::GetWindowContextHelpIdHlpf(LONG*, LONG* result)
{
    return run(u"czHlpfHLP.GetWindowContextHelpIdHlpf", [&] {
        *require(result) = 0;
        throw errors::notAvailable(u"GetWindowContextHelpIdHlpf");
    });
}

HRESULT ComWinHelp::SetMenuContextHelpIdHlpf(LONG*, LONG*, LONG* result)
{
    return run(u"czHlpfHLP.SetMenuContextHelpIdHlpf", [&] {
        *require(result) = 0;
        throw errors::notAvailable(u"SetMenuContextHelpIdHlpf");
    });
}

HRESULT ComWinHelp::SetWindowContextHelpIdHlpf(LONG*, LONG*, LONG* result)
{
    return run(u"czHlpfHLP.SetWindowContextHelpIdHlpf", [&] {
        *require(result) = 0;
        throw errors::notAvailable(u"SetWindowContextHelpIdHlpf");
    });
}

HRESULT ComWinHelp::WinHelpHlpf(LONG*, WinHelpCmdHlpfConstants*, LONG* result)
{
    return run(u"czHlpfHLP.WinHelpHlpf", [&] {
        *require(result) = 0;
        throw errors::notAvailable(u"WinHelpHlpf");
    });
}

}  // namespace morvel::winhelp
