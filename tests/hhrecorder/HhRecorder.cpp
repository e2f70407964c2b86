// A recording stand-in for the HTML Help engine: hhctrl.ocx with its two entry points,
// HtmlHelpA and HtmlHelpW, that shows nothing and appends what it was given, decoded, to
// the file named by MORVEL_HHLOG. Installed over the prefix's system copy for a test's
// duration, it lets the tests compare every argument and record as the engine receives them.

#include <windows.h>

#include <string>

#include "RecordFormat.h"
#include "htmlhelp/HelpRecords.h"

namespace {

using hhrecord::handle;
using hhrecord::hex;
using hhrecord::quote;
using morvel::htmlhelp::HhAkLink;
using morvel::htmlhelp::HhFtsQuery;
using morvel::htmlhelp::HhPopup;

std::string n(long value) { return std::to_string(value); }

// The data argument in the form of the entry point it came through (Char: char or wchar_t).
template <class Char>
std::string decode(UINT command, DWORD_PTR data)
{
    switch (command) {
    case 0x0000:  // HH_DISPLAY_TOPIC: a topic path, or 0 for none
        return data ? quote(reinterpret_cast<const Char*>(data)) : "0";
    case 0x0003: {  // HH_DISPLAY_SEARCH
        if (!data) return "0";
        const auto* q = reinterpret_cast<const HhFtsQuery<Char>*>(data);
        return "fts{cbStruct=" + n(q->cbStruct) + " fUniCodeStrings=" + n(q->fUniCodeStrings) +
               " pszSearchQuery=" + quote(q->pszSearchQuery) + " iProximity=" + n(q->iProximity) +
               " fStemmedSearch=" + n(q->fStemmedSearch) + " fTitleOnly=" + n(q->fTitleOnly) +
               " fExecute=" + n(q->fExecute) + " pszWindow=" + quote(q->pszWindow) + "}";
    }
    case 0x000D:    // HH_KEYWORD_LOOKUP
    case 0x0013: {  // HH_ALINK_LOOKUP
        if (!data) return "0";
        const auto* l = reinterpret_cast<const HhAkLink<Char>*>(data);
        return "aklink{cbStruct=" + n(l->cbStruct) + " fReserved=" + n(l->fReserved) +
               " pszKeywords=" + quote(l->pszKeywords) + " pszUrl=" + quote(l->pszUrl) +
               " pszMsgText=" + quote(l->pszMsgText) + " pszMsgTitle=" + quote(l->pszMsgTitle) +
               " pszWindow=" + quote(l->pszWindow) + " fIndexOnFail=" + n(l->fIndexOnFail) + "}";
    }
    case 0x000E: {  // HH_DISPLAY_TEXT_POPUP
        if (!data) return "0";
        const auto* p = reinterpret_cast<const HhPopup<Char>*>(data);
        return "popup{cbStruct=" + n(p->cbStruct) + " hinst=" + handle(reinterpret_cast<DWORD_PTR>(p->hinst)) +
               " idString=" + n(long(p->idString)) + " pszText=" + quote(p->pszText) + " pt=(" + n(p->pt.x) + "," +
               n(p->pt.y) + ") clrForeground=" + hex(p->clrForeground) + " clrBackground=" + hex(p->clrBackground) +
               " rcMargins=(" + n(p->rcMargins.left) + "," + n(p->rcMargins.top) + "," + n(p->rcMargins.right) + "," +
               n(p->rcMargins.bottom) + ") pszFont=" + quote(p->pszFont) + "}";
    }
    default:  // a number: context id, or 0
        return n(long(data));
    }
}

template <class Char>
std::string line(HWND caller, const Char* file, UINT command, DWORD_PTR data)
{
    return "owner=" + handle(reinterpret_cast<DWORD_PTR>(caller)) + " file=" + quote(file) +
           " command=" + hex(command, 4) + " data=" + decode<Char>(command, data) + "\n";
}

void append(const std::string& line)
{
    char path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("MORVEL_HHLOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

extern "C" HWND WINAPI HtmlHelpA(HWND caller, LPCSTR file, UINT command, DWORD_PTR data)
{
    append(line(caller, file, command, data));
    return nullptr;
}

extern "C" HWND WINAPI HtmlHelpW(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data)
{
    append("entry=HtmlHelpW " + line(caller, file, command, data));
    return nullptr;
}
