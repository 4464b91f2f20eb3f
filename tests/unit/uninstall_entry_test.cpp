// The uninstall entry in the real (Wine) registry: exactly its six values,
// the program's path however the destination ends, and the folder's size.
#include "system/uninstall_entry.h"

#include "base/utf8_text.h"
#include "payload/disk_space.h"
#include "system/registry.h"

#include "engine_test_support.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace enginetest;

namespace {
struct TValue {
    std::string Name;
    DWORD Type;
    std::string Data;
    bool operator==(const TValue& o) const {
        return Name == o.Name && Type == o.Type && Data == o.Data;
    }
};

std::ostream& operator<<(std::ostream& out, const TValue& v) {
    return out << v.Name << " (" << v.Type << ") " << v.Data.size() << " bytes";
}

// Every value of the entry, in the order the registry lists them (by name
// under Wine).
std::vector<TValue> EntryValues() {
    std::vector<TValue> values;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name, type = 0;
        BYTE data[2048];
        DWORD dataSize = sizeof data;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) !=
            ERROR_SUCCESS)
            break;
        values.push_back({name, type, std::string(reinterpret_cast<char*>(data), dataSize)});
    }
    RegCloseKey(key);
    return values;
}

std::string DataOf(const std::vector<TValue>& values, const std::string& name) {
    for (const auto& v : values)
        if (v.Name == name) return v.Data;
    return "<missing>";
}

std::string Sz(const std::string& text) {
    return text + '\0';
}
std::string Dword(DWORD n) {
    return std::string(reinterpret_cast<const char*>(&n), 4);
}

// A value as the system holds it, without its NUL.
TWideText WideValue(const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return TWideText();
    wchar_t data[512] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    RegQueryValueExW(key, WideText(name).c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                     &size);
    RegCloseKey(key);
    return data;
}

class UninstallEntry : public ::testing::Test {
  protected:
    void SetUp() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey); }
    void TearDown() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey); }
};
} // namespace

TEST_F(UninstallEntry, HoldsSixValuesWithTheQuotedUninstallerAndTheFolderSize) {
    const std::string dest = FreshFolder("uninstall-six"); // ends in a backslash
    ASSERT_EQ(dest.back(), '\\');
    WriteFileBytes(dest + "kel.exe", std::string(5000, 'k'));
    const int32_t size = FolderSizeKB(dest, ClusterSize(dest));
    ASSERT_GT(size, 0);
    {
        TRegistry registry;
        WriteUninstallEntry(registry, dest);
    }
    const std::string program = dest + "kel.exe"; // no doubled backslash
    EXPECT_EQ(EntryValues(), (std::vector<TValue>{
                                 {"DisplayIcon", REG_SZ, Sz(program)},
                                 {"DisplayName", REG_SZ, Sz("Quorvale Word Processor")},
                                 {"DisplayVersion", REG_SZ, Sz("3.3.3.1")},
                                 {"EstimatedSize", REG_DWORD, Dword(DWORD(size))},
                                 {"Publisher", REG_SZ, Sz("The Quorvale Word Processor Team")},
                                 {"UninstallString", REG_SZ, Sz("\"" + program + "\" -ui")},
                             }));
}

TEST_F(UninstallEntry, ADestinationWithoutOrWithASlashGetsOneBackslash) {
    const std::string dest = FreshFolder("uninstall-slash");
    const std::string bare = dest.substr(0, dest.size() - 1);
    for (const std::string& given : {bare, bare + "/"}) {
        TRegistry registry;
        WriteUninstallEntry(registry, given);
        const std::vector<TValue> values = EntryValues();
        ASSERT_EQ(values.size(), 6u);
        EXPECT_EQ(DataOf(values, "DisplayIcon"), Sz(bare + "\\kel.exe")) << given;
        EXPECT_EQ(DataOf(values, "UninstallString"), Sz("\"" + bare + "\\kel.exe\" -ui")) << given;
    }
}

TEST_F(UninstallEntry, EveryFileCountsInWholeClustersAndAnotherFolderReplacesTheValues) {
    const std::string first = FreshFolder("uninstall-first");
    const std::string second = FreshFolder("uninstall-second");
    if (ClusterSize(second) != 4096) GTEST_SKIP() << "the test drive has other clusters";
    CreateDirectoryA((second + "sub").c_str(), nullptr);
    for (int i = 0; i < 100; ++i)
        WriteFileBytes(second + "sub\\f" + std::to_string(i) + ".txt", "0123456789");
    {
        TRegistry registry;
        WriteUninstallEntry(registry, first);
    }
    {
        TRegistry registry;
        WriteUninstallEntry(registry, second);
    }
    const std::vector<TValue> values = EntryValues();
    ASSERT_EQ(values.size(), 6u);
    EXPECT_EQ(DataOf(values, "DisplayIcon"), Sz(second + "kel.exe"));
    EXPECT_EQ(DataOf(values, "EstimatedSize"), Dword(400));
}

// The list of installed programs shows, and starts, the folder the user
// named, not its look-alike in the code page ("lukasz").
TEST_F(UninstallEntry, AFolderOutsideTheCodePageIsNamedAsItIs) {
    {
        TRegistry registry;
        WriteUninstallEntry(registry, "C:\\Users\\\xC5\x82ukasz\\Quorvale");
    }
    EXPECT_EQ(WideValue("DisplayIcon"), L"C:\\Users\\\x0142ukasz\\Quorvale\\kel.exe");
    EXPECT_EQ(WideValue("UninstallString"), L"\"C:\\Users\\\x0142ukasz\\Quorvale\\kel.exe\" -ui");
}
