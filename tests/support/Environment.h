#pragma once
// What a test reads from its environment: the variables the test table sets (MORVEL_DLL,
// MORVEL_BUILD, MORVEL_SOURCE, ...), the folders they name as Windows programs see them on
// Wine's Z: drive, and the temporary folder. Each in both widths; narrow text is in the
// ANSI code page.

#include <string>
#include <string_view>

namespace comtest {

std::wstring env(const wchar_t* name);  // empty when unset
std::string env(const char* name);

// `relative` (with / or \) below the Unix folder that `variable` names, on the Z: drive.
std::wstring hostPath(const wchar_t* variable, std::wstring_view relative);
std::string hostPath(const char* variable, std::string_view relative);
inline std::wstring buildPath(std::wstring_view relative) { return hostPath(L"MORVEL_BUILD", relative); }
inline std::string buildPath(std::string_view relative) { return hostPath("MORVEL_BUILD", relative); }

std::wstring tempFolder();  // with its trailing backslash

std::wstring wide(std::string_view ansi);
std::string narrow(std::wstring_view text);

}  // namespace comtest
