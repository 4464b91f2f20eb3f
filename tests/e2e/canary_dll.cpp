// A canary DLL for the planted-DLL tests: copied under the names of system
// DLLs into folders a setup program must never load DLLs from. When any
// process loads it, it leaves "<its own path>.loaded" beside itself, holding
// the path of the program that loaded it. It carries no version resource,
// so that Wine prefers it to its own DLL of that name.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH + 16];
    const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return TRUE;
    lstrcatA(path, ".loaded");
    char program[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
    HANDLE marker = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(marker, program, length, &written, nullptr);
        CloseHandle(marker);
    }
    return TRUE;
}
