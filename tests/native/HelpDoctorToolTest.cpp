#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "tools/helpdoctor/ContextIdAudit.h"
#include "tools/helpdoctor/HelpDoctor.h"

namespace morvel::htmlhelp {
namespace {

// The tool's commands on the fake: exit statuses, the list and its pruning, the id audit.
class HelpDoctorToolTest : public ::testing::Test {
protected:
    HelpDoctorToolTest()
    {
        // A map of one id (7 -> intro.htm) and one whose page is missing (8 -> gone.htm).
        const std::string ivb("\x10\0\0\0\x07\0\0\0\x01\0\0\0\x08\0\0\0\x0B\0\0\0", 20);
        const std::string strings("\0intro.htm\0gone.htm\0", 20);
        fake.AddCompiledHelp("C:\\Help\\Demo.chm", {{u"/intro.htm", "x"}, {u"/#IVB", ivb}, {u"/#STRINGS", strings}});
    }

    helpdoctor::ToolResult run(std::vector<std::u16string> args)
    {
        args.insert(args.begin(), u"helpdoctor");
        return helpdoctor::runHelpDoctor(fake, args, [this](const std::u16string&) { return ids; });
    }

    FakePlatform fake;
    std::optional<std::string> ids;
};

TEST_F(HelpDoctorToolTest, ExitStatusesAndUsage)
{
    EXPECT_EQ(run({u"check", u"C:\\Help\\Demo.chm", u"--id", u"0x7"}).status, 0);  // an unregistered engine is no problem
    for (auto bad : std::vector<std::vector<std::u16string>>{
             {}, {u"check"}, {u"check", u"a.chm", u"--id"}, {u"check", u"a.chm", u"--id", u"x"},
             {u"check", u"a.chm", u"--id", u"1", u"--keyword", u"k"}, {u"list", u"--yes"}, {u"engine", u"--prune"},
             {u"audit", u"a.chm"}, {u"cure"}, {u"list", u"--colour"}}) {
        const auto result = run(bad);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find("usage: helpdoctor"), std::string::npos);
    }
    EXPECT_EQ(run({u"--help"}).status, 0);

    // JSON escapes quotes and backslashes, and carries other text as UTF-8.
    const auto json = run({u"check", u"C:\\\u00c9\"x.chm", u"--json"});
    EXPECT_EQ(json.status, 1);
    EXPECT_NE(json.out.find("\"file\":\"C:\\\\\xC3\x89\\\"x.chm\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"check\":\"exists\",\"severity\":\"error\""), std::string::npos) << json.out;
}

TEST_F(HelpDoctorToolTest, ListNamesStaleEntriesAndPrunesOnlyThem)
{
    fake.AddFile("C:\\Help\\Plain.chm")
        .ListHelpFile("Demo.chm", "C:\\Help\\")
        .ListHelpFile("Gone.chm", "C:\\Nowhere\\")
        .ListHelpFile("Plain.chm", "C:\\Help\\")
        .SetDword(HKEY_LOCAL_MACHINE_, "Software\\Microsoft\\Windows\\HTML Help", "Number.chm", 1);
    auto listed = run({u"list"});
    EXPECT_EQ(listed.status, 1);
    EXPECT_NE(listed.out.find("  stale    Gone.chm "), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("C:\\Nowhere\\ "), std::string::npos);
    EXPECT_NE(listed.out.find("folder missing\n"), std::string::npos);
    EXPECT_NE(listed.out.find("  problem  Plain.chm"), std::string::npos);
    EXPECT_NE(listed.out.find("not a compiled help file"), std::string::npos);
    EXPECT_NE(listed.out.find("Number.chm          "), std::string::npos);

    EXPECT_NE(run({u"list", u"--prune"}).out.find("2 stale entries would be removed"), std::string::npos);
    EXPECT_TRUE(fake.ListedFolder("Gone.chm"));

    listed = run({u"list", u"--prune", u"--yes"});
    EXPECT_NE(listed.out.find("removed  Gone.chm\nremoved  Number.chm\n"), std::string::npos) << listed.out;
    EXPECT_FALSE(fake.ListedFolder("Gone.chm"));
    EXPECT_TRUE(fake.ListedFolder("Demo.chm"));
    EXPECT_TRUE(fake.ListedFolder("Plain.chm"));  // there, just not compiled help: not pruned
    EXPECT_EQ(listed.status, 1);
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(HelpDoctorToolTest, ListTellsTwoNamesForOneFile)
{
    fake.AddFile("C:\\Help\\Library.chm", "LIBRAR~1.CHM");
    fake.AddCompiledHelp("C:\\Help\\Library.chm", {{u"/a.htm", ""}});
    fake.ListHelpFile("Library.chm", "C:\\Help\\").ListHelpFile("LIBRAR~1.CHM", "C:\\Help\\");
    fake.SetWindows(2, 5, 0);  // the long-path query resolves the short name
    const auto listed = run({u"list", u"--json"});
    EXPECT_NE(listed.out.find("\"name\":\"LIBRAR~1.CHM\",\"folder\":\"C:\\\\Help\\\\\",\"folderExists\":true,"
                              "\"fileExists\":true,\"validHelpFile\":true,\"duplicateOf\":\"Library.chm\""),
              std::string::npos) << listed.out;
}

TEST(ContextIdAuditTest, ParsesHeaderAndProjectForms)
{
    const auto list = helpdoctor::parseContextIds(
        "\xEF\xBB\xBF#define IDH_A 10\n IDH_B = 0x1F \r\n; comment\n// comment\n[MAP]\n#define IDH_C 12L // c\n"
        "IDH_D=\nIDH_E=99999999999\n= 5\n#pragma once\n#ifndef IDS_H\n");
    ASSERT_EQ(list.ids.size(), 3u);
    EXPECT_EQ(list.ids[0].name, "IDH_A");
    EXPECT_EQ(list.ids[1].id, 31u);
    EXPECT_EQ(list.ids[2].id, 12u);
    EXPECT_EQ(list.badLines, (std::vector<std::size_t>{7, 8, 9}));
}

TEST_F(HelpDoctorToolTest, AuditListsMissingIdsAndMapEntriesWithoutTheirPage)
{
    ids = "IDH_INTRO=7\nIDH_NEW=9\n";
    const auto audited = run({u"audit", u"C:\\Help\\Demo.chm", u"ids.h"});
    EXPECT_EQ(audited.status, 1);
    EXPECT_NE(audited.out.find("  missing from the map: IDH_NEW = 9\n  map entry 8 points to gone.htm, which is not "
                               "in the file\n"),
              std::string::npos) << audited.out;
    ids.reset();
    EXPECT_EQ(run({u"audit", u"C:\\Help\\Demo.chm", u"ids.h"}).status, 2);  // cannot read the id list
}

}  // namespace
}  // namespace morvel::htmlhelp
