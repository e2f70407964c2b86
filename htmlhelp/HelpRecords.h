#pragma once
// The help engine's records in their ANSI forms, laid out as hhctrl.ocx reads them: what
// the Win32 adapter fills in and what the recording stand-in of the tests decodes.
// Windows only.

#include <windows.h>

namespace morvel::htmlhelp {

struct HhFtsQueryA {
    int cbStruct;
    BOOL fUniCodeStrings;
    LPCSTR pszSearchQuery;
    LONG iProximity;
    BOOL fStemmedSearch;
    BOOL fTitleOnly;
    BOOL fExecute;
    LPCSTR pszWindow;
};
struct HhAkLinkA {
    int cbStruct;
    BOOL fReserved;
    LPCSTR pszKeywords;
    LPCSTR pszUrl;
    LPCSTR pszMsgText;
    LPCSTR pszMsgTitle;
    LPCSTR pszWindow;
    BOOL fIndexOnFail;
};
struct HhPopupA {
    int cbStruct;
    HINSTANCE hinst;
    UINT idString;
    LPCSTR pszText;
    POINT pt;
    COLORREF clrForeground;
    COLORREF clrBackground;
    RECT rcMargins;
    LPCSTR pszFont;
};
static_assert(sizeof(HhFtsQueryA) == 32, "HH_FTS_QUERY is 32 bytes");
static_assert(sizeof(HhAkLinkA) == 32, "HH_AKLINK is 32 bytes");
static_assert(sizeof(HhPopupA) == 52, "HH_POPUP is 52 bytes");

}  // namespace morvel::htmlhelp
