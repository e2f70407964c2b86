#pragma once
// The help engine's records in their ANSI forms, laid out as hhctrl.ocx reads them: what
// the Win32 adapter fills in and what the recording stand-in of the tests decodes.
// Windows only.

#include <windows.h>

#include <cstddef>

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
// The engine of each width reads its own layout: pointers and the module handle are
// pointer-sized, and on x64 each is aligned to 8 bytes.
#ifdef _WIN64
static_assert(sizeof(HhFtsQueryA) == 40, "HH_FTS_QUERY is 40 bytes on x64");
static_assert(sizeof(HhAkLinkA) == 56, "HH_AKLINK is 56 bytes on x64");
static_assert(sizeof(HhPopupA) == 72, "HH_POPUP is 72 bytes on x64");
static_assert(offsetof(HhFtsQueryA, pszSearchQuery) == 8 && offsetof(HhFtsQueryA, pszWindow) == 32);
static_assert(offsetof(HhAkLinkA, pszKeywords) == 8 && offsetof(HhAkLinkA, pszWindow) == 40 &&
              offsetof(HhAkLinkA, fIndexOnFail) == 48);
static_assert(offsetof(HhPopupA, hinst) == 8 && offsetof(HhPopupA, idString) == 16 &&
              offsetof(HhPopupA, pszText) == 24 && offsetof(HhPopupA, pt) == 32 &&
              offsetof(HhPopupA, rcMargins) == 48 && offsetof(HhPopupA, pszFont) == 64);
#else
static_assert(sizeof(HhFtsQueryA) == 32, "HH_FTS_QUERY is 32 bytes");
static_assert(sizeof(HhAkLinkA) == 32, "HH_AKLINK is 32 bytes");
static_assert(sizeof(HhPopupA) == 52, "HH_POPUP is 52 bytes");
static_assert(offsetof(HhPopupA, hinst) == 4 && offsetof(HhPopupA, pszFont) == 48);
#endif

}  // namespace morvel::htmlhelp
