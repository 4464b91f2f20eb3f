#include "system/destination_rules.h"

#include "base/locale_text.h"
#include "base/paths.h"
#include "base/product_names.h"
#include "base/utf8_text.h"

#include <algorithm>
#include <cctype>

namespace {
constexpr size_t kMaxPath = 260;       // MAX_PATH, the terminating zero included
constexpr size_t kMaxFolderPath = 248; // CreateDirectory leaves room for an 8.3 name
// The new file a copy is written to first: "~QuorvaleWordProcessorSetup-",
// up to ten digits, ".tmp".
constexpr size_t kLongestWriteName = 28 + 10 + 4;

bool IsDeviceName(const std::string& name) {
    // The device wins whatever follows its name after a dot.
    std::string base = AsciiUpperCase(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    static const char* const kDevices[] = {"CON",    "PRN",     "AUX",   "NUL",
                                           "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : kDevices)
        if (base == device) return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

bool IsPlainName(const std::string& name) {
    if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 32 ||
            std::string("<>:\"/\\|?*").find(c) != std::string::npos)
            return false;
    return !IsDeviceName(name);
}

// The names of `rest`, split at backslashes, all plain; at least `least` of them.
bool PlainNames(const std::string& rest, size_t least) {
    size_t count = 0, start = 0;
    for (;;) {
        const size_t end = rest.find('\\', start);
        if (!IsPlainName(rest.substr(start, end - start))) return false;
        ++count;
        if (end == std::string::npos) return count >= least;
        start = end + 1;
    }
}
// The limits count the UTF-16 units the system is handed, not UTF-8 bytes.
size_t Units(const std::string& text) {
    return WideText(text).size();
}

// What is left of the limit once `used` is taken; none when it is passed.
size_t Room(size_t limit, size_t used) {
    return used < limit ? limit - used : 0;
}
} // namespace

bool IsPlainFolderPath(const std::string& path) {
    if (path.size() >= 4 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
        path[2] == '\\')
        return PlainNames(path.substr(3), 1);
    // "\\server\share...": "?" and "." are no servers, so "\\?\" and "\\.\"
    // fail here.
    if (path.size() >= 5 && path[0] == '\\' && path[1] == '\\')
        return PlainNames(path.substr(2), 2);
    return false;
}

size_t LongestDestination(const std::vector<std::string>& names) {
    size_t longest = kMaxPath - 1;
    for (const std::string& name : names) {
        const size_t slash = name.rfind('\\');
        const size_t folder =
            slash == std::string::npos ? 0 : Units(name.substr(0, slash + 1)); // with its backslash
        const size_t file = std::max(Units(name), folder + kLongestWriteName);
        // destination + "\" + name, and the deepest folder without its backslash.
        longest = std::min(longest, Room(kMaxPath - 2, file));
        if (folder) longest = std::min(longest, Room(kMaxFolderPath - 1, folder));
    }
    return longest;
}

std::string DestinationRefusal(const std::string& folder, size_t longest) {
    if (!IsPlainFolderPath(folder))
        return "The folder \"" + folder +
               "\" cannot be used as the destination folder.\r\rPlease type the path of a folder "
               "on a local drive (such as C:\\Program Files\\Quorvale) or on a network share "
               "(such as \\\\server\\share\\Quorvale). Folder names may not contain any of the "
               "characters \\ / : * ? \" < > |, may not end with a dot or a blank and may not be "
               "the names of devices such as CON or NUL.";
    if (Units(folder) > longest)
        return "The folder \"" + folder + "\" is too long: the files of " +
               std::string(kProductName) +
               " would not fit below it.\r\rPlease choose a folder "
               "whose path has at most " +
               std::to_string(longest) + " characters.";
    return std::string();
}

std::string GivenDestinationRefusal(const std::string& given) {
    const size_t first = given.find_first_not_of(' ');
    const std::string folder = first == std::string::npos ? std::string() : given.substr(first);
    if (folder.empty()) return "No destination folder was given.";
    const bool drive = folder.size() >= 3 && std::isalpha(static_cast<unsigned char>(folder[0])) &&
                       folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/');
    if (drive || DrivePart(folder).size() > 2) return std::string();
    return "The folder \"" + given +
           "\" is no full path.\r\rPlease give a folder with its drive (such as "
           "C:\\Program Files\\Quorvale) or on a network share (such as "
           "\\\\server\\share\\Quorvale).";
}

std::string NoWriteAccessMessage(const std::string& folder, const std::string& own) {
    return "You do not have permission to create or change files in the folder \"" + folder +
           "\".\r\rTo install " + std::string(kProductName) +
           " there, start the setup program as an administrator. Otherwise please choose a "
           "folder of your own" +
           (own.empty() ? std::string() : ", such as \"" + own + "\"") + ".";
}

std::string NormalizedDestination(const std::string& typed, char currentDrive,
                                  const std::string& programFiles) {
    const size_t first = typed.find_first_not_of(' ');
    std::string t = first == std::string::npos
                        ? std::string()
                        : typed.substr(first, typed.find_last_not_of(' ') - first + 1);

    const std::string drive = DrivePart(t);
    if (drive.empty()) {
        // A relative name would depend on the current folder: the current
        // drive's root stands in for it.
        t = std::string(1, currentDrive) + ':';
    } else if (drive.size() == 2 && t.size() > 2 && t[2] != '\\' && t[2] != '/') {
        // "d:Games" lies below the current folder of drive d, which is not
        // ours to know: that drive's root stands in for it too.
        t = drive;
    }
    t = WithoutBackslash(t);

    const size_t cut = t.find_last_of("\\:");
    const bool noLastElement = cut != std::string::npos && cut + 1 == t.size();
    if (noLastElement || (!programFiles.empty() && SameName(t, programFiles)))
        t = JoinPath(t, kProductFolder);
    return t;
}
