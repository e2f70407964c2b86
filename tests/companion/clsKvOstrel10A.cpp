#include "clsKvOstrel10A.h"

#include <string>

#include "CallLog.h"

namespace ostrel {

// AppAboutKvor(application): an information box captioned "About <Title>" with the title,
// the version Major.Minor.Revision and, where the object has them, its comment and
// copyright. Everything is read by late binding, so any object with those names serves.
HRESULT clsKvOstrel10A::call(DISPID member, const DISPPARAMS& params, UINT* argError)
{
    if (member != 1) return DISP_E_MEMBERNOTFOUND;
    if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
    IDispatch* application = objectOf(argumentAt(params, 0));
    if (!application) {
        if (argError) *argError = 0;
        return DISP_E_TYPEMISMATCH;
    }
    logCall(L"AppAboutKvor", params);

    const std::wstring title = propertyText(application, L"Title");
    std::wstring text = title + L"\r\nVersion " + propertyText(application, L"Major") + L"." +
                        propertyText(application, L"Minor") + L"." + propertyText(application, L"Revision");
    for (const wchar_t* extra : {L"Comments", L"LegalCopyright"}) {
        const std::wstring value = propertyText(application, extra);
        if (!value.empty()) text += L"\r\n\r\n" + value;
    }
    const std::wstring caption = L"About " + title;
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
    return S_OK;
}

}  // namespace ostrel
