// Helpers shared by the tests of the install engine: real folders under the
// build tree, payloads built in memory, and a stand-in for the wizard's
// side of the install thread's handshake.
#pragma once

#include "engine/install_status.h"
#include "payload/catalogue.h"
#include "system/install_target.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace enginetest {

// A fresh, empty folder QV_OUT_DIR\engine\<name>\ (with trailing backslash).
std::string FreshFolder(const std::string& name);
// C:\ProgramData\Quorvale and Documents\Quorvale of the test prefix, removed.
void RemoveDataFolders();

struct TEntrySpec {
    std::string Name;
    std::string Bytes;
    double Date;
};
// Loads the catalogue from a payload made of these entries, in this order.
void LoadCatalogue(TAttachedFiles& catalogue, const std::vector<TEntrySpec>& entries);
// An installation for everyone into `dest`, portable as its drive is.
TInstallTarget ForEveryone(const std::string& dest);
// The targets planned so far for one component, in plan order.
std::vector<std::string> PlannedTargets(const TAttachedFiles& catalogue, int component);

// A day count of a local date and time.
double Stamp(int year, int month, int day, int hour, int minute, int second);
// Gives a file a local last-write time to the second (beyond the DOS format).
void SetLocalWriteTime(const std::string& path, int year, int month, int day, int hour, int minute,
                       int second);

void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
bool Exists(const std::string& path);
std::vector<std::string> LogLines(); // a copy of InstallLog, empty when null

// Wine cannot make junctions or symbolic links: the test for links is
// played by a stand-in that takes the one item named here for a link.
extern std::string PlayedLink;
bool IsPlayedLink(const std::string& path, uint32_t attributes, uint32_t reparseTag);

// Opens a file with no sharing at all, as another program that has it open.
struct TLockedFile {
    explicit TLockedFile(const std::string& path);
    ~TLockedFile() { Release(); }
    void Release();
    HANDLE Handle;
};

// Plays the wizard's timer until the run ends: takes each question of the
// thread, hands it to `answer` and gives the answer back. Returns the final
// state (Done, which it turns into Idle, or Failed), or Running when the
// run did not end within a minute.
TInstallState PlayWizard(const std::function<int(const std::string& message)>& answer);
// Waits (polling like the wizard) until the state is `state`; false after a minute.
bool WaitForState(TInstallState state);

// Resets the process-wide state the tests share: log, suppression, status.
void ResetEngineState();

// Runs a function on a thread other than the main one.
class TWorker {
  public:
    explicit TWorker(std::function<void()> work);
    ~TWorker() { Join(); }
    void Join();
    HANDLE Handle() const { return Handle_; }

  private:
    static DWORD WINAPI Main(void* self);
    std::function<void()> Work_;
    HANDLE Handle_;
};

} // namespace enginetest
