#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "htmlhelp/HtmlHelpObject.h"

namespace morvel::htmlhelp {
namespace {

constexpr char ListKey[] = "Software\\Microsoft\\Windows\\HTML Help";

class HelpFileRegistrationTest : public ::testing::Test {
protected:
    FakePlatform fake;
    HtmlHelpObject object{fake};
    HelpFileRegistration& registration = object.helpFileRegistration;
    HtmlHelpState& state = object.state;

    void SetUp() override { fake.AddKey(HKEY_LOCAL_MACHINE_, ListKey); }
    // The one key that may stay open is the list's, while its index is kept.
    void TearDown() override
    {
        EXPECT_EQ(fake.OpenKeyCount(), object.fileList.kept() ? 1u : 0u) << "a key was left open";
    }

    void ExpectNoRegistration()
    {
        EXPECT_EQ(state.HHRegFileName, u"");
        EXPECT_EQ(state.HHRegFilePath, u"");
        EXPECT_EQ(state.HHRegFileExists, False);
    }
};

TEST_F(HelpFileRegistrationTest, CheckFindsTheNameWhateverFolderItCameWith)
{
    fake.AddFile("C:\\Help\\Library.chm").ListHelpFile("Library.chm", "C:\\Help\\");
    EXPECT_EQ(registration.HHCheckRegistry(Text(u"D:\\Other\\LIBRARY.CHM")), CheckRegistryResult::False);
    EXPECT_EQ(state.HHRegFileName, u"LIBRARY.CHM");
    EXPECT_EQ(state.HHRegFilePath, u"C:\\Help\\");
    EXPECT_EQ(state.HHRegFileExists, True);
    EXPECT_TRUE(fake.messageBoxes.empty());

    fake.RemoveFile("C:\\Help\\Library.chm");
    EXPECT_EQ(registration.HHCheckRegistry(Text(u"Library.chm")), CheckRegistryResult::False);
    EXPECT_EQ(state.HHRegFileName, u"Library.chm");
    EXPECT_EQ(state.HHRegFileExists, False);
    EXPECT_EQ(fake.MessageTexts(),
              (std::vector<std::string>{"The file C:\\Help\\Library.chm does not exist.\nPlease make "
                                        "sure that you have installed ZELT Help files"}));

    EXPECT_EQ(registration.HHCheckRegistry(Text(u"Other.chm")), CheckRegistryResult::False);
    ExpectNoRegistration();
}

TEST_F(HelpFileRegistrationTest, CheckOfEmptyOrWrongNamesKeepsTheLastLookup)
{
    state.HHRegFileName = u"Library.chm";
    state.HHRegFilePath = u"C:\\Help\\";
    state.HHRegFileExists = True;
    EXPECT_EQ(registration.HHCheckRegistry(Text(u"")), CheckRegistryResult::Empty);
    EXPECT_EQ(registration.HHCheckRegistry(std::nullopt), CheckRegistryResult::Empty);
    EXPECT_EQ(state.HHRegFileExists, True);

    EXPECT_EQ(registration.HHCheckRegistry(Text(u"Readme.txt")), CheckRegistryResult::False);
    EXPECT_EQ(state.HHRegFileName, u"Library.chm");
    EXPECT_EQ(state.HHRegFilePath, u"C:\\Help\\");
    EXPECT_EQ(state.HHRegFileExists, False);
    EXPECT_EQ(fake.CallCount("RegOpenKeyEx"), 0u);
}

TEST_F(HelpFileRegistrationTest, CheckTakesTheStoredFolderWhole)
{
    // Without its NUL, and in short form: all of it, in long form.
    fake.AddFolder("C:\\Program Files", "PROGRA~1")
        .AddFile("C:\\Program Files\\Help\\Library.chm")
        .SetString(HKEY_LOCAL_MACHINE_, ListKey, "Library.chm", "C:\\PROGRA~1\\Help\\", false);
    registration.HHCheckRegistry(Text(u"Library.chm"));
    EXPECT_EQ(state.HHRegFilePath, u"C:\\Program Files\\Help\\");
    EXPECT_EQ(state.HHRegFileExists, True);

    // A folder the walk cannot resolve is kept as stored, not cut or replaced.
    fake.ListHelpFile("Net.chm", "\\\\server\\share\\Help\\").AddFile("\\\\server\\share\\Help\\Net.chm");
    registration.HHCheckRegistry(Text(u"Net.chm"));
    EXPECT_EQ(state.HHRegFilePath, u"\\\\server\\share\\Help\\");
    EXPECT_EQ(state.HHRegFileExists, True);
    fake.ListHelpFile("Gone.chm", "C:\\Gone\\");
    registration.HHCheckRegistry(Text(u"Gone.chm"));
    EXPECT_EQ(state.HHRegFilePath, u"C:\\Gone\\");
    EXPECT_EQ(state.HHRegFileExists, False);
}

TEST_F(HelpFileRegistrationTest, CheckOfAnEntryWhoseFolderCannotBeRead)
{
    fake.ListHelpFile("Library.chm", "C:\\Help\\");
    fake.failWith["RegQueryValueEx"] = ERROR_ACCESS_DENIED_;
    registration.HHCheckRegistry(Text(u"Library.chm"));
    EXPECT_EQ(state.HHRegFileName, u"Library.chm");
    EXPECT_EQ(state.HHRegFilePath, u"");
    EXPECT_EQ(state.HHRegFileExists, False);
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(HelpFileRegistrationTest, RegisterWritesTheFolderWithItsBackslashAndNul)
{
    fake.AddFile("C:\\Help\\Library.chm");
    Text file = u"C:\\Help\\Library.chm";
    registration.HHRegister(file);
    EXPECT_EQ(file, u"Library.chm");
    const auto value = fake.GetValue(HKEY_LOCAL_MACHINE_, ListKey, "Library.chm");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, REG_SZ_);
    EXPECT_EQ(RegistryAccess::textOfData(value->data), std::u16string(u"C:\\Help\\\0", 9));
    ExpectNoRegistration();  // the state is the lookup made before the write
    EXPECT_TRUE(fake.messageBoxes.empty());

    registration.HHCheckRegistry(file);
    EXPECT_EQ(state.HHRegFilePath, u"C:\\Help\\");
    EXPECT_EQ(state.HHRegFileExists, True);
}

TEST_F(HelpFileRegistrationTest, RegisterNeverWritesARelativeFolder)
{
    fake.AddFile("C:\\Work\\Docs\\Library.chm")
        .AddFile("C:\\Program Files\\Morvel\\Beside.chm")
        .AddFolder("C:\\Program Files", "PROGRA~1")
        .AddFile("C:\\Program Files\\Short\\Short.chm");

    Text relative = u"Docs\\Library.chm";
    registration.HHRegister(relative);
    EXPECT_EQ(fake.ListedFolder("Library.chm"), "C:\\Work\\Docs\\");

    Text bare = u"Beside.chm";  // completed beside the library by the existence check
    registration.HHRegister(bare);
    EXPECT_EQ(bare, u"Beside.chm");
    EXPECT_EQ(fake.ListedFolder("Beside.chm"), "C:\\Program Files\\Morvel\\");

    Text shortForm = u"C:\\PROGRA~1\\Short\\Short.chm";
    registration.HHRegister(shortForm);
    EXPECT_EQ(fake.ListedFolder("Short.chm"), "C:\\Program Files\\Short\\");
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(HelpFileRegistrationTest, RegisterRefusals)
{
    fake.AddFile("C:\\Help\\Library.chm").AddFile("C:\\Help\\Other.chm").ListHelpFile("Library.chm", "C:\\Help\\");

    Text listed = u"C:\\Help\\Library.chm";
    registration.HHRegister(listed);
    Text missing = u"C:\\Help\\Missing.chm";
    registration.HHRegister(missing);
    Text wrongKind = u"C:\\Help\\Readme.txt";
    registration.HHRegister(wrongKind);
    Text empty = u"";
    registration.HHRegister(empty);
    Text pattern = u"C:\\Help\\Oth*.chm";  // matches a file, but names none
    registration.HHRegister(pattern);
    EXPECT_EQ(fake.MessageTexts(),
              (std::vector<std::string>{
                  "The file C:\\Help\\Library.chm is already registered.  HHRegister will not be run as "
                  "no action need be taken.",
                  "The file C:\\Help\\Missing.chm does not exist.\nPlease make sure that you have "
                  "installed ZELT Help files",
                  "C:\\Help\\Readme.txt is not a valid HTML Help file.", "HTML Help Class: HHRegister Error"}));
    EXPECT_FALSE(fake.ListedFolder("Oth*.chm"));
    EXPECT_EQ(fake.messageBoxes[0].style, 64u);
    EXPECT_EQ(fake.CallCount("RegSetValueEx"), 0u);
    EXPECT_EQ(fake.CallCount("RegCreateKeyEx"), 0u);

    fake.messageBoxes.clear();
    fake.SetReadOnly(HKEY_LOCAL_MACHINE_, ListKey);
    Text other = u"C:\\Help\\Other.chm";
    registration.HHRegister(other);
    EXPECT_EQ(fake.MessageTexts(), (std::vector<std::string>{"HTML Help Class: HHRegister Error"}));
    EXPECT_EQ(other, u"Other.chm");
    EXPECT_FALSE(fake.ListedFolder("Other.chm"));
}

TEST_F(HelpFileRegistrationTest, AFailedWriteRefreshesTheLookupQuietly)
{
    fake.AddFile("C:\\Help\\Library.chm");
    fake.failWith["RegSetValueEx"] = ERROR_ACCESS_DENIED_;
    state.HHRegFileName = u"stale";
    Text file = u"C:\\Help\\Library.chm";
    registration.HHRegister(file);
    EXPECT_EQ(fake.CallCount("RegSetValueEx"), 1u);
    ExpectNoRegistration();
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(HelpFileRegistrationTest, UnRegisterRemovesTheEntryGivenWithAnyFolder)
{
    fake.AddFile("C:\\Help\\Library.chm")
        .AddFile("C:\\Help\\Second.chm")
        .ListHelpFile("Library.chm", "C:\\Help\\")
        .ListHelpFile("Second.chm", "C:\\Help\\");

    Text withFolder = u"D:\\Elsewhere\\library.chm";
    registration.HHUnRegister(withFolder);
    EXPECT_EQ(withFolder, u"library.chm");
    EXPECT_FALSE(fake.ListedFolder("Library.chm"));

    Text bare = u"Second.chm";
    registration.HHUnRegister(bare);
    EXPECT_EQ(bare, u"Second.chm");
    EXPECT_FALSE(fake.ListedFolder("Second.chm"));
    ExpectNoRegistration();
    EXPECT_TRUE(fake.messageBoxes.empty());

    registration.HHUnRegister(bare);
    EXPECT_EQ(fake.MessageTexts(),
              (std::vector<std::string>{"The file Second.chm is not registered.  HHUnRegister will not "
                                        "be run as no action need be taken."}));
    EXPECT_EQ(fake.messageBoxes[0].style, 64u);
    EXPECT_EQ(fake.CallCount("RegDeleteValue"), 2u);
}

TEST_F(HelpFileRegistrationTest, UnRegisterOfAnEntryWithUnreadableData)
{
    fake.SetDword(HKEY_LOCAL_MACHINE_, ListKey, "Other.chm", 1).ListHelpFile("Library.chm", "C:\\Help\\");
    fake.failWith["RegQueryValueEx"] = ERROR_ACCESS_DENIED_;
    Text file = u"Library.chm";
    registration.HHUnRegister(file);
    EXPECT_FALSE(fake.ListedFolder("Library.chm"));
    EXPECT_TRUE(fake.GetValue(HKEY_LOCAL_MACHINE_, ListKey, "Other.chm"));
}

TEST_F(HelpFileRegistrationTest, HugeNamesGoThroughWithoutHarm)
{
    Text file = u"C:\\" + std::u16string(100000, u'h') + u"\\Library.chm";
    registration.HHRegister(file);
    EXPECT_EQ(fake.messageBoxes.size(), 1u);  // it does not exist
    Text bare = std::u16string(100000, u'h') + u".chm";
    registration.HHUnRegister(bare);
    EXPECT_EQ(fake.messageBoxes.size(), 2u);  // it is not registered
}

// Names the code page cannot spell are listed, found and removed under their real names; on
// a multibyte code page (UTF-8 here) a folder of 150 CJK characters, far more than 260
// bytes, registers like any other: nothing counts bytes where the platform counts characters.
TEST(HelpFileListNamesTest, EntriesUnderTheirRealNamesOnAnyCodePage)
{
    const std::u16string cjk150 = [] {
        std::u16string s;
        for (int i = 0; i < 150; ++i) s += char16_t(0x5E2E + i % 2);
        return s;
    }();
    struct Case {
        FakeCodePage codePage;
        std::u16string folder, name;
    } cases[] = {
        {FakeCodePage::Latin1, u"C:\\\u0421\u043f\u0440\u0430\u0432\u043a\u0430 \u5e2e\u52a9\\", u"Guide \u2713.chm"},
        {FakeCodePage::Latin1, u"C:\\Caf\u00e9\\", u"Guide.chm"},
        {FakeCodePage::Utf8, u"C:\\" + cjk150 + u"\\", u"\u5e2e\u52a9.chm"},
    };
    for (const Case& c : cases) {
        FakePlatform fake;
        fake.codePage = c.codePage;
        fake.AddFile(utf8(c.folder + c.name));
        HtmlHelpObject object{fake};
        Text file = c.folder + c.name;
        object.helpFileRegistration.HHRegister(file);
        EXPECT_EQ(file, c.name);
        EXPECT_EQ(fake.ListedFolder(utf8(c.name)), utf8(c.folder));
        EXPECT_EQ(fake.CallCount("RegSetValueEx"), 1u);

        object.helpFileRegistration.HHCheckRegistry(c.name);
        EXPECT_EQ(object.state.HHRegFileName, c.name);
        EXPECT_EQ(object.state.HHRegFilePath, c.folder);
        EXPECT_EQ(object.state.HHRegFileExists, True);

        object.helpFileRegistration.HHUnRegister(file);
        EXPECT_FALSE(fake.ListedFolder(utf8(c.name)));
        EXPECT_TRUE(fake.messageBoxes.empty()) << utf8(fake.messageBoxes[0].text.text());
    }
}

}  // namespace
}  // namespace morvel::htmlhelp
