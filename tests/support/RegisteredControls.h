#pragma once
// The HTML Help control and the browser control registered as an installer registers
// them, for as long as the owner lives. A Wine prefix has the files (system32\hhctrl.ocx
// and shdocvw.dll) but not their in-process server keys; what this writes is removed
// again, so whoever comes next sees the prefix as Wine made it.

#include <windows.h>

#include <string>
#include <vector>

namespace comtest {

class RegisteredControls {
public:
    // The default value's type (REG_SZ, or REG_EXPAND_SZ with %SystemRoot%) and whether
    // its data carries the terminating NUL.
    explicit RegisteredControls(DWORD type = REG_SZ, bool withNul = true);
    ~RegisteredControls();
    RegisteredControls(const RegisteredControls&) = delete;
    RegisteredControls& operator=(const RegisteredControls&) = delete;

    bool ok() const { return ok_; }

    static constexpr const wchar_t* HtmlHelpClsid = L"CLSID\\{4662DAB0-D393-11D0-9A56-00C04FB68B66}";
    static constexpr const wchar_t* BrowserClsid = L"CLSID\\{0A89A860-D7B1-11CE-8350-444553540000}";
    // The two server keys differ in letter case, as installers have always written them.
    static std::wstring HtmlHelpServerKey() { return std::wstring(HtmlHelpClsid) + L"\\InprocServer32"; }
    static std::wstring BrowserServerKey() { return std::wstring(BrowserClsid) + L"\\InProcServer32"; }
    static bool Exists(const std::wstring& classesRootPath);

private:
    void Write(const wchar_t* clsid, const std::wstring& serverKey, const wchar_t* file, DWORD type, bool withNul);

    std::vector<std::wstring> created_;  // class keys that were not there before us
    bool ok_ = true;
};

}  // namespace comtest
