#include "system/install_scope.h"

#include "base/scoped_win.h"
#include "base/utf8_text.h"
#include "system/uninstall_entry.h"

#include <windows.h>

#include <string>

TInstallScope DecideInstallScope() {
    // The list of installed programs must take a new entry, and the
    // product's entry, when an earlier run left one, must take new values.
    // (A system without the list yet must let the list itself be made.)
    const std::string key = kUninstallKey;
    const std::string list = key.substr(0, key.rfind('\\'));
    HKEY opened = nullptr;
    LONG result =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideText(list).c_str(), 0, KEY_CREATE_SUB_KEY, &opened);
    if (result == ERROR_FILE_NOT_FOUND)
        result =
            RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideText(list.substr(0, list.rfind('\\'))).c_str(), 0,
                          KEY_CREATE_SUB_KEY, &opened);
    if (result != ERROR_SUCCESS) return TInstallScope::ForMe;
    TKeyHandle listKey(opened);
    opened = nullptr;
    const LONG entry =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideText(key).c_str(), 0, KEY_SET_VALUE, &opened);
    TKeyHandle entryKey(opened);
    return entry == ERROR_SUCCESS || entry == ERROR_FILE_NOT_FOUND ? TInstallScope::ForEveryone
                                                                   : TInstallScope::ForMe;
}

const char* InstallScopeText(TInstallScope scope) {
    return scope == TInstallScope::ForEveryone ? "for everyone" : "for me";
}
