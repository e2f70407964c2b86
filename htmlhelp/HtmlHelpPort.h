#pragma once
// The narrow platform interface of the HTML Help class. Each function mirrors one platform
// entry point the class uses and says what it gives back on failure. A text that goes in
// is a PlatformText: the ANSI entry point when the code page spells it exactly, the wide
// one otherwise (portable/PlatformText.h states the rule). A function that hands text
// back mirrors the wide entry point and speaks UTF-16. The Win32 adapter makes the real calls and captures
// the thread's last-error code after each; the fake platform of the unit tests keeps an
// in-memory registry and file tree and records message boxes and help-engine calls.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "../portable/PlatformText.h"

namespace morvel::htmlhelp {

using RegKey = std::uint32_t;  // a predefined root (0x8000000x) or an opened key
inline constexpr RegKey HKEY_CLASSES_ROOT_ = 0x80000000u;
inline constexpr RegKey HKEY_CURRENT_USER_ = 0x80000001u;
inline constexpr RegKey HKEY_LOCAL_MACHINE_ = 0x80000002u;
inline constexpr RegKey HKEY_USERS_ = 0x80000003u;
inline constexpr RegKey HKEY_CURRENT_CONFIG_ = 0x80000005u;
inline constexpr RegKey HKEY_DYN_DATA_ = 0x80000006u;

inline constexpr std::uint32_t REG_SZ_ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ_ = 2;
inline constexpr std::uint32_t REG_BINARY_ = 3;
inline constexpr std::uint32_t REG_DWORD_ = 4;

inline constexpr std::uint32_t KEY_QUERY_VALUE_ = 0x0001;
inline constexpr std::uint32_t KEY_SET_VALUE_ = 0x0002;
inline constexpr std::uint32_t KEY_CREATE_SUB_KEY_ = 0x0004;
inline constexpr std::uint32_t KEY_ALL_ACCESS_ = 0xF003F;
inline constexpr std::uint32_t KEY_WOW64_64KEY_ = 0x0100;
inline constexpr std::uint32_t KEY_WOW64_32KEY_ = 0x0200;

inline constexpr long ERROR_SUCCESS_ = 0;
inline constexpr long ERROR_FILE_NOT_FOUND_ = 2;
inline constexpr long ERROR_PATH_NOT_FOUND_ = 3;
inline constexpr long ERROR_ACCESS_DENIED_ = 5;
inline constexpr long ERROR_MORE_DATA_ = 234;
inline constexpr long ERROR_NO_MORE_ITEMS_ = 259;
inline constexpr long ERROR_KEY_DELETED_ = 1018;

inline constexpr std::uint32_t DRIVE_NO_ROOT_DIR_ = 1;
inline constexpr std::uint32_t DRIVE_REMOVABLE_ = 2;
inline constexpr std::uint32_t DRIVE_FIXED_ = 3;
inline constexpr std::uint32_t DRIVE_REMOTE_ = 4;
inline constexpr std::uint32_t DRIVE_CDROM_ = 5;
inline constexpr std::size_t MAX_PATH_ = 260;  // characters of a path, its NUL included

// What GetVersionExA reports (the fields the class reads).
struct OsVersion {
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint32_t platformId = 0;
};

// The file-version words of a VS_FIXEDFILEINFO.
struct FileVersion {
    std::uint32_t fileVersionMS = 0;
    std::uint32_t fileVersionLS = 0;
};

// One message box as MessageBoxIndirect receives it (the record's other members are
// fixed: no owner, no instance, no icon, no help id, no callback, language 0). The caption
// is plain ASCII and follows the text's form.
struct MessageBoxRequest {
    PlatformText text;
    std::string caption;
    std::uint32_t style = 0;
};

// HH_FTS_QUERY, portable form; the adapter lays it out as the engine expects (32 bytes on
// x86, 40 on x64).
struct FtsQuery {
    std::int32_t fUniCodeStrings = 0;
    std::optional<PlatformText> pszSearchQuery;
    std::int32_t iProximity = 0;
    std::int32_t fStemmedSearch = 0;
    std::int32_t fTitleOnly = 0;
    std::int32_t fExecute = 0;
    std::optional<PlatformText> pszWindow;
};

// HH_AKLINK, portable form (32 bytes on x86, 56 on x64). A nullopt member is a null pointer.
struct AkLink {
    std::int32_t fReserved = 0;
    std::optional<PlatformText> pszKeywords;
    std::optional<PlatformText> pszUrl;
    std::optional<PlatformText> pszMsgText;
    std::optional<PlatformText> pszMsgTitle;
    std::optional<PlatformText> pszWindow;
    std::int32_t fIndexOnFail = 0;
};

// HH_POPUP, portable form (52 bytes on x86, 72 on x64). The module handle is kept as wide
// as the widest platform's, where module bases lie above 4 GiB.
struct Popup {
    std::uint64_t hinst = 0;
    std::uint32_t idString = 0;
    std::optional<PlatformText> pszText;
    std::int32_t ptX = 0, ptY = 0;
    std::int32_t clrForeground = 0;
    std::int32_t clrBackground = 0;
    std::int32_t marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0;
    std::optional<PlatformText> pszFont;
};

// The data argument of one HtmlHelp call: a number, a text pointer (nullopt: null),
// or one of the three records.
using HelpData = std::variant<std::uint32_t, std::optional<PlatformText>, FtsQuery, AkLink, Popup>;

// One call of the engine. Its texts all take one form (HtmlHelpA with the ANSI records, or
// HtmlHelpW with the wide ones); wide() tells which.
struct HelpCall {
    std::uint32_t owner = 0;
    std::optional<PlatformText> file;  // nullopt: no file argument (null pointer)
    std::uint32_t command = 0;
    HelpData data = std::uint32_t{0};

    // Every text of a call, null ones included, for f(std::optional<PlatformText>&).
    template <class Call, class F>
    static void forEachText(Call& call, F&& f)
    {
        f(call.file);
        if (auto* text = std::get_if<std::optional<PlatformText>>(&call.data)) f(*text);
        if (auto* q = std::get_if<FtsQuery>(&call.data)) {
            f(q->pszSearchQuery);
            f(q->pszWindow);
        }
        if (auto* l = std::get_if<AkLink>(&call.data))
            for (auto* text : {&l->pszKeywords, &l->pszUrl, &l->pszMsgText, &l->pszMsgTitle, &l->pszWindow}) f(*text);
        if (auto* p = std::get_if<Popup>(&call.data)) {
            f(p->pszText);
            f(p->pszFont);
        }
    }
    bool wide() const
    {
        bool any = false;
        forEachText(*this, [&](const std::optional<PlatformText>& t) { any = any || (t && t->isWide()); });
        return any;
    }
    // Gives every text of the call one form: wide when any of them is. A search record
    // then says that its strings are Unicode, as the wide form's records are.
    void sameWidth()
    {
        if (!wide()) return;
        forEachText(*this, [](std::optional<PlatformText>& t) {
            if (t) t->widen();
        });
        if (auto* q = std::get_if<FtsQuery>(&data)) q->fUniCodeStrings = 1;
    }
};

struct CursorPos {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

class HtmlHelpPort {
public:
    virtual ~HtmlHelpPort() = default;

    // --- Registry (advapi32). Each returns the platform's status code. ---
    // Opens `path` below `root`; on failure `opened` is left 0.
    virtual long RegOpenKeyEx(RegKey root, const PlatformText& path, std::uint32_t access, RegKey& opened) = 0;
    // RegEnumValueW: value `index` with a name buffer of `nameCapacity` characters (the
    // terminating NUL included) and no data buffer. On success fills name, type and the
    // data size in bytes. A name that does not fit gives ERROR_MORE_DATA; past the last
    // value gives ERROR_NO_MORE_ITEMS.
    virtual long RegEnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::u16string& name,
                              std::uint32_t& type, std::uint32_t& dataSize) = 0;
    // RegQueryValueExW: reads the value `name` into `data`, whose size on entry is the
    // buffer offered; on success `data` is resized to the bytes read and `type` is set. Text
    // data comes as the registry keeps it, UTF-16 in little-endian bytes.
    virtual long RegQueryValueEx(RegKey key, const std::u16string& name, std::uint32_t& type,
                                 std::vector<std::uint8_t>& data) = 0;
    virtual long RegCreateKeyEx(RegKey root, const PlatformText& path, std::uint32_t access, RegKey& opened) = 0;
    // `data` is in the form of `name`: for a text value, the ANSI bytes of an ANSI name's
    // call, UTF-16 little-endian bytes of a wide one's (RegistryAccess::textValueData).
    virtual long RegSetValueEx(RegKey key, const PlatformText& name, std::uint32_t type,
                               const std::vector<std::uint8_t>& data) = 0;
    virtual long RegDeleteValue(RegKey key, const PlatformText& name) = 0;
    virtual long RegCloseKey(RegKey key) = 0;
    // RegQueryInfoKeyA for what tells whether a key's values changed: how many there are and
    // when the key or any of its values was last written (a FILETIME, in 100 ns ticks). A key
    // deleted since it was opened gives ERROR_KEY_DELETED.
    virtual long RegQueryInfoKey(RegKey key, std::uint32_t& values, std::uint64_t& lastWriteTime) = 0;
    // Whether the machine keeps two registry views (64-bit Windows), which KEY_WOW64_64KEY_
    // and KEY_WOW64_32KEY_ choose between: always for the x64 build, IsWow64Process for the
    // x86 one. false when that cannot be told.
    virtual bool HasTwoRegistryViews() = 0;

    // --- kernel32 ---
    // ExpandEnvironmentStringsW: expands environment references in `source` (up to its
    // first NUL) into `destination`, offering `capacity` characters. Returns the characters needed including the NUL (0 on
    // failure); when that exceeds `capacity`, `destination` is left unchanged. On success
    // the first n characters of `destination` (grown to n if shorter) become the expanded
    // text and its NUL, and whatever followed them stays as it was.
    virtual std::uint32_t ExpandEnvironmentStrings(const std::u16string& source, std::u16string& destination,
                                                   std::uint32_t capacity) = 0;
    // GetSystemTimeAsFileTime: the system time in 100 ns ticks, the clock registry write
    // times are taken from.
    virtual std::uint64_t GetSystemTimeAsFileTime() = 0;
    // GetVersionExA; false (and `info` untouched) when the query fails.
    virtual bool GetVersionEx(OsVersion& info) = 0;
    // GetLongPathNameW with a buffer of `capacity` characters: the length of the long form
    // on success (then `longPath` holds it), the size needed when the buffer is too small,
    // 0 on failure.
    virtual std::uint32_t GetLongPathName(const std::u16string& shortPath, std::u16string& longPath,
                                          std::uint32_t capacity) = 0;
    // FindFirstFileW followed by FindClose: the name of the first entry found (the
    // cFileName field, up to its NUL), or nullopt when the search found nothing; LastError()
    // then says why (ERROR_FILE_NOT_FOUND_, ERROR_PATH_NOT_FOUND_, ERROR_ACCESS_DENIED_, ...).
    virtual std::optional<std::u16string> FindFirstFile(const std::u16string& pattern) = 0;
    // CreateFileW (reading, sharing reading, writing and deleting) and ReadFile of at most
    // `limit` bytes: ERROR_SUCCESS_ with `data` holding them, else the platform's error
    // (ERROR_FILE_NOT_FOUND_ when there is no such file). `path` may name a stream of a file
    // ("C:\\Help\\Demo.chm:Zone.Identifier").
    virtual long ReadFile(const std::u16string& path, std::uint32_t limit, std::vector<std::uint8_t>& data) = 0;

    // --- version.dll ---
    // GetFileVersionInfoSize: 0 when the file has no version resource.
    virtual std::uint32_t GetFileVersionInfoSize(const PlatformText& path) = 0;
    // GetFileVersionInfo into `block` (its size on entry is the size offered).
    virtual bool GetFileVersionInfo(const PlatformText& path, std::vector<std::uint8_t>& block) = 0;
    // VerQueryValueA(block, "\\"): the fixed file information, or nullopt.
    virtual std::optional<FileVersion> VerQueryRoot(const std::vector<std::uint8_t>& block) = 0;

    // --- user32 ---
    // MessageBoxIndirect; returns the button pressed (IDOK 1), 0 or -1 on failure.
    virtual std::int32_t MessageBoxIndirect(const MessageBoxRequest& request) = 0;
    virtual CursorPos GetCursorPos() = 0;
    virtual void DefWindowProc(std::uint32_t hwnd, std::uint32_t message, std::uint32_t wParam,
                               std::int32_t lParam) = 0;

    // --- HTML Help engine (hhctrl.ocx, loaded once and only from the system folder) ---
    // Calls HtmlHelpA, or HtmlHelpW for a wide call; returns false when the engine or the
    // entry point cannot be loaded (nothing was called).
    virtual bool HtmlHelp(const HelpCall& call) = 0;

    // Loads the help engine as HtmlHelp would (once, from the system folder only) without
    // calling it: false when it cannot be loaded.
    virtual bool LoadHelpEngine() = 0;
    // The window the most recent HtmlHelp call returned: 0 when the engine opened none (a
    // topic, id or keyword it could not show), or when it could not be called at all.
    virtual std::uint64_t LastHelpWindow() const = 0;

    // --- Compiled help storage (itss.dll's ITStorage; the name goes to it in Unicode) ---
    // Opens `file` as compiled-help storage and lists its streams as paths from the root
    // ("/intro.htm", "/#SYSTEM", "/$WWKeywordLinks/BTree"). 0 on success; otherwise the
    // platform's failure code (an HRESULT) and an empty list.
    virtual long ListCompiledHelp(const std::u16string& file, std::vector<std::u16string>& streams) = 0;
    // Reads the stream `stream` (a path as listed) whole into `data`; 0 on success.
    virtual long ReadCompiledHelpStream(const std::u16string& file, const std::u16string& stream,
                                        std::vector<std::uint8_t>& data) = 0;

    // --- Diagnostics ---
    // IInternetSecurityManager::MapUrlToZone (urlmon, loaded from the system folder): the
    // security zone of `url`, 0 (local machine) to 4 (restricted sites); nullopt when the
    // platform cannot tell.
    virtual std::optional<std::uint32_t> MapUrlToZone(const std::u16string& url) = 0;
    // GetDriveTypeW of a root ("C:\\", "\\\\server\\share\\"): DRIVE_FIXED_, DRIVE_REMOTE_, ...;
    // DRIVE_NO_ROOT_DIR_ for a drive or share that is not there, 0 when unknown.
    virtual std::uint32_t GetDriveType(const std::u16string& root) = 0;
    // OutputDebugStringW: one line for whoever debugs the host.
    virtual void OutputDebugString(const std::u16string& line) = 0;
    // IsDebuggerPresent: whether anyone would read that line.
    virtual bool IsDebuggerPresent() = 0;

    // --- Text and module ---
    // The text in the ANSI code page when the code page spells every character of it
    // exactly (no best fit, no default character); nullopt when it does not.
    virtual std::optional<std::string> ToAnsi(const std::u16string& text) = 0;
    virtual std::u16string FromAnsi(const std::string& text) = 0;
    // Text written in another code page (a file's own); 0, or one the platform does not
    // know, is the ANSI code page.
    virtual std::u16string FromCodePage(const std::string& text, std::uint32_t codePage) = 0;
    // The ANSI code page of a language (LCID); 0 when the platform knows none for it.
    virtual std::uint32_t CodePageOfLocale(std::uint32_t lcid) = 0;
    // The platform's collation without regard to letter case: <0, 0 or >0.
    virtual int CompareNoCase(const std::u16string& a, const std::u16string& b) = 0;
    // LCMapStringW with LCMAP_SORTKEY | NORM_IGNORECASE in the locale CompareNoCase uses: the
    // sort key, whose bytes order two texts as CompareNoCase does. nullopt on failure (an
    // empty text has none).
    virtual std::optional<std::string> LCMapString(const std::u16string& text) = 0;
    // The folder Morvel10.dll was loaded from, without a trailing backslash. Throws
    // AutomationError when the platform cannot tell.
    virtual std::u16string ModuleFolder() = 0;
    // The current folder, without a trailing backslash unless it is a drive root. Throws
    // AutomationError when the platform cannot tell.
    virtual std::u16string CurrentFolder() = 0;
    // LoadString from the library's own resources; throws AutomationError 326 when the
    // resource is not there.
    virtual std::u16string LoadResString(std::int32_t id) = 0;

    // The last-error code captured after the most recent platform call.
    virtual std::uint32_t LastError() const = 0;
};

}  // namespace morvel::htmlhelp
