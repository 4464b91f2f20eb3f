#include "system/user_rights.h"

#include "base/run_time_functions.h"

#include <windows.h>

TAdministrator Administrator() {
    using TIsUserAnAdmin = BOOL(WINAPI*)();
    const auto isAdmin = LoadedFunction<TIsUserAnAdmin>("shell32.dll", "IsUserAnAdmin");
    if (!isAdmin) return TAdministrator::Unknown;
    return isAdmin() ? TAdministrator::Yes : TAdministrator::No;
}
