// The text that makes a label show a name as it is: a label takes "&" as the
// mark of an accelerator, so every "&" is doubled. A name that is exactly
// "-" becomes "- ".
#pragma once

#include <string>

std::string LabelText(const std::string& name);

// The text with its "%s" marks replaced by the values, in order.
std::string FormatText(const std::string& format, const std::string& first,
                       const std::string& second);
