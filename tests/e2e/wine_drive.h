// A drive letter of a chosen type for tests, pointing at a folder of the
// build tree. Wine's drives take their type from its mount manager, which
// reads it only when it starts; its own "define Unix drive" request (what
// Wine's configuration tool uses) adds a typed drive at once. This is the
// small layer of our own for what the Windows API cannot do under Wine.
#pragma once

#include <string>

class TWineDrive {
  public:
    // `folder` is a Windows path on drive Z: (the Unix root), e.g. under
    // QV_OUT_DIR; `type` a DRIVE_* value such as DRIVE_REMOVABLE.
    TWineDrive(const std::string& folder, unsigned type);
    // The same with a letter of one's own ('A' to 'Z'), if it is free.
    TWineDrive(const std::string& folder, unsigned type, char letter);
    ~TWineDrive(); // removes the letter and its registry value again
    TWineDrive(const TWineDrive&) = delete;
    TWineDrive& operator=(const TWineDrive&) = delete;

    bool Defined() const { return Letter_ != 0; }
    // "R:\" and the like.
    std::string Root() const { return std::string(1, Letter_) + ":\\"; }

  private:
    void Create(const std::string& folder, unsigned type, char letter);
    bool Define(char letter, const std::string& unixPath, unsigned type);
    char Letter_ = 0;
};
