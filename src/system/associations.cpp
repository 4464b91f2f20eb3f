#include "system/associations.h"

namespace {
const char* const kSuffixes[kDocumentTypes] = {"_rtf", "_cod", "_doc", "_docx"};
}

bool DocumentTypeChosen(const std::string& extensions, int box) {
    return box >= 0 && box < kDocumentTypes &&
           extensions.find(kDocumentLetters[box]) != std::string::npos;
}

std::string ExtensionsFromBoxes(const bool checked[kDocumentTypes]) {
    std::string letters;
    for (int i = 0; i < kDocumentTypes; ++i)
        if (checked[i]) letters += kDocumentLetters[i];
    return letters;
}

std::string AssociationArguments(const bool checked[kDocumentTypes]) {
    std::string args = "-assoc adpr";
    for (int i = 0; i < kDocumentTypes; ++i)
        if (checked[i]) args += kSuffixes[i];
    return args;
}

std::string QuotedCommandLine(const std::string& program, const std::string& arguments) {
    std::string line = "\"" + program + "\"";
    if (!arguments.empty()) line += " " + arguments;
    return line;
}
