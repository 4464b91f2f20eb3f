// The name of the component being written, as the Installing page shows it.
#include "wizard/label_text.h"

#include <gtest/gtest.h>

TEST(LabelText, DoublesEveryAmpersandSoTheLabelShowsIt) {
    EXPECT_EQ(LabelText("Fonts & Styles"), "Fonts && Styles");
    EXPECT_EQ(LabelText("&"), "&&");
    EXPECT_EQ(LabelText("&&x&"), "&&&&x&&");
}

TEST(LabelText, LeavesNamesWithoutAmpersandsAlone) {
    EXPECT_EQ(LabelText("Clip library"), "Clip library");
    EXPECT_EQ(LabelText(""), "");
}

TEST(LabelText, ALoneDashGetsABlank) {
    EXPECT_EQ(LabelText("-"), "- ");
    // Only the name that is exactly "-".
    EXPECT_EQ(LabelText("--"), "--");
    EXPECT_EQ(LabelText("- "), "- ");
    EXPECT_EQ(LabelText("a-b"), "a-b");
}
