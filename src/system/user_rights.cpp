#include "system/user_rights.h"

#include "base/run_time_functions.h"
#include "system/folder_protection.h"

#include <windows.h>

TAdministrator Administrator() {
    using TCheckMembership = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
    const auto check = LoadedFunction<TCheckMembership>("advapi32.dll", "CheckTokenMembership");
    BOOL member = FALSE;
    if (!check || !check(nullptr, AdministratorsGroup(), &member)) return TAdministrator::Unknown;
    return member ? TAdministrator::Yes : TAdministrator::No;
}
