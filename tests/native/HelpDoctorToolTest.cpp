#include <gtest/gtest.h>

#include "FakeCompiledHelp.h"
#include "FakePlatform.h"
#include "doctor/ContextIdAudit.h"
#include "doctor/HelpDoctor.h"
#include "doctor/HelpFileListSurvey.h"
#include "htmlhelp/RegistryAccess.h"

namespace morvel::htmlhelp {
namespace {

// The tool's commands on the fake: exit statuses, the list and its pruning, the id audit.
class HelpDoctorToolTest : public ::testing::Test {
protected:
    HelpDoctorToolTest()
    {
        // A map of one id (7 -> intro.htm) and one whose page is missing (8 -> gone.htm).
        fake.AddCompiledHelp("C:\\Help\\Demo.chm", helpStreams({{7, "intro.htm"}, {8, "gone.htm"}}));
    }

    helpdoctor::ToolResult run(std::vector<std::u16string> args)
    {
        args.insert(args.begin(), u"helpdoctor");
        helpdoctor::ToolHost host;
        host.readText = [this](const std::u16string&) { return ids; };
        host.writeText = [this](const std::u16string& path, const std::string& bytes) {
            written[utf8(path)] = bytes;
            return writable;
        };
        host.removeFile = [this](const std::u16string& path) { return fake.fileData.erase(utf8(path)) == 1; };
        host.confirm = [this](const std::string& question) {
            asked += question;
            return answer;
        };
        return helpdoctor::runHelpDoctor(fake, args, host);
    }

    FakePlatform fake;
    std::optional<std::string> ids;
    std::map<std::string, std::string> written;  // by the files' names
    bool writable = true;
    std::string asked;    // what unblock asked
    bool answer = false;  // and what the person answered
};

TEST_F(HelpDoctorToolTest, ExitStatusesAndUsage)
{
    EXPECT_EQ(run({u"check", u"C:\\Help\\Demo.chm", u"--id", u"0x7"}).status,
              0);  // an unregistered engine is no problem
    for (auto bad : std::vector<std::vector<std::u16string>>{{},
                                                             {u"check"},
                                                             {u"check", u"a.chm", u"--id"},
                                                             {u"check", u"a.chm", u"--id", u"x"},
                                                             {u"check", u"a.chm", u"--id", u"1", u"--keyword", u"k"},
                                                             {u"list", u"--yes"},
                                                             {u"engine", u"--prune"},
                                                             {u"audit", u"a.chm"},
                                                             {u"cure"},
                                                             {u"list", u"--colour"},
                                                             {u"list", u"--prune", u"--backup", u"b.reg"}}) {
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

TEST_F(HelpDoctorToolTest, UnblockRemovesTheMarkOnlyWithConsentAndOnlyFromCompiledHelp)
{
    const std::string stream = "C:\\Help\\Demo.chm:Zone.Identifier";
    fake.fileData[stream] = "[ZoneTransfer]\r\nZoneId=3\r\nHostUrl=https://example.com/it's.zip\r\n";
    fake.fileData["C:\\Help\\Demo.chm"] = "ITSF";
    auto declined = run({u"unblock", u"C:\\Help\\Demo.chm"});
    EXPECT_EQ(declined.status, 1);
    EXPECT_EQ(declined.out, "Nothing was changed.\n");
    EXPECT_NE(asked.find("    HostUrl=https://example.com/it's.zip\n"), std::string::npos) << asked;
    EXPECT_NE(asked.find("Set-Content -LiteralPath 'C:\\Help\\Demo.chm' -Stream Zone.Identifier -Value "
                         "'[ZoneTransfer]','ZoneId=3','HostUrl=https://example.com/it''s.zip'\n"),
              std::string::npos)
        << asked;
    EXPECT_EQ(fake.fileData.count(stream), 1u);

    answer = true;
    EXPECT_EQ(run({u"unblock", u"C:\\Help\\Demo.chm"}).status, 0);
    EXPECT_EQ(fake.fileData.count(stream), 0u);
    EXPECT_EQ(fake.fileData.count("C:\\Help\\Demo.chm"), 1u);  // the stream, nothing else
    EXPECT_EQ(run({u"unblock", u"C:\\Help\\Demo.chm", u"--yes"}).out,
              "C:\\Help\\Demo.chm carries no mark of the web; nothing to do.\n");

    fake.AddFile("C:\\Help\\Notes.chm");
    fake.fileData["C:\\Help\\Notes.chm:Zone.Identifier"] = "[ZoneTransfer]\r\nZoneId=3\r\n";
    const auto refused = run({u"unblock", u"C:\\Help\\Notes.chm", u"--yes"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("is not a compiled help file; nothing was changed"), std::string::npos);
    EXPECT_EQ(fake.fileData.count("C:\\Help\\Notes.chm:Zone.Identifier"), 1u);
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
    EXPECT_NE(listed.out.find("  stale       Gone.chm "), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("C:\\Nowhere\\ "), std::string::npos);
    EXPECT_NE(listed.out.find("folder missing\n"), std::string::npos);
    EXPECT_NE(listed.out.find("  problem     Plain.chm"), std::string::npos);
    EXPECT_NE(listed.out.find("not a compiled help file"), std::string::npos);
    EXPECT_NE(listed.out.find("Number.chm          "), std::string::npos);

    EXPECT_NE(run({u"list", u"--prune"}).out.find("2 stale entries would be removed"), std::string::npos);
    EXPECT_TRUE(fake.ListedFolder("Gone.chm"));

    listed = run({u"list", u"--prune", u"--yes"});
    EXPECT_NE(
        listed.out.find("removed  Gone.chm, folder C:\\Nowhere\\\n         to put it back: reg add \"HKLM\\"
                        "Software\\Microsoft\\Windows\\HTML Help\" /v \"Gone.chm\" /t REG_SZ "
                        "/d \"C:\\Nowhere\\\\\" /f\n"
                        "removed  Number.chm, not a text value\n         to put it back: reg add \"HKLM\\Software\\"
                        "Microsoft\\Windows\\HTML Help\" /v \"Number.chm\" /t REG_DWORD /d \"1\" /f\n"),
        std::string::npos)
        << listed.out;
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
              std::string::npos)
        << listed.out;

    // Names from the registry reach the terminal escaped: no control character, no override.
    fake.ListHelpFile("Evil\x1B[2J\u202E.chm", "C:\\Help\\");
    const std::string text = run({u"list"}).out;
    EXPECT_NE(text.find("Evil\\x1B[2J\\u202E.chm"), std::string::npos) << text;
    EXPECT_EQ(text.find('\x1B'), std::string::npos);
}

TEST_F(HelpDoctorToolTest, ListKeepsEveryEntryItCannotProveGone)
{
    const std::string longFolder = "C:\\" + std::string(250, 'x') + "\\";
    fake.AddCompiledHelp("C:\\Root.chm", {{u"/a.htm", ""}});
    fake.ListHelpFile("Root.chm", "C:\\").ListHelpFile("Gone.chm", "C:\\Nowhere\\");
    fake.findFailsWith["C:\\LOCKED"] = ERROR_ACCESS_DENIED_;
    fake.driveTypes = {{"E:", DRIVE_REMOVABLE_}, {"N:", DRIVE_REMOTE_}, {"M:", DRIVE_NO_ROOT_DIR_}};
    const std::pair<std::string, std::string> kept[] = {
        {"C:\\Locked\\", "access denied"}, {"E:\\Help\\", "removable drive"},        {"N:\\Help\\", "network drive"},
        {"M:", "drive not available"},     {"\\\\server\\share\\", "network share"}, {longFolder, "path too long"},
        {"Help\\", "relative folder"},
    };
    for (const auto& [folder, why] : kept) fake.ListHelpFile(why + ".chm", folder);

    const auto listed = run({u"list", u"--prune", u"--yes"});
    EXPECT_NE(listed.out.find("  ok          Root.chm"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("removed  Gone.chm"), std::string::npos);
    EXPECT_EQ(listed.out.find("removed  ", listed.out.find("removed  Gone.chm") + 1), std::string::npos);
    EXPECT_NE(listed.out.find("7 unreachable entries are kept"), std::string::npos);
    for (const auto& [folder, why] : kept) {
        EXPECT_TRUE(fake.ListedFolder(why + ".chm")) << why;
        EXPECT_NE(listed.out.find("unreachable: " + why), std::string::npos) << why << listed.out;
    }
    EXPECT_NE(run({u"list", u"--json"})
                  .out.find("\"stale\":false,\"state\":\"unreachable: access denied\","
                            "\"unreachable\":true,\"view\":\"32-bit\"}"),
              std::string::npos);
}

TEST_F(HelpDoctorToolTest, PruneChecksEachEntryAgainRightBeforeItsDelete)
{
    fake.ListHelpFile("Gone.chm", "C:\\Nowhere\\");
    helpdoctor::HelpFileListSurvey survey(fake);
    const helpdoctor::ListEntry surveyed = survey.survey().at(0);
    ASSERT_TRUE(surveyed.stale());
    std::optional<helpdoctor::ListEntry> now;

    fake.AddFile("C:\\Nowhere\\Gone.chm");  // back since the survey
    EXPECT_EQ(survey.removeIfStale(surveyed, now), helpdoctor::Removal::Kept);
    EXPECT_FALSE(now->stale());
    fake.RemoveFile("C:\\Nowhere\\Gone.chm").ListHelpFile("Gone.chm", "C:\\Elsewhere\\");  // stale, but other data
    EXPECT_EQ(survey.removeIfStale(surveyed, now), helpdoctor::Removal::Kept);
    EXPECT_EQ(fake.ListedFolder("Gone.chm"), "C:\\Elsewhere\\");
    const std::string listKey = "Software\\Microsoft\\Windows\\HTML Help";
    fake.ListHelpFile("Gone.chm", "C:\\Nowhere\\").SetReadOnly(HKEY_LOCAL_MACHINE_, listKey);
    EXPECT_EQ(survey.removeIfStale(surveyed, now), helpdoctor::Removal::Failed);
    fake.SetReadOnly(HKEY_LOCAL_MACHINE_, listKey, false);
    EXPECT_EQ(survey.removeIfStale(surveyed, now), helpdoctor::Removal::Removed);
    EXPECT_FALSE(fake.ListedFolder("Gone.chm"));
}

TEST_F(HelpDoctorToolTest, BothViewsAreListedAndPrunedApartWithABackupFirst)
{
    fake.twoRegistryViews = true;
    fake.ListHelpFile("Demo.chm", "C:\\Help\\").ListHelpFile("Demo.chm", "C:\\Old \"1\"\\", true);
    writable = false;
    auto listed = run({u"list", u"--prune", u"--yes", u"--backup", u"C:\\b.reg"});
    EXPECT_EQ(listed.status, 1);
    EXPECT_NE(listed.err.find("cannot write the backup C:\\b.reg; nothing was removed"), std::string::npos);
    EXPECT_TRUE(fake.ListedFolder("Demo.chm", true));

    writable = true;
    listed = run({u"list", u"--prune", u"--yes", u"--backup", u"C:\\b.reg"});
    EXPECT_NE(
        listed.out.find("removed  Demo.chm (32-bit view), folder C:\\Old \"1\"\\\n         to put it back: reg add "
                        "\"HKLM\\Software\\Microsoft\\Windows\\HTML Help\" /v \"Demo.chm\" /t REG_SZ /d "
                        "\"C:\\Old \\\"1\\\"\\\\\" /f /reg:32\n"
                        "HTML Help file list, 64-bit view (HKLM\\Software\\Microsoft\\Windows\\HTML Help): "
                        "1 entries\n  ok          Demo.chm"),
        std::string::npos)
        << listed.out;
    EXPECT_NE(listed.out.find("list, 32-bit view (HKLM\\Software\\Microsoft\\Windows\\HTML Help): 0 entries\n"),
              std::string::npos);
    EXPECT_TRUE(fake.ListedFolder("Demo.chm"));
    EXPECT_FALSE(fake.ListedFolder("Demo.chm", true));

    const std::string& bytes = written["C:\\b.reg"];
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(utf8(RegistryAccess::textOfData({bytes.begin() + 2, bytes.end()})),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\HTML Help]\r\n"
              "\"Demo.chm\"=\"C:\\\\Old \\\"1\\\"\\\\\"\r\n\r\n");
}

// Each id as "name=value", and the lines of the notes.
std::string idsOf(const helpdoctor::ContextIdList& list)
{
    std::string out;
    for (const auto& id : list.ids) out += id.name + "=" + std::to_string(id.id) + " ";
    return out;
}
std::vector<std::size_t> noteLines(const helpdoctor::ContextIdList& list)
{
    std::vector<std::size_t> lines;
    for (const auto& note : list.notes) lines.push_back(note.line);
    return lines;
}

TEST(ContextIdAuditTest, ParsesProjectListsAndEnums)
{
    const auto list = helpdoctor::parseContextIds(
        "\xEF\xBB\xBFIDH_A=10\n IDH_B = 0x1F ; b\r\n; comment\n[MAP]\nIDH_C=010\n"
        "IDH_D=\nIDH_E=99999999999\n= 5\n"
        "enum HelpIds : int { IDH_F = 0x20, IDH_G, IDH_H = IDH_A,\n  IDH_I, IDH_J = (5) };\n"
        "typedef enum\n{\n  IDH_K,  // first\n  IDH_L\n} Ids;\n");
    EXPECT_EQ(idsOf(list), "IDH_A=10 IDH_B=31 IDH_C=10 IDH_F=32 IDH_G=33 IDH_J=5 IDH_K=0 IDH_L=1 ");
    EXPECT_EQ(noteLines(list), (std::vector<std::size_t>{6, 7, 8, 9, 10}));
    EXPECT_EQ(list.notes[1].text, "IDH_E: the value does not fit 32 bits (99999999999)");
    EXPECT_EQ(list.notes[4].text, "IDH_I: follows a member whose value was not read");
}

TEST(ContextIdAuditTest, ReadsAResourceEditorHeader)
{
    const auto list = helpdoctor::parseContextIds(
        "//{{NO_DEPENDENCIES}}\r\n// Microsoft Visual C++ generated include file.\r\n// Used by App.rc\r\n"
        "//\r\n#ifndef APP_IDS_H\r\n#define APP_IDS_H\r\n#pragma once\r\n\r\n"
        "#define IDH_ORDERS                      1000\r\n"
        "#define IDH_OCTAL 010u /* octal, as C reads it */\r\n"
        "/* a comment\r\n   of two lines */ #  define IDH_SPACED ((DWORD)0x10)\r\n"
        "#define IDH_CAST (UINT)5\r\n#define IDC_STATIC -1\r\n#define IDH_LONG \\\r\n        0x7FFFFFFFL\r\n"
        "#define HELP_MACRO(x) ((x) + 1)\r\n#define IDH_ALIAS IDH_ORDERS\r\n\r\n"
        "// Next default values for new objects\r\n//\r\n"
        "#ifdef APSTUDIO_INVOKED\r\n#ifndef APSTUDIO_READONLY_SYMBOLS\r\n"
        "#define _APS_NEXT_RESOURCE_VALUE        101\r\n#define _APS_NEXT_COMMAND_VALUE         40001\r\n"
        "#endif\r\n#endif\r\n#endif // APP_IDS_H\r\n");
    EXPECT_EQ(idsOf(list),
              "IDH_ORDERS=1000 IDH_OCTAL=8 IDH_SPACED=16 IDH_CAST=5 IDC_STATIC=4294967295 IDH_LONG=2147483647 ");
    ASSERT_EQ(list.notes.size(), 1u);
    EXPECT_EQ(list.notes[0].line, 18u);
    EXPECT_EQ(list.notes[0].text, "IDH_ALIAS: the value is not a number (IDH_ORDERS)");
    EXPECT_EQ(list.ids[2].line, 12u);
}

TEST(ContextIdAuditTest, ReadsAVbModule)
{
    const auto list = helpdoctor::parseContextIds(
        "Attribute VB_Name = \"HelpIds\"\r\noption explicit\r\n' Help context ids\r\n"
        "Public Const IDH_ORDERS = 1010 ' the orders form\r\nConst IDH_X As Long = &H3F2\r\n"
        "Private Const IDH_Y& = &HFFFF, IDH_Z As Integer = &O17%\r\nGlobal Const IDH_W As Long = -&H10&\r\n"
        "REM older ones\r\nPublic Const IDH_NAME As String = \"x\"\r\n"
        "Public Enum HelpIds\r\n    IDH_E1 = 2000\r\n    IDH_E2 ' 2001\r\nEnd Enum\r\nSub Main()\r\n");
    EXPECT_EQ(idsOf(list),
              "IDH_ORDERS=1010 IDH_X=1010 IDH_Y=4294967295 IDH_Z=15 IDH_W=4294967280 IDH_E1=2000 IDH_E2=2001 ");
    EXPECT_EQ(noteLines(list), (std::vector<std::size_t>{9, 14}));
    EXPECT_EQ(list.notes[1].text, "not an id definition (Sub Main())");
}

TEST_F(HelpDoctorToolTest, AuditListsMissingIdsAndMapEntriesWithoutTheirPage)
{
    ids = "IDH_INTRO=7\nIDH_NEW=9\n";
    const auto audited = run({u"audit", u"C:\\Help\\Demo.chm", u"ids.h"});
    EXPECT_EQ(audited.status, 1);
    EXPECT_NE(audited.out.find("  missing from the map: IDH_NEW = 9\n  map entry 8 points to gone.htm, which is not "
                               "in the file\n"),
              std::string::npos)
        << audited.out;
    ids.reset();
    EXPECT_EQ(run({u"audit", u"C:\\Help\\Demo.chm", u"ids.h"}).status, 2);  // cannot read the id list
}

TEST_F(HelpDoctorToolTest, AuditNotesLinesItDoesNotUnderstandWithoutFailing)
{
    fake.AddCompiledHelp("C:\\Help\\Good.chm", {{u"/intro.htm", "x"},
                                                {u"/#IVB", std::string("\x08\0\0\0\x07\0\0\0\x01\0\0\0", 12)},
                                                {u"/#STRINGS", std::string("\0intro.htm\0", 11)}});
    ids = "#define IDH_INTRO 7\nint helpFor(int id);\n";
    auto audited = run({u"audit", u"C:\\Help\\Good.chm", u"ids.h"});
    EXPECT_EQ(audited.status, 0);
    EXPECT_NE(audited.out.find("  note: line 2: not an id definition (int helpFor(int id);)\n"), std::string::npos)
        << audited.out;
    EXPECT_NE(audited.out.find("Nothing wrong found."), std::string::npos);
    audited = run({u"audit", u"C:\\Help\\Good.chm", u"ids.h", u"--json"});
    EXPECT_EQ(audited.status, 0);
    EXPECT_NE(audited.out.find("\"badLines\":[2],\"notes\":[{\"line\":2,\"text\":\"not an id definition"),
              std::string::npos)
        << audited.out;
}

}  // namespace
}  // namespace morvel::htmlhelp
