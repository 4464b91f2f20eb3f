#include "payload/components.h"

#include "base/locale_text.h"

const char* const ComponentNames[ComponentCount] = {
    "Quorvale Word Processor", "English spellchecker", "Hyphenation module",
    "Document templates",      "Clip library",         "Basic sound scheme",
};

const char* const ComponentFileLists[ComponentCount] = {
    "kel.exe\rLicense.txt",
    "English (American).asc\rEnglish (British).asc\renglish.zlx\rus.zlx\ruk.zlx\r"
    "userdicen.tlx\rEnglish (American).cache",
    "Hyphenation.dat",
    "Templates\\",
    "Clip Library\\",
    "Basic.asn",
};

std::vector<std::string> ComponentPatterns(int component) {
    std::vector<std::string> patterns;
    if (component < 0 || component >= ComponentCount) return patterns;
    std::string list = ComponentFileLists[component];
    size_t start = 0;
    for (;;) {
        const size_t end = list.find('\r', start);
        patterns.push_back(list.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return patterns;
}

bool IsFolderPattern(const std::string& pattern) {
    return !pattern.empty() && pattern.back() == '\\';
}

bool PatternMatches(const std::string& pattern, const std::string& name) {
    if (IsFolderPattern(pattern))
        return name.size() >= pattern.size() &&
               SameAnsiName(name.substr(0, pattern.size()), pattern);
    return SameAnsiName(name, pattern);
}
