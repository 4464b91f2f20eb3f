#include "system/user_rights.h"

#include "base/run_time_functions.h"
#include "base/scoped_win.h"

#include <windows.h>

TAdministrator Administrator() {
    using TCheckMembership = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
    const auto check = LoadedFunction<TCheckMembership>("advapi32.dll", "CheckTokenMembership");
    BOOL member = FALSE;
    // S-1-5-32-544, the Administrators group.
    static unsigned char administrators[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 32, 2, 0, 0};
    if (!check || !check(nullptr, administrators, &member)) return TAdministrator::Unknown;
    return member ? TAdministrator::Yes : TAdministrator::No;
}

std::vector<unsigned char> ProcessUserSid(HANDLE process) {
    // Looked up: Windows 95 has no tokens.
    using TOpenToken = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
    using TTokenInformation = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
    using TSidLength = DWORD(WINAPI*)(PSID);
    const auto openToken = LoadedFunction<TOpenToken>("advapi32.dll", "OpenProcessToken");
    const auto information =
        LoadedFunction<TTokenInformation>("advapi32.dll", "GetTokenInformation");
    const auto sidLength = LoadedFunction<TSidLength>("advapi32.dll", "GetLengthSid");
    TKernelHandle token;
    if (!openToken || !information || !sidLength || !openToken(process, TOKEN_QUERY, token.Out()))
        return {};
    alignas(DWORD) unsigned char buffer[256];
    DWORD size = 0;
    if (!information(token.Get(), TokenUser, buffer, sizeof buffer, &size)) return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
    const auto* bytes = static_cast<const unsigned char*>(sid);
    return std::vector<unsigned char>(bytes, bytes + sidLength(sid));
}
