// A path as the product receives it: the word processor and its
// uninstaller read their files and their command line in the ANSI code
// page, so a path that the code page cannot spell is handed over in the
// short form the volume keeps for it.
#pragma once

#include <string>

enum class TProductForm {
    AsIs,  // the path fits the code page
    Short, // its short form, which does
    None,  // neither: the volume keeps no short form that fits
};

struct TProductPath {
    std::string Text; // in the code page; empty for TProductForm::None
    TProductForm Form;
};

// The path in the code page. Folders and files not made yet are appended
// to the short form of the nearest one that exists, as they are.
TProductPath ProductPath(const std::string& path);
