#pragma once
// Whether the HTML Help control and the browser control it relies on are registered and
// present, which file version and release each has, and whether both meet a minimum
// release. The results live in the object's four installation items. A control that is
// missing is told to the user in a message box and leaves its version text as it was.

#include <cstdint>
#include <string>

namespace morvel::htmlhelp {

class HtmlHelpObject;
struct InstalledControl;  // one of the two controls, with its key, texts and tables

// The in-process server keys below HKEY_CLASSES_ROOT; the two really differ in letter case.
inline constexpr char16_t HtmlHelpServerKey[] = u"CLSID\\{4662DAB0-D393-11D0-9A56-00C04FB68B66}\\InprocServer32";
inline constexpr char16_t BrowserServerKey[] = u"CLSID\\{0A89A860-D7B1-11CE-8350-444553540000}\\InProcServer32";
// The HTML Help control's type library, below HKEY_LOCAL_MACHINE.
inline constexpr char16_t HtmlHelpTypeLibKey[] = u"SOFTWARE\\Classes\\TypeLib\\{ADB880A2-D8FF-11CF-9377-00AA003B7A11}";
// The release name of a version no table knows, and the version text of a minimum
// outside its enumeration.
inline constexpr char16_t UnknownText[] = u"unknown";

class InstallationCheck {
public:
    explicit InstallationCheck(HtmlHelpObject& object) : object_(object) {}

    // --- Published members ---
    // Whether the type-library key opens with full access; asked afresh on every read.
    bool HHInstalled();
    // These four run their check or lookup and return the item it leaves. Run-time
    // errors inside are ignored: the host gets whatever the item then holds.
    std::u16string HHVersion();
    std::u16string IEVersion();
    std::u16string HHFriendlyName();
    std::u16string IEFriendlyName();
    // Both controls checked, both release names looked up; true when both versions meet
    // the minimum the two enumeration values select. A value outside its enumeration
    // fails its half and leaves "unknown" as that control's version text. Run-time errors
    // go to the caller.
    bool HHVerifyMinConfig(std::int32_t MinHHVersion, std::int32_t MinIEVersion);

    // --- The class's private procedures, reachable for the tests ---
    void CheckHtmlHelpInstall();
    void CheckBrowserInstall();
    // Run the matching check first only when no version text is stored yet.
    void GetHHFriendlyVersion();
    void GetIEFriendlyVersion();

    // The minimum version text an HHVersion or IEVersion value selects; empty for any
    // other value.
    static std::u16string minimumVersion(std::int32_t value);

    // The buffer every caller of ResolveLongPath offers.
    static constexpr std::int32_t LongPathBufferLength = 256;

private:
    void checkInstall(const InstalledControl& control);
    void lookUpRelease(const InstalledControl& control);
    bool meetsMinimum(const InstalledControl& control, std::int32_t value);
    template <class Step>
    void ignoringErrors(Step&& step);

    HtmlHelpObject& object_;
};

}  // namespace morvel::htmlhelp
