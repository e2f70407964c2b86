#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "htmlhelp/PlatformHelpers.h"

namespace morvel::htmlhelp {
namespace {

class PlatformHelpersTest : public ::testing::Test {
protected:
    FakePlatform fake;
    PlatformHelpers helpers{fake};

    // A drive with both kinds of names, as 8.3 systems have it.
    void SetUp() override
    {
        fake.AddFolder("C:\\Program Files", "PROGRA~1")
            .AddFolder("C:\\Program Files\\Common Files", "COMMON~1")
            .AddFile("C:\\Program Files\\Common Files\\Sample Control.ocx", "SAMPLE~1.OCX");
    }
    std::int32_t Resolve(const std::u16string& shortPath, std::u16string& longPath)
    {
        return helpers.ResolveLongPath(shortPath, longPath, 256);
    }
};

TEST_F(PlatformHelpersTest, WindowsVersionCodes)
{
    struct Case {
        std::uint32_t platform, major, minor;
        std::int32_t code;
    };
    const Case cases[] = {
        {2, 3, 51, 1}, {1, 4, 0, 2},  {2, 4, 0, 3},  {1, 4, 10, 4}, {2, 5, 0, 5}, {2, 5, 2, 5}, {1, 4, 90, 0},  // Me
        {2, 6, 1, 0},  {2, 10, 0, 0}, {0, 3, 11, 0},
    };
    for (const Case& c : cases) {
        fake.SetWindows(c.platform, c.major, c.minor);
        EXPECT_EQ(helpers.GetWindowsVersion(), c.code) << c.platform << " " << c.major << "." << c.minor;
    }
    fake.SetWindows(2, 5, 0).versionQueryFails = true;
    EXPECT_EQ(helpers.GetWindowsVersion(), 0);
}

TEST_F(PlatformHelpersTest, WalkResolvesEachDirectoryAndKeepsTheLastComponent)
{
    std::u16string longPath;
    EXPECT_EQ(Resolve(u"C:\\PROGRA~1\\COMMON~1\\SAMPLE.OCX", longPath), 40);
    EXPECT_EQ(longPath, u"C:\\Program Files\\Common Files\\SAMPLE.OCX");

    EXPECT_EQ(Resolve(u"\"c:\\progra~1\\\"", longPath), 17);
    EXPECT_EQ(longPath, u"c:\\Program Files\\");

    EXPECT_EQ(Resolve(u"C:\\PROGRA~1\\Missing\\x.chm", longPath), 0);
    EXPECT_EQ(longPath, u"C:\\Program Files");

    EXPECT_EQ(Resolve(u"C:", longPath), 3);
    EXPECT_EQ(longPath, u"C:\\");
    EXPECT_EQ(fake.CallCount("GetLongPathName"), 0u);
}

TEST_F(PlatformHelpersTest, WalkLeavesPathsItCannotWalkAlone)
{
    for (const std::u16string path : {u"\\\\server\\share\\Help\\", u"Help\\Library.chm", u"Library.chm",
                                      u"\\Help\\Library.chm", u"C:Library.chm", u"\"\"", u""}) {
        std::u16string longPath = u"untouched";
        EXPECT_EQ(Resolve(path, longPath), 0) << std::string(path.begin(), path.end());
        EXPECT_EQ(longPath, u"untouched");
    }
    EXPECT_EQ(fake.CallCount("FindFirstFile"), 0u);

    std::u16string huge = u"C:\\" + std::u16string(100000, u'x') + u"\\y";
    std::u16string longPath;
    EXPECT_EQ(Resolve(huge, longPath), 0);
}

TEST_F(PlatformHelpersTest, PlatformQueryWhereTrusted)
{
    fake.SetWindows(2, 5, 1);
    std::u16string longPath = u"before";
    EXPECT_EQ(Resolve(u"C:\\PROGRA~1\\COMMON~1\\SAMPLE~1.OCX", longPath), 48);
    EXPECT_EQ(longPath, u"C:\\Program Files\\Common Files\\Sample Control.ocx");
    EXPECT_EQ(fake.longPathCapacities, (std::vector<std::uint32_t>{256}));

    // Quotes go to the query as they are, which then finds nothing.
    longPath = u"before";
    EXPECT_EQ(Resolve(u"\"C:\\PROGRA~1\\\"", longPath), 0);
    EXPECT_EQ(longPath, u"before");

    // A long form that does not fit: the size needed, and nothing written.
    const std::string deep = "C:\\" + std::string(200, 'a') + "\\" + std::string(100, 'b');
    fake.AddFolder(deep.substr(0, 203), "AAAAAA~1").AddFile(deep, "BBBBBB~1");
    EXPECT_EQ(Resolve(u"C:\\AAAAAA~1\\BBBBBB~1", longPath), std::int32_t(deep.size() + 1));
    EXPECT_EQ(longPath, u"before");
}

TEST_F(PlatformHelpersTest, TrimAtNullCutsTheCallersText)
{
    std::u16string text = std::u16string(u"abc") + u'\0' + u"def";
    EXPECT_EQ(PlatformHelpers::TrimAtNull(text), u"abc");
    EXPECT_EQ(text, u"abc");
    std::u16string empty;
    EXPECT_EQ(PlatformHelpers::TrimAtNull(empty), u"");
}

TEST_F(PlatformHelpersTest, VersionTexts)
{
    auto text = [](std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
        return PlatformHelpers::VersionText({a << 16 | b, c << 16 | d});
    };
    EXPECT_EQ(text(4, 72, 7290, 0), u"4.72.7290.00");
    EXPECT_EQ(text(5, 0, 2314, 1000), u"5.00.2314.1000");
    EXPECT_EQ(text(4, 71, 1712, 5), u"4.71.1712.05");
    EXPECT_EQ(text(4, 70, 0, 1155), u"4.70.1155");
    EXPECT_EQ(text(6, 0, 0, 5), u"6.00.0005");
    EXPECT_EQ(text(10, 0, 19041, 1), u"10.00.19041.01");
    EXPECT_EQ(text(5, 0, 40000, 1), u"5.00.40000.01");
    EXPECT_EQ(text(65535, 65535, 65535, 65535), u"65535.65535.65535.65535");
}

TEST_F(PlatformHelpersTest, FileVersionFromResourcesOfAnySize)
{
    fake.SetFileVersion("C:\\Windows\\System32\\hhctrl.ocx", 5, 2, 3790, 2744)
        .SetFileVersion("C:\\Big.dll", 4, 72, 7290, 0, 200000)
        .SetVersionResourceWithoutRoot("C:\\NoRoot.dll");
    EXPECT_EQ(helpers.GetFileVersionText(u"c:\\windows\\system32\\HHCTRL.OCX"), u"5.02.3790.2744");
    EXPECT_EQ(helpers.GetFileVersionText(u"C:\\Big.dll"), u"4.72.7290.00");
    EXPECT_EQ(fake.versionBlockSizes.back(), PlatformHelpers::MaxVersionBlock);
    EXPECT_EQ(helpers.GetFileVersionText(u"C:\\NoRoot.dll"), u"");
    EXPECT_EQ(helpers.GetFileVersionText(u"C:\\Nothing.dll"), u"");
}

TEST_F(PlatformHelpersTest, PathPieces)
{
    EXPECT_EQ(PlatformHelpers::fileNamePart(u"C:\\a\\b\\Library.chm"), u"Library.chm");
    EXPECT_EQ(PlatformHelpers::fileNamePart(u"Library.chm"), u"Library.chm");
    EXPECT_EQ(PlatformHelpers::fileNamePart(u"C:\\a\\"), u"");
    EXPECT_EQ(PlatformHelpers::joinFolder(u"C:\\Help\\", u"x.chm"), u"C:\\Help\\x.chm");
    EXPECT_EQ(PlatformHelpers::joinFolder(u"C:\\Help", u"x.chm"), u"C:\\Help\\x.chm");

    fake.currentFolder = u"D:\\Work";
    EXPECT_EQ(helpers.absoluteFolder(u"C:\\Help\\"), u"C:\\Help\\");
    EXPECT_EQ(helpers.absoluteFolder(u"\\\\srv\\share\\Help\\"), u"\\\\srv\\share\\Help\\");
    EXPECT_EQ(helpers.absoluteFolder(u"sub\\"), u"D:\\Work\\sub\\");
    EXPECT_EQ(helpers.absoluteFolder(u"..\\Help\\"), u"D:\\Work\\..\\Help\\");
    EXPECT_EQ(helpers.absoluteFolder(u"\\Help\\"), u"D:\\Help\\");
    EXPECT_EQ(helpers.absoluteFolder(u"d:sub\\"), u"D:\\Work\\sub\\");
    EXPECT_EQ(helpers.absoluteFolder(u"E:sub\\"), u"E:\\sub\\");
    fake.currentFolder = u"\\\\srv\\share\\work";
    EXPECT_EQ(helpers.absoluteFolder(u"\\Help\\"), u"\\\\srv\\share\\Help\\");
    fake.currentFolder = u"C:\\";
    EXPECT_EQ(helpers.absoluteFolder(u"sub\\"), u"C:\\sub\\");
}

}  // namespace
}  // namespace morvel::htmlhelp
