// Included ahead of every source of the Windows programs (-include).
//
// The library normally declares std::string and std::wstring as instantiated
// inside itself, so that the first use of either links the whole of the
// library's instantiation: about 33 KB each, most of it members this program
// never calls. The library's own switch below (the value it uses for its
// checked mode, without the checks) turns that declaration off for
// basic_string only: the compiler then instantiates just the members used,
// and the linker keeps just those.
#pragma once
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1

// The texts that the library's errors carry: setup.exe ends at once on any
// of them (src/app/quiet_terminate.cpp) and never shows one, yet each
// source file kept its own copies of them, about 5 KB in all. The test
// programs keep them, where a failing test prints them.
#ifdef QV_NO_LIBRARY_MESSAGES
#undef __N
#define __N(msgid) ("")
#endif
