#pragma once
// clsKvHlpfHtmlA as COM sees it: converts at the boundary and hands every command to the
// portable core object.

#include <memory>

#include "comkit/ComObject.h"
#include "library/Published.h"
#include "htmlhelp/HtmlHelpObject.h"
#include "htmlhelp/Win32HtmlHelpPort.h"

namespace morvel::htmlhelp {

class ComHtmlHelp final : public ComObject<ComHtmlHelp, _clsKvHlpfHtmlA> {
public:
    ComHtmlHelp();
    ~ComHtmlHelp() override;

    STDMETHODIMP get_frm(IDispatch** result) override;
    STDMETHODIMP putref_frm(IDispatch* rhs) override;
    STDMETHODIMP get_Hwnd(LONG* result) override;
    STDMETHODIMP put_Hwnd(LONG rhs) override;
    STDMETHODIMP get_lpPrevWndFunc(LONG* result) override;
    STDMETHODIMP put_lpPrevWndFunc(LONG rhs) override;
    STDMETHODIMP HHDisplayTopicURL(LONG* CallingForm) override;
    STDMETHODIMP HHDisplayTopicID(LONG* CallingForm) override;
    STDMETHODIMP HHDisplaySearch(LONG* CallingForm) override;
    STDMETHODIMP HHDisplayKeyword(LONG* CallingForm) override;
    STDMETHODIMP HHDisplayIndex(LONG* CallingForm) override;
    STDMETHODIMP HHDisplayContents(LONG* CallingForm) override;
    STDMETHODIMP HHDisplayALink(LONG* CallingForm) override;
    STDMETHODIMP HHRegister(BSTR* FileToRegister) override;
    STDMETHODIMP HHUnRegister(BSTR* FileToUnRegister) override;
    STDMETHODIMP HHCheckRegistry(BSTR* FileToCheck, VARIANT* result) override;
    STDMETHODIMP HHClose() override;
    STDMETHODIMP HHSetHelpFile(short intSelHelpFile, BSTR* result) override;
    STDMETHODIMP HHDisplayPopup(LONG* CallingForm) override;
    STDMETHODIMP HHInvokeWhatsThisHelp(LONG* CallingForm) override;
    STDMETHODIMP HHVerifyMinConfig(::HHVersion* MinHHVersion, ::IEVersion* MinIEVersion, VARIANT_BOOL* result) override;
    STDMETHODIMP EnsureFileExists(BSTR* FileToFind, VARIANT_BOOL* result) override;
    STDMETHODIMP GetKeyInfo(BSTR key_name, short indent, VARIANT_BOOL* result) override;
    STDMETHODIMP GetWindowsVersion(LONG* result) override;
    STDMETHODIMP put_HHWindow(BSTR rhs) override;
    STDMETHODIMP get_HHWindow(BSTR* result) override;
    STDMETHODIMP put_HHTopicURL(BSTR rhs) override;
    STDMETHODIMP get_HHTopicURL(BSTR* result) override;
    STDMETHODIMP put_HHTopicID(LONG rhs) override;
    STDMETHODIMP get_HHTopicID(LONG* result) override;
    STDMETHODIMP put_HHMsgTitle(BSTR rhs) override;
    STDMETHODIMP get_HHMsgTitle(BSTR* result) override;
    STDMETHODIMP put_HHMsgText(BSTR rhs) override;
    STDMETHODIMP get_HHMsgText(BSTR* result) override;
    STDMETHODIMP put_HHKeyword(BSTR rhs) override;
    STDMETHODIMP get_HHKeyword(BSTR* result) override;
    STDMETHODIMP put_HHDefaultURL(BSTR rhs) override;
    STDMETHODIMP get_HHDefaultURL(BSTR* result) override;
    STDMETHODIMP put_HHALink(BSTR rhs) override;
    STDMETHODIMP get_HHALink(BSTR* result) override;
    STDMETHODIMP put_CHMFile(BSTR rhs) override;
    STDMETHODIMP get_CHMFile(BSTR* result) override;
    STDMETHODIMP put_HHShowOnTop(VARIANT_BOOL rhs) override;
    STDMETHODIMP get_HHShowOnTop(VARIANT_BOOL* result) override;
    STDMETHODIMP get_HHRegFileName(BSTR* result) override;
    STDMETHODIMP get_HHRegFilePath(BSTR* result) override;
    STDMETHODIMP get_HHRegFileExists(VARIANT_BOOL* result) override;
    STDMETHODIMP put_HHPopupFile(BSTR rhs) override;
    STDMETHODIMP put_HHPopupID(LONG rhs) override;
    STDMETHODIMP put_HHPopupText(BSTR rhs) override;
    STDMETHODIMP put_HHPopupType(PopupType rhs) override;
    STDMETHODIMP put_HHPopupTextColor(LONG rhs) override;
    STDMETHODIMP put_HHPopupBackColor(LONG rhs) override;
    STDMETHODIMP put_HHPopupCustomTextColor(LONG rhs) override;
    STDMETHODIMP put_HHPopupCustomBackColor(LONG rhs) override;
    STDMETHODIMP put_HHPopupCustomColors(VARIANT_BOOL rhs) override;
    STDMETHODIMP get_HHPopupCustomColors(VARIANT_BOOL* result) override;
    STDMETHODIMP put_HHPopupTextFont(BSTR rhs) override;
    STDMETHODIMP put_HHPopupTextSize(BSTR rhs) override;
    STDMETHODIMP put_HHPopupTextBold(VARIANT_BOOL rhs) override;
    STDMETHODIMP put_HHPopupTextItalic(VARIANT_BOOL rhs) override;
    STDMETHODIMP put_HHPopupTextUnderline(VARIANT_BOOL rhs) override;
    STDMETHODIMP get_HHInstalled(VARIANT_BOOL* result) override;
    STDMETHODIMP get_HHVersion(BSTR* result) override;
    STDMETHODIMP get_IEVersion(BSTR* result) override;
    STDMETHODIMP get_HHFriendlyName(BSTR* result) override;
    STDMETHODIMP get_IEFriendlyName(BSTR* result) override;

private:
    template <class Body>
    HRESULT run(const char16_t* source, Body&& body) noexcept;
    HRESULT getText(BSTR* result, Text HtmlHelpState::*item) noexcept;
    HRESULT putText(BSTR value, Text HtmlHelpState::*item) noexcept;
    template <class T>
    HRESULT getValue(T* result, T HtmlHelpState::*item) noexcept;
    template <class T>
    HRESULT putValue(T value, T HtmlHelpState::*item) noexcept;

    // Runs a command on a caller's by-reference string and hands back what the command
    // left in it, also when the command ends with an error part way.
    template <class Command>
    void withVariable(BSTR* variable, Command&& command);

    HtmlHelpState& state() noexcept { return object_.state; }

    ComPtr<IDispatch> frm_;
    Win32HtmlHelpPort port_;
    HtmlHelpObject object_{port_};
};

}  // namespace morvel::htmlhelp
