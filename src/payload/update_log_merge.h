// The section merge of "Update.log", apart from the file and the locale so
// that it can be tested on its own. No windows.h.
//
// The file is made of sections: a header line "*" + 16 hex digits (the
// run's install stamp) followed by the shared data files that run planned.
// A file line stands only in the newest section that holds it.
#pragma once

#include <functional>
#include <string>
#include <vector>

// "*" followed by the 8 bytes of the stamp in memory order, two upper-case
// hex digits each.
std::string UpdateLogHeader(double installStamp);

// Returns the new content: the old lines without empty lines and without
// lines equal to one of `publicFiles`, without headers left with no file
// line, followed by `header` and `publicFiles` in the order given. Two
// lines are equal when `fold` maps them to the same text.
std::vector<std::string> MergeUpdateLog(const std::vector<std::string>& oldLines,
                                        const std::vector<std::string>& publicFiles,
                                        const std::string& header,
                                        const std::function<std::string(const std::string&)>& fold);
