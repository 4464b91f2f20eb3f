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

std::string FormatText(const std::string& format, const std::string& first,
                       const std::string& second) {
    std::string text;
    int used = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's' && used < 2) {
            text += used++ == 0 ? first : second;
            ++i;
        } else {
            text.push_back(format[i]);
        }
    }
    return text;
}
