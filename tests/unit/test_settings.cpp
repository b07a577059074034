// The settings layer against the real registry (redirected scratch roots).
#include "unit/support_registry.h"
#include "registry/settings.h"

#include <string.h>

class Settings : public ScratchRegistry {};

TEST_F(Settings, WriteStringCreatesParentsAndStoresTerminator)
{
    WriteSettingString("Plugins\\FTP\\Hosts", "Description", "Latest VEL");
    DWORD type = 0;
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(GetRaw(HKEY_CURRENT_USER, "Software\\Vel\\Plugins\\FTP\\Hosts", "Description", &type, &bytes));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(std::vector<unsigned char>({'L','a','t','e','s','t',' ','V','E','L',0}), bytes);
}

TEST_F(Settings, ComposesPathsForEveryHiveAndRefusesPathsThatDoNotFit)
{
    struct Row { HKEY hive; const char *prefix; const char *key; const char *path; };
    const Row rows[] = {
        {HKEY_CURRENT_USER, "", "Colors\\Highlight", "Software\\Vel\\Colors\\Highlight"},
        {HKEY_CURRENT_USER, "", "", "Software\\Vel"},
        {HKEY_USERS, ".DEFAULT", "XLat", ".DEFAULT\\Software\\Vel\\XLat"},
        {HKEY_USERS, ".DEFAULT", "", ".DEFAULT\\Software\\Vel"},
        {HKEY_CLASSES_ROOT, ".DEFAULT", ".rar", ".rar"},   // the prefix plays no part
    };
    for (const Row &row : rows) {
        SetSettingsHive(row.hive);
        SetHivePrefix(row.prefix);
        unsigned char out[SETTINGS_PATH_SIZE + 16];
        memset(out, kCanary, sizeof out);
        EXPECT_EQ((char *)out, ComposeSettingsPath((char *)out, row.key));
        EXPECT_STREQ(row.path, (char *)out);
        EXPECT_TRUE(CanaryIntact(out, SETTINGS_PATH_SIZE, sizeof out));
    }

    // The longest key name that fits each hive, and one character more.
    struct Limit { HKEY hive; const char *prefix; size_t longest; };
    const Limit limits[] = {{HKEY_CURRENT_USER, "", 66}, {HKEY_USERS, ".DEFAULT", 57},
                            {HKEY_CLASSES_ROOT, "", 79}};
    for (const Limit &limit : limits) {
        SetSettingsHive(limit.hive);
        SetHivePrefix(limit.prefix);
        for (size_t length = limit.longest; length <= limit.longest + 1; length++) {
            std::string key(length, 'k');
            unsigned char out[SETTINGS_PATH_SIZE + 16];
            memset(out, kCanary, sizeof out);
            char *result = ComposeSettingsPath((char *)out, key.c_str());
            if (length == limit.longest) {
                EXPECT_EQ(79u, strlen((char *)out)) << length;
                EXPECT_EQ((char *)out, result);
            } else {
                EXPECT_EQ(nullptr, result) << length;
                EXPECT_STREQ("", (char *)out);
            }
            EXPECT_TRUE(CanaryIntact(out, SETTINGS_PATH_SIZE, sizeof out));
        }
    }
}

TEST_F(Settings, KeyNameTooLongWritesNothingRatherThanACutKey)
{
    // 67 characters: the cut path would be the key of the first 66.
    std::string longName(66, 'a');
    WriteSettingString((longName + "b").c_str(), "Value", "lost?");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, ("Software\\Vel\\" + longName).c_str()));
    EXPECT_FALSE(SettingExists((longName + "b").c_str(), NULL));

    CreateKey(HKEY_CURRENT_USER, ("Software\\Vel\\" + longName).c_str());
    EXPECT_NE(ERROR_SUCCESS, DeleteSettingsKey((longName + "b").c_str()));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, ("Software\\Vel\\" + longName).c_str()));
}

TEST_F(Settings, WritesStoreExactTypesAndLengths)
{
    WriteSettingString("", "Group", "");
    WriteSettingDword("CodeTables", "Flags", 0x01020304);
    unsigned char table[256];
    for (int i = 0; i < 256; i++)
        table[i] = (unsigned char)(255 - i);
    WriteSettingBinary("CodeTables", "Distribution", table, sizeof table);
    WriteSettingBinary("XLat", "Rules", table, 20);

    DWORD type;
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(GetRaw(HKEY_CURRENT_USER, "Software\\Vel", "Group", &type, &bytes));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(std::vector<unsigned char>(1, 0), bytes);
    ASSERT_TRUE(GetRaw(HKEY_CURRENT_USER, "Software\\Vel\\CodeTables", "Flags", &type, &bytes));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    EXPECT_EQ(std::vector<unsigned char>({4, 3, 2, 1}), bytes);
    ASSERT_TRUE(GetRaw(HKEY_CURRENT_USER, "Software\\Vel\\CodeTables", "Distribution", &type, &bytes));
    EXPECT_EQ((DWORD)REG_BINARY, type);
    EXPECT_EQ(std::vector<unsigned char>(table, table + 256), bytes);
    ASSERT_TRUE(GetRaw(HKEY_CURRENT_USER, "Software\\Vel\\XLat", "Rules", &type, &bytes));
    EXPECT_EQ(std::vector<unsigned char>(table, table + 20), bytes);

    // Below the classes root the key name is the whole path and "" the default value.
    SetSettingsHive(HKEY_CLASSES_ROOT);
    SetHivePrefix(".DEFAULT");
    WriteSettingString(".rar", "", "RAR archive");
    EXPECT_EQ("RAR archive", GetString(HKEY_CLASSES_ROOT, ".rar", ""));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Software"));

    // The default user's tree sits behind the prefix.
    SetSettingsHive(HKEY_USERS);
    WriteSettingDword("XLat", "Flags", 7);
    ASSERT_TRUE(GetRaw(HKEY_USERS, ".DEFAULT\\Software\\Vel\\XLat", "Flags", &type, &bytes));
    EXPECT_EQ(std::vector<unsigned char>({7, 0, 0, 0}), bytes);
}

TEST_F(Settings, ReadStringFallsBackToTheDefaultAndAlwaysTerminates)
{
    char buffer[16 + 8];
    memset(buffer, kCanary, sizeof buffer);
    EXPECT_EQ(0, ReadSettingString("Missing", "Group", buffer, "none", 16));
    EXPECT_STREQ("none", buffer);

    CreateKey(HKEY_CURRENT_USER, "Software\\Vel");
    EXPECT_EQ(0, ReadSettingString("", "Group", buffer, "", 16));
    EXPECT_STREQ("", buffer);

    SetString(HKEY_CURRENT_USER, "Software\\Vel", "Group", "Sixteen chars..");   // 16 bytes stored
    EXPECT_EQ(1, ReadSettingString("", "Group", buffer, "", 16));
    EXPECT_STREQ("Sixteen chars..", buffer);

    SetString(HKEY_CURRENT_USER, "Software\\Vel", "Group", "Seventeen chars..");   // 18 bytes
    memset(buffer, kCanary, sizeof buffer);
    EXPECT_EQ(0, ReadSettingString("", "Group", buffer, "default text", 16));
    EXPECT_STREQ("default text", buffer);

    // Stored without a terminator: filling the buffer exactly it does not
    // fit (a cut name would name another group); shorter, it is terminated.
    SetRaw(HKEY_CURRENT_USER, "Software\\Vel", "Raw", REG_BINARY, "0123456789abcdef", 16);
    memset(buffer, kCanary, sizeof buffer);
    EXPECT_EQ(0, ReadSettingString("", "Raw", buffer, "default", 16));
    EXPECT_STREQ("default", buffer);
    EXPECT_TRUE(CanaryIntact(buffer, 16, sizeof buffer));
    SetRaw(HKEY_CURRENT_USER, "Software\\Vel", "Raw", REG_BINARY, "abc", 3);
    memset(buffer, kCanary, sizeof buffer);
    EXPECT_EQ(1, ReadSettingString("", "Raw", buffer, "", 16));
    EXPECT_STREQ("abc", buffer);
    EXPECT_TRUE(CanaryIntact(buffer, 16, sizeof buffer));

    // A default longer than the buffer is cut, never written past it.
    memset(buffer, kCanary, sizeof buffer);
    EXPECT_EQ(0, ReadSettingString("", "Missing", buffer, "a default of thirty chars....", 16));
    EXPECT_EQ(15u, strlen(buffer));
    EXPECT_TRUE(CanaryIntact(buffer, 16, sizeof buffer));
}

TEST_F(Settings, ExistenceOfKeysAndValues)
{
    EXPECT_EQ(0, SettingExists("XLat", NULL));
    EXPECT_EQ(0, SettingExists("XLat", "Rules"));
    CreateKey(HKEY_CURRENT_USER, "Software\\Vel\\XLat");
    EXPECT_EQ(1, SettingExists("XLat", NULL));        // an empty key counts
    EXPECT_EQ(0, SettingExists("XLat", "Rules"));
    EXPECT_EQ(0, SettingExists("XLat", ""));          // no default value yet
    SetString(HKEY_CURRENT_USER, "Software\\Vel\\XLat", "", "x");
    EXPECT_EQ(1, SettingExists("XLat", ""));
    EXPECT_EQ(0, SettingExists("XLat", "Rules"));
    SetString(HKEY_CURRENT_USER, "Software\\Vel\\XLat", "rules", "x");
    EXPECT_EQ(1, SettingExists("XLat", "Rules"));     // value names ignore case
}

TEST_F(Settings, OperationsNoModeCalls)
{
    DWORD value = 1;
    EXPECT_EQ(0, ReadSettingDword("Panel", "Width", &value, 42));
    EXPECT_EQ(42u, value);
    WriteSettingDword("Panel", "Width", 640);
    EXPECT_EQ(640u, GetSettingDword("Panel", "Width", 42));
    WriteSettingString("Panel", "Name", "wide");
    EXPECT_EQ(42u, GetSettingDword("Panel", "Name", 42));   // five bytes are not a DWORD

    unsigned char data[8 + 4];
    memset(data, kCanary, sizeof data);
    const unsigned char fallback[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(0, ReadSettingBinary("Panel", "Missing", data, fallback, 8));
    EXPECT_EQ(0, memcmp(fallback, data, 8));
    EXPECT_EQ(0, ReadSettingBinary("Panel", "Missing", data, NULL, 8));
    EXPECT_EQ(std::vector<unsigned char>(8, 0), std::vector<unsigned char>(data, data + 8));
    EXPECT_TRUE(CanaryIntact(data, 8, sizeof data));
    WriteSettingBinary("Panel", "Blob", fallback, 8);
    EXPECT_EQ(1, ReadSettingBinary("Panel", "Blob", data, NULL, 8));
    EXPECT_EQ(0, memcmp(fallback, data, 8));

    EXPECT_EQ(ERROR_SUCCESS, DeleteSettingValue("Panel", "Width"));
    EXPECT_EQ(0, SettingExists("Panel", "Width"));
    EXPECT_EQ(1, SettingExists("Panel", "Name"));
    EXPECT_NE(ERROR_SUCCESS, DeleteSettingValue("Nowhere", "Width"));
    EXPECT_EQ(ERROR_SUCCESS, DeleteSettingsKey("Panel"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Vel\\Panel"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Vel"));
}

TEST_F(Settings, APrefixThatDoesNotFitComposesNoPathUntilOneFits)
{
    SetSettingsHive(HKEY_USERS);
    std::string tooLong = "S-1-5-21-" + std::string(71, '7');   // 80 characters
    SetHivePrefix(tooLong.c_str());
    char out[SETTINGS_PATH_SIZE];
    EXPECT_EQ(nullptr, ComposeSettingsPath(out, "XLat"));
    WriteSettingDword("XLat", "Flags", 1);
    EXPECT_EQ(0u, CountSubkeys(HKEY_USERS, ""));   // neither a cut prefix nor none
    EXPECT_EQ(0, SettingExists("", NULL));

    SetHivePrefix(".DEFAULT");
    WriteSettingDword("XLat", "Flags", 1);
    EXPECT_EQ(1, SettingExists("XLat", "Flags"));
    EXPECT_TRUE(KeyExists(HKEY_USERS, ".DEFAULT\\Software\\Vel\\XLat"));
}
