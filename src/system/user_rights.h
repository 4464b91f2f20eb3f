// The rights the setup program runs with.
#pragma once

#include <windows.h>

#include <vector>

enum class TAdministrator { Yes, No, Unknown };

// Whether the user counts as an administrator: the Administrators group is
// one of the token's enabled groups (CheckTokenMembership, looked up: the
// systems before Windows 2000 do not have it). Asked before the shell is
// loaded, as the single-setup check is. With UAC on, only an elevated setup
// program counts.
TAdministrator Administrator();

// The user the process runs as, as the bytes of a SID; empty when the
// system cannot tell (no tokens on the oldest systems, no right to ask).
std::vector<unsigned char> ProcessUserSid(HANDLE process);
