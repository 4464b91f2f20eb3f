#include "system/registry.h"

#include "base/utf8_text.h"
#include "payload/diagnostic_log.h"

#include <vector>

void TRegistry::SetRootKey(HKEY root) {
    CloseKey();
    Root_ = root;
}

bool TRegistry::OpenKey(const char* path, bool create) {
    CloseKey();
    Path_ = path;
    HKEY key = nullptr;
    const TWideText wide = WideText(path);
    const LONG result =
        create ? RegCreateKeyExW(Root_, wide.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_ALL_ACCESS, nullptr, &key, nullptr)
               : RegOpenKeyExW(Root_, wide.c_str(), 0, KEY_READ, &key);
    if (result != ERROR_SUCCESS) return false;
    Key_.Reset(key);
    return true;
}

void TRegistry::CloseKey() {
    Key_.Reset();
}

bool TRegistry::ValueExists(const char* name) const {
    DWORD size = 0;
    return Key_ && RegQueryValueExW(Key_.Get(), WideText(name).c_str(), nullptr, nullptr, nullptr,
                                    &size) == ERROR_SUCCESS;
}

bool TRegistry::ReadInteger(const char* name, int32_t& value) const {
    if (!Key_) return false;
    // A value of another size (a string or a blob where a number belongs)
    // gives no sane number: treat it as missing so the default applies.
    DWORD size = sizeof(int32_t), type = REG_NONE;
    int32_t data = 0;
    if (RegQueryValueExW(Key_.Get(), WideText(name).c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        size != sizeof(int32_t) || (type != REG_DWORD && type != REG_BINARY))
        return false;
    value = data;
    return true;
}

bool TRegistry::ReadString(const char* name, std::string& value) const {
    if (!Key_) return false;
    const TWideText wideName = WideText(name);
    DWORD size = 0, type = REG_NONE;
    // A number or a blob where a text belongs counts as missing too.
    if (RegQueryValueExW(Key_.Get(), wideName.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ))
        return false;
    // A unit more than stored (and the half of an odd byte count), so a
    // value written without its NUL still ends inside the buffer.
    std::vector<wchar_t> data(size_t(size) / sizeof(wchar_t) + 2, L'\0');
    DWORD got = size;
    if (size && RegQueryValueExW(Key_.Get(), wideName.c_str(), nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(data.data()), &got) != ERROR_SUCCESS)
        return false;
    value = Utf8Text(data.data()); // up to the first NUL
    return true;
}

void TRegistry::WriteString(const char* name, const std::string& value) {
    const TWideText wide = WideText(value);
    const LONG result = Key_ ? RegSetValueExW(Key_.Get(), WideText(name).c_str(), 0, REG_SZ,
                                              reinterpret_cast<const BYTE*>(wide.c_str()),
                                              DWORD((wide.size() + 1) * sizeof(wchar_t)))
                             : ERROR_INVALID_HANDLE;
    DiagnoseWrite(name, "\"" + value + "\"", result);
}

void TRegistry::WriteInteger(const char* name, int32_t value) {
    const LONG result = Key_ ? RegSetValueExW(Key_.Get(), WideText(name).c_str(), 0, REG_DWORD,
                                              reinterpret_cast<const BYTE*>(&value), sizeof value)
                             : ERROR_INVALID_HANDLE;
    DiagnoseWrite(name, std::to_string(value), result);
}

void TRegistry::DiagnoseWrite(const char* name, const std::string& value, long result) const {
    if (!DiagnosticLogOpen()) return;
    const char* root = Root_ == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
    Diagnose(std::string("Registry: ") + root + "\\" + Path_ + "\\" + name + " = " + value +
             (result == ERROR_SUCCESS ? std::string()
                                      : " FAILED, " + SystemErrorText(uint32_t(result))));
}
