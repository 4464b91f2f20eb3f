// The choices a run of the wizard makes that no check box holds.
#pragma once

#include <cstdint>
#include <string>

// Every component ticked: bits 0 to 30.
constexpr uint32_t kAllComponents = 2147483647u;
// No last-run version known: above every version threshold.
constexpr int32_t kNoLastRunVersion = 2147483647;

struct TOptions {
    std::string DestDir;
    uint32_t Components = kAllComponents; // bit i = component i
    std::string Extensions = "B";         // letters "A" to "D" of the document types
};
