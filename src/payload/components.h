// The six components of the product and the name patterns that select
// payload entries.
#pragma once

#include "payload/ansi_text.h"

#include <string>
#include <vector>

constexpr int ComponentCount = 6;

// Display names, indexed by component number; component 0 is always installed.
extern const char* const ComponentNames[ComponentCount];
// The name patterns of each component, separated by single carriage returns.
extern const char* const ComponentFileLists[ComponentCount];

// The patterns of one component's file list, in order.
std::vector<std::string> ComponentPatterns(int component);

// Equal after both are upper-cased by the system (user's locale).
bool SameName(const std::string& a, const std::string& b);

// A pattern ending in "\" selects every entry below that payload folder, at
// any depth; any other pattern selects an entry of exactly that name.
// Letter case does not matter (SameName).
bool IsFolderPattern(const std::string& pattern);
bool PatternMatches(const std::string& pattern, const std::string& name);
