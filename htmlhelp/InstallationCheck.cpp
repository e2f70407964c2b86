#include "InstallationCheck.h"

#include <exception>
#include <span>

#include "HtmlHelpObject.h"
#include "VersionText.h"

namespace morvel::htmlhelp {

namespace {

struct ReleaseRow {
    const char16_t* version;  // matched whole, ignoring letter case
    const char16_t* name;
};

struct MinimumRow {
    std::int32_t value;  // of the published enumeration
    const char16_t* version;
};

constexpr ReleaseRow HtmlHelpReleases[] = {
    {u"4.72.7290.00", u"1.0"},   {u"4.72.7323.00", u"1.1"},  {u"4.72.7325.00", u"1.1a"},
    {u"4.72.8164.00", u"1.1b"},  {u"4.73.8252.00", u"1.2"},  {u"4.73.8412.00", u"1.21"},
    {u"4.73.8474.00", u"1.21a"}, {u"4.73.8561.00", u"1.22"}, {u"4.74.8566.00", u"1.3"},
};

constexpr ReleaseRow BrowserReleases[] = {
    {u"4.70.1155.0000", u"3.0"},
    {u"4.70.1158.0000", u"3.0 OSR2"},
    {u"4.70.1215.0000", u"3.01"},
    {u"4.70.1300.0000", u"3.02"},
    {u"4.71.1008.3000", u"4.0 PP2"},
    {u"4.71.1712.5000", u"4.0"},
    {u"4.72.2106.7000", u"4.01"},
    {u"4.72.3110.0300", u"4.0 SP1"},
    {u"4.72.3612.1707", u"4.0 SP2"},
    {u"5.00.0518.5000", u"5.0 beta 1"},
    {u"5.00.0910.1308", u"5.0 beta 2"},
    {u"5.00.2014.2130", u"5.0"},
    {u"5.00.2314.1000", u"5.0a (Office 2000)"},
    {u"5.00.2614.3500", u"5.0b (Windows 98 SE)"},
    {u"5.00.2717.2000", u"5.0c (Icon Security Issue Update)"},
};

// HHVersion: HH_1_0 (16) to HH_1_3 (24).
constexpr MinimumRow HtmlHelpMinimums[] = {
    {16, u"4.72.7290"}, {17, u"4.72.7323"}, {18, u"4.72.7325"}, {19, u"4.72.8164.0"}, {20, u"4.73.8252"},
    {21, u"4.73.8412"}, {22, u"4.73.8474"}, {23, u"4.73.8561"}, {24, u"4.74.8566"},
};

// IEVersion: IE_3_0 (256) to IE_5_0C (270).
constexpr MinimumRow BrowserMinimums[] = {
    {256, u"4.70.1155"},      {257, u"4.70.1158"},      {258, u"4.70.1215"},      {259, u"4.70.1300"},
    {260, u"4.71.1008.3"},    {261, u"4.71.1712.5"},    {262, u"4.72.2106.7"},    {263, u"4.72.3110.03"},
    {264, u"4.72.3612.1707"}, {265, u"5.00.0518.5"},    {266, u"5.00.0910.1308"}, {267, u"5.00.2014.213"},
    {268, u"5.00.2314.1000"}, {269, u"5.00.2614.3500"}, {270, u"5.00.2717.2000"},
};

// An installer may have quoted the path; the long-path query would not find it then,
// while the directory walk would, so we unwrap it the same way on every platform.
std::u16string unquoted(std::u16string path)
{
    if (path.size() >= 2 && path.front() == u'"' && path.back() == u'"') return path.substr(1, path.size() - 2);
    return path;
}

}  // namespace

struct InstalledControl {
    const char16_t* serverKey;
    const char16_t* notRegistered;
    const char16_t* fileMissing;
    Text HtmlHelpState::*version;
    Text HtmlHelpState::*release;
    std::span<const ReleaseRow> releases;
    std::span<const MinimumRow> minimums;
};

namespace {

const InstalledControl HtmlHelpControl{
    HtmlHelpServerKey,
    u"Hhctrl.ocx is not registered.  Please install HTML Help.",
    u"Hhctrl.ocx is not in its registered location.  Please reinstall HTML Help.",
    &HtmlHelpState::HHVersionText,
    &HtmlHelpState::HHFriendlyNameText,
    HtmlHelpReleases,
    HtmlHelpMinimums,
};

const InstalledControl BrowserControl{
    BrowserServerKey,
    u"Shdocvw.dll is not registered.  Please install Internet Explorer.",
    u"Internet Explorer is not in its registered location.  Please reinstall Internet Explorer.",
    &HtmlHelpState::IEVersionText,
    &HtmlHelpState::IEFriendlyNameText,
    BrowserReleases,
    BrowserMinimums,
};

}  // namespace

template <class Step>
void InstallationCheck::ignoringErrors(Step&& step)
{
    try {
        step();
    } catch (const std::exception&) {
        // A property read reports nothing; the item keeps what the step left in it.
    }
}

// --- Published members -------------------------------------------------------------------

bool InstallationCheck::HHInstalled() { return object_.registryAccess.GetKeyInfo(HtmlHelpTypeLibKey, 0); }

std::u16string InstallationCheck::HHVersion()
{
    ignoringErrors([this] { CheckHtmlHelpInstall(); });
    return textOrEmpty(object_.state.HHVersionText);
}

std::u16string InstallationCheck::IEVersion()
{
    ignoringErrors([this] { CheckBrowserInstall(); });
    return textOrEmpty(object_.state.IEVersionText);
}

std::u16string InstallationCheck::HHFriendlyName()
{
    ignoringErrors([this] { GetHHFriendlyVersion(); });
    return textOrEmpty(object_.state.HHFriendlyNameText);
}

std::u16string InstallationCheck::IEFriendlyName()
{
    ignoringErrors([this] { GetIEFriendlyVersion(); });
    return textOrEmpty(object_.state.IEFriendlyNameText);
}

bool InstallationCheck::HHVerifyMinConfig(std::int32_t MinHHVersion, std::int32_t MinIEVersion)
{
    CheckHtmlHelpInstall();
    CheckBrowserInstall();
    const bool htmlHelpHolds = meetsMinimum(HtmlHelpControl, MinHHVersion);
    const bool browserHolds = meetsMinimum(BrowserControl, MinIEVersion);
    // A missing control is checked (and reported) once more here, as the lookups find
    // its version text still empty.
    GetHHFriendlyVersion();
    GetIEFriendlyVersion();
    return htmlHelpHolds && browserHolds;
}

// --- Checks and lookups ------------------------------------------------------------------

void InstallationCheck::CheckHtmlHelpInstall() { checkInstall(HtmlHelpControl); }
void InstallationCheck::CheckBrowserInstall() { checkInstall(BrowserControl); }
void InstallationCheck::GetHHFriendlyVersion() { lookUpRelease(HtmlHelpControl); }
void InstallationCheck::GetIEFriendlyVersion() { lookUpRelease(BrowserControl); }

void InstallationCheck::checkInstall(const InstalledControl& control)
{
    const RegistryValueRecord record = object_.registryAccess.GetRegistryValue(u"HKCR", control.serverKey, u"");
    if (record.ValueLine.empty()) {
        object_.messageBoxes.ShowInstallMessage(control.notRegistered);
        return;
    }

    // The data up to its NUL, or all of it when the registry kept none.
    const std::u16string registered = unquoted(RegistryAccess::dataOfLine(record));
    std::u16string path = registered;
    // A walk that stops at a missing folder leaves the part it resolved, an existing
    // folder that a search would find; only a resolved path stands for the registered one.
    if (object_.platformHelpers.ResolveLongPath(registered, path, LongPathBufferLength) == 0) path = registered;
    if (path.empty() || !object_.port.FindFirstFile(path)) {
        object_.messageBoxes.ShowInstallMessage(control.fileMissing);
        return;
    }
    object_.state.*control.version = object_.platformHelpers.GetFileVersionText(path);
}

void InstallationCheck::lookUpRelease(const InstalledControl& control)
{
    HtmlHelpState& state = object_.state;
    if (isEmpty(state.*control.version)) checkInstall(control);
    const std::u16string version = textOrEmpty(state.*control.version);
    for (const ReleaseRow& row : control.releases) {
        if (object_.port.CompareNoCase(version, row.version) == 0) {
            state.*control.release = std::u16string(row.name);
            return;
        }
    }
    state.*control.release = std::u16string(UnknownText);
}

std::u16string InstallationCheck::minimumVersion(std::int32_t value)
{
    for (const auto& table :
         {std::span<const MinimumRow>(HtmlHelpMinimums), std::span<const MinimumRow>(BrowserMinimums)})
        for (const MinimumRow& row : table)
            if (row.value == value) return row.version;
    return {};
}

bool InstallationCheck::meetsMinimum(const InstalledControl& control, std::int32_t value)
{
    HtmlHelpState& state = object_.state;
    for (const MinimumRow& row : control.minimums)
        if (row.value == value) return VersionText::meetsMinimum(textOrEmpty(state.*control.version), row.version);
    // Not a value of the enumeration: no minimum to meet, and the stored text says so
    // until the next check of this control.
    state.*control.version = std::u16string(UnknownText);
    return false;
}

}  // namespace morvel::htmlhelp
