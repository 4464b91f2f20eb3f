#include "payload/temp_files.h"

#include "engine_test_support.h"
#include "payload/folders.h"

#include <gtest/gtest.h>

using namespace enginetest;

TEST(TempFiles, PrefixIsTildeAndTheTitlesLetters) {
    EXPECT_EQ(TempPrefix(), "~QuorvaleWordProcessorSetup");
}

TEST(TempFiles, FolderIsTheSystemsTemporaryFolder) {
    char buffer[MAX_PATH + 1];
    const std::string system(buffer, GetTempPathA(sizeof buffer, buffer));
    EXPECT_EQ(TempFolder(), system);
    EXPECT_EQ(TempFolder().back(), '\\');
}

TEST(TempFiles, NameSkipsLeftoversAndIsNotCreated) {
    CleanTempFiles();
    const std::string first = TempFileName();
    EXPECT_EQ(first, TempFolder() + TempPrefix() + "0.tmp");
    EXPECT_FALSE(Exists(first));
    WriteFileBytes(first, "leftover");
    CreateDirectoryA((TempFolder() + TempPrefix() + "1.tmp").c_str(), nullptr);
    EXPECT_EQ(TempFileName(), TempFolder() + TempPrefix() + "2.tmp");
    CleanTempFiles();
    EXPECT_FALSE(Exists(first));
}

TEST(TempFiles, CleaningRemovesPrefixedFilesAndFoldersButNotOtherCase) {
    const std::string folder = TempFolder();
    WriteFileBytes(folder + TempPrefix() + "7.tmp", "x");
    MakeFolder(folder + TempPrefix() + "Dir\\Inner\\");
    WriteFileBytes(folder + TempPrefix() + "Dir\\Inner\\y.txt", "y");
    const std::string otherCase = folder + "~quorvalewordprocessorsetup3.tmp";
    WriteFileBytes(otherCase, "z");

    {
        TAttachedFiles catalogue; // its end removes the leftovers
    }

    EXPECT_FALSE(Exists(folder + TempPrefix() + "7.tmp"));
    EXPECT_FALSE(Exists(folder + TempPrefix() + "Dir"));
    EXPECT_TRUE(Exists(otherCase));
    DeleteFileA(otherCase.c_str());
}
