#include <gtest/gtest.h>

#include "htmlhelp/HtmlHelpState.h"

using namespace morvel;
using namespace morvel::htmlhelp;

TEST(HtmlHelpState, NewStateIsEmptyEverywhere)
{
    const HtmlHelpState s;
    for (const Text* t :
         {&s.CHMFile, &s.HHALink, &s.HHDefaultURL, &s.HHKeyword, &s.HHMsgText, &s.HHMsgTitle, &s.HHTopicURL,
          &s.HHWindow, &s.HHRegFileName, &s.HHRegFilePath, &s.HHPopupFile, &s.HHPopupText, &s.HHPopupTextFont,
          &s.HHPopupTextSize, &s.HHVersionText, &s.IEVersionText, &s.HHFriendlyNameText, &s.IEFriendlyNameText}) {
        EXPECT_FALSE(t->has_value());
        EXPECT_EQ(textOrEmpty(*t), u"");
    }
    for (std::int32_t v : {s.Hwnd, s.lpPrevWndFunc, s.HHTopicID, s.HHPopupType, s.HHPopupID, s.HHPopupTextColor,
                           s.HHPopupBackColor, s.HHPopupCustomTextColor, s.HHPopupCustomBackColor})
        EXPECT_EQ(v, 0);
    for (Bool16 b : {s.HHShowOnTop, s.HHRegFileExists, s.HHPopupCustomColors, s.HHPopupTextBold, s.HHPopupTextItalic,
                     s.HHPopupTextUnderline})
        EXPECT_EQ(b, False);
}

TEST(HtmlHelpState, NullAndEmptyTextsStayDistinctAndObjectsAreIndependent)
{
    HtmlHelpState a, b;
    a.HHDefaultURL = u"";
    a.CHMFile = u"Library.chm";
    a.HHShowOnTop = 1;  // Booleans are kept as given, not normalised to -1
    EXPECT_TRUE(a.HHDefaultURL.has_value());
    EXPECT_TRUE(isEmpty(a.HHDefaultURL));
    EXPECT_FALSE(b.HHDefaultURL.has_value());
    EXPECT_EQ(a.HHShowOnTop, 1);
    EXPECT_EQ(textOrEmpty(b.CHMFile), u"");
}
