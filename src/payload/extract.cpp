// Writing one payload entry to disk.
#include "payload/catalogue.h"

#include "app/app_info.h"
#include "engine/ask_user.h"
#include "payload/file_time.h"
#include "payload/folders.h"
#include "payload/install_log.h"
#include "wizard/message_dialog.h"

#include <windows.h>

namespace {
std::string CannotCreateText(const std::string& target) {
    return "Cannot create file \"" + target +
           "\".\rAnother application might already be using this file.\r\r"
           "Please make sure that the setup of " +
           std::string(kProductName) +
           " is not blocked by your security software (firewall/antivirus) in any way.\r"
           "You might want to temporarily disable your security software and try again.";
}

// Creates the target with exclusive access, writes the bytes in full and
// gives it the stamp. The stamp is set through the same handle after the
// last write, which leaves the file as opening it a second time would (no
// later write moves the time), at the cost of one open per file instead of
// two; with thousands of small files the opens are what the copy costs.
// A file cut short (a full drive) is removed again: it would pass for the
// real one, and no log line would name it.
bool WriteBytes(const std::string& target, const uint8_t* data, int32_t size, double stamp) {
    HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = size == 0 || (WriteFile(file, data, DWORD(size), &written, nullptr) &&
                                  written == DWORD(size));
    if (ok) SetFileDate(file, stamp); // a stamp that cannot be set is no failure
    const bool closed = CloseHandle(file);
    if (ok && closed) return true;
    DeleteFileA(target.c_str());
    return false;
}
} // namespace

bool TAttachedFiles::ExtractEntry(const TAttachedFile* entry, const std::string& name,
                                  const std::string& target) {
    if (!entry) entry = FindFile(name);
    const size_t slash = target.find_last_of('\\');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    for (;;) {
        MakeFolder(folder);
        if (entry && WriteBytes(target, Data(*entry), entry->Size, entry->Date)) {
            AddLogLine("File Copy: " + target);
            return true;
        }
        const int answer = AskUser(CannotCreateText(target), mtError, mbAbort | mbRetry | mbIgnore);
        if (answer == mrAbort) return false;
        if (answer == mrIgnore) return true;
        // Retry, or the question closed some other way: the whole attempt again.
    }
}
