#include "ComHtmlHelp.h"

#include "frame/Conversions.h"
#include "frame/ErrorInfo.h"

namespace morvel::htmlhelp {

ComHtmlHelp::ComHtmlHelp() = default;
ComHtmlHelp::~ComHtmlHelp() = default;

HtmlHelpState& ComHtmlHelp::state() noexcept { return state_; }

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

HRESULT ComHtmlHelp::get_Hwnd(LONG* result) { return getValue<std::int32_t>(reinterpret_cast<std::int32_t*>(result), &HtmlHelpState::Hwnd); }
HRESULT ComHtmlHelp::put_Hwnd(LONG rhs) { return putValue<std::int32_t>(rhs, &HtmlHelpState::Hwnd); }
HRESULT ComHtmlHelp::get_lpPrevWndFunc(LONG* result) { return getValue<std::int32_t>(reinterpret_cast<std::int32_t*>(result), &HtmlHelpState::lpPrevWndFunc); }
HRESULT ComHtmlHelp::put_lpPrevWndFunc(LONG rhs) { return putValue<std::int32_t>(rhs, &HtmlHelpState::lpPrevWndFunc); }

// --- Commands ------------------------------------------------------------------------

HRESULT ComHtmlHelp::HHDisplayTopicURL(LONG*) { return run(u"clsKvHlpfHtmlA.HHDisplayTopicURL", [] { throw errors::notAvailable(u"HHDisplayTopicURL"); }); }
HRESULT ComHtmlHelp::HHDisplayTopicID(LONG*) { return run(u"clsKvHlpfHtmlA.HHDisplayTopicID", [] { throw errors::notAvailable(u"HHDisplayTopicID"); }); }
HRESULT ComHtmlHelp::HHDisplaySearch(LONG*) { return run(u"clsKvHlpfHtmlA.HHDisplaySearch", [] { throw errors::notAvailable(u"HHDisplaySearch"); }); }
HRESULT ComHtmlHelp::HHDisplayKeyword(LONG*) { return run(u"clsKvHlpfHtmlA.HHDisplayKeyword", [] { throw errors::notAvailable(u"HHDisplayKeyword"); }); }
HRESULT ComHtmlHelp::HHDisplayIndex(LONG*) { return run(u"clsKvHlpfHtmlA.HHDisplayIndex", [] { throw errors::notAvailable(u"HHDisplayIndex"); }); }
HRESULT ComHtmlHelp::HHDisplayContents(LONG*) { return run(u"clsKvHlpfHtmlA.HHDisplayContents", [] { throw errors::notAvailable(u"HHDisplayContents"); }); }
HRESULT ComHtmlHelp::HHDisplayALink(LONG*) { return run(u"clsKvHlpfHtmlA.HHDisplayALink", [] { throw errors::notAvailable(u"HHDisplayALink"); }); }
HRESULT ComHtmlHelp::HHRegister(BSTR*) { return run(u"clsKvHlpfHtmlA.HHRegister", [] { throw errors::notAvailable(u"HHRegister"); }); }
HRESULT ComHtmlHelp::HHUnRegister(BSTR*) { return run(u"clsKvHlpfHtmlA.HHUnRegister", [] { throw errors::notAvailable(u"HHUnRegister"); }); }
HRESULT ComHtmlHelp::HHCheckRegistry(BSTR*, VARIANT* result)
{
    return run(u"clsKvHlpfHtmlA.HHCheckRegistry", [&] {
        VariantInit(require(result));
        throw errors::notAvailable(u"HHCheckRegistry");
    });
}
HRESULT ComHtmlHelp::HHClose() { return run(u"clsKvHlpfHtmlA.HHClose", [] { throw errors::notAvailable(u"HHClose"); }); }
HRESULT ComHtmlHelp::HHSetHelpFile(short, BSTR* result)
{
    return run(u"clsKvHlpfHtmlA.HHSetHelpFile", [&] {
        *require(result) = nullptr;
        throw errors::notAvailable(u"HHSetHelpFile");
    });
}
HRESULT ComHtmlHelp::HHDisplayPopup(LONG*) { return run(u"clsKvHlpfHtmlA.HHDisplayPopup", [] { throw errors::notAvailable(u"HHDisplayPopup"); }); }
HRESULT ComHtmlHelp::HHInvokeWhatsThisHelp(LONG*) { return run(u"clsKvHlpfHtmlA.HHInvokeWhatsThisHelp", [] { throw errors::notAvailable(u"HHInvokeWhatsThisHelp"); }); }
HRESULT ComHtmlHelp::HHVerifyMinConfig(::HHVersion*, ::IEVersion*, VARIANT_BOOL* result)
{
    return run(u"clsKvHlpfHtmlA.HHVerifyMinConfig", [&] {
        *require(result) = VARIANT_FALSE;
        throw errors::notAvailable(u"HHVerifyMinConfig");
    });
}
HRESULT ComHtmlHelp::EnsureFileExists(BSTR*, VARIANT_BOOL* result)
{
    return run(u"clsKvHlpfHtmlA.EnsureFileExists", [&] {
        *require(result) = VARIANT_FALSE;
        throw errors::notAvailable(u"EnsureFileExists");
    });
}
HRESULT ComHtmlHelp::GetKeyInfo(BSTR, short, VARIANT_BOOL* result)
{
    return run(u"clsKvHlpfHtmlA.GetKeyInfo", [&] {
        *require(result) = VARIANT_FALSE;
        throw errors::notAvailable(u"GetKeyInfo");
    });
}
HRESULT ComHtmlHelp::GetWindowsVersion(LONG* result)
{
    return run(u"clsKvHlpfHtmlA.GetWindowsVersion", [&] {
        *require(result) = 0;
        throw errors::notAvailable(u"GetWindowsVersion");
    });
}

// --- Settings ------------------------------------------------------------------------

HRESULT ComHtmlHelp::put_HHWindow(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHWindow); }
HRESULT ComHtmlHelp::get_HHWindow(BSTR* result) { return getText(result, &HtmlHelpState::HHWindow); }
HRESULT ComHtmlHelp::put_HHTopicURL(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHTopicURL); }
HRESULT ComHtmlHelp::get_HHTopicURL(BSTR* result) { return getText(result, &HtmlHelpState::HHTopicURL); }
HRESULT ComHtmlHelp::put_HHTopicID(LONG rhs) { return putValue<std::int32_t>(rhs, &HtmlHelpState::HHTopicID); }
HRESULT ComHtmlHelp::get_HHTopicID(LONG* result) { return getValue<std::int32_t>(reinterpret_cast<std::int32_t*>(result), &HtmlHelpState::HHTopicID); }
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
HRESULT ComHtmlHelp::get_HHShowOnTop(VARIANT_BOOL* result) { return getValue<Bool16>(result, &HtmlHelpState::HHShowOnTop); }
HRESULT ComHtmlHelp::get_HHRegFileName(BSTR* result) { return getText(result, &HtmlHelpState::HHRegFileName); }
HRESULT ComHtmlHelp::get_HHRegFilePath(BSTR* result) { return getText(result, &HtmlHelpState::HHRegFilePath); }
HRESULT ComHtmlHelp::get_HHRegFileExists(VARIANT_BOOL* result) { return getValue<Bool16>(result, &HtmlHelpState::HHRegFileExists); }
HRESULT ComHtmlHelp::put_HHPopupFile(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHPopupFile); }
HRESULT ComHtmlHelp::put_HHPopupID(LONG rhs) { return putValue<std::int32_t>(rhs, &HtmlHelpState::HHPopupID); }
HRESULT ComHtmlHelp::put_HHPopupText(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHPopupText); }
HRESULT ComHtmlHelp::put_HHPopupType(PopupType rhs) { return putValue<std::int32_t>(rhs, &HtmlHelpState::HHPopupType); }
HRESULT ComHtmlHelp::put_HHPopupTextColor(LONG rhs) { return putValue<std::int32_t>(rhs, &HtmlHelpState::HHPopupTextColor); }
HRESULT ComHtmlHelp::put_HHPopupBackColor(LONG rhs) { return putValue<std::int32_t>(rhs, &HtmlHelpState::HHPopupBackColor); }
HRESULT ComHtmlHelp::put_HHPopupCustomTextColor(LONG rhs) { return putValue<std::int32_t>(rhs, &HtmlHelpState::HHPopupCustomTextColor); }
HRESULT ComHtmlHelp::put_HHPopupCustomBackColor(LONG rhs) { return putValue<std::int32_t>(rhs, &HtmlHelpState::HHPopupCustomBackColor); }
HRESULT ComHtmlHelp::put_HHPopupCustomColors(VARIANT_BOOL rhs) { return putValue<Bool16>(rhs, &HtmlHelpState::HHPopupCustomColors); }
HRESULT ComHtmlHelp::get_HHPopupCustomColors(VARIANT_BOOL* result) { return getValue<Bool16>(result, &HtmlHelpState::HHPopupCustomColors); }
HRESULT ComHtmlHelp::put_HHPopupTextFont(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHPopupTextFont); }
HRESULT ComHtmlHelp::put_HHPopupTextSize(BSTR rhs) { return putText(rhs, &HtmlHelpState::HHPopupTextSize); }
HRESULT ComHtmlHelp::put_HHPopupTextBold(VARIANT_BOOL rhs) { return putValue<Bool16>(rhs, &HtmlHelpState::HHPopupTextBold); }
HRESULT ComHtmlHelp::put_HHPopupTextItalic(VARIANT_BOOL rhs) { return putValue<Bool16>(rhs, &HtmlHelpState::HHPopupTextItalic); }
HRESULT ComHtmlHelp::put_HHPopupTextUnderline(VARIANT_BOOL rhs) { return putValue<Bool16>(rhs, &HtmlHelpState::HHPopupTextUnderline); }

// --- Installation --------------------------------------------------------------------

HRESULT ComHtmlHelp::get_HHInstalled(VARIANT_BOOL* result)
{
    return run(u"clsKvHlpfHtmlA.HHInstalled", [&] {
        *require(result) = VARIANT_FALSE;
        throw errors::notAvailable(u"HHInstalled");
    });
}
HRESULT ComHtmlHelp::get_HHVersion(BSTR* result) { return getText(result, &HtmlHelpState::HHVersionText); }
HRESULT ComHtmlHelp::get_IEVersion(BSTR* result) { return getText(result, &HtmlHelpState::IEVersionText); }
HRESULT ComHtmlHelp::get_HHFriendlyName(BSTR* result) { return getText(result, &HtmlHelpState::HHFriendlyNameText); }
HRESULT ComHtmlHelp::get_IEFriendlyName(BSTR* result) { return getText(result, &HtmlHelpState::IEFriendlyNameText); }

}  // namespace morvel::htmlhelp
