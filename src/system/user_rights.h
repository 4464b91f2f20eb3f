// The rights the setup program runs with.
#pragma once

enum class TAdministrator { Yes, No, Unknown };

// Whether the user counts as an administrator: the Administrators group is
// one of the token's enabled groups (CheckTokenMembership, looked up: the
// systems before Windows 2000 do not have it). Asked before the shell is
// loaded, as the single-setup check is. With UAC on, only an elevated setup
// program counts.
TAdministrator Administrator();
