#pragma once
// The recording engine's log, seen from a test: names a fresh file for this process in
// MORVEL_HHLOG (the recorder reads it at every call) and hands back the lines written
// since the last look. Also the paths of the build tree as Windows sees them.

#include <windows.h>

#include <string>
#include <vector>

#include "../../hhrecorder/RecordFormat.h"

namespace enginetest {

inline std::string envA(const char* name)
{
    char buffer[4096];
    const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return n && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

// A path of the build tree (MORVEL_BUILD is its Unix path) on Wine's Z: drive.
inline std::string buildPath(const std::string& relative)
{
    std::string path = "Z:" + envA("MORVEL_BUILD") + "/" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

inline std::wstring wide(const std::string& ansi) { return std::wstring(ansi.begin(), ansi.end()); }

class EngineLog {
public:
    EngineLog()
    {
        char folder[MAX_PATH] = {}, file[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        GetTempFileNameA(folder, "hhl", 0, file);
        path_ = file;
        DeleteFileA(path_.c_str());
        SetEnvironmentVariableA("MORVEL_HHLOG", path_.c_str());
    }
    ~EngineLog()
    {
        SetEnvironmentVariableA("MORVEL_HHLOG", nullptr);
        DeleteFileA(path_.c_str());
    }
    EngineLog(const EngineLog&) = delete;
    EngineLog& operator=(const EngineLog&) = delete;

    bool exists() const { return GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES; }

    // The calls recorded since the last take, one line each; the log starts afresh.
    std::vector<std::string> take()
    {
        std::vector<std::string> lines;
        HANDLE h = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return lines;
        std::string text;
        char buffer[4096];
        DWORD n = 0;
        while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n) text.append(buffer, n);
        CloseHandle(h);
        DeleteFileA(path_.c_str());
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = text.find('\n', start);
            lines.push_back(text.substr(start, end - start));
            if (end == std::string::npos) break;
            start = end + 1;
        }
        return lines;
    }

private:
    std::string path_;
};

// The sizes the engine of this build's width expects in the records' cbStruct.
inline constexpr bool win64 = sizeof(void*) == 8;
inline constexpr int ftsQueryBytes = win64 ? 40 : 32;
inline constexpr int akLinkBytes = win64 ? 56 : 32;
inline constexpr int popupBytes = win64 ? 72 : 52;

// One recorded call as the recorder writes it; `owner` is the handle as the engine sees it.
inline std::string call(std::uint64_t owner, const char* file, std::uint32_t command, const std::string& data)
{
    return "owner=" + hhrecord::handle(owner) + " file=" + hhrecord::quote(file) +
           " command=" + hhrecord::hex(command, 4) + " data=" + data;
}
inline std::string call(std::uint64_t owner, const std::string& file, std::uint32_t command, const std::string& data)
{
    return call(owner, file.c_str(), command, data);
}

}  // namespace enginetest
