#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakePlatform.h"
#include "portable/AutomationError.h"
#include "htmlhelp/HtmlHelpObject.h"
#include "htmlhelp/VersionText.h"

namespace morvel::htmlhelp {
namespace {

// Values of the published enumerations.
constexpr std::int32_t HH_1_0 = 16, HH_1_22 = 23, HH_1_3 = 24;
constexpr std::int32_t IE_3_0 = 256, IE_4_0 = 261, IE_5_0C = 270;

const std::string HhServerKey = "CLSID\\{4662DAB0-D393-11D0-9A56-00C04FB68B66}\\InprocServer32";
const std::string IeServerKey = "CLSID\\{0A89A860-D7B1-11CE-8350-444553540000}\\InProcServer32";
const std::string HhctrlPath = "C:\\Windows\\System32\\hhctrl.ocx";
const std::string ShdocvwPath = "C:\\Windows\\System32\\shdocvw.dll";

const std::string HhNotRegistered = "Hhctrl.ocx is not registered.  Please install HTML Help.";
const std::string HhMissing = "Hhctrl.ocx is not in its registered location.  Please reinstall HTML Help.";
const std::string IeNotRegistered = "Shdocvw.dll is not registered.  Please install Internet Explorer.";
const std::string IeMissing =
    "Internet Explorer is not in its registered location.  Please reinstall Internet Explorer.";

class InstallationCheckTest : public ::testing::Test {
protected:
    FakePlatform fake;
    HtmlHelpObject object{fake};
    InstallationCheck& install = object.installationCheck;

    void InstallHtmlHelp(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d)
    {
        fake.AddFile(HhctrlPath).SetFileVersion(HhctrlPath, a, b, c, d);
        fake.SetString(HKEY_CLASSES_ROOT_, HhServerKey, "", HhctrlPath);
    }
    void InstallBrowser(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d)
    {
        fake.AddFile(ShdocvwPath).SetFileVersion(ShdocvwPath, a, b, c, d);
        fake.SetString(HKEY_CLASSES_ROOT_, IeServerKey, "", ShdocvwPath);
    }
};

// --- Version comparison ---------------------------------------------------------------

TEST(VersionTextTest, ComparesGroupsAsNumbers)
{
    // The examples text order gets right keep their outcome, the others are read as numbers.
    EXPECT_TRUE(VersionText::meetsMinimum(u"4.72.7290.00", u"4.72.7290"));
    EXPECT_TRUE(VersionText::meetsMinimum(u"4.73.8252.00", u"4.72.7323"));
    EXPECT_FALSE(VersionText::meetsMinimum(u"4.72.7290.00", u"4.72.7323"));
    EXPECT_TRUE(VersionText::meetsMinimum(u"4.70.1155.00", u"4.70.1155"));
    EXPECT_TRUE(VersionText::meetsMinimum(u"10.00.19041.01", u"4.72.7290"));
    EXPECT_EQ(VersionText::compare(u"4.71.1712.05", u"4.71.1712.5"), 0);
    // Missing groups are 0; groups wider than any machine word still compare.
    EXPECT_EQ(VersionText::compare(u"4.72", u"4.72.0.0"), 0);
    EXPECT_FALSE(VersionText::meetsMinimum(u"4.72", u"4.72.0.1"));
    EXPECT_GT(VersionText::compare(u"1.123456789012345678901234567890", u"1.99999999999999999999"), 0);

    int index = 0;
    for (const char16_t* text : {u"", u"unknown", u"4..72", u".4.72", u"4.72.", u" 4.72", u"4.72a", u"-4.72"})
        EXPECT_FALSE(VersionText::meetsMinimum(text, u"0")) << "text " << index++;
}

// --- Installation checks ----------------------------------------------------------------

TEST_F(InstallationCheckTest, RegistrationForms)
{
    InstallHtmlHelp(4, 73, 8561, 0);
    EXPECT_EQ(install.HHVersion(), u"4.73.8561.00");
    // Without its terminating NUL the data still ends where the registry says.
    InstallBrowser(4, 72, 3612, 1707);
    fake.SetString(HKEY_CLASSES_ROOT_, IeServerKey, "", ShdocvwPath, /*withNul=*/false);
    EXPECT_EQ(install.IEVersion(), u"4.72.3612.1707");

    fake.SetFileVersion(HhctrlPath, 5, 2, 3790, 2744);
    fake.SetExpandString(HKEY_CLASSES_ROOT_, HhServerKey, "", "%SystemRoot%\\System32\\hhctrl.ocx");
    EXPECT_EQ(install.HHVersion(), u"5.02.3790.2744");

    // Quoted, the path is found where the platform's long-path query resolves it, too.
    fake.SetWindows(2, 5, 1).SetFileVersion(HhctrlPath, 4, 74, 8566, 0);
    fake.SetString(HKEY_CLASSES_ROOT_, HhServerKey, "", "\"" + HhctrlPath + "\"");
    EXPECT_EQ(install.HHVersion(), u"4.74.8566.00");

    // An 8.3 registration is looked for, and read, in its long form.
    fake.SetWindows(2, 6, 1).AddFolder("C:\\Program Files", "PROGRA~1");
    fake.AddFile("C:\\Program Files\\Browser\\shdocvw.dll").AddFolder("C:\\Program Files\\Browser", "BROWSE~1");
    fake.SetFileVersion("C:\\Program Files\\Browser\\shdocvw.dll", 6, 0, 2900, 2180);
    fake.SetString(HKEY_CLASSES_ROOT_, IeServerKey, "", "C:\\PROGRA~1\\BROWSE~1\\shdocvw.dll");
    EXPECT_EQ(install.IEVersion(), u"6.00.2900.2180");
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(InstallationCheckTest, MissingControlIsToldAndLeavesTheOldVersion)
{
    EXPECT_EQ(install.HHVersion(), u"");
    EXPECT_EQ(install.IEVersion(), u"");
    EXPECT_EQ(fake.MessageTexts(), (std::vector<std::string>{HhNotRegistered, IeNotRegistered}));
    EXPECT_EQ(fake.messageBoxes[0].style, 16u);
    EXPECT_EQ(fake.messageBoxes[0].caption, "Corvane! Error");

    InstallHtmlHelp(4, 74, 8566, 0);
    InstallBrowser(5, 0, 2717, 2000);
    EXPECT_EQ(install.HHVersion(), u"4.74.8566.00");
    EXPECT_EQ(install.IEVersion(), u"5.00.2717.2000");

    fake.messageBoxes.clear();
    fake.RemoveFile(HhctrlPath);
    fake.SetString(HKEY_CLASSES_ROOT_, IeServerKey, "", "C:\\Windows\\System32\\gone.dll");
    EXPECT_EQ(install.HHVersion(), u"4.74.8566.00");
    EXPECT_EQ(install.IEVersion(), u"5.00.2717.2000");
    // A registration holding an empty path names no location either.
    fake.SetString(HKEY_CLASSES_ROOT_, IeServerKey, "", "");
    EXPECT_EQ(install.IEVersion(), u"5.00.2717.2000");
    // A folder on the way that is gone: the folder before it is no control file.
    fake.SetString(HKEY_CLASSES_ROOT_, IeServerKey, "", "C:\\Windows\\Gone\\shdocvw.dll");
    EXPECT_EQ(install.IEVersion(), u"5.00.2717.2000");
    EXPECT_EQ(fake.MessageTexts(), (std::vector<std::string>{HhMissing, IeMissing, IeMissing, IeMissing}));
}

// --- Release names ------------------------------------------------------------------------

TEST_F(InstallationCheckTest, EveryReleaseName)
{
    const std::pair<const char16_t*, const char16_t*> htmlHelp[] = {
        {u"4.72.7290.00", u"1.0"},    {u"4.72.7323.00", u"1.1"},  {u"4.72.7325.00", u"1.1a"},
        {u"4.72.8164.00", u"1.1b"},   {u"4.73.8252.00", u"1.2"},  {u"4.73.8412.00", u"1.21"},
        {u"4.73.8474.00", u"1.21a"},  {u"4.73.8561.00", u"1.22"}, {u"4.74.8566.00", u"1.3"},
        {u"4.74.8566.0", u"unknown"}, {u"unknown", u"unknown"}};
    const std::pair<const char16_t*, const char16_t*> browser[] = {
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
        {u"4.70.1155.00", u"unknown"}};  // the text a file of version 4.70.1155.0 gives
    for (const auto& [version, name] : htmlHelp) {
        object.state.HHVersionText = std::u16string(version);
        EXPECT_EQ(install.HHFriendlyName(), name);
    }
    for (const auto& [version, name] : browser) {
        object.state.IEVersionText = std::u16string(version);
        EXPECT_EQ(install.IEFriendlyName(), name);
    }
    EXPECT_EQ(fake.CallCount("RegOpenKeyEx"), 0u);  // a stored version is reused, not checked
}

// --- Minimum check ----------------------------------------------------------------------------

TEST_F(InstallationCheckTest, NeitherControlGivesFourMessagesInOrder)
{
    EXPECT_FALSE(install.HHVerifyMinConfig(HH_1_0, IE_3_0));
    EXPECT_EQ(fake.MessageTexts(),
              (std::vector<std::string>{HhNotRegistered, IeNotRegistered, HhNotRegistered, IeNotRegistered}));
    EXPECT_EQ(install.HHFriendlyName(), u"unknown");
    EXPECT_EQ(textOrEmpty(object.state.HHVersionText), u"");
}

TEST_F(InstallationCheckTest, MinimumsAreComparedAsNumbers)
{
    InstallHtmlHelp(4, 73, 8561, 0);
    InstallBrowser(4, 71, 1712, 5);  // "4.71.1712.05"
    EXPECT_TRUE(install.HHVerifyMinConfig(HH_1_22, IE_4_0));
    EXPECT_FALSE(install.HHVerifyMinConfig(HH_1_3, IE_4_0));
    EXPECT_EQ(install.HHFriendlyName(), u"1.22");
    EXPECT_EQ(install.IEFriendlyName(), u"unknown");

    InstallHtmlHelp(10, 0, 19041, 1);
    InstallBrowser(11, 0, 19041, 3636);
    EXPECT_TRUE(install.HHVerifyMinConfig(HH_1_0, IE_5_0C));
    EXPECT_TRUE(install.HHVerifyMinConfig(HH_1_3, IE_5_0C));
    EXPECT_EQ(install.HHVersion(), u"10.00.19041.01");
    EXPECT_TRUE(fake.messageBoxes.empty());

    // One control short of its minimum fails the whole check.
    InstallBrowser(4, 70, 1155, 0);
    EXPECT_TRUE(install.HHVerifyMinConfig(HH_1_3, IE_3_0));
    EXPECT_FALSE(install.HHVerifyMinConfig(HH_1_3, IE_4_0));
}

TEST_F(InstallationCheckTest, ArgumentsOutsideTheEnumerationsLeaveUnknownUntilTheNextCheck)
{
    InstallHtmlHelp(4, 74, 8566, 0);
    InstallBrowser(5, 0, 2717, 2000);
    for (const auto& [hh, ie] : {std::pair{0, IE_3_0}, std::pair{25, IE_3_0}, std::pair{HH_1_0, 255},
                                 std::pair{HH_1_0, 271}, std::pair{IE_3_0, HH_1_0}}) {
        EXPECT_FALSE(install.HHVerifyMinConfig(hh, ie)) << hh << " " << ie;
    }
    EXPECT_TRUE(fake.messageBoxes.empty());

    EXPECT_FALSE(install.HHVerifyMinConfig(25, IE_5_0C));
    EXPECT_EQ(object.state.HHVersionText, u"unknown");
    EXPECT_EQ(object.state.IEVersionText, u"5.00.2717.2000");
    EXPECT_EQ(object.state.HHFriendlyNameText, u"unknown");
    EXPECT_EQ(object.state.IEFriendlyNameText, u"5.0c (Icon Security Issue Update)");

    // The name stays unknown without a look at the registry, until a check runs again.
    const std::size_t opened = fake.CallCount("RegOpenKeyEx");
    EXPECT_EQ(install.HHFriendlyName(), u"unknown");
    EXPECT_EQ(install.HHFriendlyName(), u"unknown");
    EXPECT_EQ(fake.CallCount("RegOpenKeyEx"), opened);
    EXPECT_EQ(install.HHVersion(), u"4.74.8566.00");
    EXPECT_EQ(install.HHFriendlyName(), u"1.3");

    // With the control gone, nothing replaces the unknown.
    EXPECT_FALSE(install.HHVerifyMinConfig(HH_1_0, 0));
    fake.RemoveFile(ShdocvwPath);
    EXPECT_EQ(install.IEVersion(), u"unknown");
    EXPECT_EQ(install.IEFriendlyName(), u"unknown");
    EXPECT_EQ(fake.MessageTexts(), (std::vector<std::string>{IeMissing}));

    // Another call with a value of the enumeration checks again.
    fake.AddFile(ShdocvwPath);
    EXPECT_TRUE(install.HHVerifyMinConfig(HH_1_3, IE_5_0C));
    EXPECT_EQ(install.IEFriendlyName(), u"5.0c (Icon Security Issue Update)");
}

// --- Type library and failures ----------------------------------------------------------------

TEST_F(InstallationCheckTest, HHInstalledAsksForFullAccessEveryTime)
{
    const std::string typeLib = "SOFTWARE\\Classes\\TypeLib\\{ADB880A2-D8FF-11CF-9377-00AA003B7A11}";
    EXPECT_FALSE(install.HHInstalled());
    fake.AddKey(HKEY_LOCAL_MACHINE_, typeLib);
    EXPECT_TRUE(install.HHInstalled());
    fake.SetReadOnly(HKEY_LOCAL_MACHINE_, typeLib);
    EXPECT_FALSE(install.HHInstalled());
    EXPECT_EQ(fake.OpenKeyCount(), 0u);
    EXPECT_TRUE(fake.messageBoxes.empty());
}

// A platform whose version resources fail with a run-time error.
class FailingVersionPlatform : public FakePlatform {
public:
    std::uint32_t GetFileVersionInfoSize(const PlatformText&) override
    {
        throw AutomationError(errors::OutOfMemory, u"Out of memory");
    }
};

TEST(InstallationCheckFailureTest, PropertyReadsIgnoreErrorsTheMinimumCheckDoesNot)
{
    FailingVersionPlatform fake;
    fake.AddFile(HhctrlPath).SetString(HKEY_CLASSES_ROOT_, HhServerKey, "", HhctrlPath);
    fake.AddFile(ShdocvwPath).SetString(HKEY_CLASSES_ROOT_, IeServerKey, "", ShdocvwPath);
    HtmlHelpObject object{fake};
    InstallationCheck& install = object.installationCheck;
    object.state.IEVersionText = u"4.72.3612.1707";

    EXPECT_EQ(install.HHVersion(), u"");
    EXPECT_EQ(install.IEVersion(), u"4.72.3612.1707");
    EXPECT_EQ(install.HHFriendlyName(), u"");
    EXPECT_EQ(install.IEFriendlyName(), u"4.0 SP2");

    try {
        install.HHVerifyMinConfig(HH_1_0, IE_3_0);
        FAIL() << "the error should reach the caller";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.number(), errors::OutOfMemory);
    }
    EXPECT_TRUE(fake.messageBoxes.empty());
}

}  // namespace
}  // namespace morvel::htmlhelp
