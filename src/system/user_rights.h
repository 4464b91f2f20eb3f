// The rights the setup program runs with.
#pragma once

enum class TAdministrator { Yes, No, Unknown };

// Whether the user counts as an administrator (IsUserAnAdmin, looked up:
// the shells before Windows 2000 do not have it). With UAC on, only an
// elevated setup program does.
TAdministrator Administrator();
