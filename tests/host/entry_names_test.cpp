// Which entry names the installer plans: a payload built by another tool may
// name files outside their folder, devices, or names Windows would change.
#include "payload/entry_names.h"

#include <gtest/gtest.h>

using payload::IsSafeEntryName;

TEST(EntryNames, OrdinaryNamesOfEveryDepthAreAccepted) {
    for (const char* name :
         {"kel.exe", "License.txt", "Templates\\Letters\\Plain.kwt", "English (American).asc", "a",
          ".hidden", "x..y", "Clip Library\\caf\xE9.gif", "CONSOLE.txt", "COM10", "LPT", "NULL",
          "Templates\\CONfig.kwt", "AUXILIARY\\x"})
        EXPECT_TRUE(IsSafeEntryName(name)) << name;
    EXPECT_TRUE(IsSafeEntryName(std::string(255, 'n')));
}

TEST(EntryNames, NamesThatClimbOutOfTheirFolderAreRefused) {
    for (const char* name :
         {"..", "..\\x", "Templates\\..\\..\\x", "Templates\\..", "Templates\\.\\x", ".", "\\x",
          "\\\\server\\share\\x", "C:\\x", "C:x", "Templates\\C:\\x", "Templates/../x", "/etc/x",
          "Templates\\\\x", "Templates\\", "x\\", "\\", "Templates\\x:stream"})
        EXPECT_FALSE(IsSafeEntryName(name)) << name;
}

TEST(EntryNames, DeviceNamesAreRefusedInAnyFolderCaseAndWithAnyExtension) {
    for (const char* name : {"CON", "con", "Templates\\CON.kwt", "PRN", "aux.txt", "NUL",
                             "Templates\\nul .kwt", "COM1", "com9.dat", "LPT1", "lpt9", "x\\CONIN$",
                             "CONOUT$.log", "COM\xB9", "LPT\xB2.x", "NUL\\x"})
        EXPECT_FALSE(IsSafeEntryName(name)) << name;
}

TEST(EntryNames, NamesWindowsWouldStoreDifferentlyAreRefused) {
    for (const char* name : {"x.", "x ", "Templates.\\x", "Templates \\x", "a<b", "a>b", "a\"b",
                             "a|b", "a?b", "a*b", "a\tb", "a\x1F"})
        EXPECT_FALSE(IsSafeEntryName(name)) << name;
    EXPECT_FALSE(IsSafeEntryName(std::string("a\0b", 3)));
    EXPECT_FALSE(IsSafeEntryName(""));
    EXPECT_FALSE(IsSafeEntryName(std::string(256, 'n')));
}
