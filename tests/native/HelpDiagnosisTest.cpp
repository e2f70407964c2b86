#include <gtest/gtest.h>

#include <map>

#include "FakeCompiledHelp.h"
#include "FakePlatform.h"
#include "htmlhelp/HelpFileContents.h"
#include "htmlhelp/HelpDiagnosis.h"
#include "htmlhelp/HtmlHelpObject.h"

namespace morvel::htmlhelp {
namespace {

class HelpDiagnosisTest : public ::testing::Test {
protected:
    HelpDiagnosisTest()
    {
        fake.SetString(HKEY_CLASSES_ROOT_, "CLSID\\{4662DAB0-D393-11D0-9A56-00C04FB68B66}\\InprocServer32", "",
                       "C:\\Windows\\System32\\hhctrl.ocx")
            .AddFile("C:\\Windows\\System32\\hhctrl.ocx")
            .SetFileVersion("C:\\Windows\\System32\\hhctrl.ocx", 5, 2, 3790, 2744)
            .AddCompiledHelp("C:\\Help\\Demo.chm", helpStreams({{1001, "intro.htm"}, {1002, "/tmp/proj/popups.htm"}}));
    }

    Diagnosis diagnose(DiagnosisRequest request) { return HelpDiagnosis(fake).diagnose(request); }

    static const Finding* find(const Diagnosis& d, const std::u16string& check)
    {
        for (const Finding& f : d.findings)
            if (f.check == check) return &f;
        return nullptr;
    }

    FakePlatform fake;
};

TEST_F(HelpDiagnosisTest, AHealthyFileHasNoProblemAndTheEngineIsNamed)
{
    const Diagnosis d = diagnose({u"C:\\Help\\Demo.chm", u"intro.htm#part", {}, {}});
    EXPECT_FALSE(d.problem());
    ASSERT_NE(find(d, u"topic"), nullptr);
    EXPECT_EQ(find(d, u"topic")->found, u"the file holds /intro.htm");
    EXPECT_EQ(find(d, u"engine")->found, u"loads; version 5.02.3790.2744 (release unknown)");
    EXPECT_TRUE(fake.messageBoxes.empty());  // the checks ran quietly
}

TEST_F(HelpDiagnosisTest, StaleListEntryIsTheHeadlineAndNothingIsShown)
{
    fake.ListHelpFile("Gone.chm", "C:\\Old\\");
    const Diagnosis d = diagnose({u"Gone.chm"});
    ASSERT_NE(d.headline(), nullptr);
    EXPECT_EQ(d.headline()->check, u"lookup");
    EXPECT_EQ(d.headline()->severity, Severity::Error);
    EXPECT_EQ(d.headline()->found, u"listed in C:\\Old\\, but the file is not there");
    EXPECT_EQ(find(d, u"exists")->found, u"not found");
    EXPECT_NE(find(d, u"exists")->cause.find(u"The file C:\\Old\\Gone.chm does not exist."), std::u16string::npos);
    EXPECT_TRUE(fake.messageBoxes.empty());
    EXPECT_EQ(fake.ListedFolder("Gone.chm"), "C:\\Old\\");  // the list is left as it was
}

TEST_F(HelpDiagnosisTest, NameLookupAndStorage)
{
    // Not ending in chm: the library's own message, and no look at the disk.
    Diagnosis d = diagnose({u"Demo.hlp"});
    EXPECT_EQ(d.headline()->check, u"name");
    EXPECT_EQ(d.headline()->found, u"Demo.hlp is not a valid HTML Help file.");
    EXPECT_EQ(find(d, u"exists"), nullptr);

    // Bare and unlisted: looked for beside the library.
    fake.AddCompiledHelp("C:\\Program Files\\Morvel\\Library.chm", helpStreams({}));
    d = diagnose({u"Library.chm"});
    EXPECT_EQ(find(d, u"lookup")->severity, Severity::Info);
    EXPECT_EQ(d.path, u"C:\\Program Files\\Morvel\\Library.chm");
    EXPECT_FALSE(d.problem());

    // There, but no compiled help.
    fake.AddFile("C:\\Help\\Text.chm");
    d = diagnose({u"C:\\Help\\Text.chm"});
    EXPECT_EQ(d.headline()->check, u"storage");
    EXPECT_EQ(d.headline()->found, u"not a compiled help file (the storage says 0x80004005)");

    // A relative path depends on the host's current folder.
    fake.AddCompiledHelp("C:\\Work\\Rel.chm", helpStreams({}));
    d = diagnose({u"sub\\..\\Rel.chm"});
    EXPECT_EQ(find(d, u"lookup")->severity, Severity::Warning);
}

TEST_F(HelpDiagnosisTest, TopicIdAndKeywordAgainstTheFile)
{
    EXPECT_EQ(diagnose({u"C:\\Help\\Demo.chm", u"Demo.chm::/missing.htm"}).headline()->found,
              u"the file holds no page /missing.htm");
    EXPECT_EQ(find(diagnose({u"C:\\Help\\Demo.chm", {}, 1001}), u"id")->found, u"mapped to intro.htm");

    const Diagnosis unmapped = diagnose({u"C:\\Help\\Demo.chm", {}, 42});
    EXPECT_EQ(unmapped.headline()->found, u"not in the file's map (2 ids mapped)");

    // A map target that is a path of the compiling machine is called so.
    const Diagnosis buildPath = diagnose({u"C:\\Help\\Demo.chm", {}, 1002});
    EXPECT_EQ(buildPath.headline()->found, u"mapped to '/tmp/proj/popups.htm', which is not a page of the file");
    EXPECT_NE(buildPath.headline()->cause.find(u"machine that compiled"), std::u16string::npos);

    // Keywords: the first Name of each entry, entities decoded, any letter case; ";" separates.
    EXPECT_FALSE(diagnose({u"C:\\Help\\Demo.chm", {}, {}, u"colours & FONTS; topics"}).problem());
    EXPECT_EQ(diagnose({u"C:\\Help\\Demo.chm", {}, {}, u"Topics;Popups"}).headline()->found,
              u"not in the index: 'Popups'");

    // A file without a map.
    auto streams = helpStreams({});
    streams.erase(u"/#IVB");
    fake.AddCompiledHelp("C:\\Help\\NoMap.chm", streams);
    EXPECT_EQ(diagnose({u"C:\\Help\\NoMap.chm", {}, 1}).headline()->found, u"the file has no map of context ids");
}

TEST_F(HelpDiagnosisTest, PathCharactersThatBreakTheViewer)
{
    std::vector<Finding> findings;
    HelpDiagnosis doctor(fake);
    doctor.checkPathCharacters(u"C:\\C#\\Help\\Demo.chm", findings);
    doctor.checkPathCharacters(u"C:\\100%\\Demo.chm", findings);
    doctor.checkPathCharacters(u"C:\\\u0425\u0435\u043b\u043f\\Demo.chm", findings);  // no ANSI form
    std::vector<std::u16string> found;
    for (const Finding& f : findings) found.push_back(f.found);
    EXPECT_EQ(found, (std::vector<std::u16string>{u"a '#' in the path", u"a '%' in the path",
                                                  u"characters the ANSI code page cannot carry",
                                                  u"nothing the viewer trips over"}));
    EXPECT_EQ(findings[2].severity, Severity::Info);  // the library and the engine open such a name
}

TEST_F(HelpDiagnosisTest, MissingOrUnregisteredEngine)
{
    fake.engineAvailable = false;
    Diagnosis d = diagnose({u"C:\\Help\\Demo.chm"});
    EXPECT_EQ(d.headline()->check, u"engine");
    EXPECT_EQ(d.headline()->found, u"cannot be loaded");

    fake.engineAvailable = true;
    fake.RemoveFile("C:\\Windows\\System32\\hhctrl.ocx");
    const EngineState state = HelpDiagnosis(fake).engine();
    EXPECT_TRUE(state.htmlHelp.registered);
    EXPECT_FALSE(state.htmlHelp.present);
    EXPECT_EQ(state.htmlHelp.message, u"Hhctrl.ocx is not in its registered location.  Please reinstall HTML Help.");
    EXPECT_TRUE(state.problem());
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST(HelpFileContentsTest, TopicPathsAndACutShortMap)
{
    EXPECT_EQ(HelpFileContents::topicPath(u"mk:@MSITStore:C:\\x.chm::/a/b.htm#c"), u"/a/b.htm");
    EXPECT_EQ(HelpFileContents::topicPath(u"sub\\page.htm?x"), u"/sub/page.htm");

    FakePlatform fake;
    auto streams = helpStreams({{7, "intro.htm"}});
    streams[u"/#IVB"] = le32(400) + le32(7) + le32(1) + le32(8);  // claims more than it has
    streams[u"/#STRINGS"] = std::string("\0intro.htm", 10);       // no final NUL
    fake.AddCompiledHelp("C:\\Cut.chm", streams);
    long status = 0;
    auto chm = HelpFileContents::open(fake, u"C:\\Cut.chm", status);
    ASSERT_TRUE(chm);
    const auto map = chm->contextMap();
    ASSERT_TRUE(map);
    ASSERT_EQ(map->entries.size(), 1u);
    EXPECT_EQ(map->topicOf(map->entries[0]), u"intro.htm");
}

// A hostile map: a million ids pointing into one unterminated run of #STRINGS is read as one
// bounded topic; past the budget the check says the file is too large rather than trying.
TEST(HelpFileContentsTest, AMapBlowUpIsBounded)
{
    std::string ivb;
    for (std::uint32_t id = 0; id < 1000000; ++id) ivb += le32(id) + le32(0);
    FakePlatform fake;
    fake.AddCompiledHelp(
        "C:\\Big.chm", {{u"/#IVB", le32(std::uint32_t(ivb.size())) + ivb}, {u"/#STRINGS", std::string(1 << 20, 'x')}});
    long status = 0;
    auto chm = HelpFileContents::open(fake, u"C:\\Big.chm", status);
    const auto map = chm->contextMap();
    ASSERT_EQ(map->entries.size(), 1000000u);
    ASSERT_EQ(map->topics.size(), 1u);
    EXPECT_EQ(map->topics[0].size(), HelpFileContents::MaxTopicLength);

    chm = HelpFileContents::open(fake, u"C:\\Big.chm", status, {.bytes = 4u << 20});
    EXPECT_THROW(chm->contextMap(), ContentsTooLarge);
}

// Text in a file made for Russian (code page 1251) read on a Western machine (1252): the
// map's topic and the index's keywords in the file's code page, or in the one its index declares.
TEST_F(HelpDiagnosisTest, AFileIsReadInItsOwnCodePage)
{
    auto streams = helpStreams({{5, "\xF1\xEF\xF0\xE0\xE2\xEA\xE0.htm"}},  // справка.htm
                               "<object><param name=\"Name\" value=\"\xEF\xEE\xE8\xF1\xEA\"></object>");  // поиск
    streams[u"/\u0441\u043f\u0440\u0430\u0432\u043a\u0430.htm"] = "<html></html>";
    streams[u"/#SYSTEM"] += std::string("\4\0\4\0", 4) + le32(0x419);
    fake.AddCompiledHelp("C:\\Help\\Ru.chm", streams);
    const Diagnosis d = diagnose({.file = u"C:\\Help\\Ru.chm", .contextId = 5});
    EXPECT_EQ(find(d, u"id")->severity, Severity::Ok);
    EXPECT_EQ(diagnose({.file = u"C:\\Help\\Ru.chm", .keyword = u"\u043f\u043e\u0438\u0441\u043a"}).problem(), false);

    const std::string declared = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Windows-1251\">"
                                 "<object><param name=\"Name\" value=\"\xE4\xE0\">";
    EXPECT_EQ(HelpFileContents::sitemapKeywords(declared, fake), std::vector<std::u16string>{u"\u0434\u0430"});
}

// Whether the viewer shows a file's pages: its mark of the web against the policy's zone,
// a network location against the policy, and the allow list, in the policy's own view.
TEST_F(HelpDiagnosisTest, MarkOfTheWebAndNetworkLocationsAgainstTheViewersPolicy)
{
    const std::string policyKey = "SOFTWARE\\Microsoft\\HTMLHelp\\1.x\\ItssRestrictions";
    auto finding = [&](const char16_t* file, const std::u16string& check) {
        const Diagnosis d = diagnose({.file = file, .topic = u"intro.htm"});
        const Finding* f = find(d, check);
        return f ? *f : Finding{};
    };
    // Each zone a mark can name; not set, the policy allows the local machine only.
    const std::pair<std::string, Severity> marks[] = {{"0", Severity::Ok},    {"1", Severity::Error},
                                                      {"2", Severity::Error}, {"3", Severity::Error},
                                                      {"4", Severity::Error}, {"x", Severity::Info}};
    for (const auto& [zone, severity] : marks) {
        fake.fileData["c:\\help\\demo.chm:zone.identifier"] = "\xEF\xBB\xBF[ZoneTransfer]\r\nZoneId=" + zone +
                                                              "\r\nHostUrl=https://example.com/Demo.chm\r\n";
        EXPECT_EQ(finding(u"C:\\Help\\Demo.chm", u"mark").severity, severity) << zone;
    }
    Finding marked = finding(u"C:\\Help\\Demo.chm", u"mark");
    fake.fileData.clear();
    EXPECT_EQ(finding(u"C:\\Help\\Demo.chm", u"mark").found, u"none: the file is not marked as coming from elsewhere");
    fake.fileData["C:\\Help\\Demo.chm:Zone.Identifier"] =
        "[ZoneTransfer]\nZoneId=3\nHostUrl=https://example.com/Demo.chm\n";
    marked = finding(u"C:\\Help\\Demo.chm", u"mark");
    EXPECT_EQ(marked.found, u"marked as from the Internet zone (ZoneId=3), from https://example.com/Demo.chm");
    EXPECT_NE(marked.remedy.find(u"Unblock-File -LiteralPath 'C:\\Help\\Demo.chm'"), std::u16string::npos);
    EXPECT_NE(marked.cause.find(u"MaxAllowedZone not set: the local machine only"), std::u16string::npos);
    fake.SetDword(HKEY_LOCAL_MACHINE_, policyKey, "MaxAllowedZone", 3);
    EXPECT_EQ(finding(u"C:\\Help\\Demo.chm", u"mark").severity, Severity::Info);
    fake.fileData.clear();

    // A share: Local intranet unless the platform's mapping says otherwise; the policy decides.
    fake.AddCompiledHelp("\\\\server\\share\\Help\\Demo.chm", helpStreams({}));
    const char16_t* share = u"\\\\server\\share\\Help\\Demo.chm";
    fake.SetDword(HKEY_LOCAL_MACHINE_, policyKey, "MaxAllowedZone", 1);
    EXPECT_EQ(finding(share, u"policy").found,
              u"a network path in the Local intranet zone (a network location's default); "
              u"the policy allows it (MaxAllowedZone 1: up to Local intranet)");
    fake.urlZones[u"file://server/share/Help/Demo.chm"] = 3;
    const Finding refused = finding(share, u"policy");
    EXPECT_EQ(refused.severity, Severity::Error);
    EXPECT_NE(refused.remedy.find(u"UrlAllowList (REG_SZ) \"\\\\server\\share\\Help\\;file://server/share/Help/\" for "
                                  u"this folder only, or MaxAllowedZone (REG_DWORD) 3"),
              std::u16string::npos)
        << utf8(refused.remedy);
    fake.SetString(HKEY_LOCAL_MACHINE_, policyKey, "UrlAllowList", " \\\\other\\x ; FILE://SERVER/Share/help/");
    EXPECT_EQ(finding(share, u"policy").severity, Severity::Info);
    fake.SetString(HKEY_LOCAL_MACHINE_, policyKey, "UrlAllowList",
                   "\\\\server\\share\\Helpers");                           // not a prefix of a folder
    fake.SetString(HKEY_LOCAL_MACHINE_, policyKey, "MaxAllowedZone", "3");  // not a REG_DWORD
    EXPECT_NE(finding(share, u"policy")
                  .found.find(u"MaxAllowedZone not set: the local machine only; UrlAllowList "
                              u"'\\\\server\\share\\Helpers'; MaxAllowedZone is there but not a REG_DWORD"),
              std::u16string::npos);
    EXPECT_EQ(finding(u"C:\\Help\\Demo.chm", u"policy").check, u"");  // a local file has no location to check
}

// The display commands tell a debugger why nothing showed, and only then.
class DebuggerLineTest : public HelpDiagnosisTest {
protected:
    HtmlHelpObject object{fake};
};

TEST_F(DebuggerLineTest, OneLineWhenNoWindowCameOfTheCommand)
{
    object.state.CHMFile = u"C:\\Help\\Demo.chm";
    object.state.HHTopicID = 42;
    fake.helpWindow = 0;  // the engine finds no topic for the id
    object.displayCommands.HHDisplayTopicID(nullptr);
    ASSERT_EQ(fake.debugLines.size(), 1u);
    EXPECT_EQ(fake.debugLines[0], u"Morvel10 HHDisplayTopicID: no help window for 'C:\\Help\\Demo.chm': [error] "
                                  u"context id 42: not in the file's map (2 ids mapped). The engine finds no topic "
                                  u"for the id and shows none.\n");
    EXPECT_EQ(fake.helpCalls.size(), 1u);  // published behaviour unchanged: one call, no box
    EXPECT_TRUE(fake.messageBoxes.empty());

    fake.helpWindow = 0x10010;
    object.displayCommands.HHDisplayTopicID(nullptr);
    EXPECT_EQ(fake.debugLines.size(), 1u);  // a window opened: nothing to say

    // A window opened, but the viewer will refuse the marked file's pages.
    fake.fileData["C:\\Help\\Demo.chm:Zone.Identifier"] = "[ZoneTransfer]\r\nZoneId=3\r\n";
    object.displayCommands.HHDisplayTopicID(nullptr);
    ASSERT_EQ(fake.debugLines.size(), 2u);
    EXPECT_EQ(fake.debugLines[1], u"Morvel10 HHDisplayTopicID: the help window for 'C:\\Help\\Demo.chm' shows nothing: "
                                  u"the file carries the mark of the web (Internet zone), which the viewer's policy "
                                  u"refuses (MaxAllowedZone not set: the local machine only), so the window shows none "
                                  u"of its pages; unblock the file (helpdoctor unblock).\n");
    EXPECT_EQ(fake.helpCalls.size(), 3u);

    fake.helpWindow = 0;
    fake.debuggerPresent = false;  // nobody listening: the file is not even opened
    fake.calls.clear();
    object.displayCommands.HHDisplayTopicID(nullptr);
    fake.helpWindow = 0x10010;
    object.displayCommands.HHDisplayTopicID(nullptr);
    EXPECT_EQ(fake.debugLines.size(), 2u);
    EXPECT_EQ(fake.CallCount("ListCompiledHelp") + fake.CallCount("ReadFile"), 0u);
}

TEST_F(DebuggerLineTest, ACheckThatEndsTheCommandIsExplainedOnce)
{
    fake.ListHelpFile("Gone.chm", "C:\\Old\\");
    object.state.CHMFile = u"Gone.chm";
    object.displayCommands.HHDisplayContents(nullptr);
    ASSERT_EQ(fake.debugLines.size(), 1u);
    EXPECT_NE(fake.debugLines[0].find(u"HHDisplayContents: no help window for 'Gone.chm': [error] the HTML Help file "
                                      u"list for 'Gone.chm': listed in C:\\Old\\, but the file is not there"),
              std::u16string::npos);
    // The checks' own messages (the lookup's and the existence check's), and none more.
    EXPECT_EQ(fake.messageBoxes.size(), 2u);
    EXPECT_TRUE(fake.helpCalls.empty());
    EXPECT_EQ(object.state.CHMFile, u"C:\\Old\\Gone.chm");
}

}  // namespace
}  // namespace morvel::htmlhelp
