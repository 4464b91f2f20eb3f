#include "system/destination_protection.h"

#include "base/locale_text.h"
#include "base/path_exists.h"
#include "base/paths.h"
#include "base/shell_folders.h"
#include "base/utf8_text.h"
#include "payload/diagnostic_log.h"
#include "payload/folders.h"
#include "system/folder_protection.h"

#include <windows.h>

#include <shlobj.h>

#include <utility>

namespace {
// Whether `path` is `folder` or lies below it, letter case aside.
bool IsWithin(const std::string& path, const std::string& folder) {
    const std::string root = WithoutBackslash(folder);
    if (root.empty() || path.size() < root.size()) return false;
    if (!SameName(path.substr(0, root.size()), root)) return false;
    return path.size() == root.size() || path[root.size()] == '\\';
}

// A folder on a share: who owns it there says nothing about this machine's
// administrators, and the share's own rights decide who may change it.
bool OnNetwork(const std::string& destDir) {
    const std::string drive = DrivePart(destDir);
    return drive.size() > 2 || GetDriveTypeW(WideText(drive + "\\").c_str()) == DRIVE_REMOTE;
}

bool IsEmptyFolder(const TOpenItem& folder) {
    std::vector<TListedItem> items;
    return ListOpenFolder(folder, items) && items.empty();
}

// Why someone else can change the existing folder, or empty.
std::string OthersMayChange(const std::string& folder) {
    if (UsersMayWrite(folder)) return "can be changed by users who are no administrators";
    if (!OnNetwork(folder) && !OwnedByAdministrators(folder))
        return "belongs to someone who is no administrator";
    return std::string();
}
} // namespace

bool HasProtectionOfItsOwn(const std::string& destDir) {
    std::vector<std::string> places = {SpecialFolder(CSIDL_PROGRAM_FILES),
                                       SpecialFolder(CSIDL_PROGRAM_FILESX86),
                                       SpecialFolder(CSIDL_PROFILE)};
    wchar_t native[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"ProgramW6432", native, MAX_PATH);
    if (length && length < MAX_PATH) places.push_back(Utf8Text(native, length));
    for (const std::string& place : places)
        if (IsWithin(destDir, place)) return true;
    return false;
}

std::string DestinationProtectionRefusal(const std::string& destDir, TInstallScope) {
    const std::string folder = WithoutBackslash(destDir);
    if (HasProtectionOfItsOwn(folder) || !FolderExists(folder)) return std::string();
    const std::string why = OthersMayChange(folder);
    if (why.empty() || IsEmptyFolder(OpenItem(folder, kEnterAccess, HasReparsePoint)))
        return std::string();
    // Someone who may change the folder could swap the word processor for a
    // program of their own before the setup program starts it.
    return "The folder \"" + folder + "\" " + why +
           ", and it is not empty.\r\rSetup installs only into a folder that nobody else can "
           "change. Please choose another folder, or an empty one.";
}

// From the root of the drive or share down, each folder inside the one
// held before it: a link on the way is never followed, except a volume
// mounted in a folder (only administrators mount one), which is held
// itself while the chain goes on from the volume's root. In the system's
// own protected places (or on a stick) the chain ends where the folders do
// not exist yet, or at a link the system put there. Gives the item where
// the chain ended short of the destination (a link, or one that cannot be
// opened: no handle), or an empty item once the destination is held.
TOpenItem TDestinationHold::HoldChain(const std::string& dest, bool guarded) {
    Chain_.clear();
    const std::string drive = DrivePart(dest);
    TOpenItem item = OpenItem(drive + "\\", kEnterAccess, HasReparsePoint);
    for (size_t at = drive.size() + 1;;) {
        if (guarded && item.Link) {
            const bool last = SameName(item.Path, dest);
            TOpenItem volume = OpenMountedVolume(
                item, kEnterAccess | (last ? WRITE_DAC | WRITE_OWNER : 0), HasReparsePoint);
            if (volume.IsFolder()) {
                Diagnose("Destination: " + item.Path + " is a volume mounted in a folder");
                Chain_.push_back(std::move(item));
                item = std::move(volume);
            }
        }
        if (!item.IsFolder()) return item;
        Chain_.push_back(std::move(item));
        if (at > dest.size()) return TOpenItem{};
        size_t end = dest.find('\\', at);
        if (end == std::string::npos) end = dest.size();
        const bool last = end == dest.size();
        item = OpenItemIn(Chain_.back(), dest.substr(at, end - at),
                          kEnterAccess | (last && guarded ? WRITE_DAC | WRITE_OWNER : 0),
                          HasReparsePoint);
        if (!item.Handle) item.Path = dest.substr(0, end);
        at = end + 1;
    }
}

TDestinationHold::TDestinationHold(const TInstallTarget& target) {
    const std::string dest = WithoutBackslash(target.DestDir);
    const bool guarded = !target.Portable && !HasProtectionOfItsOwn(dest);
    const bool forEveryone = target.Scope == TInstallScope::ForEveryone;
    TProtection chosen(forEveryone ? TProtectionKind::ForEveryone : TProtectionKind::ForMe);
    SECURITY_ATTRIBUTES* protection = chosen.Attributes();
    TOpenItem item = HoldChain(dest, guarded);
    // A missing destination is made while the folders above it are held,
    // and only when none of them is a link: nothing is made through one.
    if (guarded && !item.Handle && !item.Link && !FolderExists(dest)) {
        MakeFolder(JoinPath(dest, ""), protection);
        Diagnose("Destination: created " +
                 std::string(!protection ? "without protection of its own (the system cannot "
                                           "set it)"
                             : forEveryone
                                 ? "for administrators to change and users to read and run"
                                 : "for this user and administrators alone"));
        item = HoldChain(dest, guarded);
    }
    if (guarded && (Chain_.empty() || !SameName(Chain_.back().Path, dest))) {
        Failure_ = "The folder \"" + (item.Path.empty() ? dest : item.Path) +
                   "\" on the way to the destination " +
                   (item.Link ? "is a link" : "cannot be opened") +
                   ": setup cannot make sure that what it installs stays in place.";
        return;
    }
    if (!guarded || OthersMayChange(dest).empty()) return;
    // An existing empty folder that others could change (a drive's root
    // lets every user change what is made below it): it gets the
    // protection a new one would have, and must still be empty after.
    const TOpenItem& folder = Chain_.back();
    bool taken = protection && ProtectOpenItem(folder.Handle.Get(), *protection);
    if (taken && forEveryone && !OwnedByAdministrators(dest)) {
        TTakingBack rights;
        taken = TakeBack(folder.Handle.Get(), chosen);
    }
    if (!taken || !IsEmptyFolder(folder) || !OthersMayChange(dest).empty()) {
        Failure_ = "Setup cannot take the folder \"" + dest +
                   "\" over for the installation: someone else can still change it.";
        return;
    }
    Diagnose("Destination: " + dest + " taken over, empty, with the protection of a new one");
}
