#include "wizard/license_text.h"

#include "base/wide_paths.h"
#include "engine/ask_user.h"
#include "payload/catalogue.h"
#include "payload/install_log.h"
#include "payload/temp_files.h"
#include "payload/text_file.h"
#include "payload/text_lines.h"

#include <string>
#include <vector>

namespace {
// A text file's lines (ended by CR, LF or CR LF) joined by CR LF, as a
// multi-line edit shows them. False when the file cannot be read.
bool ReadLinesForMemo(const std::string& path, std::string& text) {
    std::vector<std::string> lines;
    std::string error;
    if (!ReadTextLines(path, lines, error)) return false;
    text.clear();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) text += "\r\n";
        text += lines[i];
    }
    return true;
}

// The licence is text of the code page: the narrow call shows it as the
// system reads that code page.
void ShowText(HWND memo, const std::string& text) {
    SendMessageA(memo, EM_LIMITTEXT, 0, 0); // as long as the licence is
    SetWindowTextA(memo, text.c_str());
}

// The licence straight from the payload, when no temporary file can hold it.
void ShowLicenseFromPayload(HWND memo, const TAttachedFiles& files) {
    const TAttachedFile* entry = files.FindFile("License.txt");
    if (!entry) return;
    const auto* bytes = reinterpret_cast<const char*>(files.Data(*entry));
    const std::vector<std::string> lines = SplitLines(std::string(bytes, size_t(entry->Size)));
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\r\n" : "") + lines[i];
    ShowText(memo, text);
}

std::string TempFolderText(const std::string& folder) {
    return "Cannot create a temporary file in the folder \"" + folder +
           "\".\rSetup needs one to show the license agreement.\r\r"
           "Please make sure that the folder exists and that you may write to it, or set "
           "the TEMP variable to a folder of your own.";
}
} // namespace

bool ShowLicense(HWND memo, TAttachedFiles& files) {
    // Through a temporary file, with the log held back: the licence shown
    // is no part of the installation. A temporary folder that takes no file
    // is named (never a name relative to the current folder).
    std::string file;
    for (;;) {
        file = TempFileName();
        if (!file.empty()) break;
        const DWORD error = GetLastError();
        const std::string folder = TempFolder();
        SetLastError(error); // the reason the question's log line gives
        const TWriteFailureAnswer answer = AskAboutWriteFailure(TempFolderText(folder));
        if (answer == TWriteFailureAnswer::Abort) return false;
        if (answer == TWriteFailureAnswer::Ignore) {
            ShowLicenseFromPayload(memo, files);
            return true;
        }
    }
    SuppressLog();
    const bool extracted = files.ExtractEntry(nullptr, "License.txt", file, AskAboutWriteFailure);
    ResumeLog();
    if (!extracted) return false;
    std::string text;
    if (ReadLinesForMemo(file, text)) ShowText(memo, text);
    DeletePathFile(file);
    return true;
}
