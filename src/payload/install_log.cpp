#include "payload/install_log.h"

#include "base/code_page.h"
#include "base/locale_text.h"
#include "base/path_exists.h"
#include "base/product_path.h"
#include "payload/diagnostic_log.h"
#include "payload/text_file.h"
#include "payload/update_log_merge.h"

#include <algorithm>
#include <set>

std::unique_ptr<std::vector<std::string>> InstallLog;
std::string InstallLogPath;
int LogSuppression = 0;

namespace {
// Upper-cased copies of the log's lines, so that the duplicate test does
// not read the whole log for every line. Rebuilt when the log was replaced
// or its length changed behind AddLogLine's back. (An ordered set: the
// program has its tree code anyway, and a hash table's is 3 KB more.)
std::set<std::string> LogIndex;
const std::vector<std::string>* IndexedLog = nullptr;
size_t IndexedLines = 0;

// The product reads these files in the code page. A line whose path the
// code page cannot spell names it by its short form; without one the line
// is left out (and said so), so that the uninstaller never acts on a
// look-alike of the path.
std::vector<std::string> ProductLines(const char* file, const std::vector<std::string>& lines) {
    std::vector<std::string> product;
    product.reserve(lines.size());
    for (const std::string& line : lines) {
        std::string text;
        if (AnsiFromUtf8(line, text)) {
            product.push_back(text);
            continue;
        }
        // The path runs from its drive or share to the end or a mark; what
        // stands around it is the program's own ASCII.
        const size_t end = std::min(line.find('\t'), line.size());
        const size_t colon = line.find(":\\");
        const size_t start = std::min(colon + 1 > 1 ? colon - 1 : line.find("\\\\"), end);
        const TProductPath path = ProductPath(line.substr(start, end - start));
        const bool named = start < end && path.Form == TProductForm::Short;
        if (named) product.push_back(text.assign(line).replace(start, end - start, path.Text));
        Diagnose(std::string(file) + (named ? ": by its short form: " : ": left out: ") + line);
    }
    return product;
}

// Lines of the code page as the program holds them.
void Utf8Lines(std::vector<std::string>& lines) {
    for (std::string& line : lines)
        line = Utf8FromAnsi(line);
}

void SyncLogIndex() {
    if (IndexedLog == InstallLog.get() && IndexedLines == InstallLog->size()) return;
    LogIndex.clear();
    for (const auto& line : *InstallLog)
        LogIndex.insert(UpperCaseText(line));
    IndexedLog = InstallLog.get();
    IndexedLines = InstallLog->size();
}
} // namespace

void AddLogLine(const std::string& line) {
    if (LogSuppression > 0 || !InstallLog) return;
    SyncLogIndex();
    if (!LogIndex.insert(UpperCaseText(line)).second) return;
    InstallLog->push_back(line);
    IndexedLines = InstallLog->size();
}

void SuppressLog() {
    ++LogSuppression;
}
void ResumeLog() {
    --LogSuppression;
}

void StartInstallLog(const std::string& logPathOrEmpty) {
    InstallLog = std::make_unique<std::vector<std::string>>();
    InstallLogPath = logPathOrEmpty;
    if (!InstallLogPath.empty() && FileExists(InstallLogPath)) {
        std::vector<std::string> lines;
        std::string error;
        if (ReadTextLines(InstallLogPath, lines, error)) {
            Utf8Lines(lines);
            *InstallLog = std::move(lines);
        }
    }
    IndexedLog = nullptr;
}

void SaveInstallLog() {
    if (!InstallLog || InstallLogPath.empty()) return;
    std::string error;
    const bool written =
        WriteTextLines(InstallLogPath, ProductLines("Install.log", *InstallLog), error);
    Diagnose("File: " + InstallLogPath + (written ? std::string() : " FAILED: " + error));
}

bool WriteUpdateLog(const std::string& dataFolderBase, double installStamp,
                    std::vector<std::string>& publicFiles, std::string& error) {
    // Without a data folder the name would be relative to the current folder.
    if (publicFiles.empty() || dataFolderBase.empty()) return true;
    SortTexts(publicFiles);
    std::string path = dataFolderBase;
    if (path.back() != '\\') path += '\\';
    path += "Update.log";

    std::vector<std::string> lines;
    if (FileExists(path) && !ReadTextLines(path, lines, error)) return false;
    Utf8Lines(lines);
    lines = MergeUpdateLog(lines, publicFiles, UpdateLogHeader(installStamp),
                           [](const std::string& s) { return UpperCaseText(s); });
    return WriteTextLines(path, ProductLines("Update.log", lines), error);
}
