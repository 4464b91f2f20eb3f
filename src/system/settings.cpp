#include "system/settings.h"

#include "base/path_exists.h"
#include "base/paths.h"
#include "base/shell_folders.h"
#include "base/utf8_text.h"
#include "system/registry.h"
#include "system/write_access.h"

#include <shlobj.h>

std::string DefaultDestination() {
    std::string programs = SpecialFolder(CSIDL_PROGRAM_FILES);
    if (programs.empty()) {
        // The shell could not tell: the usual place on the system's drive,
        // rather than a folder relative to wherever the setup was started.
        wchar_t windows[MAX_PATH + 1] = L"C:";
        GetWindowsDirectoryW(windows, MAX_PATH);
        programs = Utf8Text(windows, 2) + "\\Program Files";
    }
    return JoinPath(programs, "Quorvale");
}

std::string OfferedDestination(const std::string& mainDir) {
    if (!mainDir.empty() && FolderExists(mainDir)) return mainDir;
    const std::string programs = DefaultDestination();
    // A user without the right to write under Program Files is offered a
    // folder of their own rather than one that fails at the first file.
    if (FolderWriteAccess(programs) == TWriteAccess::Denied) {
        const std::string own = PerUserDestination();
        if (!own.empty()) return own;
    }
    return programs;
}

TSavedSettings LoadSettings(bool createKeys) {
    TSavedSettings s;
    TRegistry registry;
    registry.OpenKey(kInstallKey, createKeys);
    registry.ReadString("MAINDIR", s.MainDir);
    int32_t number;
    if (registry.ReadInteger("COMPS (1.6.6.2)", number)) s.Components = uint32_t(number);
    if (registry.ReadInteger("INSTALLTOALL", number)) s.InstallToAll = number != 0;
    if (registry.ReadInteger("DSKSHORTCUT", number)) s.DesktopShortcut = number != 0;
    registry.ReadString("EXTENSIONS", s.Extensions);
    if (registry.ReadInteger("LAUNCH", number)) s.Launch = number != 0;
    registry.OpenKey(kInternalKey, createKeys);
    registry.ReadInteger("LastRunVer", s.LastRunVersion);
    return s;
}

void CreateSettingsKeys() {
    TRegistry registry;
    registry.OpenKey(kInstallKey);
    registry.OpenKey(kInternalKey);
}

uint32_t ComponentsToSave(uint32_t loaded, TComponentSet chosen) {
    TComponentSet bits(loaded);
    for (int component = 0; component < ComponentCount; ++component)
        bits.Set(component, chosen.Has(component));
    return bits.Bits();
}

void SaveSettings(TRegistry& registry, const TSavedSettings& settings) {
    registry.SetRootKey(HKEY_CURRENT_USER);
    registry.OpenKey(kInstallKey);
    registry.WriteString("MAINDIR", settings.MainDir);
    registry.WriteInteger("COMPS (1.6.6.2)", int32_t(settings.Components));
    registry.WriteBool("INSTALLTOALL", settings.InstallToAll);
    registry.WriteBool("DSKSHORTCUT", settings.DesktopShortcut);
    registry.WriteString("EXTENSIONS", settings.Extensions);
    registry.WriteBool("LAUNCH", settings.Launch);
}
