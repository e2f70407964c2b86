#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "portable/AutomationError.h"
#include "htmlhelp/HtmlHelpObject.h"

namespace morvel::htmlhelp {
namespace {

const std::string Chm = "C:\\Help\\Library.chm";
using Command = void (DisplayCommands::*)(const std::int32_t*);

class DisplayCommandsTest : public ::testing::Test {
protected:
    DisplayCommandsTest()
    {
        fake.AddFile(Chm);
        object.state.CHMFile = u"C:\\Help\\Library.chm";
    }

    FakePlatform fake;
    HtmlHelpObject object{fake};
    HtmlHelpState& state = object.state;
    DisplayCommands& commands = object.displayCommands;
    std::int32_t form = 0x1234;

    void Run(Command member, const std::int32_t* callingForm) { (object.displayCommands.*member)(callingForm); }

    const HelpCall& OnlyCall() const
    {
        EXPECT_EQ(fake.helpCalls.size(), 1u);
        return fake.helpCalls.back();
    }
};

// The five commands that carry the window in the file argument, with their command and data.
struct WindowBearing {
    const char* name;
    Command member;
    std::uint32_t command;
};
const WindowBearing windowBearing[] = {
    {"TopicURL", &DisplayCommands::HHDisplayTopicURL, HH_DISPLAY_TOPIC_},
    {"TopicID", &DisplayCommands::HHDisplayTopicID, HH_HELP_CONTEXT_},
    {"Search", &DisplayCommands::HHDisplaySearch, HH_DISPLAY_SEARCH_},
    {"Index", &DisplayCommands::HHDisplayIndex, HH_DISPLAY_INDEX_},
    {"Contents", &DisplayCommands::HHDisplayContents, HH_DISPLAY_TOC_},
};
const Command allSeven[] = {&DisplayCommands::HHDisplayTopicURL, &DisplayCommands::HHDisplayTopicID,
                            &DisplayCommands::HHDisplaySearch,   &DisplayCommands::HHDisplayKeyword,
                            &DisplayCommands::HHDisplayIndex,    &DisplayCommands::HHDisplayContents,
                            &DisplayCommands::HHDisplayALink};

TEST_F(DisplayCommandsTest, WindowNameJoinsTheFileArgumentUnlessBlank)
{
    const std::pair<Text, std::string> cases[] = {
        {std::nullopt, Chm}, {u"", Chm}, {u"   ", Chm}, {u"Main", Chm + ">Main"}, {u" Main ", Chm + "> Main "},
    };
    for (const auto& c : windowBearing) {
        for (const auto& [window, expected] : cases) {
            fake.helpCalls.clear();
            state.HHWindow = window;
            Run(c.member, &form);
            ASSERT_EQ(fake.helpCalls.size(), 1u) << c.name;
            EXPECT_EQ(fake.helpCalls[0].file, expected) << c.name << " window '" << textOrEmpty(window).size() << "'";
            EXPECT_EQ(fake.helpCalls[0].command, c.command) << c.name;
        }
    }
    // A composed argument is a temporary: CHMFile keeps the bare path.
    EXPECT_EQ(state.CHMFile, u"C:\\Help\\Library.chm");
}

TEST_F(DisplayCommandsTest, LookupsKeepTheWindowInTheRecord)
{
    state.HHWindow = u"  Side";
    state.HHKeyword = u"alpha;beta";
    state.HHALink = u"LinkA";
    commands.HHDisplayKeyword(&form);
    commands.HHDisplayALink(&form);
    ASSERT_EQ(fake.helpCalls.size(), 3u);
    for (const HelpCall& call : fake.helpCalls) EXPECT_EQ(call.file, Chm);
    const auto& keyword = std::get<AkLink>(fake.helpCalls[1].data);
    const auto& alink = std::get<AkLink>(fake.helpCalls[2].data);
    EXPECT_EQ(keyword.pszWindow, "  Side");
    EXPECT_EQ(keyword.pszKeywords, "alpha;beta");
    EXPECT_EQ(fake.helpCalls[2].command, HH_ALINK_LOOKUP_);
    EXPECT_EQ(alink.pszKeywords, "LinkA");

    fake.helpCalls.clear();
    state.HHWindow = u"   ";
    commands.HHDisplayALink(&form);
    EXPECT_EQ(std::get<AkLink>(OnlyCall().data).pszWindow, std::nullopt);
}

TEST_F(DisplayCommandsTest, OwnerIsTheFormOnlyWhenShowOnTopIsSet)
{
    struct Case {
        Bool16 onTop;
        bool withForm;
        std::int32_t formValue;
        std::uint32_t owner;
    };
    const Case cases[] = {
        {False, true, 0x1234, 0}, {True, true, 0x1234, 0x1234}, {1, true, 0x1234, 0x1234},
        {True, true, 0, 0},       {False, false, 0, 0},
    };
    for (Command member : allSeven) {
        for (const Case& c : cases) {
            fake.helpCalls.clear();
            state.HHShowOnTop = c.onTop;
            std::int32_t value = c.formValue;
            Run(member, c.withForm ? &value : nullptr);
            ASSERT_FALSE(fake.helpCalls.empty());
            for (const HelpCall& call : fake.helpCalls) EXPECT_EQ(call.owner, c.owner);
            EXPECT_EQ(value, c.formValue);  // read, never written
        }
    }
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(DisplayCommandsTest, ShowOnTopWithoutAFormShowsTheFixedMessageInEveryCommand)
{
    state.HHShowOnTop = True;
    for (Command member : allSeven) Run(member, nullptr);
    EXPECT_TRUE(fake.helpCalls.empty());
    ASSERT_EQ(fake.messageBoxes.size(), 7u);
    for (const auto& box : fake.messageBoxes) {
        EXPECT_EQ(box.text, "The HHDisplayContents method was called without a form being specified, while "
                            "HHShowOnTop was set to True.");
        EXPECT_EQ(box.caption, "Corvane! Error");
        EXPECT_EQ(box.style, 16u);
    }
}

TEST_F(DisplayCommandsTest, TopicNeverSetIsANullPointerAndIdsGoAsTheyAre)
{
    commands.HHDisplayTopicURL(&form);
    EXPECT_EQ(std::get<std::optional<PlatformText>>(OnlyCall().data), std::nullopt);
    EXPECT_EQ(state.HHTopicURL, std::nullopt);

    fake.helpCalls.clear();
    state.HHTopicID = -7;
    commands.HHDisplayTopicID(&form);
    EXPECT_EQ(std::get<std::uint32_t>(OnlyCall().data), 0xFFFFFFF9u);
}

TEST_F(DisplayCommandsTest, SearchRecordHasEmptyTextsNotNulls)
{
    state.HHWindow = u"Main";
    commands.HHDisplaySearch(&form);
    const auto& query = std::get<FtsQuery>(OnlyCall().data);
    EXPECT_EQ(query.fUniCodeStrings, 0);
    EXPECT_EQ(query.pszSearchQuery, "");
    EXPECT_EQ(query.iProximity, 0);
    EXPECT_EQ(query.fStemmedSearch, 0);
    EXPECT_EQ(query.fTitleOnly, 0);
    EXPECT_EQ(query.fExecute, 1);
    EXPECT_EQ(query.pszWindow, "");  // the window is in the file argument instead
    EXPECT_EQ(OnlyCall().file, Chm + ">Main");
}

TEST_F(DisplayCommandsTest, KeywordLookupOpensTheFileFirstAndNullsEmptyTexts)
{
    state.HHWindow = u"Main";
    state.HHDefaultURL = u"";
    state.HHMsgText = u"";
    // HHMsgTitle never set
    commands.HHDisplayKeyword(&form);

    ASSERT_EQ(fake.helpCalls.size(), 2u);
    const HelpCall& first = fake.helpCalls[0];
    EXPECT_EQ(first.command, HH_DISPLAY_TOPIC_);
    EXPECT_EQ(first.file, Chm);  // file alone, whatever the window
    EXPECT_EQ(std::get<std::uint32_t>(first.data), 0u);

    const HelpCall& lookup = fake.helpCalls[1];
    EXPECT_EQ(lookup.command, HH_KEYWORD_LOOKUP_);
    const auto& link = std::get<AkLink>(lookup.data);
    EXPECT_EQ(link.fReserved, 0);
    EXPECT_EQ(link.pszKeywords, std::nullopt);  // never set
    EXPECT_EQ(link.pszUrl, std::nullopt);
    EXPECT_EQ(link.pszMsgText, std::nullopt);
    EXPECT_EQ(link.pszMsgTitle, std::nullopt);
    EXPECT_EQ(link.pszWindow, "Main");
    EXPECT_EQ(link.fIndexOnFail, 0);
    // The empty texts went back into the object as null strings.
    EXPECT_EQ(state.HHDefaultURL, std::nullopt);
    EXPECT_EQ(state.HHMsgText, std::nullopt);
}

TEST_F(DisplayCommandsTest, LinkTextsThatAreNotEmptyGoAsTheyAre)
{
    state.HHALink = u"";
    state.HHDefaultURL = u" ";
    state.HHMsgText = u"Nothing found";
    state.HHMsgTitle = u"Help";
    commands.HHDisplayALink(&form);
    const auto& link = std::get<AkLink>(OnlyCall().data);
    EXPECT_EQ(link.pszKeywords, "");  // empty keywords stay an empty text
    EXPECT_EQ(link.pszUrl, " ");      // no trimming
    EXPECT_EQ(link.pszMsgText, "Nothing found");
    EXPECT_EQ(link.pszMsgTitle, "Help");
    EXPECT_EQ(state.HHDefaultURL, u" ");
}

TEST_F(DisplayCommandsTest, KeywordLookupRunsEvenWhenTheFirstCallFails)
{
    fake.refuseHelpCalls = 1;
    commands.HHDisplayKeyword(&form);
    EXPECT_EQ(fake.CallCount("HtmlHelp"), 2u);
    EXPECT_EQ(OnlyCall().command, HH_KEYWORD_LOOKUP_);
}

TEST_F(DisplayCommandsTest, FailedChecksEndTheCommandBeforeTheEngine)
{
    state.CHMFile = u"Library.hlp";
    commands.HHDisplayContents(&form);
    EXPECT_EQ(fake.CallCount("FindFirstFile"), 0u);
    state.CHMFile = u"Missing.chm";
    commands.HHDisplayIndex(&form);
    EXPECT_EQ(fake.CallCount("HtmlHelp"), 0u);
    ASSERT_EQ(fake.messageBoxes.size(), 2u);
    EXPECT_EQ(fake.messageBoxes[0].text, "Library.hlp is not a valid HTML Help file.");
    EXPECT_EQ(fake.messageBoxes[1].text, "The file C:\\Program Files\\Morvel\\Missing.chm does not exist.\nPlease "
                                         "make sure that you have installed ZELT Help files");
    EXPECT_EQ(state.CHMFile, u"C:\\Program Files\\Morvel\\Missing.chm");  // completed all the same
}

TEST_F(DisplayCommandsTest, BareNameIsCompletedBeforeTheCall)
{
    fake.AddFile("C:\\Program Files\\Morvel\\Library.chm");
    state.CHMFile = u"Library.chm";
    commands.HHDisplayContents(&form);
    EXPECT_EQ(OnlyCall().file, "C:\\Program Files\\Morvel\\Library.chm");
    EXPECT_EQ(state.CHMFile, u"C:\\Program Files\\Morvel\\Library.chm");
}

TEST_F(DisplayCommandsTest, OtherFailuresArePassedOverSilently)
{
    // The library's folder cannot be found while completing a bare name.
    fake.moduleFolder.reset();
    state.CHMFile = u"Library.chm";
    for (Command member : allSeven) EXPECT_NO_THROW(Run(member, &form));
    EXPECT_EQ(fake.CallCount("HtmlHelp"), 0u);

    // No engine on the system.
    fake.moduleFolder = u"C:\\Program Files\\Morvel";
    state.CHMFile = u"C:\\Help\\Library.chm";
    state.HHTopicURL = u"a\u0100.htm";
    fake.engineAvailable = false;
    for (Command member : allSeven) EXPECT_NO_THROW(Run(member, &form));
    EXPECT_NO_THROW(commands.HHClose());
    EXPECT_TRUE(fake.messageBoxes.empty());
    EXPECT_EQ(state.HHTopicURL, u"a\u0100.htm");  // no call made, nothing stored back
}

// A call whose texts the code page cannot all spell goes to the wide entry point whole,
// and the properties keep the host's own text; one the code page spells stays ANSI.
TEST_F(DisplayCommandsTest, TextsTheCodePageCannotSpellGoWideAndStayAsTheHostSetThem)
{
    const std::u16string folder = u"C:\\\u0421\u043f\u0440\u0430\u0432\u043a\u0430 \u5e2e\u52a9";
    fake.AddFile(utf8(folder + u"\\Guide \u2713.chm"));
    state.CHMFile = folder + u"\\Guide \u2713.chm";
    state.HHTopicURL = u"html/\u00fcber.htm";  // Latin-1 alone would spell this one
    state.HHWindow = u"Main";
    commands.HHDisplayTopicURL(&form);
    EXPECT_EQ(OnlyCall().file, folder + u"\\Guide \u2713.chm>Main");
    EXPECT_EQ(std::get<std::optional<PlatformText>>(OnlyCall().data), std::u16string(u"html/\u00fcber.htm"));
    EXPECT_EQ(state.CHMFile, folder + u"\\Guide \u2713.chm");

    fake.helpCalls.clear();
    state.HHKeyword = u"\uff47uide";  // fullwidth: never the ASCII letter it looks like
    commands.HHDisplayKeyword(&form);
    ASSERT_EQ(fake.helpCalls.size(), 2u);
    EXPECT_EQ(std::get<AkLink>(fake.helpCalls[1].data).pszKeywords, std::u16string(u"\uff47uide"));
    EXPECT_EQ(std::get<AkLink>(fake.helpCalls[1].data).pszWindow, std::u16string(u"Main"));
    EXPECT_EQ(fake.helpCalls[0].file, std::u16string(state.CHMFile.value()));

    fake.helpCalls.clear();
    state.CHMFile = u"C:\\Help\\Caf\u00e9.chm";
    state.HHWindow = std::nullopt;
    commands.HHClose();
    EXPECT_EQ(OnlyCall().file, "C:\\Help\\Caf\xE9.chm");
}

TEST_F(DisplayCommandsTest, CloseAlwaysClosesAllWithoutChecksOrOwner)
{
    state.HHShowOnTop = True;
    state.HHWindow = u"Main";
    state.CHMFile.reset();
    commands.HHClose();
    EXPECT_EQ(OnlyCall().owner, 0u);
    EXPECT_EQ(OnlyCall().file, std::nullopt);
    EXPECT_EQ(OnlyCall().command, HH_CLOSE_ALL_);
    EXPECT_EQ(std::get<std::uint32_t>(OnlyCall().data), 0u);
    EXPECT_EQ(state.CHMFile, std::nullopt);

    fake.helpCalls.clear();
    state.CHMFile = u"";
    commands.HHClose();
    EXPECT_EQ(OnlyCall().file, "");
    EXPECT_EQ(fake.CallCount("FindFirstFile"), 0u);
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(DisplayCommandsTest, DefaultHelpFileNames)
{
    EXPECT_EQ(commands.HHSetHelpFile(1), u"C:\\Program Files\\Morvel\\Library.chm");
    EXPECT_EQ(commands.HHSetHelpFile(0), u"");
    fake.moduleFolder.reset();
    EXPECT_THROW(commands.HHSetHelpFile(1), AutomationError);  // no handler of its own
    EXPECT_EQ(commands.HHSetHelpFile(2), u"Library.txt");
}

}  // namespace
}  // namespace morvel::htmlhelp
