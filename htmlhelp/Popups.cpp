#include "Popups.h"

#include "DisplayCommands.h"
#include "HtmlHelpObject.h"

namespace morvel::htmlhelp {

std::u16string Popups::fontString(const std::u16string& face, const std::u16string& size, Bool16 bold, Bool16 italic,
                                  Bool16 underline)
{
    // The engine reads "face, size, charset, styles"; the blanks after Bold and Italic
    // separate them from what follows, and are kept when nothing follows.
    std::u16string font = face + u", " + size + u", ascii, ";
    if (bold == True) font += u"Bold ";
    if (italic == True) font += u"Italic ";
    if (underline == True) font += u"Underline";
    return font;
}

void Popups::resetAppearance()
{
    HtmlHelpState& state = object_.state;
    state.HHPopupCustomTextColor = 0;
    state.HHPopupCustomBackColor = 0;
    state.HHPopupTextColor = 0;
    state.HHPopupBackColor = 0;
    state.HHPopupTextFont = u"Arial";
    state.HHPopupTextSize = u"10";
    state.HHPopupTextBold = False;
    state.HHPopupTextItalic = False;
    state.HHPopupTextUnderline = False;
}

void Popups::HHDisplayPopup(std::int32_t CallingForm)
{
    HtmlHelpState& state = object_.state;
    HtmlHelpPort& port = object_.port;
    const std::int32_t type = state.HHPopupType;
    if (type == 0) return;  // never chosen: nothing to show

    if (type == HH_CHM_POPUP_) {
        if (!object_.helpFileChecks.ValidateChmFile(textOrEmpty(state.CHMFile))) return;
        if (!object_.helpFileChecks.EnsureFileExists(state.CHMFile)) return;  // completes CHMFile in place
    }

    Popup popup;  // every member zero until set
    const CursorPos cursor = port.GetCursorPos();
    popup.ptX = cursor.x;
    popup.ptY = cursor.y;
    popup.marginLeft = popup.marginTop = popup.marginRight = popup.marginBottom = -1;  // the engine's own margins

    switch (type) {
    case HH_RESOURCE_POPUP_: popup.pszText = toPlatformText(port, port.LoadResString(state.HHPopupID)); break;
    case HH_TEXT_POPUP_:
        if (isEmpty(state.HHPopupText)) return;  // not an error; nothing shown, nothing reset
        popup.pszText = toPlatformText(port, *state.HHPopupText);
        popup.idString = 0;
        break;
    default: popup.idString = static_cast<std::uint32_t>(state.HHPopupID); break;
    }

    // Only exactly True picks the custom pair. The values go as they are: 0 is black to
    // the engine, and we do not turn anything into its "default colour" -1.
    const bool custom = state.HHPopupCustomColors == True;
    popup.clrForeground = custom ? state.HHPopupCustomTextColor : state.HHPopupTextColor;
    popup.clrBackground = custom ? state.HHPopupCustomBackColor : state.HHPopupBackColor;

    if (isEmpty(state.HHPopupTextFont)) state.HHPopupTextFont = u"Arial";
    if (isEmpty(state.HHPopupTextSize)) state.HHPopupTextSize = u"10";
    popup.pszFont = toPlatformText(port,
                                   fontString(*state.HHPopupTextFont, *state.HHPopupTextSize, state.HHPopupTextBold,
                                              state.HHPopupTextItalic, state.HHPopupTextUnderline));

    HelpCall call{static_cast<std::uint32_t>(CallingForm), std::nullopt, HH_DISPLAY_TEXT_POPUP_, popup};
    switch (type) {
    case HH_CHM_POPUP_:
        if (!object_.helpFileChecks.ValidatePopupFile(textOrEmpty(state.HHPopupFile))) return;
        call.file = toPlatformText(port, textOrEmpty(state.CHMFile) + u"::/" + textOrEmpty(state.HHPopupFile));
        break;
    case HH_RESOURCE_POPUP_:
    case HH_TEXT_POPUP_: break;  // the text is in the record; no file
    default: return;             // a type we do not know shows nothing and keeps the appearance
    }

    DisplayCommands::callEngine(port, call);
    resetAppearance();  // the appearance is one-shot: the next popup starts plain again
}

void Popups::HHInvokeWhatsThisHelp(std::int32_t CallingForm)
{
    // The platform does the rest: the question-mark pointer, then a help request to the
    // control clicked next. Its answer to the message means nothing to us.
    object_.port.DefWindowProc(static_cast<std::uint32_t>(CallingForm), WM_SYSCOMMAND_, SC_CONTEXTHELP_, 0);
}

}  // namespace morvel::htmlhelp
