#pragma once
// The narrow platform interface of the HTML Help class. Each function mirrors one platform
// entry point the class uses (ANSI forms: texts are byte strings in the ANSI code page) and
// says what it gives back on failure. The Win32 adapter makes the real calls and captures
// the thread's last-error code after each; the fake platform of the unit tests keeps an
// in-memory registry and file tree and records message boxes and help-engine calls.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

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
inline constexpr std::uint32_t REG_DWORD_ = 4;

inline constexpr std::uint32_t KEY_QUERY_VALUE_ = 0x0001;
inline constexpr std::uint32_t KEY_SET_VALUE_ = 0x0002;
inline constexpr std::uint32_t KEY_CREATE_SUB_KEY_ = 0x0004;
inline constexpr std::uint32_t KEY_ALL_ACCESS_ = 0xF003F;

inline constexpr long ERROR_SUCCESS_ = 0;
inline constexpr long ERROR_FILE_NOT_FOUND_ = 2;
inline constexpr long ERROR_ACCESS_DENIED_ = 5;
inline constexpr long ERROR_MORE_DATA_ = 234;
inline constexpr long ERROR_NO_MORE_ITEMS_ = 259;
inline constexpr long ERROR_KEY_DELETED_ = 1018;

inline constexpr std::uint32_t DRIVE_REMOTE_ = 4;

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

// One message box as MessageBoxIndirectA receives it (the record's other members are
// fixed: no owner, no instance, no icon, no help id, no callback, language 0).
struct MessageBoxRequest {
    std::string text;     // ANSI
    std::string caption;  // ANSI
    std::uint32_t style = 0;
};

// HH_FTS_QUERY, portable form; the adapter lays it out as the engine expects (32 bytes on
// x86, 40 on x64).
struct FtsQuery {
    std::int32_t fUniCodeStrings = 0;
    std::optional<std::string> pszSearchQuery;
    std::int32_t iProximity = 0;
    std::int32_t fStemmedSearch = 0;
    std::int32_t fTitleOnly = 0;
    std::int32_t fExecute = 0;
    std::optional<std::string> pszWindow;
};

// HH_AKLINK, portable form (32 bytes on x86, 56 on x64). A nullopt member is a null pointer.
struct AkLink {
    std::int32_t fReserved = 0;
    std::optional<std::string> pszKeywords;
    std::optional<std::string> pszUrl;
    std::optional<std::string> pszMsgText;
    std::optional<std::string> pszMsgTitle;
    std::optional<std::string> pszWindow;
    std::int32_t fIndexOnFail = 0;
};

// HH_POPUP, portable form (52 bytes on x86, 72 on x64). The module handle is kept as wide
// as the widest platform's, where module bases lie above 4 GiB.
struct Popup {
    std::uint64_t hinst = 0;
    std::uint32_t idString = 0;
    std::optional<std::string> pszText;
    std::int32_t ptX = 0, ptY = 0;
    std::int32_t clrForeground = 0;
    std::int32_t clrBackground = 0;
    std::int32_t marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0;
    std::optional<std::string> pszFont;
};

// The data argument of one HtmlHelpA call: a number, a text pointer (nullopt: null),
// or one of the three records.
using HelpData = std::variant<std::uint32_t, std::optional<std::string>, FtsQuery, AkLink, Popup>;

struct HelpCall {
    std::uint32_t owner = 0;
    std::optional<std::string> file;  // nullopt: no file argument (null pointer)
    std::uint32_t command = 0;
    HelpData data = std::uint32_t{0};
};

struct CursorPos {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

class HtmlHelpPort {
public:
    virtual ~HtmlHelpPort() = default;

    // --- Registry (advapi32, ANSI). Each returns the platform's status code. ---
    // Opens `path` below `root`; on failure `opened` is left 0.
    virtual long RegOpenKeyEx(RegKey root, const std::string& path, std::uint32_t access, RegKey& opened) = 0;
    // Enumerates value `index` with a name buffer of `nameCapacity` characters (the
    // terminating NUL included) and no data buffer. On success fills name, type and the
    // data size in bytes. A name that does not fit gives ERROR_MORE_DATA; past the last
    // value gives ERROR_NO_MORE_ITEMS.
    virtual long RegEnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::string& name,
                              std::uint32_t& type, std::uint32_t& dataSize) = 0;
    // Reads the value `name` into `data`, whose size on entry is the buffer offered; on
    // success `data` is resized to the bytes read and `type` is set.
    virtual long RegQueryValueEx(RegKey key, const std::string& name, std::uint32_t& type,
                                 std::vector<std::uint8_t>& data) = 0;
    virtual long RegCreateKeyEx(RegKey root, const std::string& path, std::uint32_t access, RegKey& opened) = 0;
    virtual long RegSetValueEx(RegKey key, const std::string& name, std::uint32_t type,
                               const std::vector<std::uint8_t>& data) = 0;
    virtual long RegDeleteValue(RegKey key, const std::string& name) = 0;
    virtual long RegCloseKey(RegKey key) = 0;
    // RegQueryInfoKeyA for what tells whether a key's values changed: how many there are and
    // when the key or any of its values was last written (a FILETIME, in 100 ns ticks). A key
    // deleted since it was opened gives ERROR_KEY_DELETED.
    virtual long RegQueryInfoKey(RegKey key, std::uint32_t& values, std::uint64_t& lastWriteTime) = 0;

    // --- kernel32 ---
    // Expands environment references in `source` (up to its first NUL) into `destination`,
    // offering `capacity` characters. Returns the characters needed including the NUL (0 on
    // failure); when that exceeds `capacity`, `destination` is left unchanged. On success
    // the first n characters of `destination` (grown to n if shorter) become the expanded
    // text and its NUL, and whatever followed them stays as it was.
    virtual std::uint32_t ExpandEnvironmentStrings(const std::string& source, std::string& destination,
                                                   std::uint32_t capacity) = 0;
    // GetSystemTimeAsFileTime: the system time in 100 ns ticks, the clock registry write
    // times are taken from.
    virtual std::uint64_t GetSystemTimeAsFileTime() = 0;
    // GetVersionExA; false (and `info` untouched) when the query fails.
    virtual bool GetVersionEx(OsVersion& info) = 0;
    // GetLongPathNameA with a buffer of `capacity` characters: the length of the long form
    // on success (then `longPath` holds it), the size needed when the buffer is too small,
    // 0 on failure.
    virtual std::uint32_t GetLongPathName(const std::string& shortPath, std::string& longPath,
                                          std::uint32_t capacity) = 0;
    // FindFirstFileA followed by FindClose: the name of the first entry found (the
    // cFileName field, up to its NUL), or nullopt when the search found nothing.
    virtual std::optional<std::string> FindFirstFile(const std::string& pattern) = 0;

    // --- version.dll ---
    // GetFileVersionInfoSizeA: 0 when the file has no version resource.
    virtual std::uint32_t GetFileVersionInfoSize(const std::string& path) = 0;
    // GetFileVersionInfoA into `block` (its size on entry is the size offered).
    virtual bool GetFileVersionInfo(const std::string& path, std::vector<std::uint8_t>& block) = 0;
    // VerQueryValueA(block, "\\"): the fixed file information, or nullopt.
    virtual std::optional<FileVersion> VerQueryRoot(const std::vector<std::uint8_t>& block) = 0;

    // --- user32 ---
    // MessageBoxIndirectA; returns the button pressed (IDOK 1), 0 or -1 on failure.
    virtual std::int32_t MessageBoxIndirect(const MessageBoxRequest& request) = 0;
    virtual CursorPos GetCursorPos() = 0;
    virtual void DefWindowProc(std::uint32_t hwnd, std::uint32_t message, std::uint32_t wParam,
                               std::int32_t lParam) = 0;

    // --- HTML Help engine (hhctrl.ocx, loaded once and only from the system folder) ---
    // Calls HtmlHelpA; returns false when the engine cannot be loaded (nothing was called).
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
    // GetDriveTypeW of a root ("C:\\"): DRIVE_REMOTE_ for a network drive, 0 when unknown.
    virtual std::uint32_t GetDriveType(const std::u16string& root) = 0;
    // OutputDebugStringW: one line for whoever debugs the host.
    virtual void OutputDebugString(const std::u16string& line) = 0;

    // --- Text and module ---
    virtual std::string ToAnsi(const std::u16string& text) = 0;
    virtual std::u16string FromAnsi(const std::string& text) = 0;
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
