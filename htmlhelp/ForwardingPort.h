#pragma once
// A port that hands every call to another port: the base of a port that changes a few
// calls and keeps the rest, such as QuietPort. Each override below only forwards.

#include "HtmlHelpPort.h"

namespace morvel::htmlhelp {

class ForwardingPort : public HtmlHelpPort {
public:
    explicit ForwardingPort(HtmlHelpPort& inner) : inner_(inner) {}

    HtmlHelpPort& inner() { return inner_; }

    long RegOpenKeyEx(RegKey root, const PlatformText& path, std::uint32_t access, RegKey& opened) override
    {
        return inner_.RegOpenKeyEx(root, path, access, opened);
    }
    long RegEnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::u16string& name,
                      std::uint32_t& type, std::uint32_t& dataSize) override
    {
        return inner_.RegEnumValue(key, index, nameCapacity, name, type, dataSize);
    }
    long RegQueryValueEx(RegKey key, const std::u16string& name, std::uint32_t& type,
                         std::vector<std::uint8_t>& data) override
    {
        return inner_.RegQueryValueEx(key, name, type, data);
    }
    long RegCreateKeyEx(RegKey root, const PlatformText& path, std::uint32_t access, RegKey& opened) override
    {
        return inner_.RegCreateKeyEx(root, path, access, opened);
    }
    long RegSetValueEx(RegKey key, const PlatformText& name, std::uint32_t type,
                       const std::vector<std::uint8_t>& data) override
    {
        return inner_.RegSetValueEx(key, name, type, data);
    }
    long RegDeleteValue(RegKey key, const PlatformText& name) override { return inner_.RegDeleteValue(key, name); }
    long RegCloseKey(RegKey key) override { return inner_.RegCloseKey(key); }

    std::uint32_t ExpandEnvironmentStrings(const std::u16string& source, std::u16string& destination,
                                           std::uint32_t capacity) override
    {
        return inner_.ExpandEnvironmentStrings(source, destination, capacity);
    }
    bool GetVersionEx(OsVersion& info) override { return inner_.GetVersionEx(info); }
    std::uint32_t GetLongPathName(const std::u16string& shortPath, std::u16string& longPath,
                                  std::uint32_t capacity) override
    {
        return inner_.GetLongPathName(shortPath, longPath, capacity);
    }
    std::optional<std::u16string> FindFirstFile(const std::u16string& pattern) override
    {
        return inner_.FindFirstFile(pattern);
    }
    std::uint32_t GetFileVersionInfoSize(const PlatformText& path) override
    {
        return inner_.GetFileVersionInfoSize(path);
    }
    bool GetFileVersionInfo(const PlatformText& path, std::vector<std::uint8_t>& block) override
    {
        return inner_.GetFileVersionInfo(path, block);
    }
    std::optional<FileVersion> VerQueryRoot(const std::vector<std::uint8_t>& block) override
    {
        return inner_.VerQueryRoot(block);
    }

    std::int32_t MessageBoxIndirect(const MessageBoxRequest& request) override
    {
        return inner_.MessageBoxIndirect(request);
    }
    CursorPos GetCursorPos() override { return inner_.GetCursorPos(); }
    void DefWindowProc(std::uint32_t hwnd, std::uint32_t message, std::uint32_t wParam, std::int32_t lParam) override
    {
        inner_.DefWindowProc(hwnd, message, wParam, lParam);
    }

    bool HtmlHelp(const HelpCall& call) override { return inner_.HtmlHelp(call); }
    bool LoadHelpEngine() override { return inner_.LoadHelpEngine(); }
    std::uint64_t LastHelpWindow() const override { return inner_.LastHelpWindow(); }

    long ListCompiledHelp(const std::u16string& file, std::vector<std::u16string>& streams) override
    {
        return inner_.ListCompiledHelp(file, streams);
    }
    long ReadCompiledHelpStream(const std::u16string& file, const std::u16string& stream,
                                std::vector<std::uint8_t>& data) override
    {
        return inner_.ReadCompiledHelpStream(file, stream, data);
    }
    long ReadFile(const std::u16string& path, std::uint32_t limit, std::vector<std::uint8_t>& data) override
    {
        return inner_.ReadFile(path, limit, data);
    }
    std::optional<std::uint32_t> MapUrlToZone(const std::u16string& url) override { return inner_.MapUrlToZone(url); }
    std::uint32_t GetDriveType(const std::u16string& root) override { return inner_.GetDriveType(root); }
    void OutputDebugString(const std::u16string& line) override { inner_.OutputDebugString(line); }
    bool IsDebuggerPresent() override { return inner_.IsDebuggerPresent(); }

    std::optional<std::string> ToAnsi(const std::u16string& text) override { return inner_.ToAnsi(text); }
    std::u16string FromAnsi(const std::string& text) override { return inner_.FromAnsi(text); }
    std::u16string FromCodePage(const std::string& text, std::uint32_t codePage) override
    {
        return inner_.FromCodePage(text, codePage);
    }
    std::uint32_t CodePageOfLocale(std::uint32_t lcid) override { return inner_.CodePageOfLocale(lcid); }
    int CompareNoCase(const std::u16string& a, const std::u16string& b) override { return inner_.CompareNoCase(a, b); }
    std::optional<std::string> LCMapString(const std::u16string& text) override { return inner_.LCMapString(text); }
    long RegQueryInfoKey(RegKey key, std::uint32_t& values, std::uint64_t& lastWriteTime) override
    {
        return inner_.RegQueryInfoKey(key, values, lastWriteTime);
    }
    bool HasTwoRegistryViews() override { return inner_.HasTwoRegistryViews(); }
    std::uint64_t GetSystemTimeAsFileTime() override { return inner_.GetSystemTimeAsFileTime(); }
    std::u16string ModuleFolder() override { return inner_.ModuleFolder(); }
    std::u16string CurrentFolder() override { return inner_.CurrentFolder(); }
    std::u16string LoadResString(std::int32_t id) override { return inner_.LoadResString(id); }
    std::uint32_t LastError() const override { return inner_.LastError(); }

private:
    HtmlHelpPort& inner_;
};

}  // namespace morvel::htmlhelp
