#pragma once
// The help engine's records, laid out as hhctrl.ocx reads them: what the Win32 adapter
// fills in and what the recording stand-in of the tests decodes. One template over the
// character type, since HtmlHelpA and HtmlHelpW take the same records with other strings.
// Windows only.

#include <windows.h>

#include <cstddef>

namespace morvel::htmlhelp {

template <class Char>
struct HhFtsQuery {
    int cbStruct;
    BOOL fUniCodeStrings;
    const Char* pszSearchQuery;
    LONG iProximity;
    BOOL fStemmedSearch;
    BOOL fTitleOnly;
    BOOL fExecute;
    const Char* pszWindow;
};
template <class Char>
struct HhAkLink {
    int cbStruct;
    BOOL fReserved;
    const Char* pszKeywords;
    const Char* pszUrl;
    const Char* pszMsgText;
    const Char* pszMsgTitle;
    const Char* pszWindow;
    BOOL fIndexOnFail;
};
template <class Char>
struct HhPopup {
    int cbStruct;
    HINSTANCE hinst;
    UINT idString;
    const Char* pszText;
    POINT pt;
    COLORREF clrForeground;
    COLORREF clrBackground;
    RECT rcMargins;
    const Char* pszFont;
};

using HhFtsQueryA = HhFtsQuery<char>;
using HhAkLinkA = HhAkLink<char>;
using HhPopupA = HhPopup<char>;
using HhFtsQueryW = HhFtsQuery<wchar_t>;
using HhAkLinkW = HhAkLink<wchar_t>;
using HhPopupW = HhPopup<wchar_t>;

// The engine of each width reads its own layout: pointers and the module handle are
// pointer-sized, and on x64 each is aligned to 8 bytes. Both forms, the same layout.
template <class Char>
constexpr bool hasTheEnginesLayout()
{
    using Fts = HhFtsQuery<Char>;
    using Link = HhAkLink<Char>;
    using Popup = HhPopup<Char>;
#ifdef _WIN64
    return sizeof(Fts) == 40 && sizeof(Link) == 56 && sizeof(Popup) == 72 &&  //
           offsetof(Fts, pszSearchQuery) == 8 && offsetof(Fts, pszWindow) == 32 && offsetof(Link, pszKeywords) == 8 &&
           offsetof(Link, pszWindow) == 40 && offsetof(Link, fIndexOnFail) == 48 && offsetof(Popup, hinst) == 8 &&
           offsetof(Popup, idString) == 16 && offsetof(Popup, pszText) == 24 && offsetof(Popup, pt) == 32 &&
           offsetof(Popup, rcMargins) == 48 && offsetof(Popup, pszFont) == 64;
#else
    return sizeof(Fts) == 32 && sizeof(Link) == 32 && sizeof(Popup) == 52 &&  //
           offsetof(Popup, hinst) == 4 && offsetof(Popup, pszFont) == 48;
#endif
}
#ifdef _WIN64
static_assert(hasTheEnginesLayout<char>(), "HH_FTS_QUERY, HH_AKLINK, HH_POPUP are 40, 56, 72 bytes on x64");
static_assert(hasTheEnginesLayout<wchar_t>(), "the wide records are 40, 56, 72 bytes on x64");
#else
static_assert(hasTheEnginesLayout<char>(), "HH_FTS_QUERY, HH_AKLINK, HH_POPUP are 32, 32, 52 bytes");
static_assert(hasTheEnginesLayout<wchar_t>(), "the wide records are 32, 32, 52 bytes");
#endif

}  // namespace morvel::htmlhelp
