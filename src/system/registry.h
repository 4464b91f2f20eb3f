// A small registry wrapper with the program's rules: a key is opened by
// creating it when missing; strings are read up to the first NUL and written
// with their NUL counted; numbers are 4 bytes; flags are 0 or 1. Failures are
// not reported: a value that cannot be read counts as missing.
#pragma once

#include "base/scoped_win.h"

#include <windows.h>

#include <cstdint>
#include <string>

class TRegistry {
  public:
    explicit TRegistry(HKEY root = HKEY_CURRENT_USER) : Root_(root) {}
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // Closes the open key, if any, and works under another root from now on.
    void SetRootKey(HKEY root);
    // Opens (creating when missing, unless `create` is false) a key below
    // the root; closes the previous one.
    bool OpenKey(const char* path, bool create = true);
    void CloseKey();
    bool HasKey() const { return Key_.Valid(); }

    bool ValueExists(const char* name) const;
    // False when the value is missing or is not 4 bytes long.
    bool ReadInteger(const char* name, int32_t& value) const;
    // False when the value is missing; the text ends at the first NUL.
    bool ReadString(const char* name, std::string& value) const;

    void WriteString(const char* name, const std::string& value);
    void WriteInteger(const char* name, int32_t value);
    void WriteBool(const char* name, bool value) { WriteInteger(name, value ? 1 : 0); }

  private:
    // A line of the diagnostic log for each value written.
    void DiagnoseWrite(const char* name, const std::string& value, long result) const;

    HKEY Root_;
    TKeyHandle Key_;
    std::string Path_; // of the open key
};
