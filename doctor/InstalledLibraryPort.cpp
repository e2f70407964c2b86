#include "InstalledLibraryPort.h"

#include <windows.h>
#include <objbase.h>

#include <cwctype>
#include <string_view>

#include "comkit/Handles.h"

namespace morvel::helpdoctor {
namespace {

std::u16string folderOf(const std::wstring& file)
{
    const auto slash = file.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    return std::u16string(file.begin(), file.begin() + std::ptrdiff_t(slash));
}

bool hasLibrary(const std::u16string& folder)
{
    const std::wstring dll = std::wstring(folder.begin(), folder.end()) + L"\\Morvel10.dll";
    const DWORD attributes = ::GetFileAttributesW(dll.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The in-process server registered for the HTML Help class, in this process's view.
// RRF_RT_REG_SZ also takes a REG_EXPAND_SZ value and expands it (asking for
// RRF_RT_REG_EXPAND_SZ without RRF_NOEXPAND is an invalid parameter).
std::u16string registeredFolder()
{
    CLSID clsid{};
    if (FAILED(::CLSIDFromProgID(L"Morvel10.clsKvHlpfHtmlA", &clsid))) return {};
    wchar_t text[64] = {};
    if (!::StringFromGUID2(clsid, text, 64)) return {};
    const std::wstring key = std::wstring(L"CLSID\\") + text + L"\\InprocServer32";
    DWORD size = 0;
    if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size == 0 || size > 65536)
        return {};
    std::wstring path(size / sizeof(wchar_t) + 1, L'\0');
    if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path.data(), &size) !=
        ERROR_SUCCESS)
        return {};
    path.resize(::wcsnlen(path.c_str(), path.size()));
    return folderOf(path);
}

// Where the doctor sits in an SDK, below the library's folder.
constexpr std::u16string_view SdkBin = u"\\sdk\\bin";

bool endsWithSdkBin(const std::u16string& folder)
{
    if (folder.size() < SdkBin.size()) return false;
    for (std::size_t i = 0; i < SdkBin.size(); ++i)
        if (std::towlower(folder[folder.size() - SdkBin.size() + i]) != SdkBin[i]) return false;
    return true;
}

}  // namespace

std::u16string InstalledLibraryPort::find(htmlhelp::HtmlHelpPort& inner)
{
    if (std::u16string folder = registeredFolder(); !folder.empty() && hasLibrary(folder)) return folder;
    const std::u16string own = inner.ModuleFolder();
    if (endsWithSdkBin(own)) {
        const std::u16string root = own.substr(0, own.size() - SdkBin.size());
        if (hasLibrary(root)) return root;
    }
    return own;
}

}  // namespace morvel::helpdoctor
