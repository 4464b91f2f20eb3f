// Names and texts that several parts of the program show.
#pragma once

constexpr char kProductName[] = "Quorvale Word Processor";
constexpr char kProductVersion[] = "3.3.3.1";
constexpr char kApplicationTitle[] = "Quorvale Word Processor - Setup";
