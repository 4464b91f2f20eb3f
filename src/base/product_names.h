// Names and texts that several parts of the program show.
#pragma once

inline constexpr char kProductName[] = "Quorvale Word Processor";
inline constexpr char kProductVersion[] = "3.3.3.1";
inline constexpr char kApplicationTitle[] = "Quorvale Word Processor - Setup";
