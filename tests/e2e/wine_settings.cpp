// Per-program settings of Wine, kept in the prefix's registry.
#include "e2e.h"

namespace e2e {

void UnmanagedWindows() {
    static bool done = false;
    if (done) return;
    done = true;
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    RegCloseKey(key);
}

WineWindowsVersion::WineWindowsVersion(const std::string& exeName, const std::string& version)
    : key_("Software\\Wine\\AppDefaults\\" + exeName) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        Fail("cannot create HKCU\\" + key_);
        return;
    }
    const LONG rc =
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                       DWORD(version.size() + 1));
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) Fail("cannot set HKCU\\" + key_ + "\\Version");
}

WineWindowsVersion::~WineWindowsVersion() {
    // The key holds the one value and no subkeys.
    RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
}

} // namespace e2e
