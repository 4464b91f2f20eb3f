#include "system/associations.h"

namespace {
const char* const kSuffixes[kDocumentTypes] = {"_rtf", "_cod", "_doc", "_docx"};
}

TDocumentTypes TDocumentTypes::FromLetters(const std::string& letters) {
    TDocumentTypes types;
    for (int i = 0; i < kDocumentTypes; ++i)
        types.Set(i, letters.find(kDocumentLetters[i]) != std::string::npos);
    return types;
}

std::string TDocumentTypes::Letters() const {
    std::string letters;
    for (int i = 0; i < kDocumentTypes; ++i)
        if (Has(i)) letters += kDocumentLetters[i];
    return letters;
}

std::string AssociationArguments(TDocumentTypes types) {
    std::string args = "-assoc adpr";
    for (int i = 0; i < kDocumentTypes; ++i)
        if (types.Has(i)) args += kSuffixes[i];
    return args;
}

std::string QuotedCommandLine(const std::string& program, const std::string& arguments) {
    std::string line = "\"" + program + "\"";
    if (!arguments.empty()) line += " " + arguments;
    return line;
}
