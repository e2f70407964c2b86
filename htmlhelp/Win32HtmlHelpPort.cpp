#include "Win32HtmlHelpPort.h"

#include <windows.h>
#include <urlmon.h>
#include <winver.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <vector>

#include "comkit/AnsiText.h"
#include "../portable/AutomationError.h"
#include "comkit/HandleValues.h"
#include "comkit/ServerModule.h"
#include "comkit/ThreadPrimitives.h"
#include "comkit/Handles.h"
#include "library/LibraryResources.h"
#include "HelpRecords.h"
#include "Win32CompiledHelp.h"

// The port's members carry the entry points' own names; the A/W macros must not rename
// them here. Every call below names its A or W form explicitly.
#undef RegOpenKeyEx
#undef RegEnumValue
#undef RegQueryValueEx
#undef RegCreateKeyEx
#undef RegSetValueEx
#undef RegDeleteValue
#undef RegQueryInfoKey
#undef LCMapString
#undef ExpandEnvironmentStrings
#undef GetVersionEx
#undef GetLongPathName
#undef FindFirstFile
#undef ReadFile
#undef GetFileVersionInfoSize
#undef GetFileVersionInfo
#undef MessageBoxIndirect
#undef DefWindowProc
#undef HtmlHelp
#undef GetDriveType
#undef OutputDebugString
#undef IsDebuggerPresent

namespace morvel::htmlhelp {

namespace {

static_assert(sizeof(MSGBOXPARAMSA) == (sizeof(void*) == 8 ? 80 : 40), "MSGBOXPARAMSA is 40 bytes (80 on x64)");
static_assert(sizeof(MSGBOXPARAMSW) == sizeof(MSGBOXPARAMSA), "MSGBOXPARAMSW is laid out as MSGBOXPARAMSA");
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");
static_assert(sizeof(VS_FIXEDFILEINFO) == 52, "VS_FIXEDFILEINFO is 52 bytes");
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide strings are UTF-16");

template <class Char>
using HtmlHelpProc = HWND(WINAPI*)(HWND, const Char*, UINT, DWORD_PTR);

// Registry keys and windows travel as 32-bit values (see HandleValues.h for the rule).
HKEY toHkey(RegKey key) { return handleFromLong<HKEY>(key); }
RegKey fromHkey(HKEY key) { return longFromHandle(key); }
HWND toHwnd(std::uint32_t hwnd) { return handleFromLong<HWND>(hwnd); }
const wchar_t* wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
LPCSTR ansi(const PlatformText& text) { return text.bytes().c_str(); }

// A text of a help-engine call in the call's form; null stays null. A wide call takes
// every text as it is, whatever form each was given.
template <class Char>
const Char* chars(const std::optional<PlatformText>& text);
template <>
const char* chars<char>(const std::optional<PlatformText>& text)
{
    return text ? ansi(*text) : nullptr;
}
template <>
const wchar_t* chars<wchar_t>(const std::optional<PlatformText>& text)
{
    return text ? wide(text->text()) : nullptr;
}

// One engine call in the form `Char` stands for. The records live here, and point into
// `call`, until the engine has returned.
template <class Char>
HWND callEngine(HtmlHelpProc<Char> entry, const HelpCall& call)
{
    HhFtsQuery<Char> query{};
    HhAkLink<Char> link{};
    HhPopup<Char> popup{};
    DWORD_PTR data = 0;
    if (const auto* number = std::get_if<std::uint32_t>(&call.data)) {
        data = *number;
    } else if (const auto* text = std::get_if<std::optional<PlatformText>>(&call.data)) {
        data = reinterpret_cast<DWORD_PTR>(chars<Char>(*text));
    } else if (const auto* q = std::get_if<FtsQuery>(&call.data)) {
        query = {sizeof(query), q->fUniCodeStrings, chars<Char>(q->pszSearchQuery), q->iProximity, q->fStemmedSearch,
                 q->fTitleOnly, q->fExecute,        chars<Char>(q->pszWindow)};
        data = reinterpret_cast<DWORD_PTR>(&query);
    } else if (const auto* l = std::get_if<AkLink>(&call.data)) {
        link = {sizeof(link),
                l->fReserved,
                chars<Char>(l->pszKeywords),
                chars<Char>(l->pszUrl),
                chars<Char>(l->pszMsgText),
                chars<Char>(l->pszMsgTitle),
                chars<Char>(l->pszWindow),
                l->fIndexOnFail};
        data = reinterpret_cast<DWORD_PTR>(&link);
    } else if (const auto* p = std::get_if<Popup>(&call.data)) {
        popup.cbStruct = sizeof(popup);
        popup.hinst = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(p->hinst));
        popup.idString = p->idString;
        popup.pszText = chars<Char>(p->pszText);
        popup.pt = {p->ptX, p->ptY};
        popup.clrForeground = static_cast<COLORREF>(p->clrForeground);
        popup.clrBackground = static_cast<COLORREF>(p->clrBackground);
        popup.rcMargins = {p->marginLeft, p->marginTop, p->marginRight, p->marginBottom};
        popup.pszFont = chars<Char>(p->pszFont);
        data = reinterpret_cast<DWORD_PTR>(&popup);
    }
    return entry(toHwnd(call.owner), chars<Char>(call.file), call.command, data);
}

// The record both forms share; only the strings differ. Every other member stays zero: no
// owner, no instance, no icon, no help id, no callback, language 0.
template <class Params, class Char>
Params messageBoxParams(const Char* text, const Char* caption, std::uint32_t style)
{
    Params params{};
    params.cbSize = sizeof(params);
    params.lpszText = text;
    params.lpszCaption = caption;
    params.dwStyle = style;
    return params;
}

AutomationError platformFailure() { return errors::internalError(); }

// Any address inside this module finds the module itself, whichever file it was linked into.
const char moduleAnchor = 0;

HMODULE ownModule(LastErrorCapture& lastError)
{
    HMODULE module = nullptr;
    const BOOL found = ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                            reinterpret_cast<LPCWSTR>(&moduleAnchor), &module);
    lastError.capture();
    return found ? module : nullptr;
}

std::string systemFolder(LastErrorCapture& lastError)
{
    const UINT needed = ::GetSystemDirectoryA(nullptr, 0);
    lastError.capture();
    if (needed == 0) return {};
    std::vector<char> buffer(needed);
    const UINT length = ::GetSystemDirectoryA(buffer.data(), needed);
    lastError.capture();
    if (length == 0 || length >= needed) return {};
    return {buffer.data(), length};
}

// Only from the system folder: a copy planted beside the host or in the current folder
// must never be the one that runs.
UniqueModule loadSystemModule(const char* name, LastErrorCapture& lastError)
{
    UniqueModule module(::LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    lastError.capture();
    if (!module && lastError.value() == ERROR_INVALID_PARAMETER) {
        // A system without the search flags refuses them; its full path is just as safe.
        const std::string folder = systemFolder(lastError);
        if (folder.empty()) return module;
        const std::string path = folder + "\\" + name;
        module = UniqueModule(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
        lastError.capture();
    }
    return module;
}

}  // namespace

struct Win32HtmlHelpPort::Engine {
    UniqueModule module;
    HtmlHelpProc<char> entryA = nullptr;  // either may be missing, not both
    HtmlHelpProc<wchar_t> entryW = nullptr;
};

Win32HtmlHelpPort::Win32HtmlHelpPort() : engineLock_(std::make_unique<SlimLock>()) {}
Win32HtmlHelpPort::~Win32HtmlHelpPort() = default;

// ---------------------------------------------------------------------------- registry

long Win32HtmlHelpPort::RegOpenKeyEx(RegKey root, const PlatformText& path, std::uint32_t access, RegKey& opened)
{
    HKEY key = nullptr;
    const LONG status = captured(path.isWide() ? ::RegOpenKeyExW(toHkey(root), wide(path.text()), 0, access, &key)
                                               : ::RegOpenKeyExA(toHkey(root), ansi(path), 0, access, &key));
    opened = status == ERROR_SUCCESS ? fromHkey(key) : 0;
    return status;
}

long Win32HtmlHelpPort::RegEnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::u16string& name,
                                     std::uint32_t& type, std::uint32_t& dataSize)
{
    std::vector<wchar_t> buffer(std::max<std::uint32_t>(nameCapacity, 1));
    DWORD length = nameCapacity;
    DWORD valueType = 0, size = 0;
    const LONG status = captured(
        ::RegEnumValueW(toHkey(key), index, buffer.data(), &length, nullptr, &valueType, nullptr, &size));
    if (status != ERROR_SUCCESS) return status;
    const std::size_t kept = std::min<DWORD>(length, nameCapacity);
    name.assign(reinterpret_cast<const char16_t*>(buffer.data()), kept);
    type = valueType;
    dataSize = size;
    return status;
}

long Win32HtmlHelpPort::RegQueryValueEx(RegKey key, const std::u16string& name, std::uint32_t& type,
                                        std::vector<std::uint8_t>& data)
{
    // Never a null buffer: that would turn the read into a size query that "succeeds".
    std::vector<BYTE> buffer(std::max<std::size_t>(data.size(), 1));
    DWORD size = static_cast<DWORD>(data.size());
    DWORD valueType = 0;
    const LONG status = captured(
        ::RegQueryValueExW(toHkey(key), wide(name), nullptr, &valueType, buffer.data(), &size));
    if (status != ERROR_SUCCESS) return status;
    data.assign(buffer.begin(), buffer.begin() + std::min<std::size_t>(size, data.size()));
    type = valueType;
    return status;
}

long Win32HtmlHelpPort::RegCreateKeyEx(RegKey root, const PlatformText& path, std::uint32_t access, RegKey& opened)
{
    HKEY key = nullptr;
    char noClass[] = "";
    wchar_t noClassW[] = L"";
    const LONG status = captured(path.isWide()
                                     ? ::RegCreateKeyExW(toHkey(root), wide(path.text()), 0, noClassW,
                                                         REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr)
                                     : ::RegCreateKeyExA(toHkey(root), ansi(path), 0, noClass, REG_OPTION_NON_VOLATILE,
                                                         access, nullptr, &key, nullptr));
    opened = status == ERROR_SUCCESS ? fromHkey(key) : 0;
    return status;
}

long Win32HtmlHelpPort::RegSetValueEx(RegKey key, const PlatformText& name, std::uint32_t type,
                                      const std::vector<std::uint8_t>& data)
{
    // The data is already in the form of the name's call; it passes as it is.
    const BYTE* bytes = data.empty() ? nullptr : data.data();
    const auto size = static_cast<DWORD>(data.size());
    const LONG status = captured(name.isWide() ? ::RegSetValueExW(toHkey(key), wide(name.text()), 0, type, bytes, size)
                                               : ::RegSetValueExA(toHkey(key), ansi(name), 0, type, bytes, size));
    return status;
}

long Win32HtmlHelpPort::RegDeleteValue(RegKey key, const PlatformText& name)
{
    const LONG status = captured(name.isWide() ? ::RegDeleteValueW(toHkey(key), wide(name.text()))
                                               : ::RegDeleteValueA(toHkey(key), ansi(name)));
    return status;
}

long Win32HtmlHelpPort::RegCloseKey(RegKey key)
{
    const LONG status = captured(::RegCloseKey(toHkey(key)));
    return status;
}

long Win32HtmlHelpPort::RegQueryInfoKey(RegKey key, std::uint32_t& values, std::uint64_t& lastWriteTime)
{
    DWORD count = 0;
    FILETIME written{};
    const LONG status = captured(::RegQueryInfoKeyA(toHkey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                    &count, nullptr, nullptr, nullptr, &written));
    if (status != ERROR_SUCCESS) return status;
    values = count;
    lastWriteTime = (std::uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime;
    return status;
}

bool Win32HtmlHelpPort::HasTwoRegistryViews()
{
#ifdef _WIN64
    return true;
#else
    // Looked up, not imported: kernel32 of systems before XP SP2 lacks it, and they have one view.
    using IsWow64ProcessProc = BOOL(WINAPI*)(HANDLE, PBOOL);
    const HMODULE kernel = captured(::GetModuleHandleW(L"kernel32.dll"));
    const auto isWow64Process = kernel ? reinterpret_cast<IsWow64ProcessProc>(reinterpret_cast<void*>(
                                             captured(::GetProcAddress(kernel, "IsWow64Process"))))
                                       : nullptr;
    BOOL wow64 = FALSE;
    const BOOL ok = captured(isWow64Process && isWow64Process(::GetCurrentProcess(), &wow64));
    return ok && wow64;
#endif
}

// ---------------------------------------------------------------------------- kernel32

std::uint64_t Win32HtmlHelpPort::GetSystemTimeAsFileTime()
{
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
}

std::uint32_t Win32HtmlHelpPort::ExpandEnvironmentStrings(const std::u16string& source, std::u16string& destination,
                                                          std::uint32_t capacity)
{
    // A scratch buffer, so a refused expansion leaves the caller's buffer as it was.
    std::vector<wchar_t> scratch(std::max<std::uint32_t>(capacity, 1));
    const DWORD needed = captured(::ExpandEnvironmentStringsW(wide(source), scratch.data(), capacity));
    if (needed == 0 || needed > capacity) return needed;
    if (destination.size() < needed) destination.resize(needed);
    std::copy_n(scratch.begin(), needed, destination.begin());
    return needed;
}

bool Win32HtmlHelpPort::GetVersionEx(OsVersion& info)
{
    OSVERSIONINFOA record{};
    record.dwOSVersionInfoSize = sizeof(record);
    std::memset(record.szCSDVersion, ' ', sizeof(record.szCSDVersion));
    const BOOL ok = captured(::GetVersionExA(&record));
    if (!ok) return false;
    info.majorVersion = record.dwMajorVersion;
    info.minorVersion = record.dwMinorVersion;
    info.platformId = record.dwPlatformId;
    return true;
}

std::uint32_t Win32HtmlHelpPort::GetLongPathName(const std::u16string& shortPath, std::u16string& longPath,
                                                 std::uint32_t capacity)
{
    std::vector<wchar_t> buffer(std::max<std::uint32_t>(capacity, 1));
    const DWORD result = captured(::GetLongPathNameW(wide(shortPath), buffer.data(), capacity));
    if (result > 0 && result < capacity) longPath.assign(reinterpret_cast<const char16_t*>(buffer.data()), result);
    return result;
}

std::optional<std::u16string> Win32HtmlHelpPort::FindFirstFile(const std::u16string& pattern)
{
    std::optional<std::u16string> name;
    {
        WIN32_FIND_DATAW data{};
        const UniqueFind search(::FindFirstFileW(wide(pattern), &data));
        lastError_.capture();
        if (!search) return std::nullopt;
        name.emplace(reinterpret_cast<const char16_t*>(data.cFileName), ::wcsnlen(data.cFileName, MAX_PATH));
    }  // FindClose
    lastError_.capture();
    return name;
}

long Win32HtmlHelpPort::ReadFile(const std::u16string& path, std::uint32_t limit, std::vector<std::uint8_t>& data)
{
    data.clear();
    const UniqueFile file(::CreateFileW(wide(path), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    lastError_.capture();
    if (!file) return long(lastError_.value());
    data.resize(limit);
    std::size_t got = 0;
    while (got < data.size()) {
        DWORD read = 0;
        const DWORD ask = DWORD(std::min<std::size_t>(data.size() - got, 1u << 20));
        const BOOL ok = captured(::ReadFile(file.get(), data.data() + got, ask, &read, nullptr));
        if (!ok) {
            data.clear();
            return long(lastError_.value());
        }
        if (read == 0) break;
        got += read;
    }
    data.resize(got);
    return ERROR_SUCCESS;
}

// ---------------------------------------------------------------------------- version.dll

std::uint32_t Win32HtmlHelpPort::GetFileVersionInfoSize(const PlatformText& path)
{
    DWORD unused = 0;
    const DWORD size = captured(path.isWide() ? ::GetFileVersionInfoSizeW(wide(path.text()), &unused)
                                              : ::GetFileVersionInfoSizeA(ansi(path), &unused));
    return size;
}

bool Win32HtmlHelpPort::GetFileVersionInfo(const PlatformText& path, std::vector<std::uint8_t>& block)
{
    if (block.empty()) return false;
    const auto size = static_cast<DWORD>(block.size());
    const BOOL ok = captured(path.isWide() ? ::GetFileVersionInfoW(wide(path.text()), 0, size, block.data())
                                           : ::GetFileVersionInfoA(ansi(path), 0, size, block.data()));
    return ok != FALSE;
}

std::optional<FileVersion> Win32HtmlHelpPort::VerQueryRoot(const std::vector<std::uint8_t>& block)
{
    if (block.empty()) return std::nullopt;
    void* fixed = nullptr;
    UINT length = 0;
    const BOOL ok = captured(::VerQueryValueA(block.data(), "\\", &fixed, &length));
    if (!ok || !fixed || length < sizeof(VS_FIXEDFILEINFO)) return std::nullopt;
    // A block cut short may claim a record beyond its end; only one wholly inside counts.
    const auto begin = reinterpret_cast<std::uintptr_t>(block.data());
    const auto at = reinterpret_cast<std::uintptr_t>(fixed);
    if (at < begin || at - begin > block.size() - sizeof(VS_FIXEDFILEINFO) || block.size() < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    VS_FIXEDFILEINFO info{};
    std::memcpy(&info, fixed, sizeof(info));
    return FileVersion{info.dwFileVersionMS, info.dwFileVersionLS};
}

// ---------------------------------------------------------------------------- user32

std::int32_t Win32HtmlHelpPort::MessageBoxIndirect(const MessageBoxRequest& request)
{
    int result = 0;
    if (request.text.isWide()) {
        // The caption is plain ASCII: each byte is its own character.
        const std::wstring caption(request.caption.begin(), request.caption.end());
        const auto params = messageBoxParams<MSGBOXPARAMSW>(wide(request.text.text()), caption.c_str(), request.style);
        result = ::MessageBoxIndirectW(&params);
    } else {
        const auto params = messageBoxParams<MSGBOXPARAMSA>(ansi(request.text), request.caption.c_str(), request.style);
        result = ::MessageBoxIndirectA(&params);
    }
    lastError_.capture();
    return result;
}

CursorPos Win32HtmlHelpPort::GetCursorPos()
{
    POINT point{};
    const BOOL ok = captured(::GetCursorPos(&point));
    if (!ok) return {};
    return {point.x, point.y};
}

void Win32HtmlHelpPort::DefWindowProc(std::uint32_t hwnd, std::uint32_t message, std::uint32_t wParam,
                                      std::int32_t lParam)
{
    // The result belongs to the message, not to us; What's-This mode wants only the side effect.
    ::DefWindowProcA(toHwnd(hwnd), message, wParam, lParam);
    lastError_.capture();
}

// ---------------------------------------------------------------------------- the help engine

// On first use, never from DllMain, and only from the system folder.
bool Win32HtmlHelpPort::loadEngine()
{
    const std::lock_guard<SlimLock> lock(*engineLock_);
    if (engine_) return true;

    UniqueModule module = loadSystemModule("hhctrl.ocx", lastError_);
    if (!module) return false;

    // An engine may offer either form; a call that needs the missing one fails on its own.
    const FARPROC procA = captured(::GetProcAddress(module.get(), "HtmlHelpA"));
    const FARPROC procW = captured(::GetProcAddress(module.get(), "HtmlHelpW"));
    const FARPROC proc = procA ? procA : procW;
    if (!proc) return false;

    // Help windows outlive the object that opened them, and may outlive this module too;
    // pinned, the engine stays whatever FreeLibrary comes later.
    HMODULE pinned = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                              reinterpret_cast<LPCWSTR>(proc), &pinned)) {
        // Not pinned: our own reference below keeps it for as long as this port lives.
        lastError_.capture();
    }

    auto engine = std::make_unique<Engine>();
    engine->module = std::move(module);
    engine->entryA = reinterpret_cast<HtmlHelpProc<char>>(reinterpret_cast<void*>(procA));
    engine->entryW = reinterpret_cast<HtmlHelpProc<wchar_t>>(reinterpret_cast<void*>(procW));
    engine_ = std::move(engine);
    return true;
}

bool Win32HtmlHelpPort::LoadHelpEngine() { return loadEngine(); }

bool Win32HtmlHelpPort::HtmlHelp(const HelpCall& call)
{
    lastHelpWindow_ = 0;
    if (!loadEngine()) return false;

    const bool wideCall = call.wide();
    if (wideCall ? !engine_->entryW : !engine_->entryA) {
        // What GetProcAddress said when the engine was loaded: the core names the entry point.
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        lastError_.capture();
        return false;
    }

    // The window the engine hands back tells only whether it showed anything: the display
    // commands tell a debugger why, when it did not.
    const HWND window = captured(wideCall ? callEngine(engine_->entryW, call) : callEngine(engine_->entryA, call));
    lastHelpWindow_ = reinterpret_cast<std::uintptr_t>(window);
    return true;
}

// ---------------------------------------------------------------------------- compiled help, diagnostics

long Win32HtmlHelpPort::ListCompiledHelp(const std::u16string& file, std::vector<std::u16string>& streams)
{
    const long status = captured(compiledhelp::listStreams(file, streams));
    return status;
}

long Win32HtmlHelpPort::ReadCompiledHelpStream(const std::u16string& file, const std::u16string& stream,
                                               std::vector<std::uint8_t>& data)
{
    const long status = captured(compiledhelp::readStream(file, stream, data));
    return status;
}

std::optional<std::uint32_t> Win32HtmlHelpPort::MapUrlToZone(const std::u16string& url)
{
    // urlmon is loaded for this question only: the library asks it when a debugger or the
    // doctor wants to know, never on the way to showing help.
    const UniqueModule urlmon = loadSystemModule("urlmon.dll", lastError_);
    if (!urlmon) return std::nullopt;
    using Create = HRESULT(WINAPI*)(IServiceProvider*, IInternetSecurityManager**, DWORD);
    const auto create = reinterpret_cast<Create>(
        reinterpret_cast<void*>(captured(::GetProcAddress(urlmon.get(), "CoInternetCreateSecurityManager"))));
    if (!create) return std::nullopt;
    std::optional<std::uint32_t> zone;
    {
        ComPtr<IInternetSecurityManager> manager;
        DWORD found = 0;
        if (SUCCEEDED(create(nullptr, manager.put(), 0)) && manager &&
            SUCCEEDED(manager->MapUrlToZone(wide(url), &found, 0)))
            zone = found;
    }  // released before urlmon goes
    lastError_.capture();
    return zone;
}

std::uint32_t Win32HtmlHelpPort::GetDriveType(const std::u16string& root)
{
    const UINT type = captured(::GetDriveTypeW(wide(root)));
    return type;
}

void Win32HtmlHelpPort::OutputDebugString(const std::u16string& line)
{
    ::OutputDebugStringW(wide(line));
    lastError_.capture();
}

bool Win32HtmlHelpPort::IsDebuggerPresent() { return ::IsDebuggerPresent() != FALSE; }

// ---------------------------------------------------------------------------- text and module

std::optional<std::string> Win32HtmlHelpPort::ToAnsi(const std::u16string& text)
{
    std::optional<std::string> bytes = captured(exactAnsi(text));
    return bytes;
}

std::u16string Win32HtmlHelpPort::FromAnsi(const std::string& text) { return FromCodePage(text, CP_ACP); }

std::u16string Win32HtmlHelpPort::FromCodePage(const std::string& text, std::uint32_t codePage)
{
    if (text.empty()) return {};
    if (codePage != CP_ACP && !::IsValidCodePage(codePage)) codePage = CP_ACP;
    const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
    const int needed = captured(::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0));
    if (needed <= 0) return {};
    std::u16string wide(static_cast<std::size_t>(needed), u'\0');
    const int written = captured(
        ::MultiByteToWideChar(codePage, 0, text.data(), length, reinterpret_cast<wchar_t*>(wide.data()), needed));
    wide.resize(static_cast<std::size_t>(std::max(written, 0)));
    return wide;
}

std::uint32_t Win32HtmlHelpPort::CodePageOfLocale(std::uint32_t lcid)
{
    DWORD codePage = 0;
    const int got = captured(::GetLocaleInfoW(lcid, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                                              reinterpret_cast<wchar_t*>(&codePage),
                                              sizeof(codePage) / sizeof(wchar_t)));
    return got > 0 ? codePage : 0;
}

int Win32HtmlHelpPort::CompareNoCase(const std::u16string& a, const std::u16string& b)
{
    const int result = captured(::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wide(a),
                                                 static_cast<int>(a.size()), wide(b), static_cast<int>(b.size())));
    // A failed comparison must not pass for a match.
    if (result == 0) return a == b ? 0 : (a < b ? -1 : 1);
    return result - CSTR_EQUAL;
}

// The same locale and flags as CompareNoCase: sort keys that compare equal byte for byte
// belong to texts that CompareStringW calls equal, and the other way round.
std::optional<std::string> Win32HtmlHelpPort::LCMapString(const std::u16string& text)
{
    if (text.empty()) return std::nullopt;
    const int length = static_cast<int>(text.size());
    const int needed = captured(
        ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, wide(text), length, nullptr, 0));
    if (needed <= 0) return std::nullopt;
    // A sort key is bytes, though the function takes a wide-character buffer for it.
    std::string key(static_cast<std::size_t>(needed), '\0');
    const int written = captured(::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, wide(text),
                                                length, reinterpret_cast<LPWSTR>(key.data()), needed));
    if (written <= 0) return std::nullopt;
    key.resize(static_cast<std::size_t>(written));
    return key;
}

std::u16string Win32HtmlHelpPort::ModuleFolder()
{
    const HMODULE module = ownModule(lastError_);
    if (!module) throw platformFailure();
    const std::wstring file = captured(module::pathOf(module));
    const std::u16string path(file.begin(), file.end());
    const auto slash = path.rfind(u'\\');
    if (path.empty() || slash == std::u16string::npos) throw platformFailure();
    return path.substr(0, slash);
}

std::u16string Win32HtmlHelpPort::CurrentFolder()
{
    // The folder can change between asking its size and reading it; a second round settles it.
    for (int round = 0; round < 3; ++round) {
        const DWORD needed = captured(::GetCurrentDirectoryW(0, nullptr));
        if (needed == 0) break;
        std::vector<wchar_t> buffer(needed);
        const DWORD length = captured(::GetCurrentDirectoryW(needed, buffer.data()));
        if (length == 0) break;
        if (length < needed) return {reinterpret_cast<const char16_t*>(buffer.data()), length};
    }
    throw platformFailure();
}

std::u16string Win32HtmlHelpPort::LoadResString(std::int32_t id)
{
    // The library has one string loader, shared with the library object's GetProResStrings,
    // so a popup and the host see the same strings and the same errors.
    struct CaptureLastError {
        LastErrorCapture& to;
        ~CaptureLastError() { to.capture(); }
    } capture{lastError_};
    return loadResString(id);
}

}  // namespace morvel::htmlhelp
