#include "wizard/license_text.h"

#include "engine/ask_user.h"
#include "payload/catalogue.h"
#include "payload/install_log.h"
#include "payload/temp_files.h"
#include "payload/text_file.h"

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
} // namespace

bool ShowLicense(HWND memo) {
    // Through a temporary file, with the log held back: the licence shown
    // is no part of the installation.
    const std::string file = TempFileName();
    SuppressLog();
    const bool extracted =
        Catalogue->ExtractEntry(nullptr, "License.txt", file, AskAboutWriteFailure);
    ResumeLog();
    if (!extracted) return false;
    std::string text;
    if (ReadLinesForMemo(file, text)) {
        SendMessageA(memo, EM_LIMITTEXT, 0, 0); // as long as the licence is
        SetWindowTextA(memo, text.c_str());
    }
    DeleteFileA(file.c_str());
    return true;
}
