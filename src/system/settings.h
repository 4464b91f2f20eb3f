// The user's choices saved between runs, under the current user:
// "Software\Quorvale Word Processor\Install" (written after an installation
// was started) and "...\Internal" (read only: the word processor records
// the version that last ran there).
#pragma once

#include "payload/components.h"

#include <cstdint>
#include <string>

class TRegistry;

inline constexpr char kInstallKey[] = "Software\\Quorvale Word Processor\\Install";
inline constexpr char kInternalKey[] = "Software\\Quorvale Word Processor\\Internal";
// Every component ticked: bits 0 to 30.
constexpr uint32_t kAllComponents = 2147483647u;
// No last-run version saved: above every version threshold.
constexpr int32_t kNoLastRunVersion = 2147483647;

// What an earlier run left, with the defaults for what it did not; what
// this run saves.
struct TSavedSettings {
    std::string MainDir;                  // "MAINDIR"; empty when missing
    uint32_t Components = kAllComponents; // bit i = component i
    bool InstallToAll = true;
    bool DesktopShortcut = true;
    std::string Extensions = "B"; // letters "A" to "D" of the document types
    bool Launch = true;
    int32_t LastRunVersion = kNoLastRunVersion; // read only: the word processor's
};

// "Quorvale" under the Program Files folder: the destination of a first
// run, and of a run whose saved folder is gone.
std::string DefaultDestination();
// The saved folder while it exists, else the default destination; for a
// user who may not write there, the per-user programs folder instead.
std::string OfferedDestination(const std::string& mainDir);

// Reads both keys, creating them when missing, as every open does; with
// `createKeys` false they are only read (a run that may change nothing).
TSavedSettings LoadSettings(bool createKeys = true);
// Creates both keys where they are missing, as reading them would have.
void CreateSettingsKeys();

// The component set to save: the bits of the components from `chosen`, the
// rest as loaded.
uint32_t ComponentsToSave(uint32_t loaded, TComponentSet chosen);

// Writes the Install key through `registry` (left open on it): everything
// but the last-run version, which is the word processor's.
void SaveSettings(TRegistry& registry, const TSavedSettings& settings);
