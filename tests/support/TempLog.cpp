#include "TempLog.h"

#include <windows.h>

#include "Environment.h"

namespace comtest {

TempLog::TempLog(const wchar_t* variable, const wchar_t* prefix) : variable_(variable)
{
    wchar_t file[MAX_PATH] = {};
    GetTempFileNameW(tempFolder().c_str(), prefix, 0, file);
    file_ = file;
    SetEnvironmentVariableW(variable, file);
}

TempLog::~TempLog()
{
    SetEnvironmentVariableW(variable_.c_str(), nullptr);
    DeleteFileW(file_.c_str());
}

void TempLog::clear()
{
    HANDLE h = CreateFileW(file_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

std::vector<std::string> TempLog::lines() const
{
    std::vector<std::string> lines;
    HANDLE h = CreateFileW(file_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return lines;
    std::string text;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n) text.append(buffer, n);
    CloseHandle(h);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

}  // namespace comtest
