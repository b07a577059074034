// The archive associations and the settings layer below HKEY_CLASSES_ROOT,
// against the real registry with the roots redirected to scratch keys.
#include "unit/support_registry.h"
#include "install/archives.h"
#include "registry/settings.h"

#include <string.h>

namespace {

class Archives : public ScratchRegistry {
protected:
    // The open command this test program would get: Vel.exe beside it.
    static std::string ExpectedCommand()
    {
        char module[MAX_PATH];
        DWORD length = GetModuleFileNameA(NULL, module, sizeof module);
        std::string path(module, length);
        path = path.substr(0, path.rfind('\\') + 1) + "Vel.exe";
        if (path.find_first_of(" &+,") != std::string::npos || path[0] == '-' || path[0] == '^')
            path = "\"" + path + "\"";
        return path + " \"%1\"";
    }
};

const char *const kExtensions[] = {".rar", ".arj", ".lzh", ".zip", ".ha", ".cab", ".tgz", ".tar", ".gz"};
const char *const kTypes[] = {"RAR archive", "ARJ archive", "LZH archive", "ZIP archive", "HA archive",
                              "CAB archive", "TGZ archive", "TGZ archive", "TGZ archive"};

}  // namespace

TEST_F(Archives, ClassesRootTakesKeyNamesAsWholePathsWhateverThePrefix)
{
    SetSettingsHive(HKEY_CLASSES_ROOT);
    SetHivePrefix(".DEFAULT");
    WriteSettingString("RAR archive\\shell\\open\\command", "", "C:\\VEL\\Vel.exe \"%1\"");
    DWORD type = 0;
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(GetRaw(HKEY_CLASSES_ROOT, "RAR archive\\shell\\open\\command", "", &type, &bytes));
    EXPECT_EQ((DWORD)REG_SZ, type);
    const char expected[] = "C:\\VEL\\Vel.exe \"%1\"";
    EXPECT_EQ(std::vector<unsigned char>(expected, expected + sizeof expected), bytes)
        << "the default value, stored with its terminator";
    EXPECT_EQ(1u, CountSubkeys(HKEY_CLASSES_ROOT, "")) << "no prefix or settings root below it";
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".DEFAULT"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Software"));

    // Up to 79 characters a key name is used; a longer one is not cut to another key.
    std::string longest(79, 'k'), tooLong(80, 'k');
    WriteSettingString(longest.c_str(), "", "x");
    WriteSettingString(tooLong.c_str(), "", "x");
    EXPECT_EQ("x", GetString(HKEY_CLASSES_ROOT, longest.c_str(), ""));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, tooLong.c_str()));
    EXPECT_EQ(2u, CountSubkeys(HKEY_CLASSES_ROOT, ""));
}

TEST_F(Archives, WritesExactlyTheNineRowsAndLeavesClassesRootCurrent)
{
    SetHivePrefix(".DEFAULT");   // plays no part below HKEY_CLASSES_ROOT
    EXPECT_EQ(0, AssociateArchives());
    EXPECT_EQ(HKEY_CLASSES_ROOT, GetSettingsHive());

    const std::string command = ExpectedCommand();
    for (size_t i = 0; i < 9; i++) {
        SCOPED_TRACE(kExtensions[i]);
        EXPECT_EQ(kTypes[i], GetString(HKEY_CLASSES_ROOT, kExtensions[i], ""));
        EXPECT_EQ(1u, CountValues(HKEY_CLASSES_ROOT, kExtensions[i]));
        EXPECT_EQ(0u, CountSubkeys(HKEY_CLASSES_ROOT, kExtensions[i]));
        EXPECT_EQ(kTypes[i], GetString(HKEY_CLASSES_ROOT, kTypes[i], ""));
        EXPECT_EQ(1u, CountValues(HKEY_CLASSES_ROOT, kTypes[i]));
        std::string commandKey = std::string(kTypes[i]) + "\\shell\\open\\command";
        EXPECT_EQ(command, GetString(HKEY_CLASSES_ROOT, commandKey.c_str(), ""));
        EXPECT_EQ(1u, CountValues(HKEY_CLASSES_ROOT, commandKey.c_str()));
        EXPECT_EQ(1u, CountSubkeys(HKEY_CLASSES_ROOT, (std::string(kTypes[i]) + "\\shell").c_str()));
    }
    // Nine extensions and seven types, nothing else; no other root touched.
    EXPECT_EQ(16u, CountSubkeys(HKEY_CLASSES_ROOT, ""));
    EXPECT_EQ(0u, CountSubkeys(HKEY_CURRENT_USER, ""));
    EXPECT_EQ(0u, CountSubkeys(HKEY_LOCAL_MACHINE, ""));
    EXPECT_EQ(0u, CountSubkeys(HKEY_USERS, ""));
}
