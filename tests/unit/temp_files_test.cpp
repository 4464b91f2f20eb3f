#include "payload/temp_files.h"

#include "engine_test_support.h"
#include "payload/folders.h"
#include "system/write_access.h"

#include <gtest/gtest.h>

#include <functional>

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

// Each name is a new empty file, made with "create new" under a random
// number: a file planted at a name the program might use is never opened.
TEST(TempFiles, NamesAreNewFilesUnderRandomNumbers) {
    CleanTempFiles();
    const std::string planted = TempFolder() + TempPrefix() + "0.tmp";
    WriteFileBytes(planted, "planted");
    const std::string first = TempFileName(), second = TempFileName();
    EXPECT_NE(first, second);
    for (const std::string& name : {first, second}) {
        const std::string base = TempFolder() + TempPrefix();
        ASSERT_GT(name.size(), base.size() + 4) << name;
        EXPECT_EQ(name.substr(0, base.size()), base);
        EXPECT_EQ(name.substr(name.size() - 4), ".tmp");
        EXPECT_EQ(
            name.substr(base.size(), name.size() - base.size() - 4).find_first_not_of("0123456789"),
            std::string::npos)
            << name;
        EXPECT_TRUE(Exists(name));
        EXPECT_EQ(ReadFileBytes(name), "");
    }
    EXPECT_EQ(ReadFileBytes(planted), "planted");
    CleanTempFiles();
    EXPECT_FALSE(Exists(first));
}

// What a run killed while writing, or while trying whether it may write,
// left: only names of exactly that form go, folders only when empty. The
// next write into the folder removes them, and so does the next try.
TEST(TempFiles, LeftoversAreRemovedAndNothingElse) {
    const std::string folder = FreshFolder("leftover-writes");
    const std::string prefix = WritePrefix();
    EXPECT_EQ(prefix, TempPrefix() + "-");
    const std::vector<std::string> leftovers = {prefix + "0.tmp", prefix + "4294967295.tmp"};
    const std::vector<std::string> others = {prefix + "12a.tmp",     prefix + ".tmp",
                                             prefix + "12.tmp.keep", TempPrefix() + "12.tmp",
                                             "userdicen.tlx",        prefix + "8.tmp\\inside.txt"};
    const std::vector<std::function<void()>> removals = {
        [&] { RemoveLeftoverWrites(folder); },
        [&] { EXPECT_EQ(FolderWriteAccess(folder), TWriteAccess::Allowed); },
        [&] { EXPECT_EQ(FolderWriteAccess(folder + "Missing\\Deeper"), TWriteAccess::Allowed); },
    };
    for (const auto& remove : removals) {
        MakeFolder(folder + prefix + "7.tmp\\");
        MakeFolder(folder + prefix + "8.tmp\\");
        for (const auto& name : leftovers)
            WriteFileBytes(folder + name, "part");
        for (const auto& name : others)
            WriteFileBytes(folder + name, "keep");

        remove();

        for (const auto& name : leftovers)
            EXPECT_FALSE(Exists(folder + name)) << name;
        EXPECT_FALSE(Exists(folder + prefix + "7.tmp"));
        for (const auto& name : others)
            EXPECT_EQ(ReadFileBytes(folder + name), "keep") << name;
        EXPECT_FALSE(Exists(folder + "Missing"));
    }
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
