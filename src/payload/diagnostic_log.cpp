#include "payload/diagnostic_log.h"

#include "base/open_items.h"
#include "base/scoped_win.h"
#include "base/utf8_text.h"
#include "base/wide_paths.h"

#include <windows.h>

#include <string>

namespace {
// The log is one file for the whole run, written from the wizard's thread and
// the install thread; the lock keeps their lines whole.
struct TDiagnosticLog {
    TFileHandle File;
    CRITICAL_SECTION Lock;
    TDiagnosticLog() { InitializeCriticalSection(&Lock); }
    ~TDiagnosticLog() { DeleteCriticalSection(&Lock); }
} Log;
} // namespace

std::string OpenDiagnosticLog(const std::string& path, TLinkTest isLink) {
    CloseDiagnosticLog();
    const std::string asked = FullPathName(path);
    if (asked.empty()) return std::string();
    const size_t slash = asked.find_last_of('\\');
    const size_t dot = asked.find_last_of('.');
    const size_t cut = dot != std::string::npos && dot > slash + 1 ? dot : asked.size();
    // Anyone may make folders in a drive's root, and one of them (or one
    // further down) made a link would carry an administrator's log, and
    // whatever he names after it, to a place of that user's choosing. The
    // drive's or share's root is the one folder no user can swap.
    const std::vector<TOpenItem> folders = OpenFolderPath(asked.substr(0, slash), "", isLink);
    if (folders.empty()) return std::string();
    for (int n = 1; n < 100; ++n) {
        const std::string name =
            n == 1 ? asked : asked.substr(0, cut) + "-" + std::to_string(n) + asked.substr(cut);
        // Readable while it is written, so that a stuck run can be looked at.
        TOpenItem file =
            CreateFileIn(folders.back(), name.substr(slash + 1), GENERIC_WRITE, isLink);
        if (file.Handle) {
            EnterCriticalSection(&Log.Lock);
            Log.File = std::move(file.Handle);
            LeaveCriticalSection(&Log.Lock);
            return name;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return std::string();
    }
    return std::string();
}

bool DiagnosticLogOpen() {
    return Log.File.Valid();
}

void Diagnose(const std::string& line) {
    if (!DiagnosticLogOpen()) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    // "hh:mm:ss.mmm ", written by hand: the C library's formatting engine
    // would be a tenth of the program for this one line.
    char time[14];
    const unsigned fields[] = {now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    char* at = time;
    for (int i = 0; i < 4; ++i) {
        if (i == 3) *at++ = char('0' + fields[i] / 100 % 10);
        *at++ = char('0' + fields[i] / 10 % 10);
        *at++ = char('0' + fields[i] % 10);
        *at++ = i < 2 ? ':' : i == 2 ? '.' : ' ';
    }
    const std::string text = std::string(time, at) + line + "\r\n";
    EnterCriticalSection(&Log.Lock);
    DWORD written = 0;
    // Straight to the file: what is written stays when the program dies.
    if (Log.File) WriteFile(Log.File.Get(), text.data(), DWORD(text.size()), &written, nullptr);
    LeaveCriticalSection(&Log.Lock);
}

void CloseDiagnosticLog() {
    EnterCriticalSection(&Log.Lock);
    Log.File.Reset();
    LeaveCriticalSection(&Log.Lock);
}

std::string SystemMessage(uint32_t code) {
    TLocalMemory<wchar_t> text;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(text.Out()), 0, nullptr);
    std::string message = length && text ? Utf8Text(text.Get(), length) : std::string();
    while (!message.empty() &&
           (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message;
}

std::string SystemErrorText(uint32_t code) {
    const std::string message = SystemMessage(code);
    return "error " + std::to_string(code) + ": " + (message.empty() ? "unknown" : message);
}
