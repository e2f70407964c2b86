#pragma once
// The settings and results an HTML Help object carries between calls. A new object holds
// empty strings, zeros and false everywhere; accessors store and return values unchanged
// (Booleans are automation Booleans and are not normalised). The object reference `frm`
// is held by the COM class, which owns the only COM pointer involved.

#include <cstdint>

#include "../portable/Text.h"

namespace morvel::htmlhelp {

using Bool16 = std::int16_t;  // automation Boolean: true is -1, stored as given
inline constexpr Bool16 True = -1;
inline constexpr Bool16 False = 0;

struct HtmlHelpState {
    // Plain storage for the host; no command reads them.
    std::int32_t Hwnd = 0;
    std::int32_t lpPrevWndFunc = 0;

    // Help-display settings.
    Text CHMFile;
    Text HHALink;
    Text HHDefaultURL;
    Text HHKeyword;
    Text HHMsgText;
    Text HHMsgTitle;
    Bool16 HHShowOnTop = False;
    std::int32_t HHTopicID = 0;
    Text HHTopicURL;
    Text HHWindow;

    // Outcome of the last lookup in the HTML Help file list.
    Text HHRegFileName;
    Text HHRegFilePath;
    Bool16 HHRegFileExists = False;

    // Popup settings.
    Text HHPopupFile;
    std::int32_t HHPopupType = 0;
    Text HHPopupText;
    std::int32_t HHPopupID = 0;
    std::int32_t HHPopupTextColor = 0;
    std::int32_t HHPopupBackColor = 0;
    std::int32_t HHPopupCustomTextColor = 0;
    std::int32_t HHPopupCustomBackColor = 0;
    Bool16 HHPopupCustomColors = False;
    Text HHPopupTextFont;
    Text HHPopupTextSize;
    Bool16 HHPopupTextBold = False;
    Bool16 HHPopupTextItalic = False;
    Bool16 HHPopupTextUnderline = False;

    // Installation results.
    Text HHVersionText;
    Text IEVersionText;
    Text HHFriendlyNameText;
    Text IEFriendlyNameText;
};

}  // namespace morvel::htmlhelp
