#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "htmlhelp/MessageBoxes.h"

namespace morvel::htmlhelp {
namespace {

TEST(MessageBoxesTest, CaptionStyleTextAndTheButtonPressed)
{
    FakePlatform fake;
    MessageBoxes boxes{fake};
    fake.messageBoxResult = 1;
    EXPECT_EQ(boxes.ShowInstallMessage(u"install"), 1);
    EXPECT_EQ(boxes.ShowUsageMessage(u"usage \u0101"), 1);
    fake.messageBoxResult = -1;  // no display: the platform's answer goes back unchanged
    EXPECT_EQ(boxes.ShowRegisterMessage(u"register"), -1);

    ASSERT_EQ(fake.messageBoxes.size(), 3u);
    EXPECT_EQ(fake.messageBoxes[0].style, 16u);
    EXPECT_EQ(fake.messageBoxes[1].style, 16u);
    EXPECT_EQ(fake.messageBoxes[2].style, 64u);
    for (const auto& box : fake.messageBoxes) EXPECT_EQ(box.caption, "Corvane! Error");
    EXPECT_EQ(fake.messageBoxes[0].text, "install");
    EXPECT_EQ(fake.messageBoxes[1].text, std::u16string(u"usage \u0101"));  // the wide entry point
}

}  // namespace
}  // namespace morvel::htmlhelp
