#pragma once
// The HTML Help port on the real platform: the entry points of advapi32, kernel32, user32
// and version.dll, in the ANSI form for texts the code page spells exactly and the wide
// form otherwise, and the help engine (hhctrl.ocx) loaded on first use, from the system
// folder only. Windows only. The thread's last-error code is taken after every
// platform call, for LastError() and for Err.LastDllError alike.
//
// This header does without <windows.h> on purpose: its A/W macros (RegOpenKeyEx,
// FindFirstFile, ...) would rename the port's members. A translation unit that includes
// <windows.h> before the port headers gets the renamed members consistently; one that
// includes it in between cannot call them by name.

#include <cstdint>
#include <memory>

#include "comkit/LastDllError.h"
#include "HtmlHelpPort.h"

namespace morvel {
class SlimLock;
}

namespace morvel::htmlhelp {

class Win32HtmlHelpPort final : public HtmlHelpPort {
public:
    Win32HtmlHelpPort();
    ~Win32HtmlHelpPort() override;
    Win32HtmlHelpPort(const Win32HtmlHelpPort&) = delete;
    Win32HtmlHelpPort& operator=(const Win32HtmlHelpPort&) = delete;

    long RegOpenKeyEx(RegKey root, const PlatformText& path, std::uint32_t access, RegKey& opened) override;
    long RegEnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::u16string& name,
                      std::uint32_t& type, std::uint32_t& dataSize) override;
    long RegQueryValueEx(RegKey key, const std::u16string& name, std::uint32_t& type,
                         std::vector<std::uint8_t>& data) override;
    long RegCreateKeyEx(RegKey root, const PlatformText& path, std::uint32_t access, RegKey& opened) override;
    long RegSetValueEx(RegKey key, const PlatformText& name, std::uint32_t type,
                       const std::vector<std::uint8_t>& data) override;
    long RegDeleteValue(RegKey key, const PlatformText& name) override;
    long RegCloseKey(RegKey key) override;
    long RegQueryInfoKey(RegKey key, std::uint32_t& values, std::uint64_t& lastWriteTime) override;
    bool HasTwoRegistryViews() override;

    std::uint32_t ExpandEnvironmentStrings(const std::u16string& source, std::u16string& destination,
                                           std::uint32_t capacity) override;
    std::uint64_t GetSystemTimeAsFileTime() override;
    bool GetVersionEx(OsVersion& info) override;
    std::uint32_t GetLongPathName(const std::u16string& shortPath, std::u16string& longPath,
                                  std::uint32_t capacity) override;
    std::optional<std::u16string> FindFirstFile(const std::u16string& pattern) override;
    long ReadFile(const std::u16string& path, std::uint32_t limit, std::vector<std::uint8_t>& data) override;

    std::uint32_t GetFileVersionInfoSize(const PlatformText& path) override;
    bool GetFileVersionInfo(const PlatformText& path, std::vector<std::uint8_t>& block) override;
    std::optional<FileVersion> VerQueryRoot(const std::vector<std::uint8_t>& block) override;

    std::int32_t MessageBoxIndirect(const MessageBoxRequest& request) override;
    CursorPos GetCursorPos() override;
    void DefWindowProc(std::uint32_t hwnd, std::uint32_t message, std::uint32_t wParam, std::int32_t lParam) override;

    bool HtmlHelp(const HelpCall& call) override;
    bool LoadHelpEngine() override;
    std::uint64_t LastHelpWindow() const override { return lastHelpWindow_; }
    long ListCompiledHelp(const std::u16string& file, std::vector<std::u16string>& streams) override;
    long ReadCompiledHelpStream(const std::u16string& file, const std::u16string& stream,
                                std::vector<std::uint8_t>& data) override;
    std::optional<std::uint32_t> MapUrlToZone(const std::u16string& url) override;
    std::uint32_t GetDriveType(const std::u16string& root) override;
    void OutputDebugString(const std::u16string& line) override;
    bool IsDebuggerPresent() override;

    std::optional<std::string> ToAnsi(const std::u16string& text) override;
    std::u16string FromAnsi(const std::string& text) override;
    std::u16string FromCodePage(const std::string& text, std::uint32_t codePage) override;
    std::uint32_t CodePageOfLocale(std::uint32_t lcid) override;
    int CompareNoCase(const std::u16string& a, const std::u16string& b) override;
    std::optional<std::string> LCMapString(const std::u16string& text) override;
    std::u16string ModuleFolder() override;
    std::u16string CurrentFolder() override;
    std::u16string LoadResString(std::int32_t id) override;

    std::uint32_t LastError() const override { return lastError_.value(); }

private:
    // The platform's answer, once the thread's last-error code it left is taken.
    template <class Result>
    Result captured(Result result)
    {
        lastError_.capture();
        return result;
    }

    struct Engine;  // the loaded hhctrl.ocx and its HtmlHelpA and HtmlHelpW
    bool loadEngine();

    std::unique_ptr<SlimLock> engineLock_;  // a platform lock: nothing of it outlives the object
    std::unique_ptr<Engine> engine_;
    LastErrorCapture lastError_;  // also feeds Err.LastDllError
    std::uint64_t lastHelpWindow_ = 0;
};

}  // namespace morvel::htmlhelp
