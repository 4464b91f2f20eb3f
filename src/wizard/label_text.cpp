#include "wizard/label_text.h"

std::string LabelText(const std::string& name) {
    if (name == "-") return "- ";
    std::string text;
    text.reserve(name.size() + 4);
    for (char c : name) {
        text.push_back(c);
        if (c == '&') text.push_back('&');
    }
    return text;
}
