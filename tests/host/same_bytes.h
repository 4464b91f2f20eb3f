// Two builds of the same sources must give the same bytes. When they do
// not, where the first difference lies (which section of the program)
// points to its cause: a time stamp in the header, a path compiled into
// the code, a payload packed differently.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hosttest {

// Empty when the files are the same; else where they first differ, named
// by the part of the first file: "the headers", a section (".text",
// ".rsrc", ...) or "the data after the last section".
std::string FirstDifference(const std::vector<uint8_t>& first, const std::vector<uint8_t>& second);

} // namespace hosttest
