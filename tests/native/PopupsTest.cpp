#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "portable/AutomationError.h"
#include "htmlhelp/HtmlHelpObject.h"

namespace morvel::htmlhelp {
namespace {

class PopupsTest : public ::testing::Test {
protected:
    PopupsTest() { fake.cursor = {321, 654}; }

    FakePlatform fake;
    HtmlHelpObject object{fake};
    HtmlHelpState& state = object.state;
    Popups& popups = object.popups;

    void TextPopup(const char16_t* text)
    {
        state.HHPopupType = HH_TEXT_POPUP_;
        state.HHPopupText = text;
    }
    const Popup& Shown(std::size_t index = 0) const { return std::get<Popup>(fake.helpCalls.at(index).data); }
    void SetAppearance()
    {
        state.HHPopupTextColor = 0x0000FF;
        state.HHPopupBackColor = 0x00FFFF;
        state.HHPopupCustomTextColor = 0x112233;
        state.HHPopupCustomBackColor = 0x445566;
        state.HHPopupTextFont = u"Tahoma";
        state.HHPopupTextSize = u"12";
        state.HHPopupTextBold = True;
    }
    void ExpectAppearanceKept()
    {
        EXPECT_EQ(state.HHPopupTextColor, 0x0000FF);
        EXPECT_EQ(state.HHPopupCustomBackColor, 0x445566);
        EXPECT_EQ(state.HHPopupTextFont, u"Tahoma");
        EXPECT_EQ(state.HHPopupTextBold, True);
    }
};

TEST_F(PopupsTest, TextPopupRecord)
{
    TextPopup(u"Hello \u0100");
    state.HHPopupID = 77;  // not the text's: a text popup has no string id
    popups.HHDisplayPopup(0x4242);

    ASSERT_EQ(fake.helpCalls.size(), 1u);
    const HelpCall& call = fake.helpCalls[0];
    EXPECT_EQ(call.owner, 0x4242u);
    EXPECT_EQ(call.file, std::nullopt);
    EXPECT_EQ(call.command, 0x000Eu);
    const Popup& p = Shown();
    EXPECT_EQ(p.hinst, 0u);
    EXPECT_EQ(p.idString, 0u);
    EXPECT_EQ(p.pszText, std::u16string(u"Hello \u0100"));  // the wide entry point, with the font along
    EXPECT_EQ(p.ptX, 321);
    EXPECT_EQ(p.ptY, 654);
    EXPECT_EQ(p.clrForeground, 0);  // nothing set: both black, not the engine's default
    EXPECT_EQ(p.clrBackground, 0);
    EXPECT_EQ((std::vector<int>{p.marginLeft, p.marginTop, p.marginRight, p.marginBottom}),
              (std::vector<int>{-1, -1, -1, -1}));
    EXPECT_EQ(p.pszFont, std::u16string(u"Arial, 10, ascii, "));
}

TEST_F(PopupsTest, NothingIsShownOrResetForTypesZeroThreeAndAnEmptyText)
{
    SetAppearance();
    state.HHPopupText = u"Set, but no type chosen";
    popups.HHDisplayPopup(1);
    EXPECT_EQ(fake.calls, std::vector<std::string>{});

    TextPopup(u"");
    popups.HHDisplayPopup(1);
    state.HHPopupText.reset();
    popups.HHDisplayPopup(1);
    EXPECT_EQ(fake.CallCount("HtmlHelp"), 0u);
    ExpectAppearanceKept();

    // A type outside the enumeration builds its record (the cursor is read) and stops there.
    state.HHPopupType = 3;
    popups.HHDisplayPopup(1);
    EXPECT_EQ(fake.CallCount("GetCursorPos"), 3u);
    EXPECT_EQ(fake.CallCount("HtmlHelp"), 0u);
    ExpectAppearanceKept();
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(PopupsTest, OnlyExactlyTrueSelectsTheCustomColours)
{
    SetAppearance();
    TextPopup(u"x");
    state.HHPopupCustomColors = 1;  // set, but not True
    popups.HHDisplayPopup(1);
    EXPECT_EQ(Shown(0).clrForeground, 0x0000FF);
    EXPECT_EQ(Shown(0).clrBackground, 0x00FFFF);

    SetAppearance();
    state.HHPopupCustomColors = True;
    popups.HHDisplayPopup(1);
    EXPECT_EQ(Shown(1).clrForeground, 0x112233);
    EXPECT_EQ(Shown(1).clrBackground, 0x445566);

    // Custom colours on, only the plain pair set: the custom pair (0) is what counts.
    state.HHPopupTextColor = 0x0000FF;
    state.HHPopupBackColor = 0x00FFFF;
    popups.HHDisplayPopup(1);
    EXPECT_EQ(Shown(2).clrForeground, 0);
    EXPECT_EQ(Shown(2).clrBackground, 0);
}

TEST_F(PopupsTest, AppearanceIsOneShot)
{
    SetAppearance();
    state.HHPopupTextItalic = True;
    state.HHPopupTextUnderline = True;
    state.HHPopupCustomColors = True;
    TextPopup(u"first");
    popups.HHDisplayPopup(1);
    EXPECT_EQ(Shown(0).pszFont, "Tahoma, 12, ascii, Bold Italic Underline");

    popups.HHDisplayPopup(1);
    EXPECT_EQ(Shown(1).clrForeground, 0);
    EXPECT_EQ(Shown(1).clrBackground, 0);
    EXPECT_EQ(Shown(1).pszFont, "Arial, 10, ascii, ");
    EXPECT_EQ(Shown(1).pszText, "first");

    for (std::int32_t colour :
         {state.HHPopupTextColor, state.HHPopupBackColor, state.HHPopupCustomTextColor, state.HHPopupCustomBackColor})
        EXPECT_EQ(colour, 0);
    EXPECT_EQ(state.HHPopupTextFont, u"Arial");
    EXPECT_EQ(state.HHPopupTextSize, u"10");
    for (Bool16 style : {state.HHPopupTextBold, state.HHPopupTextItalic, state.HHPopupTextUnderline})
        EXPECT_EQ(style, False);
    // The text source and the colour choice stay.
    EXPECT_EQ(state.HHPopupCustomColors, True);
    EXPECT_EQ(state.HHPopupType, HH_TEXT_POPUP_);
    EXPECT_EQ(state.HHPopupText, u"first");
}

TEST_F(PopupsTest, FontStrings)
{
    struct Case {
        const char16_t* face;
        const char16_t* size;
        Bool16 bold, italic, underline;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, False, False, False, "Arial, 10, ascii, "},
        {nullptr, nullptr, True, True, True, "Arial, 10, ascii, Bold Italic Underline"},
        {nullptr, nullptr, True, False, True, "Arial, 10, ascii, Bold Underline"},
        {u"Courier New", u"9", False, True, False, "Courier New, 9, ascii, Italic "},
        {u"", u"", 1, 1, 1, "Arial, 10, ascii, "},  // 1 is set, but only -1 is True
    };
    TextPopup(u"x");
    for (const Case& c : cases) {
        fake.helpCalls.clear();
        if (c.face) state.HHPopupTextFont = c.face;
        if (c.size) state.HHPopupTextSize = c.size;
        state.HHPopupTextBold = c.bold;
        state.HHPopupTextItalic = c.italic;
        state.HHPopupTextUnderline = c.underline;
        popups.HHDisplayPopup(1);
        EXPECT_EQ(Shown().pszFont, c.expected);
    }
}

TEST_F(PopupsTest, ChmPopupNamesTheFileInsideTheHelpFile)
{
    fake.AddFile("C:\\Program Files\\Morvel\\Library.chm");
    state.HHPopupType = HH_CHM_POPUP_;
    state.CHMFile = u"Library.chm";
    state.HHPopupFile = u"Popups.txt";
    state.HHPopupID = 1001;
    state.HHPopupText = u"ignored";
    popups.HHDisplayPopup(9);

    ASSERT_EQ(fake.helpCalls.size(), 1u);
    EXPECT_EQ(fake.helpCalls[0].file, "C:\\Program Files\\Morvel\\Library.chm::/Popups.txt");
    EXPECT_EQ(state.CHMFile, u"C:\\Program Files\\Morvel\\Library.chm");
    EXPECT_EQ(Shown().idString, 1001u);
    EXPECT_EQ(Shown().pszText, std::nullopt);
}

TEST_F(PopupsTest, ChmPopupChecksStopQuietlyAndResetNothing)
{
    SetAppearance();
    state.HHPopupType = HH_CHM_POPUP_;
    state.HHPopupFile = u"Popups.txt";
    state.CHMFile = u"Library.doc";
    popups.HHDisplayPopup(1);
    state.CHMFile = u"C:\\Help\\Missing.chm";
    popups.HHDisplayPopup(1);
    fake.AddFile("C:\\Help\\Library.chm");
    state.CHMFile = u"C:\\Help\\Library.chm";
    state.HHPopupFile = u"Popups.htm";
    popups.HHDisplayPopup(1);

    EXPECT_EQ(fake.CallCount("HtmlHelp"), 0u);
    ASSERT_EQ(fake.messageBoxes.size(), 3u);
    EXPECT_EQ(fake.messageBoxes[0].text, "Library.doc is not a valid HTML Help file.");
    EXPECT_EQ(fake.messageBoxes[2].text,
              "The file specified as the text popup source, 'Popups.htm', is not a valid popup file.");
    ExpectAppearanceKept();
}

TEST_F(PopupsTest, ResourcePopupUsesOurStringsAndFailsWithoutThem)
{
    SetAppearance();
    state.HHPopupType = HH_RESOURCE_POPUP_;
    state.HHPopupID = 5;
    try {
        popups.HHDisplayPopup(1);
        FAIL() << "no resource, no popup";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.number(), 326);
    }
    EXPECT_EQ(fake.CallCount("HtmlHelp"), 0u);
    ExpectAppearanceKept();

    fake.resources[5] = u"From the resources";
    popups.HHDisplayPopup(1);
    EXPECT_EQ(Shown().pszText, "From the resources");
    EXPECT_EQ(Shown().idString, 0u);
    EXPECT_EQ(fake.helpCalls[0].file, std::nullopt);
}

TEST_F(PopupsTest, AnEngineThatCannotBeReachedIsAFailure)
{
    SetAppearance();
    TextPopup(u"x");
    fake.engineAvailable = false;
    try {
        popups.HHDisplayPopup(1);
        FAIL();
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.number(), 53);
        EXPECT_EQ(error.description(), u"File not found: hhctrl.ocx");
    }
    ExpectAppearanceKept();

    fake.engineAvailable = true;
    fake.failWith["HtmlHelp"] = 127;  // loaded, but without the entry point
    try {
        popups.HHDisplayPopup(1);
        FAIL();
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.number(), 453);
    }
}

}  // namespace
}  // namespace morvel::htmlhelp
