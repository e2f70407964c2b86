#include "Environment.h"

#include <windows.h>

#include <algorithm>

namespace comtest {

std::wstring env(const wchar_t* name)
{
    wchar_t buffer[32768];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
    return n && n < 32768 ? std::wstring(buffer, n) : std::wstring();
}

std::string env(const char* name) { return narrow(env(wide(name).c_str())); }

std::wstring hostPath(const wchar_t* variable, std::wstring_view relative)
{
    std::wstring path = L"Z:" + env(variable) + L"/" + std::wstring(relative);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::string hostPath(const char* variable, std::string_view relative)
{
    return narrow(hostPath(wide(variable).c_str(), wide(relative)));
}

std::wstring tempFolder()
{
    wchar_t path[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, path);
    return path;
}

std::wstring wide(std::string_view ansi)
{
    std::wstring out(ansi.size(), L'\0');
    out.resize(MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), out.data(),
                                   static_cast<int>(out.size())));
    return out;
}

std::string narrow(std::wstring_view text)
{
    std::string out(text.size() * 2, '\0');
    out.resize(WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                   static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

}  // namespace comtest
