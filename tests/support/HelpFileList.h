#pragma once
// The HTML Help file list the library's registration members keep: one value per help file
// below HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\HTML Help, named after the file, with
// its folder as data. Read and written in this process's registry view (the one the help
// engine of the same width reads) unless a view is given.

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace comtest::fileList {

inline constexpr const wchar_t* Key = L"Software\\Microsoft\\Windows\\HTML Help";
inline const std::wstring Missing = L"<missing>";

// Every value as the registry holds it: its type and its bytes.
using Values = std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>>;
Values read();
// Puts the list back as `before` held it: how many values that removed or wrote again (-1
// when the list cannot be written).
int restore(const Values& before);

// One value's characters as stored, a stored terminating NUL included; Missing, or
// "<type n>" for a value that is not REG_SZ.
std::wstring data(const std::wstring& name, REGSAM view = 0);
bool write(const std::wstring& name, DWORD type, const void* bytes, DWORD size);
bool write(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ);  // with its NUL
bool remove(const std::wstring& name);

}  // namespace comtest::fileList
