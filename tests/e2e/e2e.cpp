// Failure reporting and the files of the harness.
#include "e2e.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <algorithm>

namespace e2e {

namespace {
FailureHandler Handler = nullptr;
} // namespace

void SetFailureHandler(FailureHandler handler) {
    Handler = handler;
}

void Fail(const std::string& message) {
    if (Handler) {
        Handler(message);
        return;
    }
    // FAIL() returns from the lambda only; the test sees HasFatalFailure().
    [&] { FAIL() << message; }();
}

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &wide[0], n);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string utf8(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &utf8[0], n, nullptr,
                            nullptr);
    return utf8;
}

std::string SetupExe() {
    return QV_SETUP_EXE;
}

std::string OutDir() {
    return QV_OUT_DIR;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    return last == '\\' || last == '/' ? folder + name : folder + "\\" + name;
}

std::string FileName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ScratchDir(const std::string& name) {
    std::string leaf = name;
    if (leaf.empty()) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        leaf = test ? std::string(test->test_suite_name()) + "." + test->name() : "scratch";
    }
    // Parameterised tests carry "/" in their names.
    for (char& c : leaf)
        if (c == '/' || c == '\\' || c == ':') c = '_';
    const std::string dir = JoinPath(JoinPath(OutDir(), "e2e"), leaf);
    DeleteTree(dir);
    if (!MakeFolders(dir)) Fail("cannot create the scratch folder " + dir);
    return dir;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadFile(const std::string& path, std::string& data) {
    data.clear();
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        data.append(chunk, got);
    }
    CloseHandle(file);
    return ok;
}

std::string ReadFile(const std::string& path) {
    std::string data;
    if (!ReadFile(path, data)) Fail("cannot read " + path);
    return data;
}

bool WriteFile(const std::string& path, const std::string& data) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        data.empty() || (::WriteFile(file, data.data(), DWORD(data.size()), &written, nullptr) &&
                         written == data.size());
    return CloseHandle(file) && ok;
}

bool CopyTo(const std::string& from, const std::string& to) {
    return CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE) != 0;
}

bool MakeFolders(const std::string& folder) {
    if (folder.empty()) return false;
    const DWORD attributes = GetFileAttributesW(Wide(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const size_t slash = folder.find_last_of('\\');
    // "Z:" and "Z:\" need no creating.
    if (slash != std::string::npos && slash > 2 && !MakeFolders(folder.substr(0, slash)))
        return false;
    return CreateDirectoryW(Wide(folder).c_str(), nullptr) ||
           GetLastError() == ERROR_ALREADY_EXISTS;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(Wide(JoinPath(folder, "*")).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = Utf8(found.cFileName);
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool EveryoneMayChange(const std::string& folder) {
    PSECURITY_DESCRIPTOR open = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;OICI;FA;;;WD)", SDDL_REVISION_1,
                                                              &open, nullptr))
        return false;
    const bool set =
        SetFileSecurityW(Wide(folder).c_str(), DACL_SECURITY_INFORMATION, open) != FALSE;
    LocalFree(open);
    return set;
}

bool EveryoneMayWrite(const std::string& folder) {
    const std::wstring wide = Wide(folder);
    DWORD needed = 0;
    GetFileSecurityW(wide.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::vector<char> descriptor(needed ? needed : 1);
    if (!GetFileSecurityW(wide.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed,
                          &needed))
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor.data(), &present, &acl, &defaulted)) return false;
    if (!present || !acl) return true;
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(acl, i, reinterpret_cast<void**>(&ace)) ||
            ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE || !(ace->Mask & FILE_WRITE_DATA))
            continue;
        for (WELL_KNOWN_SID_TYPE type : {WinWorldSid, WinBuiltinUsersSid, WinAuthenticatedUserSid})
            if (IsWellKnownSid(&ace->SidStart, type)) return true;
    }
    return false;
}

void DeleteTree(const std::string& folder) {
    for (const std::string& name : FolderNames(folder)) {
        const std::wstring path = Wide(JoinPath(folder, name));
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            DeleteTree(JoinPath(folder, name));
        } else {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    }
    RemoveDirectoryW(Wide(folder).c_str());
}

} // namespace e2e
