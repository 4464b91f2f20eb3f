// The whole sample product installed the way the wizard does it: plan,
// install thread, update log and installation log, into a fresh folder and
// fresh data folders of the test prefix.
#include "base/locale_text.h"
#include "base/path_exists.h"
#include "base/paths.h"
#include "engine/install_thread.h"
#include "engine_test_support.h"
#include "payload/components.h"
#include "payload/file_time.h"
#include "payload/install_log.h"
#include "payload/text_lines.h"
#include "payload/update_log_merge.h"
#include "system/data_folders.h"
#include "system/install_plan.h"
#include "wizard/message_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

using namespace enginetest;

namespace {
struct TItem {
    uint64_t Size, Written;
    bool operator==(const TItem& o) const { return Size == o.Size && Written == o.Written; }
};
using TSnapshot = std::map<std::string, TItem>; // upper-cased path -> item

void Collect(const std::string& folder, TSnapshot& out) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + name;
        out[UpperCaseText(path)] = {uint64_t(found.nFileSizeHigh) << 32 | found.nFileSizeLow,
                                    uint64_t(found.ftLastWriteTime.dwHighDateTime) << 32 |
                                        found.ftLastWriteTime.dwLowDateTime};
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            Collect(path + "\\", out);
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

TSnapshot Snapshot(const std::vector<std::string>& roots) {
    TSnapshot s;
    for (const auto& r : roots)
        Collect(r, s);
    return s;
}

// Every path that was added, removed or changed.
std::set<std::string> Changes(const TSnapshot& before, const TSnapshot& after) {
    std::set<std::string> changed;
    for (const auto& [path, item] : after) {
        auto it = before.find(path);
        if (it == before.end() || !(it->second == item)) changed.insert(path);
    }
    for (const auto& entry : before)
        if (!after.count(entry.first)) changed.insert(entry.first);
    return changed;
}

// The path and every folder above it, upper-cased.
void AddWithFolders(const std::string& path, std::set<std::string>& out) {
    std::string p = UpperCaseText(path);
    while (!p.empty() && p.back() == '\\')
        p.pop_back();
    while (p.size() > 3) {
        out.insert(p);
        const size_t cut = p.find_last_of('\\');
        if (cut == std::string::npos) break;
        p.resize(cut);
    }
}

class FullInstall : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEngineState();
        RemoveDataFolders();
        Area = FreshFolder("full");
        Dest = Area + "Quorvale Word Processor";
        // The payload of the product build, packed from the sample product.
        const std::string payload = ReadFileBytes(JoinPath(QV_BIN_DIR, "..\\payload\\payload.bin"));
        ASSERT_FALSE(payload.empty());
        std::string error;
        ASSERT_TRUE(Files.LoadFromBytes(reinterpret_cast<const uint8_t*>(payload.data()),
                                        uint32_t(payload.size()), error))
            << error;
    }
    void TearDown() override {
        ResetEngineState();
        RemoveDataFolders();
    }

    // What the wizard does from the Installing page to the end of the run.
    double Install() {
        StartInstallLog(JoinPath(Dest, "Install.log"));
        const double stamp = BuildInstallPlan(Files, {ForEveryone(Dest), 0x3F, 2147483647});
        BeginInstallRun();
        TInstallThread thread(Files);
        thread.Start();
        EXPECT_EQ(PlayWizard([](const std::string& message) {
                      ADD_FAILURE() << message;
                      return mrAbort;
                  }),
                  TInstallState::Done);
        thread.WaitFor();
        EXPECT_EQ(InstallStatus.Progress.load(), Files.TotalInstallSize());
        if (!Files.PublicFiles.empty()) {
            std::string error;
            EXPECT_TRUE(WriteUpdateLog(DataFolder(TDataFolderKind::Base, ForEveryone(Dest)), stamp,
                                       Files.PublicFiles, error))
                << error;
        }
        SaveInstallLog();
        return stamp;
    }

    TAttachedFiles Files;
    std::string Area, Dest;
};
} // namespace

TEST_F(FullInstall, EveryPlannedFileLandsWithItsStampAndNothingElseIsWritten) {
    const TSnapshot before = Snapshot({"C:\\", Area});
    const double stamp = Install();
    const TSnapshot after = Snapshot({"C:\\", Area});

    std::set<std::string> allowed;
    size_t copies = 0;
    for (int k = 0; k < ComponentCount; ++k) {
        for (const TFileToInstall& copy : Files.InstallLists[k]) {
            ++copies;
            SCOPED_TRACE(copy.Target);
            const std::string bytes(reinterpret_cast<const char*>(Files.Data(*copy.Source)),
                                    size_t(copy.Source->Size));
            EXPECT_EQ(ReadFileBytes(copy.Target), bytes);
            EXPECT_EQ(FileDate(copy.Target), copy.Source->Date);
            const bool logged = std::count(InstallLog->begin(), InstallLog->end(),
                                           "File Copy: " + copy.Target) == 1;
            EXPECT_EQ(logged, copy.Logged);
            AddWithFolders(copy.Target, allowed);
        }
    }
    EXPECT_GE(copies, 2u); // at least the word processor and its licence
    EXPECT_TRUE(FileExists(JoinPath(Dest, "kel.exe")));

    // The installation log: folders and files of the logged copies, saved
    // with CR LF.
    const auto madeDest =
        std::find(InstallLog->begin(), InstallLog->end(), "Made Dir: " + Dest + "\\");
    const auto firstCopy =
        std::find_if(InstallLog->begin(), InstallLog->end(),
                     [](const std::string& l) { return l.rfind("File Copy: ", 0) == 0; });
    EXPECT_TRUE(madeDest < firstCopy);
    EXPECT_EQ(ReadFileBytes(JoinPath(Dest, "Install.log")), JoinLines(*InstallLog));
    AddWithFolders(JoinPath(Dest, "Install.log"), allowed);

    const std::string hidden = DataFolder(TDataFolderKind::Hidden, ForEveryone(Dest));
    const std::string stampBytes = ReadFileBytes(hidden + "install_stamp");
    ASSERT_EQ(stampBytes.size(), 8u);
    EXPECT_EQ(std::memcmp(stampBytes.data(), &stamp, 8), 0);
    AddWithFolders(hidden + "install_stamp", allowed);

    const std::string updateLog =
        DataFolder(TDataFolderKind::Base, ForEveryone(Dest)) + "Update.log";
    if (Files.PublicFiles.empty()) {
        EXPECT_FALSE(Exists(updateLog));
    } else {
        std::vector<std::string> expected{UpdateLogHeader(stamp)};
        expected.insert(expected.end(), Files.PublicFiles.begin(), Files.PublicFiles.end());
        EXPECT_EQ(ReadFileBytes(updateLog), JoinLines(expected));
        AddWithFolders(updateLog, allowed);
    }

    // The data folders are made while planning, also for rows the product
    // has no files for.
    for (auto kind : {TDataFolderKind::Base, TDataFolderKind::Hidden, TDataFolderKind::Public,
                      TDataFolderKind::Spellcheck})
        AddWithFolders(DataFolder(kind, ForEveryone(Dest)), allowed);
    for (const std::string& path : Changes(before, after))
        EXPECT_TRUE(allowed.count(path)) << "written outside the plan: " << path;
}

TEST_F(FullInstall, SecondIdenticalInstallationKeepsTheLogsTidy) {
    Install();
    const std::string installLog = ReadFileBytes(JoinPath(Dest, "Install.log"));
    ResetEngineState();
    const double stamp = Install();

    EXPECT_EQ(ReadFileBytes(JoinPath(Dest, "Install.log")), installLog);
    const std::string updateLog =
        ReadFileBytes(DataFolder(TDataFolderKind::Base, ForEveryone(Dest)) + "Update.log");
    if (!Files.PublicFiles.empty()) {
        const std::vector<std::string> lines = SplitLines(updateLog);
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l[0] == '*'; }),
                  1);
        EXPECT_EQ(lines.front(), UpdateLogHeader(stamp));
    }
}
