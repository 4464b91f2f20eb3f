// Writing one payload entry to disk.
#include "payload/catalogue.h"

#include "base/product_names.h"
#include "base/scoped_win.h"
#include "base/wide_paths.h"
#include "payload/file_time.h"
#include "payload/folders.h"
#include "payload/install_log.h"
#include "payload/safe_write.h"
#include "payload/temp_files.h"

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

#ifdef QV_WRITE_IN_PLACE
// A build for the benchmark only (bench/run), to tell what the crash-safe
// writing below costs: the target itself opened, truncated and written.
bool WriteBytes(const std::string& target, const uint8_t* data, int32_t size, double stamp) {
    const TFileHandle file =
        CreatePathFile(target, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    if (!file) return false;
    DWORD written = 0;
    const bool ok = size == 0 || (WriteFile(file.Get(), data, DWORD(size), &written, nullptr) &&
                                  written == DWORD(size));
    if (ok) SetFileDate(file, stamp);
    return ok;
}
#else
// The new bytes go under a new name and then over the target in one step
// (WriteWholeFile): a full drive, a crash or a killed run never leaves the
// target cut short or gone. Not flushed: with thousands of small files the
// flushes would cost more than the copy itself.
bool WriteBytes(const std::string& target, const uint8_t* data, int32_t size, double stamp) {
    return WriteWholeFile(target, data, uint32_t(size), &stamp, false);
}
#endif
} // namespace

bool TAttachedFiles::ExtractEntry(const TAttachedFile* entry, const std::string& name,
                                  const std::string& target, const TWriteFailureAsker& ask,
                                  bool* written) {
    if (written) *written = false;
    if (!entry) entry = FindFile(name);
    const size_t slash = target.find_last_of('\\');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    for (;;) {
        MakeFolder(folder);
        // Once per folder and run: what a run killed while writing left.
        if (SweptFolders_.insert(folder).second) RemoveLeftoverWrites(folder);
        if (entry && WriteBytes(target, Data(*entry), entry->Size, entry->Date)) {
            AddLogLine("File Copy: " + target);
            if (written) *written = true;
            return true;
        }
        const TWriteFailureAnswer answer = ask(CannotCreateText(target));
        if (answer == TWriteFailureAnswer::Abort) return false;
        if (answer == TWriteFailureAnswer::Ignore) return true;
        // Retry: the whole attempt again.
    }
}
