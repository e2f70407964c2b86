#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "portable/AutomationError.h"
#include "htmlhelp/HtmlHelpObject.h"

namespace morvel::htmlhelp {
namespace {

class HelpFileChecksTest : public ::testing::Test {
protected:
    FakePlatform fake;
    HtmlHelpObject object{fake};
    HelpFileChecks& checks = object.helpFileChecks;
};

TEST_F(HelpFileChecksTest, ChmEndingAndNothingElse)
{
    for (const char16_t* good : {u"Library.chm", u"LIBRARY.CHM", u"x.Chm", u"Librarychm", u"chm"})
        EXPECT_TRUE(checks.ValidateChmFile(good));
    EXPECT_TRUE(fake.messageBoxes.empty());

    for (const char16_t* bad : {u"Library.chm ", u"Library.ch", u"hm", u""}) EXPECT_FALSE(checks.ValidateChmFile(bad));
    EXPECT_EQ(fake.MessageTexts(),
              (std::vector<std::string>{"Library.chm  is not a valid HTML Help file.",
                                        "Library.ch is not a valid HTML Help file.",
                                        "hm is not a valid HTML Help file.", " is not a valid HTML Help file."}));
    EXPECT_EQ(fake.messageBoxes[0].style, 16u);
}

TEST_F(HelpFileChecksTest, PopupFileEnding)
{
    EXPECT_TRUE(checks.ValidatePopupFile(u"Popups.TXT"));
    EXPECT_FALSE(checks.ValidatePopupFile(u"Popups.doc"));
    EXPECT_EQ(fake.MessageTexts(),
              (std::vector<std::string>{
                  "The file specified as the text popup source, 'Popups.doc', is not a valid popup file."}));
}

TEST_F(HelpFileChecksTest, BareNameCompletedBesideTheLibrary)
{
    fake.AddFile("C:\\Program Files\\Morvel\\Library.chm");
    Text file = u"Library.chm";
    EXPECT_TRUE(checks.EnsureFileExists(file));
    EXPECT_EQ(file, u"C:\\Program Files\\Morvel\\Library.chm");
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(HelpFileChecksTest, BareNameCompletedFromTheList)
{
    fake.AddFile("D:\\Docs\\Library.chm")
        .AddFile("E:\\Flat\\Flat.chm")
        .ListHelpFile("Library.chm", "D:\\Docs\\")
        .ListHelpFile("Flat.chm", "E:\\Flat");  // entered by someone else, without the backslash
    Text file = u"library.chm";
    EXPECT_TRUE(checks.EnsureFileExists(file));
    EXPECT_EQ(file, u"D:\\Docs\\library.chm");

    Text flat = u"Flat.chm";
    EXPECT_TRUE(checks.EnsureFileExists(flat));
    EXPECT_EQ(flat, u"E:\\Flat\\Flat.chm");
    EXPECT_EQ(object.state.HHRegFilePath, u"E:\\Flat");
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(HelpFileChecksTest, MissingFullPathIsNotCompletedAndSaysSo)
{
    Text file = u"C:\\Help\\Missing.chm";
    EXPECT_FALSE(checks.EnsureFileExists(file));
    EXPECT_EQ(file, u"C:\\Help\\Missing.chm");
    EXPECT_EQ(fake.CallCount("RegOpenKeyEx"), 0u);
    EXPECT_EQ(fake.MessageTexts(),
              (std::vector<std::string>{"The file C:\\Help\\Missing.chm does not exist.\nPlease make sure "
                                        "that you have installed ZELT Help files"}));
}

TEST_F(HelpFileChecksTest, SearchMatchesWildcardsFoldersAndRelativePaths)
{
    fake.AddFile("C:\\Help\\Library.chm").AddFile("C:\\Work\\sub\\Local.chm");
    for (const char16_t* name : {u"C:\\Help\\Lib*.chm", u"C:\\Help", u"sub\\Local.chm"}) {
        Text file = name;
        EXPECT_TRUE(checks.EnsureFileExists(file));
        EXPECT_EQ(file, name);
    }
    EXPECT_TRUE(fake.messageBoxes.empty());
}

// No conversion stands between the host's name and the file: a name the code page cannot
// spell is found as itself, and one it would spell by best fit is not taken for another.
TEST_F(HelpFileChecksTest, TheFileFoundIsTheFileNamed)
{
    fake.AddFile(utf8(u"C:\\\u0421\u043f\u0440\u0430\u0432\u043a\u0430 \u5e2e\u52a9\\Guide \u2713.chm"));
    fake.AddFile("C:\\Help\\guide2.chm").AddFile("C:\\Help\\Caf?.chm");
    Text file = u"C:\\\u0421\u043f\u0440\u0430\u0432\u043a\u0430 \u5e2e\u52a9\\Guide \u2713.chm";
    const Text named = file;
    EXPECT_TRUE(checks.EnsureFileExists(file));
    EXPECT_EQ(file, named);

    for (const Text& other :
         {Text(u"C:\\Help\\\uff47\uff55\uff49\uff44\uff45\uff12.chm"), Text(u"C:\\Help\\Caf\u0101.chm")}) {
        Text asked = other;
        EXPECT_FALSE(checks.EnsureFileExists(asked));
        EXPECT_EQ(asked, other);
    }
    ASSERT_EQ(fake.messageBoxes.size(), 2u);
    EXPECT_EQ(fake.messageBoxes[0].text,
              std::u16string(u"The file C:\\Help\\\uff47\uff55\uff49\uff44\uff45\uff12.chm does not exist.\n"
                             u"Please make sure that you have installed ZELT Help files"));
}

TEST_F(HelpFileChecksTest, NonChmBareNameUsesWhatAnEarlierLookupLeft)
{
    object.state.HHRegFileName = u"Library.chm";
    object.state.HHRegFilePath = u"C:\\Help\\";
    fake.AddFile("C:\\Help\\Library.chm");
    Text file = u"Readme.txt";
    EXPECT_TRUE(checks.EnsureFileExists(file));
    EXPECT_EQ(file, u"C:\\Help\\Library.chm");
    EXPECT_EQ(fake.MessageTexts(), (std::vector<std::string>{"Readme.txt is not a valid HTML Help file."}));
}

TEST_F(HelpFileChecksTest, FailuresPropagateAndLeaveTheNameAlone)
{
    fake.moduleFolder.reset();
    Text file = u"Library.chm";
    EXPECT_THROW(checks.EnsureFileExists(file), AutomationError);
    EXPECT_EQ(file, u"Library.chm");
}

TEST_F(HelpFileChecksTest, HugeNamesAreJustNamesThatDoNotExist)
{
    Text file = u"C:\\" + std::u16string(100000, u'a') + u".chm";
    EXPECT_FALSE(checks.EnsureFileExists(file));
    ASSERT_EQ(fake.messageBoxes.size(), 1u);
    const std::string& text = fake.messageBoxes[0].text.bytes();
    EXPECT_EQ(text.substr(0, 13), "The file C:\\a");
    EXPECT_EQ(
        text.size(),
        std::string("The file  does not exist.\nPlease make sure that you have installed ZELT Help files").size() +
            100007);

    Text bare = std::u16string(100000, u'b') + u".chm";
    EXPECT_FALSE(checks.EnsureFileExists(bare));
    EXPECT_EQ(bare->size(), 23u + 1u + 100004u);
}

}  // namespace
}  // namespace morvel::htmlhelp
