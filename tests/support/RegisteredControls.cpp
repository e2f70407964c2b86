#include "RegisteredControls.h"

#include "comkit/Handles.h"

namespace comtest {

RegisteredControls::RegisteredControls(DWORD type, bool withNul)
{
    Write(HtmlHelpClsid, HtmlHelpServerKey(), L"hhctrl.ocx", type, withNul);
    Write(BrowserClsid, BrowserServerKey(), L"shdocvw.dll", type, withNul);
}

RegisteredControls::~RegisteredControls()
{
    for (const std::wstring& clsid : created_) RegDeleteTreeW(HKEY_CLASSES_ROOT, clsid.c_str());
}

bool RegisteredControls::Exists(const std::wstring& classesRootPath)
{
    morvel::UniqueHKey key;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, classesRootPath.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void RegisteredControls::Write(const wchar_t* clsid, const std::wstring& serverKey, const wchar_t* file, DWORD type,
                               bool withNul)
{
    if (!Exists(clsid)) created_.push_back(clsid);
    const std::wstring folder = type == REG_EXPAND_SZ ? L"%SystemRoot%\\system32\\" : L"C:\\windows\\system32\\";
    const std::wstring data = folder + file;
    const DWORD bytes = DWORD((data.size() + (withNul ? 1 : 0)) * sizeof(wchar_t));
    morvel::UniqueHKey key;
    ok_ = ok_ &&
          RegCreateKeyExW(HKEY_CLASSES_ROOT, serverKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                          nullptr) == ERROR_SUCCESS &&
          RegSetValueExW(key.get(), nullptr, 0, type, reinterpret_cast<const BYTE*>(data.c_str()), bytes) ==
              ERROR_SUCCESS;
}

}  // namespace comtest
