// The document types and the command lines handed to the word processor.
#include "system/associations.h"

#include <gtest/gtest.h>

TEST(Associations, SavedLettersTickBoxesWhereverTheyStand) {
    EXPECT_TRUE(TDocumentTypes::FromLetters("B").Has(1));
    EXPECT_FALSE(TDocumentTypes::FromLetters("B").Has(0));
    // "DB": boxes 2 and 4 ticked, rewritten in order as "BD".
    const TDocumentTypes boxes = TDocumentTypes::FromLetters("DB");
    EXPECT_FALSE(boxes.Has(0));
    EXPECT_TRUE(boxes.Has(1));
    EXPECT_FALSE(boxes.Has(2));
    EXPECT_TRUE(boxes.Has(3));
    EXPECT_EQ(boxes.Letters(), "BD");
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(TDocumentTypes::FromLetters("").Has(i));
    EXPECT_TRUE(TDocumentTypes::FromLetters("AAD").Has(3));
    EXPECT_FALSE(TDocumentTypes::FromLetters("abcd").Has(0)); // letters are upper case
}

TEST(Associations, ArgumentsListTheChosenSuffixesInOrder) {
    const TDocumentTypes none;
    EXPECT_EQ(AssociationArguments(none), "-assoc adpr");
    EXPECT_EQ(none.Letters(), "");
    const TDocumentTypes all = TDocumentTypes::FromLetters("ABCD");
    EXPECT_EQ(AssociationArguments(all), "-assoc adpr_rtf_cod_doc_docx");
    EXPECT_EQ(all.Letters(), "ABCD");
    const TDocumentTypes rtfAndDoc = TDocumentTypes::FromLetters("AC");
    EXPECT_EQ(QuotedCommandLine("C:\\Apps\\Quorvale\\kel.exe", AssociationArguments(rtfAndDoc)),
              "\"C:\\Apps\\Quorvale\\kel.exe\" -assoc adpr_rtf_doc");
}

TEST(Associations, LaunchCommandIsTheQuotedPathAlone) {
    EXPECT_EQ(QuotedCommandLine("D:\\My Apps\\kel.exe", ""), "\"D:\\My Apps\\kel.exe\"");
}
