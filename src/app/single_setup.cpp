#include "app/single_setup.h"

#include "base/product_names.h"
#include "base/run_time_functions.h"
#include "system/folder_protection.h"

#include <windows.h>

#include <cstring>
#include <iterator>

namespace {
// In the machine-wide namespace: a deployment tool's copy runs in a
// session of its own, a user's in another, and both write the same files.
constexpr char kMutexName[] = "Global\\QuorvaleWordProcessorSetup.Running";
// Systems without that namespace (before Windows 2000, or without terminal
// services) refuse a name with a backslash; there the one namespace is
// machine-wide anyway.
constexpr char kLocalMutexName[] = "QuorvaleWordProcessorSetup.Running";
constexpr char kNamespace[] = "QuorvaleWordProcessorSetup";
constexpr char kNamespaceMutex[] = "QuorvaleWordProcessorSetup\\Running";
constexpr wchar_t kLockFile[] = L"\\QuorvaleWordProcessorSetup.lock";
} // namespace

TSingleSetup::TSingleSetup(TAdministrator rights) {
    // An administrator's mark lets no user in and has Administrators for
    // its owner, which no standard user can give an object.
    const bool administrator = rights == TAdministrator::Yes;
    TProtection protection(TProtectionKind::AdministratorsOnly);
    SECURITY_ATTRIBUTES* const attributes = administrator ? protection.Attributes() : nullptr;
    Mutex_.Reset(CreateMutexA(attributes, FALSE, kMutexName));
    DWORD error = GetLastError();
    if (!Mutex_ && error != ERROR_ACCESS_DENIED) {
        Mutex_.Reset(CreateMutexA(attributes, FALSE, kLocalMutexName));
        error = GetLastError();
    }
    // Another user's copy made the mark with rights only for itself (an
    // administrator's lets in administrators alone): opening it is refused,
    // and that too means it runs.
    const bool exists = Mutex_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
    ForAnotherUser_ = !administrator && !Mutex_ && exists;
    Second_ = exists && (!administrator || OwnedByAdministrators(Mutex_.Get()));
    if (!administrator || Second_) return;
    // Any user may make the machine-wide name first: one that no
    // administrator made keeps this run from nothing, so administrators
    // keep each other out with a mark of their own as well.
    IgnoredUsersName_ = exists;

    // Windows Vista on: a mutex in a namespace bounded to the Administrators
    // group, which only they can make, and which lets only them in.
    using TCreateBoundary = HANDLE(WINAPI*)(LPCSTR, ULONG);
    using TAddSid = BOOL(WINAPI*)(HANDLE*, PSID);
    using TDeleteBoundary = VOID(WINAPI*)(HANDLE);
    using TCreateNamespace = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPVOID, LPCSTR);
    using TOpenNamespace = HANDLE(WINAPI*)(LPVOID, LPCSTR);
    const auto createBoundary =
        LoadedFunction<TCreateBoundary>("kernel32.dll", "CreateBoundaryDescriptorA");
    const auto addSid = LoadedFunction<TAddSid>("kernel32.dll", "AddSIDToBoundaryDescriptor");
    const auto deleteBoundary =
        LoadedFunction<TDeleteBoundary>("kernel32.dll", "DeleteBoundaryDescriptor");
    const auto createNamespace =
        LoadedFunction<TCreateNamespace>("kernel32.dll", "CreatePrivateNamespaceA");
    const auto openNamespace =
        LoadedFunction<TOpenNamespace>("kernel32.dll", "OpenPrivateNamespaceA");
    HANDLE boundary =
        createBoundary && addSid && deleteBoundary && createNamespace && openNamespace && attributes
            ? createBoundary(kNamespace, 0)
            : nullptr;
    bool there = false;
    if (boundary && addSid(&boundary, AdministratorsGroup())) {
        // The first administrator's run makes it, the others open it; one
        // that ends between the two takes it along. Once its maker has
        // ended it cannot be opened any more, yet it stays while a run that
        // opened it holds it.
        for (int n = 0; n < 2 && !Namespace_; ++n) {
            Namespace_.Reset(createNamespace(attributes, boundary, kNamespace));
            there = !Namespace_ && GetLastError() == ERROR_ALREADY_EXISTS;
            if (there) Namespace_.Reset(openNamespace(boundary, kNamespace));
        }
    }
    if (boundary) deleteBoundary(boundary);
    if (Namespace_) AdministratorsMutex_.Reset(CreateMutexA(attributes, FALSE, kNamespaceMutex));
    if (AdministratorsMutex_ || there) {
        Second_ = !AdministratorsMutex_ || GetLastError() == ERROR_ALREADY_EXISTS;
    } else {
        // Before: a file in the system folder, where users may make none,
        // shared with nobody and gone when it is closed (also when the
        // program dies). Where it cannot be made, the owner decides alone.
        // Wide: the system folder's name may lie outside the code page.
        wchar_t path[MAX_PATH + std::size(kLockFile)];
        const UINT length = GetSystemDirectoryW(path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return;
        std::memcpy(path + length, kLockFile, sizeof kLockFile);
        AdministratorsLock_.Reset(CreateFileW(path, GENERIC_WRITE, 0, attributes, OPEN_ALWAYS,
                                              FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        Second_ = !AdministratorsLock_ && GetLastError() == ERROR_SHARING_VIOLATION;
    }
    if (Second_) IgnoredUsersName_ = false;
}

void TSingleSetup::ShowFirst() {
    // The other copy may still be starting, or run on another desktop; then
    // there is no window to show. The wizard cannot be maximised, so
    // restoring only undoes minimising.
    if (HWND first = FindWindowA(nullptr, kApplicationTitle)) {
        ShowWindow(first, SW_RESTORE);
        SetForegroundWindow(first);
    }
}
