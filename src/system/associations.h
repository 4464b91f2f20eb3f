// Document types the word processor is asked to take over, and the command
// lines the setup program hands to it. No windows.h.
#pragma once

#include <string>

// The four document types in their fixed order: letters "A" to "D" of the
// saved choice, and the suffixes of the association argument.
constexpr int kDocumentTypes = 4;
inline constexpr char kDocumentLetters[kDocumentTypes + 1] = "ABCD";

// Whether a saved letter string ticks box i (0 to 3): the letter anywhere in it.
bool DocumentTypeChosen(const std::string& extensions, int box);

// The letters of the ticked boxes, in the order A, B, C, D.
std::string ExtensionsFromBoxes(const bool checked[kDocumentTypes]);

// "-assoc adpr" followed by "_rtf", "_cod", "_doc", "_docx" for the ticked boxes.
std::string AssociationArguments(const bool checked[kDocumentTypes]);

// A program path in double quotes, then a blank and the arguments if any.
std::string QuotedCommandLine(const std::string& program, const std::string& arguments);
