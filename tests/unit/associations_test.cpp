// The document types and the command lines handed to the word processor.
#include "system/associations.h"

#include <gtest/gtest.h>

TEST(Associations, SavedLettersTickBoxesWhereverTheyStand) {
    EXPECT_TRUE(DocumentTypeChosen("B", 1));
    EXPECT_FALSE(DocumentTypeChosen("B", 0));
    // "DB": boxes 2 and 4 ticked, rewritten in order as "BD".
    bool boxes[4];
    for (int i = 0; i < 4; ++i)
        boxes[i] = DocumentTypeChosen("DB", i);
    EXPECT_FALSE(boxes[0]);
    EXPECT_TRUE(boxes[1]);
    EXPECT_FALSE(boxes[2]);
    EXPECT_TRUE(boxes[3]);
    EXPECT_EQ(ExtensionsFromBoxes(boxes), "BD");
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(DocumentTypeChosen("", i));
    EXPECT_TRUE(DocumentTypeChosen("AAD", 3));
    EXPECT_FALSE(DocumentTypeChosen("abcd", 0)); // letters are upper case
}

TEST(Associations, ArgumentsListTheChosenSuffixesInOrder) {
    const bool none[4] = {};
    EXPECT_EQ(AssociationArguments(none), "-assoc adpr");
    EXPECT_EQ(ExtensionsFromBoxes(none), "");
    const bool all[4] = {true, true, true, true};
    EXPECT_EQ(AssociationArguments(all), "-assoc adpr_rtf_cod_doc_docx");
    EXPECT_EQ(ExtensionsFromBoxes(all), "ABCD");
    const bool rtfAndDoc[4] = {true, false, true, false};
    EXPECT_EQ(QuotedCommandLine("C:\\Apps\\Quorvale\\kel.exe", AssociationArguments(rtfAndDoc)),
              "\"C:\\Apps\\Quorvale\\kel.exe\" -assoc adpr_rtf_doc");
}

TEST(Associations, LaunchCommandIsTheQuotedPathAlone) {
    EXPECT_EQ(QuotedCommandLine("D:\\My Apps\\kel.exe", ""), "\"D:\\My Apps\\kel.exe\"");
}
