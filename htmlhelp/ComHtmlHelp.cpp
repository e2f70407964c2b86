#include "ComHtmlHelp.h"

#include "comkit/Conversions.h"
#include "comkit/ErrorInfo.h"

namespace morvel::htmlhelp {

ComHtmlHelp::ComHtmlHelp() = default;
ComHtmlHelp::~ComHtmlHelp() = default;

template <class Command>
void ComHtmlHelp::withVariable(BSTR* variable, Command&& command)
{
    Text value = fromBstr(*require(variable));
    try {
        command(value);
    } catch (...) {
        assignBstr(variable, value);
        throw;
    }
    assignBstr(variable, value);
}

template <class Body>
HRESULT ComHtmlHelp::run(const char16_t* source, Body&& body) noexcept
{
    return guard(__uuidof(_clsKvHlpfHtmlA), source, std::forward<Body>(body));
}

HRESULT ComHtmlHelp::getText(BSTR* result, Text HtmlHelpState::*item) noexcept
{
    return run(u"clsKvHlpfHtmlA", [&] {
        *require(result) = nullptr;
        *result = toBstr(textOrEmpty(state().*item));
    });
}

HRESULT ComHtmlHelp::putText(BSTR value, Text HtmlHelpState::*item) noexcept
{
    return run(u"clsKvHlpfHtmlA", [&] { state().*item = fromBstr(value); });
}

template <class T>
HRESULT ComHtmlHelp::getValue(T* result, T HtmlHelpState::*item) noexcept
{
    if (!result) return E_POINTER;
    *result = state().*item;
    return S_OK;
}

template <class T>
HRESULT ComHtmlHelp::putValue(T value, T HtmlHelpState::*item) noexcept
{
    state().*item = value;
    return S_OK;
}

// --- Public data members -------------------------------------------------------------

HRESULT ComHtmlHelp::get_frm(IDispatch** result)
{
    if (!result) return E_POINTER;
    *result = ComPtr<IDispatch>(frm_).detach();
    return S_OK;
}

HRESULT ComHtmlHelp::putref_frm(IDispatch* rhs)
{
    frm_ = ComPtr<IDispatch>::addRef(rhs);
    return S_OK;
}

HRESULT ComHtmlHelp::get_Hwnd(LONG* result)
{
    return getValue<std::int32_t>(reinterpret_cast<std::int32_t*>(result), &HtmlHelpState::Hwnd);
}
HRESULT ComHtmlHelp::put_Hwnd(LONG rhs) { return putValue<std::int32_t>(rhs, &HtmlHelpState::Hwnd); }
HRESULT ComHtmlHelp::get_lpPrevWndFunc(LONG* result)
{
    return getValue<std::int32_t>(reinterpret_cast<std::int32_t*>(result), &HtmlHelpState::lpPrevWndFunc);
}
HRESULT ComHtmlHelp::put_lpPrevWndFunc(LONG rhs) { return putValue<std::int32_t>(rhs, &HtmlHelpState::lpPrevWndFunc); }

// --- Commands ------------------------------------------------------------------------

namespace {
// A display command reads the caller's window through a pointer, null when the caller
// left the optional argument out (only a function-table caller can).
void display(DisplayCommands& commands, void (DisplayCommands::*command)(const std::int32_t*), const LONG* CallingForm)
{
    const std::int32_t form = CallingForm ? static_cast<std::int32_t>(*CallingForm) : 0;
    (commands.*command)(CallingForm ? &form : nullptr);
}
}  // namespace

HRESULT ComHtmlHelp::HHDisplayTopicURL(LONG* CallingForm)
{
    return run(u"clsKvHlpfHtmlA.HHDisplayTopicURL",
               [&] { display(object_.displayCommands, &DisplayCommands::HHDisplayTopicURL, CallingForm); });
}
HRESULT ComHtmlHelp::HHDisplayTopicID(LONG* CallingForm)
{
    return run(u"clsKvHlpfHtmlA.HHDisplayTopicID",
               [&] { display(object_.displayCommands, &DisplayCommands::HHDisplayTopicID, CallingForm); });
}
HRESULT ComHtmlHelp::HHDisplaySearch(LONG* CallingForm)
{
    return run(u"clsKvHlpfHtmlA.HHDisplaySearch",
               [&] { display(object_.displayCommands, &DisplayCommands::HHDisplaySearch, CallingForm); });
}
HRESULT ComHtmlHelp::HHDisplayKeyword(LONG* CallingForm)
{
    return run(u"clsKvHlpfHtmlA.HHDisplayKeyword",
               [&] { display(object_.displayCommands, &DisplayCommands::HHDisplayKeyword, CallingForm); });
}
HRESULT ComHtmlHelp::HHDisplayIndex(LONG* CallingForm)
{
    return run(u"clsKvHlpfHtmlA.HHDisplayIndex",
               [&] { display(object_.displayCommands, &DisplayCommands::HHDisplayIndex, CallingForm); });
}
HRESULT ComHtmlHelp::HHDisplayContents(LONG* CallingForm)
{
    return run(u"clsKvHlpfHtmlA.HHDisplayContents",
               [&] { display(object_.displayCommands, &DisplayCommands::HHDisplayContents, CallingForm); });
}
HRESULT ComHtmlHelp::HHDisplayALink(LONG* CallingForm)
{
    return run(u"clsKvHlpfHtmlA.HHDisplayALink",
               [&] { display(object_.displayCommands, &DisplayCommands::HHDisplayALink, CallingForm); });
}
HRESULT ComHtmlHelp::HHRegister(BSTR* FileToRegister)
{
    return run(u"clsKvHlpfHtmlA.HHRegister", [&] {
        withVariable(FileToRegister, [&](Text& file) { object_.helpFileRegistration.HHRegister(file); });
    });
}
HRESULT ComHtmlHelp::HHUnRegister(BSTR* FileToUnRegister)
{
    return run(u"clsKvHlpfHtmlA.HHUnRegister", [&] {
        withVariable(FileToUnRegister, [&](Text& file) { object_.helpFileRegistration.HHUnRegister(file); });
    });
}
HRESULT ComHtmlHelp::HHCheckRegistry(BSTR* FileToCheck, VARIANT* result)
{
    return run(u"clsKvHlpfHtmlA.HHCheckRegistry", [&] {
        VariantInit(require(result));
        const Text file = fromBstr(*require(FileToCheck));
        if (object_.helpFileRegistration.HHCheckRegistry(file) == CheckRegistryResult::Empty) return;
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = VARIANT_FALSE;
    });
}
HRESULT ComHtmlHelp::HHClose()
{
    return run(u"clsKvHlpfHtmlA.HHClose", [&] { object_.displayCommands.HHClose(); });
}
HRESULT ComHtmlHelp::HHSetHelpFile(short intSelHelpFile, BSTR* result)
{
    return run(u"clsKvHlpfHtmlA.HHSetHelpFile", [&] {
        *require(result) = nullptr;
        *result = toBstr(object_.displayCommands.HHSetHelpFile(intSelHelpFile));
    });
}
HRESULT ComHtmlHelp::HHDisplayPopup(LONG* CallingForm)
{
    return run(u"clsKvHlpfHtmlA.HHDisplayPopup", [&] { object_.popups.HHDisplayPopup(*require(CallingForm)); });
}
HRESULT ComHtmlHelp::HHInvokeWhatsThisHelp(LONG* CallingForm)
{
    return run(u"clsKvHlpfHtmlA.HHInvokeWhatsThisHelp",
               [&] { object_.popups.HHInvokeWhatsThisHelp(*require(CallingForm)); });
}
HRESULT ComHtmlHelp::HHVerifyMinConfig(::HHVersion* MinHHVersion, ::IEVersion* MinIEVersion, VARIANT_BOOL* result)
{
    return run(u"clsKvHlpfHtmlA.HHVerifyMinConfig", [&] {
        *require(result) = VARIANT_FALSE;
        // Only read: any value, inside the enumerations or not, goes to the check.
        const std::int32_t minHH = rawEnumValue(*require(MinHHVersion));
        const std::int32_t minIE = rawEnumValue(*require(MinIEVersion));
        if (object_.installationCheck.HHVerifyMinConfig(minHH, minIE)) *result = VARIANT_TRUE;
    });
}
HRESULT ComHtmlHelp::EnsureFileExists(BSTR* FileToFind, VARIANT_BOOL* result)
{
    return run(u"clsKvHlpfHtmlA.EnsureFileExists", [&] {
        *require(result) = VARIANT_FALSE;
        withVariable(FileToFind, [&](Text& file) {
            if (object_.helpFileChecks.EnsureFileExists(file)) *result = VARIANT_TRUE;
        });
    });
}
HRESULT ComHtmlHelp::GetKeyInfo(BSTR key_name, short indent, VARIANT_BOOL* result)
{
    return run(u"clsKvHlpfHtmlA.GetKeyInfo", [&] {
        *require(result) = VARIANT_FALSE;
        if (object_.registryAccess.GetKeyInfo(fromBstrOrEmpty(key_name), indent)) *result = VARIANT_TRUE;
    });
}
HRESULT ComHtmlHelp::GetWindowsVersion(LONG* result)
{
    return run(u"clsKvHlpfHtmlA.GetWindowsVersion", [&] {
        *require(result) = 0;
        *result = object_.platformHelpers.GetWindowsVersion();
    });
}

// --- Settings ------------------------------------------------------------------------

HRESULT ComHtmlHelp::put_HHWindow(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHWindow); }
HRESULT ComHtmlHelp::get_HHWindow(BSTR* result) { return getText(result, &HtmlHelpState::HHWindow); }
HRESULT ComHtmlHelp::put_HHTopicURL(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHTopicURL); }
HRESULT ComHtmlHelp::get_HHTopicURL(BSTR* result) { return getText(result, &HtmlHelpState::HHTopicURL); }
HRESULT ComHtmlHelp::put_HHTopicID(LONG rhs) { return putValue<std::int32_t>(rhs, &HtmlHelpState::HHTopicID); }
HRESULT ComHtmlHelp::get_HHTopicID(LONG* result)
{
    return getValue<std::int32_t>(reinterpret_cast<std::int32_t*>(result), &HtmlHelpState::HHTopicID);
}
HRESULT ComHtmlHelp::put_HHMsgTitle(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHMsgTitle); }
HRESULT ComHtmlHelp::get_HHMsgTitle(BSTR* result) { return getText(result, &HtmlHelpState::HHMsgTitle); }
HRESULT ComHtmlHelp::put_HHMsgText(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHMsgText); }
HRESULT ComHtmlHelp::get_HHMsgText(BSTR* result) { return getText(result, &HtmlHelpState::HHMsgText); }
HRESULT ComHtmlHelp::put_HHKeyword(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHKeyword); }
HRESULT ComHtmlHelp::get_HHKeyword(BSTR* result) { return getText(result, &HtmlHelpState::HHKeyword); }
HRESULT ComHtmlHelp::put_HHDefaultURL(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHDefaultURL); }
HRESULT ComHtmlHelp::get_HHDefaultURL(BSTR* result) { return getText(result, &HtmlHelpState::HHDefaultURL); }
HRESULT ComHtmlHelp::put_HHALink(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHALink); }
HRESULT ComHtmlHelp::get_HHALink(BSTR* result) { return getText(result, &HtmlHelpState::HHALink); }
HRESULT ComHtmlHelp::put_CHMFile(BSTR rhs) { return putText(rhs, &HtmlHelpState::CHMFile); }
HRESULT ComHtmlHelp::get_CHMFile(BSTR* result) { return getText(result, &HtmlHelpState::CHMFile); }
HRESULT ComHtmlHelp::put_HHShowOnTop(VARIANT_BOOL rhs) { return putValue<Bool16>(rhs, &HtmlHelpState::HHShowOnTop); }
HRESULT ComHtmlHelp::get_HHShowOnTop(VARIANT_BOOL* result)
{
    return getValue<Bool16>(result, &HtmlHelpState::HHShowOnTop);
}
HRESULT ComHtmlHelp::get_HHRegFileName(BSTR* result) { return getText(result, &HtmlHelpState::HHRegFileName); }
HRESULT ComHtmlHelp::get_HHRegFilePath(BSTR* result) { return getText(result, &HtmlHelpState::HHRegFilePath); }
HRESULT ComHtmlHelp::get_HHRegFileExists(VARIANT_BOOL* result)
{
    return getValue<Bool16>(result, &HtmlHelpState::HHRegFileExists);
}
HRESULT ComHtmlHelp::put_HHPopupFile(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHPopupFile); }
HRESULT ComHtmlHelp::put_HHPopupID(LONG rhs) { return putValue<std::int32_t>(rhs, &HtmlHelpState::HHPopupID); }
HRESULT ComHtmlHelp::put_HHPopupText(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHPopupText); }
HRESULT ComHtmlHelp::put_HHPopupType(PopupType rhs)
{
    return putValue<std::int32_t>(rawEnumValue(rhs), &HtmlHelpState::HHPopupType);
}
HRESULT ComHtmlHelp::put_HHPopupTextColor(LONG rhs)
{
    return putValue<std::int32_t>(rhs, &HtmlHelpState::HHPopupTextColor);
}
HRESULT ComHtmlHelp::put_HHPopupBackColor(LONG rhs)
{
    return putValue<std::int32_t>(rhs, &HtmlHelpState::HHPopupBackColor);
}
HRESULT ComHtmlHelp::put_HHPopupCustomTextColor(LONG rhs)
{
    return putValue<std::int32_t>(rhs, &HtmlHelpState::HHPopupCustomTextColor);
}
HRESULT ComHtmlHelp::put_HHPopupCustomBackColor(LONG rhs)
{
    return putValue<std::int32_t>(rhs, &HtmlHelpState::HHPopupCustomBackColor);
}
HRESULT ComHtmlHelp::put_HHPopupCustomColors(VARIANT_BOOL rhs)
{
    return putValue<Bool16>(rhs, &HtmlHelpState::HHPopupCustomColors);
}
HRESULT ComHtmlHelp::get_HHPopupCustomColors(VARIANT_BOOL* result)
{
    return getValue<Bool16>(result, &HtmlHelpState::HHPopupCustomColors);
}
HRESULT ComHtmlHelp::put_HHPopupTextFont(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHPopupTextFont); }
HRESULT ComHtmlHelp::put_HHPopupTextSize(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHPopupTextSize); }
HRESULT ComHtmlHelp::put_HHPopupTextBold(VARIANT_BOOL rhs)
{
    return putValue<Bool16>(rhs, &HtmlHelpState::HHPopupTextBold);
}
HRESULT ComHtmlHelp::put_HHPopupTextItalic(VARIANT_BOOL rhs)
{
    return putValue<Bool16>(rhs, &HtmlHelpState::HHPopupTextItalic);
}
HRESULT ComHtmlHelp::put_HHPopupTextUnderline(VARIANT_BOOL rhs)
{
    return putValue<Bool16>(rhs, &HtmlHelpState::HHPopupTextUnderline);
}

// --- Installation --------------------------------------------------------------------

HRESULT ComHtmlHelp::get_HHInstalled(VARIANT_BOOL* result)
{
    return run(u"clsKvHlpfHtmlA.HHInstalled", [&] {
        *require(result) = VARIANT_FALSE;
        if (object_.installationCheck.HHInstalled()) *result = VARIANT_TRUE;
    });
}
// The four reads run their check or lookup first; the core ignores its errors.
HRESULT ComHtmlHelp::get_HHVersion(BSTR* result)
{
    return run(u"clsKvHlpfHtmlA.HHVersion", [&] {
        *require(result) = nullptr;
        *result = toBstr(object_.installationCheck.HHVersion());
    });
}
HRESULT ComHtmlHelp::get_IEVersion(BSTR* result)
{
    return run(u"clsKvHlpfHtmlA.IEVersion", [&] {
        *require(result) = nullptr;
        *result = toBstr(object_.installationCheck.IEVersion());
    });
}
HRESULT ComHtmlHelp::get_HHFriendlyName(BSTR* result)
{
    return run(u"clsKvHlpfHtmlA.HHFriendlyName", [&] {
        *require(result) = nullptr;
        *result = toBstr(object_.installationCheck.HHFriendlyName());
    });
}
HRESULT ComHtmlHelp::get_IEFriendlyName(BSTR* result)
{
    return run(u"clsKvHlpfHtmlA.IEFriendlyName", [&] {
        *require(result) = nullptr;
        *result = toBstr(object_.installationCheck.IEFriendlyName());
    });
}

}  // namespace morvel::htmlhelp
