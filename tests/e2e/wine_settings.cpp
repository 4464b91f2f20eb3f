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

void DesktopOutsideJobs() {
    static const HWND desktop = GetDesktopWindow();
    (void)desktop;
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

namespace {
constexpr char kDesktopKey[] = "Control Panel\\Desktop";
}

WineDpi::WineDpi(int dpi) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        Fail("cannot open HKCU\\Control Panel\\Desktop");
        return;
    }
    DWORD type = 0, size = sizeof old_;
    had_ = RegQueryValueExA(key, "LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&old_),
                            &size) == ERROR_SUCCESS &&
           type == REG_DWORD;
    const DWORD value = DWORD(dpi);
    if (RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof value) != ERROR_SUCCESS)
        Fail("cannot set LogPixels");
    RegCloseKey(key);
}

WineDpi::~WineDpi() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    if (had_)
        RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_),
                       sizeof old_);
    else
        RegDeleteValueA(key, "LogPixels");
    RegCloseKey(key);
}

void SeeWindowsUnscaled() {
    using SetContext = HANDLE(WINAPI*)(HANDLE);
    const auto set = reinterpret_cast<SetContext>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext")));
    if (set) set(reinterpret_cast<HANDLE>(INT_PTR(-4))); // per monitor, version 2
}

} // namespace e2e
