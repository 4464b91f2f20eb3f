#include "engine_test_support.h"

#include "base/locale_text.h"
#include "base/folder_items.h"
#include "base/paths.h"
#include "base/shell_folders.h"
#include "engine/ask_user.h"
#include "payload/day_count.h"
#include "payload/folders.h"
#include "payload/install_log.h"
#include "system/data_folders.h"
#include "wizard/message_dialog.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <zlib.h>

namespace enginetest {

namespace {
// Shell folders bound and this thread recorded as the main one, as WinMain does.
class TStartUp : public ::testing::Environment {
  public:
    void SetUp() override {
        InitShellFolders();
        RecordMainThread(MessageDialog);
    }
    void TearDown() override { DoneShellFolders(); }
};
::testing::Environment* const StartUp = ::testing::AddGlobalTestEnvironment(new TStartUp);
} // namespace

std::string FreshFolder(const std::string& name) {
    const std::string folder = JoinPath(JoinPath(QV_OUT_DIR, "engine"), name) + "\\";
    DeleteFolderTree(folder);
    std::unique_ptr<std::vector<std::string>> log = std::move(InstallLog);
    MakeFolder(folder);
    InstallLog = std::move(log);
    return folder;
}

void RemoveDataFolders() {
    DeleteFolderTree(JoinPath(SpecialFolder(CSIDL_COMMON_APPDATA), "Quorvale"));
    DeleteFolderTree(JoinPath(SpecialFolder(CSIDL_PERSONAL), "Quorvale"));
}

TInstallTarget ForEveryone(const std::string& dest) {
    return {dest, IsPortable(dest), TInstallScope::ForEveryone};
}

std::vector<std::string> PlannedTargets(const TAttachedFiles& catalogue, int component) {
    std::vector<std::string> targets;
    for (const auto& c : catalogue.InstallLists[component])
        targets.push_back(c.Target);
    return targets;
}

void LoadCatalogue(TAttachedFiles& catalogue, const std::vector<TEntrySpec>& entries) {
    std::vector<uint8_t> raw;
    for (const auto& e : entries)
        payload::AppendEntry(raw, e.Name, e.Date, reinterpret_cast<const uint8_t*>(e.Bytes.data()),
                             uint32_t(e.Bytes.size()));
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    ASSERT_EQ(compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 9), Z_OK);
    std::string error;
    ASSERT_TRUE(catalogue.LoadFromBytes(packed.data(), uint32_t(packedSize), error)) << error;
}

double Stamp(int year, int month, int day, int hour, int minute, int second) {
    TCivilTime t;
    t.Year = year;
    t.Month = month;
    t.Day = day;
    t.Hour = hour;
    t.Minute = minute;
    t.Second = second;
    return EncodeDayCount(t);
}

void SetLocalWriteTime(const std::string& path, int year, int month, int day, int hour, int minute,
                       int second) {
    SYSTEMTIME st{};
    st.wYear = WORD(year);
    st.wMonth = WORD(month);
    st.wDay = WORD(day);
    st.wHour = WORD(hour);
    st.wMinute = WORD(minute);
    st.wSecond = WORD(second);
    FILETIME local, utc;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &local));
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &utc));
    CloseHandle(file);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(file, &bytes[0], DWORD(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> LogLines() {
    return InstallLog ? *InstallLog : std::vector<std::string>();
}

TLockedFile::TLockedFile(const std::string& path)
    : Handle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr)) {
    EXPECT_NE(Handle, INVALID_HANDLE_VALUE) << path;
}

void TLockedFile::Release() {
    if (Handle != INVALID_HANDLE_VALUE) CloseHandle(Handle);
    Handle = INVALID_HANDLE_VALUE;
}

TInstallState PlayWizard(const std::function<int(const std::string& message)>& answer) {
    for (int tick = 0; tick < 6000; ++tick) {
        const TInstallState s = InstallState();
        if (s == TInstallState::Question && TakeQuestion()) {
            AnswerQuestion(answer(InstallStatus.Message));
        } else if (s == TInstallState::Done) {
            EndInstallRun();
            return TInstallState::Done;
        } else if (s == TInstallState::Failed) {
            return TInstallState::Failed;
        }
        Sleep(10);
    }
    return TInstallState::Running;
}

bool WaitForState(TInstallState state) {
    for (int tick = 0; tick < 6000; ++tick) {
        if (InstallState() == state) return true;
        Sleep(10);
    }
    return false;
}

void ResetEngineState() {
    InstallLog.reset();
    InstallLogPath.clear();
    LogSuppression = 0;
    // Straight to the record: no verb of either side goes back to Idle from
    // any state, and a test may leave any.
    BeginInstallRun();
    InstallStatus.State.store(TInstallState::Idle);
    InstallStatus.Message.clear();
    InstallStatus.Kind = 0;
    InstallStatus.Buttons = 0;
    InstallStatus.Answer = 0;
}

TWorker::TWorker(std::function<void()> work)
    : Work_(std::move(work)), Handle_(CreateThread(nullptr, 0, Main, this, 0, nullptr)) {}

DWORD WINAPI TWorker::Main(void* self) {
    static_cast<TWorker*>(self)->Work_();
    return 0;
}

void TWorker::Join() {
    if (!Handle_) return;
    WaitForSingleObject(Handle_, INFINITE);
    CloseHandle(Handle_);
    Handle_ = nullptr;
}

std::string PlayedLink;
bool IsPlayedLink(const std::string& path, uint32_t, uint32_t) {
    return SameName(WithoutBackslash(path), WithoutBackslash(PlayedLink));
}

} // namespace enginetest
