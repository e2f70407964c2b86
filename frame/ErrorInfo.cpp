#include "ErrorInfo.h"

#include "Handles.h"

namespace morvel {

HRESULT setAutomationError(const AutomationError& error, REFIID iid) noexcept
{
    const HRESULT result = automationHresult(error.number());
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.put()))) return result;
    create->SetGUID(iid);
    create->SetSource(const_cast<LPOLESTR>(reinterpret_cast<const wchar_t*>(error.source().c_str())));
    create->SetDescription(const_cast<LPOLESTR>(reinterpret_cast<const wchar_t*>(error.description().c_str())));
    if (auto info = create.as<IErrorInfo>()) SetErrorInfo(0, info.get());
    return result;
}

}  // namespace morvel
