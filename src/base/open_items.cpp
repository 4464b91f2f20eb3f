#include "base/open_items.h"

#include "base/locale_text.h"
#include "base/paths.h"
#include "base/reparse_data.h"
#include "base/run_time_functions.h"
#include "base/utf8_text.h"

#include <windows.h>

#include <winternl.h>

#include <algorithm>
#include <cstddef>

namespace {
// The file system's calls behind Win32's, in ntdll.dll on every Windows NT.
// Win32 has no way to open or make an item relative to an open folder, to
// list a folder through its handle, or (before Windows Vista) to delete or
// rename an open item.
using TNtCreateFile = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                       PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using TNtQueryDirectoryFile = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK,
                                               PVOID, ULONG, int, BOOLEAN, PUNICODE_STRING,
                                               BOOLEAN);
using TNtSetInformationFile = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, int);
using TNtQueryInformationFile = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, int);
using TRtlNtStatusToDosError = ULONG(NTAPI*)(NTSTATUS);

constexpr ULONG kOpenReparsePoint = 0x00200000; // FILE_OPEN_REPARSE_POINT
constexpr ULONG kSynchronousIo = 0x00000020;    // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kDirectoryFile = 0x00000001;    // FILE_DIRECTORY_FILE
constexpr ULONG kNonDirectoryFile = 0x00000040; // FILE_NON_DIRECTORY_FILE
// FILE_OPEN_FOR_BACKUP_INTENT, as FILE_FLAG_BACKUP_SEMANTICS for a path: an
// administrator who has turned on the rights to take items back opens
// what a planted access list would shut him out of.
constexpr ULONG kBackupIntent = 0x00004000;
constexpr ULONG kCaseInsensitive = 0x00000040; // OBJ_CASE_INSENSITIVE
// What NtCreateFile does when the name is there, or is not: FILE_OPEN,
// FILE_CREATE, FILE_OPEN_IF; and what it reports it did (FILE_CREATED).
constexpr ULONG kOpen = 1, kCreate = 2, kOpenOrCreate = 3;
constexpr ULONG_PTR kCreated = 2;
constexpr int kFileDirectoryInformation = 1;
constexpr int kFileBasicInformation = 4;
constexpr int kFileRenameInformation = 10;
constexpr int kFileDispositionInformation = 13;
constexpr int kFileAttributeTagInformation = 35;
constexpr NTSTATUS kNoMoreFiles = NTSTATUS(0x80000006);
constexpr NTSTATUS kNoSuchFile = NTSTATUS(0xC000000F);

// FILE_DIRECTORY_INFORMATION, one entry of a listing.
struct TDirectoryEntry {
    ULONG NextEntryOffset;
    ULONG FileIndex;
    LARGE_INTEGER Times[4];
    LARGE_INTEGER EndOfFile;
    LARGE_INTEGER AllocationSize;
    ULONG FileAttributes;
    ULONG FileNameLength; // in bytes
    WCHAR FileName[1];
};

// FILE_BASIC_INFORMATION: the times and the attributes of an open item.
struct TBasicInformation {
    LARGE_INTEGER Times[4];
    ULONG FileAttributes;
};

// FILE_RENAME_INFORMATION, which the headers for Windows 2000 do not have.
struct TRenameInfo {
    BOOLEAN ReplaceIfExists;
    HANDLE RootDirectory;
    DWORD FileNameLength; // in bytes, without the terminating zero
    WCHAR FileName[1];
};

constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

// Keeps the system's reason for a refusal where Win32 callers look for it.
void SetLastStatus(NTSTATUS status) {
    const auto toError =
        LoadedFunction<TRtlNtStatusToDosError>("ntdll.dll", "RtlNtStatusToDosError");
    SetLastError(toError ? toError(status) : ERROR_GEN_FAILURE);
}

// Reads what the open item is and decides whether it counts as a link. Its
// attributes alone are asked: what GetFileInformationByHandle adds (the
// volume's serial number) costs several times the rest under Wine.
TOpenItem Described(TFileHandle handle, const std::string& path, TLinkTest isLink) {
    TOpenItem item;
    item.Handle = std::move(handle);
    item.Path = path;
    const auto query =
        LoadedFunction<TNtQueryInformationFile>("ntdll.dll", "NtQueryInformationFile");
    TBasicInformation basic = {};
    IO_STATUS_BLOCK io = {};
    if (!item.Handle || !query ||
        query(item.Handle.Get(), &io, &basic, sizeof basic, kFileBasicInformation) < 0) {
        item.Handle.Reset();
        return item;
    }
    item.Attributes = basic.FileAttributes;
    // FILE_ATTRIBUTE_TAG_INFORMATION: a tag that cannot be read counts as
    // a link's.
    struct {
        ULONG Attributes, Tag;
    } tag = {0, 0};
    if ((item.Attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        query(item.Handle.Get(), &io, &tag, sizeof tag, kFileAttributeTagInformation) < 0)
        tag.Tag = ~0u;
    item.Link = isLink(path, item.Attributes, tag.Tag);
    return item;
}

// Opens, or with `disposition` makes, the item of that name in the open
// folder; `made` (when given) tells whether it was made.
TOpenItem OpenRelative(const TOpenItem& folder, const std::wstring& name, const std::string& path,
                       uint32_t access, ULONG kind, TLinkTest isLink, ULONG disposition = kOpen,
                       bool* made = nullptr) {
    const auto open = LoadedFunction<TNtCreateFile>("ntdll.dll", "NtCreateFile");
    // A name with a backslash, or a dot for this folder or the one above,
    // would look further than this folder.
    if (!open || !folder.IsFolder() || name.empty() || name == L"." || name == L".." ||
        name.find(L'\\') != std::wstring::npos || name.size() * sizeof(WCHAR) > 0xFFF0) {
        SetLastError(ERROR_INVALID_NAME);
        return TOpenItem{};
    }
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(name.c_str());
    text.Length = USHORT(name.size() * sizeof(WCHAR));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES attributes = {};
    attributes.Length = sizeof attributes;
    attributes.RootDirectory = folder.Handle.Get();
    attributes.ObjectName = &text;
    attributes.Attributes = kCaseInsensitive;
    IO_STATUS_BLOCK io = {};
    HANDLE handle = nullptr;
    const NTSTATUS status =
        open(&handle, access | FILE_READ_ATTRIBUTES | SYNCHRONIZE, &attributes, &io, nullptr,
             FILE_ATTRIBUTE_NORMAL, kShare, disposition,
             kOpenReparsePoint | kSynchronousIo | kBackupIntent | kind, nullptr, 0);
    if (status < 0) {
        SetLastStatus(status);
        return TOpenItem{};
    }
    if (made) *made = io.Information == kCreated;
    return Described(TFileHandle(handle), path, isLink);
}

} // namespace

bool HasReparsePoint(const std::string&, uint32_t attributes, uint32_t reparseTag) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(reparseTag);
}

TOpenItem OpenItem(const std::string& path, uint32_t access, TLinkTest isLink) {
    // With a backslash at the end the system would open what a link there
    // points at; a drive's root keeps its own.
    // A share's root, which no link can be, keeps it as well: without it
    // the share cannot be opened.
    std::string item = path;
    const size_t root = DrivePart(path).size() + 1;
    while (item.size() > root && (item.back() == '\\' || item.back() == '/'))
        item.pop_back();
    if (item.empty()) return TOpenItem{};
    TFileHandle handle(CreateFileW(
        WideText(item).c_str(), access | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShare, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return Described(std::move(handle), item, isLink);
}

TOpenItem OpenItemIn(const TOpenItem& folder, const std::string& name, uint32_t access,
                     TLinkTest isLink) {
    return OpenRelative(folder, WideText(name), JoinPath(folder.Path, name), access, 0, isLink);
}

TOpenItem OpenItemIn(const TOpenItem& folder, const TListedItem& listed, uint32_t access,
                     TLinkTest isLink) {
    const bool isFolder = listed.Attributes & FILE_ATTRIBUTE_DIRECTORY;
    return OpenRelative(folder, listed.ExactName, JoinPath(folder.Path, listed.Name),
                        isFolder ? access | kEnterAccess : access,
                        isFolder ? kDirectoryFile : kNonDirectoryFile, isLink);
}

TOpenItem CreateFileIn(const TOpenItem& folder, const std::string& name, uint32_t access,
                       TLinkTest isLink) {
    return OpenRelative(folder, WideText(name), JoinPath(folder.Path, name), access,
                        kNonDirectoryFile, isLink, kCreate);
}

std::vector<TOpenItem> OpenFolderPath(const std::string& folder, const std::string& root,
                                      TLinkTest isLink, std::vector<std::string>* made) {
    const std::string inRoot = JoinPath(root, ""), full = JoinPath(folder, "");
    size_t at = !root.empty() && SameName(full.substr(0, inRoot.size()), inRoot)
                    ? inRoot.size()
                    : DrivePart(full).size() + 1;
    std::vector<TOpenItem> chain;
    if (at < 3) {
        SetLastError(ERROR_BAD_PATHNAME);
        return chain;
    }
    chain.push_back(OpenItem(full.substr(0, at), kEnterAccess, isLink));
    for (size_t end; chain.back().IsFolder() && (end = full.find('\\', at)) != std::string::npos;
         at = end + 1) {
        if (end == at) continue;
        bool madeNow = false;
        chain.push_back(OpenRelative(chain.back(), WideText(full.substr(at, end - at)),
                                     full.substr(0, end), kEnterAccess, kDirectoryFile, isLink,
                                     made ? kOpenOrCreate : kOpen, &madeNow));
        if (madeNow) made->push_back(full.substr(0, end + 1));
    }
    if (chain.back().Link) SetLastError(ERROR_CANT_ACCESS_FILE);
    if (!chain.back().IsFolder()) chain.clear();
    return chain;
}

bool IsVolumeMountPoint(const TOpenItem& link) {
    if (!link.Handle || !(link.Attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    // MAXIMUM_REPARSE_DATA_BUFFER_SIZE; FSCTL_GET_REPARSE_POINT asks for no
    // access of its own.
    std::vector<unsigned char> data(16 * 1024);
    constexpr DWORD kGetReparsePoint = 0x000900A8;
    DWORD got = 0;
    return DeviceIoControl(link.Handle.Get(), kGetReparsePoint, nullptr, 0, data.data(),
                           DWORD(data.size()), &got, nullptr) &&
           IsVolumeMountData(data.data(), got);
}

TOpenItem OpenMountedVolume(const TOpenItem& mountPoint, uint32_t access, TLinkTest isLink) {
    if (!IsVolumeMountPoint(mountPoint)) return TOpenItem{};
    // With the backslash, and without opening the reparse point itself:
    // the system goes through it to the volume's root.
    TFileHandle handle(CreateFileW(WideText(mountPoint.Path + "\\").c_str(),
                                   access | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShare, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return Described(std::move(handle), mountPoint.Path, isLink);
}

bool ListOpenFolder(const TOpenItem& folder, std::vector<TListedItem>& items,
                    const std::string& pattern) {
    const auto query = LoadedFunction<TNtQueryDirectoryFile>("ntdll.dll", "NtQueryDirectoryFile");
    if (!query || !folder.IsFolder()) return false;
    std::wstring mask = WideText(pattern);
    UNICODE_STRING maskText;
    maskText.Buffer = &mask[0];
    maskText.Length = USHORT(mask.size() * sizeof(WCHAR));
    maskText.MaximumLength = maskText.Length;
    std::vector<unsigned long long> buffer(8192); // 64 KB, aligned for the entries
    for (BOOLEAN restart = TRUE;; restart = FALSE) {
        IO_STATUS_BLOCK io = {};
        const NTSTATUS status = query(folder.Handle.Get(), nullptr, nullptr, nullptr, &io,
                                      buffer.data(), ULONG(buffer.size() * sizeof buffer[0]),
                                      kFileDirectoryInformation, FALSE, nullptr, restart);
        if (status == kNoMoreFiles || (status == kNoSuchFile && restart)) return true;
        if (status < 0) {
            SetLastStatus(status);
            return false;
        }
        const auto* bytes = reinterpret_cast<const char*>(buffer.data());
        for (size_t at = 0;;) {
            const auto* entry = reinterpret_cast<const TDirectoryEntry*>(bytes + at);
            const std::wstring name(entry->FileName, entry->FileNameLength / sizeof(WCHAR));
            if (name != L"." && name != L"..")
                items.push_back(TListedItem{Utf8Text(name), name, entry->FileAttributes});
            if (entry->NextEntryOffset == 0) break;
            at += entry->NextEntryOffset;
        }
    }
}

uint32_t LinkCount(const TOpenItem& item) {
    BY_HANDLE_FILE_INFORMATION info;
    return item.Handle && GetFileInformationByHandle(item.Handle.Get(), &info) ? info.nNumberOfLinks
                                                                               : 0;
}

bool RenameOpenItem(HANDLE item, const std::string& target, bool replace) {
    // The call takes the name as the file system sees it: "\??\C:\..." or
    // "\??\UNC\server\share\...".
    std::wstring name = WideText(target);
    if (name.empty()) return false;
    if (name.compare(0, 2, L"\\\\") == 0)
        name = L"\\??\\UNC\\" + name.substr(2);
    else
        name = L"\\??\\" + name;
    const size_t bytes = offsetof(TRenameInfo, FileName) + (name.size() + 1) * sizeof(WCHAR);
    std::vector<unsigned long long> buffer((bytes + 7) / 8, 0); // aligned for the handle
    auto* info = reinterpret_cast<TRenameInfo*>(buffer.data());
    info->ReplaceIfExists = replace;
    info->RootDirectory = nullptr;
    info->FileNameLength = DWORD(name.size() * sizeof(WCHAR));
    std::copy(name.begin(), name.end(), info->FileName);
    return SetOpenItemInformation(item, kFileRenameInformation, info, uint32_t(bytes));
}

bool DeleteOpenItem(const TOpenItem& item) {
    if (!item.Handle) return false;
    BOOLEAN deleteFile = TRUE;
    return SetOpenItemInformation(item.Handle.Get(), kFileDispositionInformation, &deleteFile,
                                  sizeof deleteFile);
}

bool SetOpenItemInformation(HANDLE item, int informationClass, void* data, uint32_t size) {
    const auto set = LoadedFunction<TNtSetInformationFile>("ntdll.dll", "NtSetInformationFile");
    if (!set) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return false;
    }
    IO_STATUS_BLOCK io = {};
    const NTSTATUS status = set(item, &io, data, size, informationClass);
    if (status < 0) SetLastStatus(status);
    return status >= 0;
}
