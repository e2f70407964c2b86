// The fake has to stay quick and small on any input a fuzzer gives it; these pin the
// places that once were not, and that it still answers as before there.
#include <gtest/gtest.h>

#include <chrono>

#include "FakePlatform.h"

namespace morvel::htmlhelp {
namespace {

TEST(FakePlatformTest, WildcardsMatchAsTheSearchDoesAndWithoutBacktrackingForEver)
{
    FakePlatform fake;
    fake.AddFile("C:\\Help\\Library.chm").AddFile("C:\\Help\\ab.chm").AddFile("C:\\Help\\PROGRA~1.TXT");
    EXPECT_EQ(fake.FindFirstFile(u"C:\\Help\\*.chm"), u"ab.chm");
    EXPECT_EQ(fake.FindFirstFile(u"C:\\Help\\Lib*ry.c?m"), u"Library.chm");
    EXPECT_EQ(fake.FindFirstFile(u"C:\\Help\\*a*b*.*"), u"ab.chm");
    EXPECT_EQ(fake.FindFirstFile(u"C:\\Help\\**L*"), u"Library.chm");
    EXPECT_FALSE(fake.FindFirstFile(u"C:\\Help\\?ab.chm"));
    EXPECT_FALSE(fake.FindFirstFile(u"C:\\Help\\*.chm?"));
    EXPECT_FALSE(fake.FindFirstFile(u"C:\\Help\\Library"));

    // A pattern of many stars against a long name that almost matches.
    const std::string name(200, 'a');
    fake.AddFile("C:\\Long\\" + name);
    std::u16string pattern;
    for (int i = 0; i < 60; ++i) pattern += u"*a";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(fake.FindFirstFile(u"C:\\Long\\" + pattern + u"b"));
    EXPECT_TRUE(fake.FindFirstFile(u"C:\\Long\\" + pattern));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(FakePlatformTest, KeysComeWithTheirAncestorsInTimeLinearInThePath)
{
    FakePlatform fake;
    std::string path;
    for (int i = 0; i < 20000; ++i) path += "k\\";
    path += "Leaf";
    const auto start = std::chrono::steady_clock::now();
    fake.SetString(HKEY_CURRENT_USER_, path, "v", "x");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(fake.KeyExists(HKEY_CURRENT_USER_, "K\\k\\K"));
    EXPECT_EQ(fake.StringValue(HKEY_CURRENT_USER_, path, "V"), "x");
    EXPECT_FALSE(fake.KeyExists(HKEY_LOCAL_MACHINE_, "k"));

    // A leading backslash names a key of its own right below the root, whose read-only
    // state decides whether a new key may be made there.
    fake.AddKey(HKEY_LOCAL_MACHINE_, "\\Odd").SetReadOnly(HKEY_LOCAL_MACHINE_, "");
    EXPECT_TRUE(fake.KeyExists(HKEY_LOCAL_MACHINE_, "\\odd"));
    EXPECT_FALSE(fake.KeyExists(HKEY_LOCAL_MACHINE_, "Odd"));
    EXPECT_FALSE(fake.KeyExists(HKEY_LOCAL_MACHINE_, "\\"));
    RegKey opened = 0;
    EXPECT_EQ(fake.RegCreateKeyEx(HKEY_LOCAL_MACHINE_, ansiText("\\New"), KEY_SET_VALUE_, opened),
              ERROR_ACCESS_DENIED_);
    EXPECT_EQ(fake.RegCreateKeyEx(HKEY_LOCAL_MACHINE_, ansiText("\\Odd\\New"), KEY_SET_VALUE_, opened), ERROR_SUCCESS_);
    EXPECT_EQ(fake.RegCloseKey(opened), ERROR_SUCCESS_);
}

TEST(FakePlatformTest, VersionImagesOfAnyDeclaredSizeFillOnlyTheBufferOffered)
{
    FakePlatform fake;
    fake.SetFileVersion("C:\\Huge.dll", 1, 2, 3, 4, 0xFFFFFFFFu).SetFileVersion("C:\\Tiny.dll", 5, 6, 7, 8, 4);
    EXPECT_EQ(fake.GetFileVersionInfoSize(ansiText("C:\\Huge.dll")), 0xFFFFFFFFu);
    std::vector<std::uint8_t> block(64, 0);
    ASSERT_TRUE(fake.GetFileVersionInfo(ansiText("C:\\Huge.dll"), block));
    EXPECT_EQ(block.size(), 64u);
    EXPECT_EQ(block[63], 0xCD);
    const auto root = fake.VerQueryRoot(block);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->fileVersionMS, 0x00010002u);

    // The image is at least its header; a smaller buffer gets what fits.
    std::vector<std::uint8_t> small(6, 0);
    ASSERT_TRUE(fake.GetFileVersionInfo(ansiText("C:\\Tiny.dll"), small));
    EXPECT_EQ(small, (std::vector<std::uint8_t>{'V', 'S', 'F', 'I', 6, 0}));
    EXPECT_FALSE(fake.VerQueryRoot(small));
}

}  // namespace
}  // namespace morvel::htmlhelp
