#include "clsKvorErrorHandlerA.h"

#include <string>

#include "CallLog.h"

namespace ostrel {

// ErrorHandlerMessageKv(application, error, text, source, number, text, number[, extra]):
// an error box captioned with the application's title, telling the error's number,
// description and source (the caller's source text, or else the error's own). The other
// arguments are accepted and left as they are.
HRESULT clsKvorErrorHandlerA::call(DISPID member, const DISPPARAMS& params, UINT* argError)
{
    if (member != 1) return DISP_E_MEMBERNOTFOUND;
    if (params.cArgs < 7 || params.cArgs > 8) return DISP_E_BADPARAMCOUNT;
    IDispatch* error = objectOf(argumentAt(params, 1));
    if (!error) {
        if (argError) *argError = params.cArgs - 2;  // index into rgvarg, which runs backwards
        return DISP_E_TYPEMISMATCH;
    }
    logCall(L"ErrorHandlerMessageKv", params);

    std::wstring source = textOf(argumentAt(params, 3));
    if (source.empty()) source = propertyText(error, L"Source");
    std::wstring caption = propertyText(objectOf(argumentAt(params, 0)), L"Title");
    if (caption.empty()) caption = L"Error";
    const std::wstring text = L"Error " + propertyText(error, L"Number") + L": " + propertyText(error, L"Description") +
                              L"\r\n\r\nSource: " + source;
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONHAND);
    return S_OK;
}

}  // namespace ostrel
