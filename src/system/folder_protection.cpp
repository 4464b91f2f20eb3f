#include "system/folder_protection.h"

#include "base/run_time_functions.h"
#include "base/scoped_win.h"
#include "base/utf8_text.h"
#include "system/user_rights.h"

#include <cstring>
#include <vector>

namespace {
// Well-known SIDs, spelled out: S-1-5-32-544 (Administrators), S-1-5-18
// (SYSTEM), S-1-5-32-545 (Users), S-1-1-0 (Everyone), S-1-5-11
// (Authenticated Users), S-1-5-4 (Interactive).
struct TWellKnownSid {
    BYTE Revision = 1;
    BYTE SubAuthorityCount;
    BYTE Authority[6];
    DWORD SubAuthority[2];
};
constexpr TWellKnownSid kAdministrators{1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}};
constexpr TWellKnownSid kSystem{1, 1, {0, 0, 0, 0, 0, 5}, {18, 0}};
constexpr TWellKnownSid kUsers{1, 2, {0, 0, 0, 0, 0, 5}, {32, 545}};
constexpr TWellKnownSid kEveryone{1, 1, {0, 0, 0, 0, 0, 1}, {0, 0}};
constexpr TWellKnownSid kAuthenticatedUsers{1, 1, {0, 0, 0, 0, 0, 5}, {11, 0}};
constexpr TWellKnownSid kInteractive{1, 1, {0, 0, 0, 0, 0, 5}, {4, 0}};
// The system's installer service, which owns much of the system's own
// folders: S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464.
struct TServiceSid {
    BYTE Revision = 1;
    BYTE SubAuthorityCount = 6;
    BYTE Authority[6] = {0, 0, 0, 0, 0, 5};
    DWORD SubAuthority[6] = {80, 956008885, 3418522649, 1831038044, 1853292631, 2271478464};
};
constexpr TServiceSid kInstallerService{};

DWORD SidLength(const TWellKnownSid& sid) {
    return 8 + 4 * DWORD(sid.SubAuthorityCount);
}

// `a` is `size` bytes of a SID inside an entry.
bool SameSid(const void* a, size_t size, const TWellKnownSid& b) {
    const auto* bytes = static_cast<const BYTE*>(a);
    return size >= SidLength(b) && bytes[1] == b.SubAuthorityCount &&
           std::memcmp(a, &b, SidLength(b)) == 0;
}

// One allowed entry, inherited by folders and files below; `sid` is
// `sidLength` bytes.
void AddAllowed(unsigned char* acl, DWORD size, DWORD mask, const void* sid, DWORD sidLength) {
    auto* header = reinterpret_cast<ACL*>(acl);
    const DWORD length = DWORD(sizeof(ACE_HEADER) + sizeof(DWORD)) + sidLength;
    if (header->AclSize + length > size) return;
    unsigned char* at = acl + header->AclSize;
    auto* ace = reinterpret_cast<ACE_HEADER*>(at);
    ace->AceType = ACCESS_ALLOWED_ACE_TYPE;
    ace->AceFlags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    ace->AceSize = WORD(length);
    std::memcpy(at + sizeof(ACE_HEADER), &mask, sizeof mask);
    std::memcpy(at + sizeof(ACE_HEADER) + sizeof mask, sid, sidLength);
    header->AclSize = WORD(header->AclSize + length);
    ++header->AceCount;
}

void AddAllowed(unsigned char* acl, DWORD size, DWORD mask, const TWellKnownSid& sid) {
    AddAllowed(acl, size, mask, &sid, SidLength(sid));
}

// A SECURITY_DESCRIPTOR of the item (self-relative), or empty.
std::vector<unsigned char> SecurityOf(const std::string& path, SECURITY_INFORMATION what) {
    using TGetSecurity =
        BOOL(WINAPI*)(LPCWSTR, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR, DWORD, LPDWORD);
    const auto getSecurity = LoadedFunction<TGetSecurity>("advapi32.dll", "GetFileSecurityW");
    if (!getSecurity) return {};
    const TWideText wide = WideText(path);
    DWORD needed = 0;
    getSecurity(wide.c_str(), what, nullptr, 0, &needed);
    if (!needed) return {};
    std::vector<unsigned char> descriptor(needed);
    if (!getSecurity(wide.c_str(), what, descriptor.data(), needed, &needed)) return {};
    return descriptor;
}

// Whether the owner in `descriptor` is Administrators or SYSTEM, or with
// `installers` as well the system's installer service or the user this
// program runs as. False without an answer.
bool AdministratorsOwn(const std::vector<unsigned char>& descriptor, bool installers) {
    using TGetOwner = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, PSID*, LPBOOL);
    using TSidLength = DWORD(WINAPI*)(PSID);
    const auto getOwner = LoadedFunction<TGetOwner>("advapi32.dll", "GetSecurityDescriptorOwner");
    const auto sidLength = LoadedFunction<TSidLength>("advapi32.dll", "GetLengthSid");
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    if (!getOwner || !sidLength || descriptor.empty() ||
        !getOwner(const_cast<unsigned char*>(descriptor.data()), &owner, &defaulted) || !owner)
        return false;
    const size_t size = sidLength(owner);
    const auto* bytes = static_cast<const BYTE*>(owner);
    if (SameSid(owner, size, kAdministrators) || SameSid(owner, size, kSystem)) return true;
    if (!installers) return false;
    if (size == sizeof kInstallerService && std::memcmp(bytes, &kInstallerService, size) == 0)
        return true;
    const std::vector<unsigned char> self = ProcessUserSid(GetCurrentProcess());
    return self.size() == size && std::memcmp(self.data(), bytes, size) == 0;
}

constexpr DWORD kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                               FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC |
                               WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// Administrators and SYSTEM in full control, then `reader` (`readerLength`
// bytes, none when null) with `readerMask`, in a protected descriptor;
// Administrators its owner when `administratorsOwn`. False when the system
// cannot build it.
bool BuildProtection(unsigned char (&aclBytes)[256], SECURITY_DESCRIPTOR& descriptor,
                     SECURITY_ATTRIBUTES& attributes, const void* reader, DWORD readerLength,
                     DWORD readerMask, bool administratorsOwn) {
    using TInit = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, DWORD);
    using TSetDacl = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL);
    using TSetControl = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL,
                                      SECURITY_DESCRIPTOR_CONTROL);
    using TSetOwner = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, PSID, BOOL);
    const auto init = LoadedFunction<TInit>("advapi32.dll", "InitializeSecurityDescriptor");
    const auto setDacl = LoadedFunction<TSetDacl>("advapi32.dll", "SetSecurityDescriptorDacl");
    // Windows 2000 on: without it the folder above could still hand down
    // its entries, so nothing is protected rather than half.
    const auto setControl =
        LoadedFunction<TSetControl>("advapi32.dll", "SetSecurityDescriptorControl");
    const auto setOwner = LoadedFunction<TSetOwner>("advapi32.dll", "SetSecurityDescriptorOwner");
    if (!init || !setDacl || !setControl || !setOwner || (reader && !readerLength)) return false;

    // The list is written by hand: the helpers that build one with
    // inheritance flags came with Windows 2000 as well. FILE_ALL_ACCESS
    // holds a mutex's and an object folder's every right too.
    auto* acl = reinterpret_cast<ACL*>(aclBytes);
    acl->AclRevision = ACL_REVISION;
    acl->AclSize = sizeof(ACL);
    AddAllowed(aclBytes, sizeof aclBytes, FILE_ALL_ACCESS, kAdministrators);
    AddAllowed(aclBytes, sizeof aclBytes, FILE_ALL_ACCESS, kSystem);
    if (reader) AddAllowed(aclBytes, sizeof aclBytes, readerMask, reader, readerLength);
    if (acl->AceCount != (reader ? 3 : 2)) return false;

    if (!init(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !setDacl(&descriptor, TRUE, acl, FALSE) ||
        !setControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED) ||
        (administratorsOwn && !setOwner(&descriptor, AdministratorsGroup(), FALSE)))
        return false;
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = &descriptor;
    attributes.bInheritHandle = FALSE;
    return true;
}
} // namespace

TProtection::TProtection(TProtectionKind kind) {
    const std::vector<unsigned char> user = kind == TProtectionKind::ForMe
                                                ? ProcessUserSid(GetCurrentProcess())
                                                : std::vector<unsigned char>();
    switch (kind) {
    case TProtectionKind::ForEveryone:
        Ready_ = BuildProtection(Acl_, Descriptor_, Attributes_, &kUsers, SidLength(kUsers),
                                 FILE_GENERIC_READ | FILE_GENERIC_EXECUTE, false);
        break;
    case TProtectionKind::ForMe:
        Ready_ = BuildProtection(Acl_, Descriptor_, Attributes_, user.data(), DWORD(user.size()),
                                 FILE_ALL_ACCESS, false);
        break;
    case TProtectionKind::AdministratorsOnly:
        Ready_ = BuildProtection(Acl_, Descriptor_, Attributes_, nullptr, 0, 0, true);
        break;
    }
}

bool ProtectOpenItem(HANDLE item, const SECURITY_ATTRIBUTES& attributes) {
    using TSetSecurity = BOOL(WINAPI*)(HANDLE, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR);
    const auto setSecurity =
        LoadedFunction<TSetSecurity>("advapi32.dll", "SetKernelObjectSecurity");
    return setSecurity &&
           setSecurity(item, DACL_SECURITY_INFORMATION, attributes.lpSecurityDescriptor);
}

PSID AdministratorsGroup() {
    return const_cast<TWellKnownSid*>(&kAdministrators);
}

bool OwnedByAdministrators(HANDLE object) {
    using TGetSecurity =
        BOOL(WINAPI*)(HANDLE, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR, DWORD, LPDWORD);
    const auto getSecurity =
        LoadedFunction<TGetSecurity>("advapi32.dll", "GetKernelObjectSecurity");
    std::vector<unsigned char> descriptor(256);
    DWORD needed = 0;
    return getSecurity &&
           getSecurity(object, OWNER_SECURITY_INFORMATION, descriptor.data(), 256, &needed) &&
           AdministratorsOwn(descriptor, false);
}

bool OwnedByAdministrators(const std::string& path) {
    // Without an answer the folder is taken back: that costs nothing.
    return AdministratorsOwn(SecurityOf(path, OWNER_SECURITY_INFORMATION), true);
}

bool TakeBack(HANDLE item, TProtection& protection) {
    using TSetOwner = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, PSID, BOOL);
    using TSetSecurity = BOOL(WINAPI*)(HANDLE, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR);
    const auto setOwner = LoadedFunction<TSetOwner>("advapi32.dll", "SetSecurityDescriptorOwner");
    const auto setSecurity =
        LoadedFunction<TSetSecurity>("advapi32.dll", "SetKernelObjectSecurity");
    SECURITY_ATTRIBUTES* attributes = protection.Attributes();
    if (!setOwner || !setSecurity || !attributes) return false;
    // The owner first: until then a planted item's owner may have shut the
    // administrators out of its access list.
    SECURITY_DESCRIPTOR owner{};
    std::memcpy(&owner, attributes->lpSecurityDescriptor, sizeof owner);
    TWellKnownSid administrators = kAdministrators;
    const bool owned = setOwner(&owner, &administrators, FALSE) &&
                       setSecurity(item, OWNER_SECURITY_INFORMATION, &owner);
    const bool protectedNow =
        setSecurity(item, DACL_SECURITY_INFORMATION, attributes->lpSecurityDescriptor) != FALSE;
    return owned && protectedNow;
}

TTakingBack::TTakingBack() {
    using TOpenToken = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
    using TLookup = BOOL(WINAPI*)(LPCSTR, LPCSTR, PLUID);
    using TAdjust =
        BOOL(WINAPI*)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD);
    const auto openToken = LoadedFunction<TOpenToken>("advapi32.dll", "OpenProcessToken");
    const auto lookup = LoadedFunction<TLookup>("advapi32.dll", "LookupPrivilegeValueA");
    const auto adjust = LoadedFunction<TAdjust>("advapi32.dll", "AdjustTokenPrivileges");
    if (!openToken || !lookup || !adjust ||
        !openToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, Token_.Out()))
        return;
    struct {
        DWORD Count;
        LUID_AND_ATTRIBUTES Privileges[3];
    } wanted{};
    for (const char* name : {"SeTakeOwnershipPrivilege", "SeRestorePrivilege", "SeBackupPrivilege"})
        if (lookup(nullptr, name, &wanted.Privileges[wanted.Count].Luid))
            wanted.Privileges[wanted.Count++].Attributes = SE_PRIVILEGE_ENABLED;
    DWORD size = 0;
    Changed_ = wanted.Count &&
               adjust(Token_.Get(), FALSE, reinterpret_cast<PTOKEN_PRIVILEGES>(&wanted),
                      sizeof Previous_, reinterpret_cast<PTOKEN_PRIVILEGES>(Previous_), &size);
}

TTakingBack::~TTakingBack() {
    using TAdjust =
        BOOL(WINAPI*)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD);
    const auto adjust = LoadedFunction<TAdjust>("advapi32.dll", "AdjustTokenPrivileges");
    if (Changed_ && adjust)
        adjust(Token_.Get(), FALSE, reinterpret_cast<PTOKEN_PRIVILEGES>(Previous_), 0, nullptr,
               nullptr);
}

bool UsersMayWrite(const std::string& folder) {
    using TGetDacl = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, LPBOOL, PACL*, LPBOOL);
    const auto getDacl = LoadedFunction<TGetDacl>("advapi32.dll", "GetSecurityDescriptorDacl");
    std::vector<unsigned char> descriptor = SecurityOf(folder, DACL_SECURITY_INFORMATION);
    if (!getDacl || descriptor.empty()) return false;
    BOOL present = FALSE, defaulted = FALSE;
    ACL* acl = nullptr;
    if (!getDacl(descriptor.data(), &present, &acl, &defaulted)) return false;
    if (!present || !acl) return true; // no list at all: everyone may do anything
    const auto* at = reinterpret_cast<const unsigned char*>(acl) + sizeof(ACL);
    const auto* end = reinterpret_cast<const unsigned char*>(acl) + acl->AclSize;
    for (int n = 0; n < acl->AceCount && at + sizeof(ACE_HEADER) <= end; ++n) {
        const auto* ace = reinterpret_cast<const ACE_HEADER*>(at);
        if (ace->AceSize < sizeof(ACE_HEADER) + sizeof(DWORD) + 8 || at + ace->AceSize > end) break;
        DWORD mask;
        std::memcpy(&mask, at + sizeof(ACE_HEADER), sizeof mask);
        const void* sid = at + sizeof(ACE_HEADER) + sizeof mask;
        const size_t sidSize = ace->AceSize - sizeof(ACE_HEADER) - sizeof mask;
        // Entries only for what lies below do not open the folder itself.
        if (ace->AceType == ACCESS_ALLOWED_ACE_TYPE && !(ace->AceFlags & INHERIT_ONLY_ACE) &&
            (mask & kWriteRights)) {
            for (const TWellKnownSid* users :
                 {&kEveryone, &kAuthenticatedUsers, &kUsers, &kInteractive})
                if (SameSid(sid, sidSize, *users)) return true;
        }
        at += ace->AceSize;
    }
    return false;
}
