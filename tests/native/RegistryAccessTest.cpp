#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "portable/AutomationError.h"
#include "htmlhelp/RegistryAccess.h"

namespace morvel::htmlhelp {
namespace {

constexpr char ListKey[] = "Software\\Microsoft\\Windows\\HTML Help";

class RegistryAccessTest : public ::testing::Test {
protected:
    FakePlatform fake;
    RegistryAccess registry{fake};

    void TearDown() override { EXPECT_EQ(fake.OpenKeyCount(), 0u) << "a key was left open"; }
};

TEST_F(RegistryAccessTest, RootNamesInAnyCaseAndNothingElse)
{
    EXPECT_EQ(registry.GetRootKeyHandle(u"HKCU"), HKEY_CURRENT_USER_);
    EXPECT_EQ(registry.GetRootKeyHandle(u"hklm"), HKEY_LOCAL_MACHINE_);
    EXPECT_EQ(registry.GetRootKeyHandle(u"Hku"), HKEY_USERS_);
    EXPECT_EQ(registry.GetRootKeyHandle(u"HKDD"), HKEY_DYN_DATA_);
    EXPECT_EQ(registry.GetRootKeyHandle(u"hkcc"), HKEY_CURRENT_CONFIG_);
    EXPECT_EQ(registry.GetRootKeyHandle(u"HKCR"), HKEY_CLASSES_ROOT_);
    EXPECT_EQ(registry.GetRootKeyHandle(u"HKEY_LOCAL_MACHINE"), 0u);
    EXPECT_EQ(registry.GetRootKeyHandle(u""), 0u);

    fake.ListHelpFile("Library.chm", "C:\\Help\\");
    EXPECT_TRUE(
        registry.GetRegistryValue(u"HKEY_LOCAL_MACHINE", u"Software\\Microsoft\\Windows\\HTML Help", u"Library.chm")
            .ValueLine.empty());
    EXPECT_EQ(fake.CallCount("RegOpenKeyEx"), 0u);
}

TEST_F(RegistryAccessTest, TextValueKeepsEveryStoredByteAndBothSpellings)
{
    fake.ListHelpFile("Library.chm", "C:\\Help\\");
    const auto record = registry.GetRegistryValue(u"Hklm", u"software\\microsoft\\windows\\html help", u"LIBRARY.CHM");
    EXPECT_EQ(record.ValueName, u"LIBRARY.CHM");
    EXPECT_EQ(record.ValueLine, std::u16string(u"Library.chm=C:\\Help\\") + u'\0' + u'\r');
    EXPECT_EQ(RegistryAccess::dataOfLine(record), u"C:\\Help\\");
}

TEST_F(RegistryAccessTest, DefaultValueAndItsAbsence)
{
    fake.SetString(HKEY_CLASSES_ROOT_, "CLSID\\{X}\\InprocServer32", "", "C:\\Windows\\System32\\hhctrl.ocx");
    const auto record = registry.GetRegistryValue(u"HKCR", u"CLSID\\{X}\\InprocServer32", u"");
    EXPECT_EQ(record.ValueName, u"");
    EXPECT_EQ(record.ValueLine.substr(0, 1), u"=");
    EXPECT_EQ(RegistryAccess::dataOfLine(record), u"C:\\Windows\\System32\\hhctrl.ocx");

    fake.AddKey(HKEY_CLASSES_ROOT_, "CLSID\\{Y}\\InprocServer32");
    fake.SetString(HKEY_CLASSES_ROOT_, "CLSID\\{Y}\\InprocServer32", "ThreadingModel", "Apartment");
    const auto none = registry.GetRegistryValue(u"HKCR", u"CLSID\\{Y}\\InprocServer32", u"");
    EXPECT_TRUE(none.ValueName.empty());
    EXPECT_TRUE(none.ValueLine.empty());
}

TEST_F(RegistryAccessTest, NothingForMissingKeysValuesAndNonTextTypes)
{
    EXPECT_TRUE(registry.GetRegistryValue(u"HKLM", u"Software\\Nowhere", u"x").ValueLine.empty());

    fake.SetDword(HKEY_LOCAL_MACHINE_, ListKey, "Library.chm", 5);
    const auto number = registry.GetRegistryValue(u"HKLM", u"Software\\Microsoft\\Windows\\HTML Help", u"Library.chm");
    EXPECT_TRUE(number.ValueName.empty());
    EXPECT_TRUE(number.ValueLine.empty());
}

TEST_F(RegistryAccessTest, NamesTooLongForTheBufferArePassedOverNotTheEnd)
{
    fake.SetString(HKEY_LOCAL_MACHINE_, ListKey, std::string(16383, 'n'), "C:\\Long\\")
        .SetString(HKEY_LOCAL_MACHINE_, ListKey, std::string(2048, 'm'), "C:\\Edge\\")
        .SetString(HKEY_LOCAL_MACHINE_, ListKey, std::string(2047, 'k'), "C:\\Fits\\")
        .ListHelpFile("Library.chm", "C:\\Help\\");

    const auto found = registry.GetRegistryValue(u"HKLM", u"Software\\Microsoft\\Windows\\HTML Help", u"Library.chm");
    EXPECT_EQ(RegistryAccess::dataOfLine(found), u"C:\\Help\\");
    const auto longest = registry.GetRegistryValue(u"HKLM", u"Software\\Microsoft\\Windows\\HTML Help",
                                                   std::u16string(2047, u'K'));
    EXPECT_EQ(RegistryAccess::dataOfLine(longest), u"C:\\Fits\\");
    for (auto capacity : fake.enumNameCapacities) EXPECT_EQ(capacity, 2048u);
}

TEST_F(RegistryAccessTest, AnEnumerationThatAlwaysWantsMoreDataEnds)
{
    fake.ListHelpFile("Library.chm", "C:\\Help\\");
    fake.failWith["RegEnumValue"] = ERROR_MORE_DATA_;
    const auto record = registry.GetRegistryValue(u"HKLM", u"Software\\Microsoft\\Windows\\HTML Help", u"Library.chm");
    EXPECT_TRUE(record.ValueName.empty());
    EXPECT_TRUE(record.ValueLine.empty());
    EXPECT_EQ(fake.CallCount("RegEnumValue"), RegistryAccess::MaxLongNamesInARow);
}

TEST_F(RegistryAccessTest, AFailedReadKeepsTheNameOnlyAndNeverThrows)
{
    fake.ListHelpFile("Library.chm", "C:\\Help\\");
    fake.failWith["RegQueryValueEx"] = ERROR_ACCESS_DENIED_;
    const auto record = registry.GetRegistryValue(u"HKLM", u"Software\\Microsoft\\Windows\\HTML Help", u"library.chm");
    EXPECT_EQ(record.ValueName, u"library.chm");
    EXPECT_TRUE(record.ValueLine.empty());
    EXPECT_EQ(RegistryAccess::dataOfLine(record), u"");

    struct ThrowingPlatform : FakePlatform {
        long RegEnumValue(RegKey, std::uint32_t, std::uint32_t, std::u16string&, std::uint32_t&,
                          std::uint32_t&) override
        {
            throw errors::typeMismatch();
        }
    } throwing;
    throwing.ListHelpFile("Library.chm", "C:\\Help\\");
    RegistryAccess fragile{throwing};
    RegistryValueRecord result;
    EXPECT_NO_THROW(result = fragile.GetRegistryValue(u"HKLM", u"Software\\Microsoft\\Windows\\HTML Help", u"x.chm"));
    EXPECT_TRUE(result.ValueLine.empty());
    EXPECT_EQ(throwing.OpenKeyCount(), 0u);
}

TEST_F(RegistryAccessTest, ExpandableDataInTheUsualPaddedBuffer)
{
    fake.SetExpandString(HKEY_CLASSES_ROOT_, "CLSID\\{X}\\InprocServer32", "", "%SystemRoot%\\System32\\hhctrl.ocx");
    const auto record = registry.GetRegistryValue(u"HKCR", u"CLSID\\{X}\\InprocServer32", u"");
    const std::u16string text = u"C:\\Windows\\System32\\hhctrl.ocx";
    ASSERT_EQ(record.ValueLine.size(), 1 + 2048 + 1u);
    EXPECT_EQ(record.ValueLine.substr(1, text.size()), text);
    EXPECT_EQ(record.ValueLine[1 + text.size()], u'\0');
    EXPECT_EQ(record.ValueLine.substr(2 + text.size(), 2048 - text.size() - 1),
              std::u16string(2048 - text.size() - 1, u' '));
    EXPECT_EQ(record.ValueLine.back(), u'\r');
    EXPECT_EQ(RegistryAccess::dataOfLine(record), text);
    EXPECT_EQ(fake.expandCapacities, (std::vector<std::uint32_t>{2048}));
}

TEST_F(RegistryAccessTest, ExpansionsLongerThanTheBufferComeBackWhole)
{
    const std::string longFolder = "C:\\" + std::string(5000, 'd');
    fake.SetEnv("BIG", longFolder).SetExpandString(HKEY_LOCAL_MACHINE_, ListKey, "Library.chm", "%BIG%\\");
    const auto record = registry.GetRegistryValue(u"HKLM", u"Software\\Microsoft\\Windows\\HTML Help", u"Library.chm");
    const std::u16string expected(longFolder.begin(), longFolder.end());
    EXPECT_EQ(RegistryAccess::dataOfLine(record), expected + u"\\");
    // The text, its NUL, and no padding beyond it.
    EXPECT_EQ(record.ValueLine, u"Library.chm=" + expected + u"\\" + u'\0' + u'\r');
    EXPECT_EQ(fake.expandCapacities, (std::vector<std::uint32_t>{2048, 5003 + 2}));

    // Exactly filling the usual buffer needs no second round.
    fake.expandCapacities.clear();
    fake.SetEnv("BIG", std::string(2047, 'e')).SetExpandString(HKEY_LOCAL_MACHINE_, ListKey, "Fit.chm", "%BIG%");
    const auto fit = registry.GetRegistryValue(u"HKLM", u"Software\\Microsoft\\Windows\\HTML Help", u"Fit.chm");
    EXPECT_EQ(RegistryAccess::dataOfLine(fit), std::u16string(2047, u'e'));
    EXPECT_EQ(fake.expandCapacities, (std::vector<std::uint32_t>{2048}));
}

TEST_F(RegistryAccessTest, DataOfLineStopsWhereTheStoredDataStops)
{
    // No NUL stored: the folder keeps its last character.
    fake.ListHelpFile("Library.chm", "C:\\Help\\")
        .SetString(HKEY_LOCAL_MACHINE_, ListKey, "Bare.chm", "C:\\Bare\\", false);
    const auto bare = registry.GetRegistryValue(u"HKLM", u"Software\\Microsoft\\Windows\\HTML Help", u"Bare.chm");
    EXPECT_EQ(bare.ValueLine, u"Bare.chm=C:\\Bare\\\r");
    EXPECT_EQ(RegistryAccess::dataOfLine(bare), u"C:\\Bare\\");

    // A name holding "=" does not move the start of the data.
    fake.ListHelpFile("a=b.chm", "C:\\Eq\\");
    const auto eq = registry.GetRegistryValue(u"HKLM", u"Software\\Microsoft\\Windows\\HTML Help", u"A=B.CHM");
    EXPECT_EQ(RegistryAccess::dataOfLine(eq), u"C:\\Eq\\");

    EXPECT_EQ(RegistryAccess::dataOfLine({u"", u"=x\r"}), u"x");
    EXPECT_EQ(RegistryAccess::dataOfLine({}), u"");
}

TEST_F(RegistryAccessTest, GetKeyInfoWantsFullAccess)
{
    fake.AddKey(HKEY_LOCAL_MACHINE_, "SOFTWARE\\Classes\\TypeLib\\{T}");
    fake.AddKey(HKEY_LOCAL_MACHINE_, "SOFTWARE\\Locked", true);
    EXPECT_TRUE(registry.GetKeyInfo(u"software\\classes\\typelib\\{T}", 0));
    EXPECT_TRUE(registry.GetKeyInfo(u"SOFTWARE\\Classes\\TypeLib\\{T}", 7));
    EXPECT_FALSE(registry.GetKeyInfo(u"SOFTWARE\\Locked", 0));
    EXPECT_FALSE(registry.GetKeyInfo(u"SOFTWARE\\Missing", 0));

    FakePlatform closeFails;
    closeFails.AddKey(HKEY_LOCAL_MACHINE_, "SOFTWARE\\Classes\\TypeLib\\{T}").failWith["RegCloseKey"] = 6;
    EXPECT_FALSE(RegistryAccess{closeFails}.GetKeyInfo(u"SOFTWARE\\Classes\\TypeLib\\{T}", 0));
}

TEST(RegistryKeyTest, OwnersCloseOnMoveAssignmentAndScopeExit)
{
    FakePlatform fake;
    fake.AddKey(HKEY_CURRENT_USER_, "A").AddKey(HKEY_CURRENT_USER_, "B");
    long status = 0;
    {
        RegistryKey a = RegistryKey::open(fake, HKEY_CURRENT_USER_, u"A", KEY_QUERY_VALUE_, status);
        RegistryKey b = RegistryKey::open(fake, HKEY_CURRENT_USER_, u"B", KEY_QUERY_VALUE_, status);
        ASSERT_EQ(fake.OpenKeyCount(), 2u);
        a = std::move(b);
        EXPECT_EQ(fake.OpenKeyCount(), 1u);
        EXPECT_FALSE(b);  // NOLINT(bugprone-use-after-move): moved-from owners are empty
        RegistryKey missing = RegistryKey::open(fake, HKEY_CURRENT_USER_, u"C", KEY_QUERY_VALUE_, status);
        EXPECT_FALSE(missing);
        EXPECT_EQ(status, ERROR_FILE_NOT_FOUND_);
    }
    EXPECT_EQ(fake.OpenKeyCount(), 0u);
}

}  // namespace
}  // namespace morvel::htmlhelp
