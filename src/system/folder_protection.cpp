#include "system/folder_protection.h"

#include "base/run_time_functions.h"

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

DWORD SidLength(const TWellKnownSid& sid) {
    return 8 + 4 * DWORD(sid.SubAuthorityCount);
}

// `a` is `size` bytes of a SID inside an entry.
bool SameSid(const void* a, size_t size, const TWellKnownSid& b) {
    const auto* bytes = static_cast<const BYTE*>(a);
    return size >= SidLength(b) && bytes[1] == b.SubAuthorityCount &&
           std::memcmp(a, &b, SidLength(b)) == 0;
}

// One allowed entry, inherited by folders and files below.
void AddAllowed(unsigned char* acl, DWORD size, DWORD mask, const TWellKnownSid& sid) {
    auto* header = reinterpret_cast<ACL*>(acl);
    const DWORD length = DWORD(sizeof(ACE_HEADER) + sizeof(DWORD)) + SidLength(sid);
    if (header->AclSize + length > size) return;
    unsigned char* at = acl + header->AclSize;
    auto* ace = reinterpret_cast<ACE_HEADER*>(at);
    ace->AceType = ACCESS_ALLOWED_ACE_TYPE;
    ace->AceFlags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    ace->AceSize = WORD(length);
    std::memcpy(at + sizeof(ACE_HEADER), &mask, sizeof mask);
    std::memcpy(at + sizeof(ACE_HEADER) + sizeof mask, &sid, SidLength(sid));
    header->AclSize = WORD(header->AclSize + length);
    ++header->AceCount;
}

constexpr DWORD kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                               FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC |
                               WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
} // namespace

TProtectionForEveryone::TProtectionForEveryone() {
    using TInit = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, DWORD);
    using TSetDacl = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL);
    using TSetControl =
        BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL, SECURITY_DESCRIPTOR_CONTROL);
    const auto init = LoadedFunction<TInit>("advapi32.dll", "InitializeSecurityDescriptor");
    const auto setDacl = LoadedFunction<TSetDacl>("advapi32.dll", "SetSecurityDescriptorDacl");
    // Windows 2000 on: without it the folder above could still hand down
    // its entries, so nothing is protected rather than half.
    const auto setControl =
        LoadedFunction<TSetControl>("advapi32.dll", "SetSecurityDescriptorControl");
    if (!init || !setDacl || !setControl) return;

    // The list is written by hand: the helpers that build one with
    // inheritance flags came with Windows 2000 as well.
    auto* acl = reinterpret_cast<ACL*>(Acl_);
    acl->AclRevision = ACL_REVISION;
    acl->AclSize = sizeof(ACL);
    AddAllowed(Acl_, sizeof Acl_, FILE_ALL_ACCESS, kAdministrators);
    AddAllowed(Acl_, sizeof Acl_, FILE_ALL_ACCESS, kSystem);
    AddAllowed(Acl_, sizeof Acl_, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE, kUsers);
    if (acl->AceCount != 3) return;

    if (!init(&Descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !setDacl(&Descriptor_, TRUE, acl, FALSE) ||
        !setControl(&Descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        return;
    Attributes_.nLength = sizeof Attributes_;
    Attributes_.lpSecurityDescriptor = &Descriptor_;
    Attributes_.bInheritHandle = FALSE;
    Ready_ = true;
}

bool UsersMayWrite(const std::string& folder) {
    using TGetSecurity = BOOL(WINAPI*)(LPCSTR, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR, DWORD,
                                       LPDWORD);
    using TGetDacl = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, LPBOOL, PACL*, LPBOOL);
    const auto getSecurity = LoadedFunction<TGetSecurity>("advapi32.dll", "GetFileSecurityA");
    const auto getDacl = LoadedFunction<TGetDacl>("advapi32.dll", "GetSecurityDescriptorDacl");
    if (!getSecurity || !getDacl) return false;
    DWORD needed = 0;
    getSecurity(folder.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    if (!needed) return false;
    std::vector<unsigned char> descriptor(needed);
    if (!getSecurity(folder.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed))
        return false;
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
