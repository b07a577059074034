// Whole-tree copy and delete, and delete-if-empty, against the real registry
// (redirected scratch roots).
#include "unit/support_registry.h"
#include "registry/keytree.h"
#include "registry/regkey.h"
#include "registry/series.h"
#include "registry/settings.h"

#include <string.h>
#include <map>
#include <string>

class KeyTree : public ScratchRegistry {};

static const HKEY CU = HKEY_CURRENT_USER;

TEST_F(KeyTree, CopyGivesExactlyTheSourceWithTypesAndLengths)
{
    const char *source = "Software\\Vel\\Highlight";
    const char *destination = "Software\\Vel\\Colors\\Highlight";
    const unsigned char binary[5] = {0, 1, 0xFF, 0, 7};
    const DWORD dword = 0xA1B2C3D4;
    SetRaw(CU, source, "Binary", REG_BINARY, binary, sizeof binary);
    SetRaw(CU, source, "Dword", REG_DWORD, &dword, sizeof dword);
    SetRaw(CU, source, "NoTerminator", REG_SZ, "abc", 3);
    SetRaw(CU, source, "Expand", REG_EXPAND_SZ, "%TEMP%", 7);
    SetRaw(CU, source, "Multi", REG_MULTI_SZ, "a\0b\0", 5);
    SetRaw(CU, source, "Empty", REG_NONE, "", 0);
    SetString(CU, source, "", "default");
    SetString(CU, (std::string(source) + "\\Group1").c_str(), "Mask", "*.exe");
    SetString(CU, (std::string(source) + "\\Group1\\Deep").c_str(), "Color", "1");
    CreateKey(CU, (std::string(source) + "\\EmptyChild").c_str());
    // The former destination's own content must not survive.
    SetString(CU, destination, "Stale", "x");
    SetString(CU, (std::string(destination) + "\\StaleChild").c_str(), "Stale", "x");

    EXPECT_EQ(1, CopyRegistryTree(CU, source, destination));

    const char *names[] = {"Binary", "Dword", "NoTerminator", "Expand", "Multi", "Empty", ""};
    for (const char *name : names) {
        DWORD typeA = 0, typeB = 0;
        std::vector<unsigned char> a, b;
        ASSERT_TRUE(GetRaw(CU, source, name, &typeA, &a)) << name;
        ASSERT_TRUE(GetRaw(CU, destination, name, &typeB, &b)) << name;
        EXPECT_EQ(typeA, typeB) << name;
        EXPECT_EQ(a, b) << name;
    }
    EXPECT_EQ(7u, CountValues(CU, destination));
    EXPECT_EQ(2u, CountSubkeys(CU, destination));
    EXPECT_EQ("*.exe", GetString(CU, "Software\\Vel\\Colors\\Highlight\\Group1", "Mask"));
    EXPECT_EQ("1", GetString(CU, "Software\\Vel\\Colors\\Highlight\\Group1\\Deep", "Color"));
    EXPECT_TRUE(KeyExists(CU, "Software\\Vel\\Colors\\Highlight\\EmptyChild"));
    EXPECT_FALSE(KeyExists(CU, "Software\\Vel\\Colors\\Highlight\\StaleChild"));
    // The source is only read.
    EXPECT_EQ(7u, CountValues(CU, source));
    EXPECT_EQ(2u, CountSubkeys(CU, source));
}

TEST_F(KeyTree, CopyFromMissingOrEmptySource)
{
    SetString(CU, "Dest", "Keep", "me");
    EXPECT_EQ(0, CopyRegistryTree(CU, "Missing", "Dest"));
    EXPECT_EQ("me", GetString(CU, "Dest", "Keep"));

    CreateKey(CU, "EmptySource");
    EXPECT_EQ(1, CopyRegistryTree(CU, "EmptySource", "Dest"));
    EXPECT_TRUE(KeyExists(CU, "Dest"));
    EXPECT_EQ(0u, CountValues(CU, "Dest"));
    EXPECT_EQ(0u, CountSubkeys(CU, "Dest"));
}

TEST_F(KeyTree, ValuePhaseEndsAtALongNameOrLargeDataButSubkeysStillCopy)
{
    // Names in creation order and alphabetical order alike, so the enumeration
    // order is the same whatever the registry sorts by; what follows the value
    // that does not fit is not copied either.
    struct Case { std::string name; DWORD dataSize; };
    const Case cases[] = {{"B" + std::string(199, 'n'), 4}, {"Big", 1001}};
    for (const Case &c : cases) {
        DeleteRegistryTree(CU, "Src");
        DeleteRegistryTree(CU, "Dst");
        std::string data(c.dataSize, 'd');
        SetString(CU, "Src", "A_First", "1");
        SetRaw(CU, "Src", c.name.c_str(), REG_BINARY, data.data(), c.dataSize);
        SetString(CU, "Src", "C_After", "2");
        CreateKey(CU, "Src\\Child");
        SetString(CU, "Src\\Child", "Inner", "3");

        EXPECT_EQ(1, CopyRegistryTree(CU, "Src", "Dst")) << c.name;
        EXPECT_EQ("1", GetString(CU, "Dst", "A_First"));
        EXPECT_EQ("<missing>", GetString(CU, "Dst", c.name.c_str()));
        EXPECT_EQ("<missing>", GetString(CU, "Dst", "C_After"));
        EXPECT_EQ("3", GetString(CU, "Dst\\Child", "Inner"));
    }

    // 199 characters and exactly 1000 bytes still fit.
    DeleteRegistryTree(CU, "Src");
    DeleteRegistryTree(CU, "Dst");
    std::string name199(199, 'n'), data1000(1000, 'd');
    SetRaw(CU, "Src", name199.c_str(), REG_BINARY, data1000.data(), 1000);
    SetString(CU, "Src", "After", "2");
    EXPECT_EQ(1, CopyRegistryTree(CU, "Src", "Dst"));
    DWORD type;
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(GetRaw(CU, "Dst", name199.c_str(), &type, &bytes));
    EXPECT_EQ(1000u, bytes.size());
    EXPECT_EQ("2", GetString(CU, "Dst", "After"));
}

TEST_F(KeyTree, CopyRefusesTreesThatAreNotDisjoint)
{
    SetString(CU, "Software\\Vel\\Highlight", "Keep", "me");
    SetString(CU, "Software\\Vel\\Highlight\\Sub", "Keep", "too");
    const char *pairs[][2] = {
        {"Software\\Vel\\Highlight", "Software\\Vel\\Highlight"},
        {"Software\\Vel\\Highlight", "software\\VEL\\highlight"},
        {"Software\\Vel\\Highlight", "Software\\Vel\\Highlight\\Sub"},
        {"Software\\Vel\\Highlight\\Sub", "Software\\Vel\\HIGHLIGHT"},
        {"Software\\Vel\\Highlight", "Software\\Vel"},
    };
    for (auto &pair : pairs) {
        EXPECT_EQ(0, CopyRegistryTree(CU, pair[0], pair[1])) << pair[0] << " -> " << pair[1];
        EXPECT_EQ("me", GetString(CU, "Software\\Vel\\Highlight", "Keep"));
        EXPECT_EQ("too", GetString(CU, "Software\\Vel\\Highlight\\Sub", "Keep"));
    }
    // A sibling whose name merely starts the same is another tree.
    EXPECT_EQ(1, CopyRegistryTree(CU, "Software\\Vel\\Highlight", "Software\\Vel\\HighlightOld"));
    EXPECT_EQ("too", GetString(CU, "Software\\Vel\\HighlightOld\\Sub", "Keep"));
}

TEST_F(KeyTree, DeleteRemovesAWideTreeOverSeveralPasses)
{
    for (int i = 0; i < 10; i++)
        for (int j = 0; j < 3; j++) {
            std::string path = "Software\\Vel\\Wide" + std::to_string(i) + "\\Sub" + std::to_string(j);
            SetString(CU, path.c_str(), "v", "x");
            SetString(CU, (path + "\\Leaf").c_str(), "v", "x");
        }
    SetString(CU, "Software\\Velvet", "Neighbour", "stays");
    SetString(CU, "Software\\Vel", "Group", "Main");

    // One pass alone leaves part of a wide tree: the index skips children.
    DeleteTreePass(CU, "Software\\Vel");
    EXPECT_TRUE(KeyExists(CU, "Software\\Vel"));

    DeleteRegistryTree(CU, "Software\\Vel");
    EXPECT_FALSE(KeyExists(CU, "Software\\Vel"));
    EXPECT_EQ("stays", GetString(CU, "Software\\Velvet", "Neighbour"));

    DeleteRegistryTree(CU, "Software\\Vel");   // missing: nothing to do
    EXPECT_EQ("stays", GetString(CU, "Software\\Velvet", "Neighbour"));
}

// What a link points to: a key with values and a subkey, or a leaf with values
// only (which RegDeleteKeyA on the link's path would delete itself).
static void MakeTarget(HKEY root, const std::string &path, bool leaf)
{
    SetString(root, path, "Keep", "me");
    SetString(root, path, "", "default");
    if (!leaf) {
        SetString(root, path + "\\Sub", "Keep", "too");
        CreateKey(root, path + "\\Sub\\Deeper");
    }
}

TEST_F(KeyTree, DeleteGoesAsALinkAndLeavesWhatItPointsTo)
{
    const HKEY LM = HKEY_LOCAL_MACHINE;
    struct Row {
        const char *name;
        HKEY hive;
        const char *link;   // below the tree "Software\Vel" ("" makes the tree itself the link)
        HKEY targetRoot;
        bool leaf;
    } rows[] = {
        {"link in HKCU to HKLM", CU, "Link", LM, false},
        {"link in HKCU to a leaf in HKLM", CU, "Link", LM, true},
        {"deep link in HKLM to HKCU", LM, "Plugins\\FTP\\Link", CU, false},
        {"deep link in HKLM to a leaf in HKCU", LM, "Plugins\\Link", CU, true},
        {"the tree itself a link in HKCU", CU, "", CU, false},
        {"the tree itself a link in HKLM to a leaf", LM, "", LM, true},
    };
    const std::string target = "Software\\Elsewhere";
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        MakeTarget(row.targetRoot, target, row.leaf);
        std::map<std::string, Value> before = DumpTree(row.targetRoot, target);
        std::string link = *row.link ? std::string("Software\\Vel\\") + row.link : "Software\\Vel";
        if (*row.link) {
            SetString(row.hive, "Software\\Vel\\Own", "v", "x");
            SetString(row.hive, link.substr(0, link.rfind('\\')), "v", "x");
        }
        MakeLink(row.hive, link, row.targetRoot, target);
        ASSERT_EQ("me", GetString(row.hive, link, "Keep")) << "the link leads to the target";

        DeleteRegistryTree(row.hive, "Software\\Vel");

        EXPECT_FALSE(KeyExists(row.hive, "Software\\Vel")) << "the tree and the link in it are gone";
        EXPECT_FALSE(KeyExists(row.hive, link));
        EXPECT_EQ(before, DumpTree(row.targetRoot, target)) << "every subkey and value of the target stays";
        DeleteTree(row.targetRoot, target);
    }

    // A single key, as the system registrations are deleted, goes the same way.
    const char *single = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VEL manager";
    MakeTarget(LM, target, true);
    std::map<std::string, Value> before = DumpTree(LM, target);
    MakeLink(LM, single, LM, target);
    EXPECT_EQ(1, DeleteRegistryKeyAtPath(LM, single));
    EXPECT_FALSE(KeyExists(LM, single));
    EXPECT_EQ(before, DumpTree(LM, target));
    SetString(LM, single, "DisplayName", "VEL file manager");
    EXPECT_EQ(1, DeleteRegistryKeyAtPath(LM, single));
    EXPECT_FALSE(KeyExists(LM, single));
}

TEST_F(KeyTree, CopyDoesNotGoThroughALink)
{
    // A link's content belongs to another tree: the copy leaves the link out.
    const char *source = "Software\\Vel\\Highlight";
    const char *destination = "Software\\Vel\\Colors\\Highlight";
    MakeTarget(HKEY_LOCAL_MACHINE, "Software\\Elsewhere", false);
    std::map<std::string, Value> target = DumpTree(HKEY_LOCAL_MACHINE, "Software\\Elsewhere");
    SetString(CU, std::string(source) + "\\Group1", "Mask", "*.exe");
    MakeLink(CU, std::string(source) + "\\Linked", HKEY_LOCAL_MACHINE, "Software\\Elsewhere");
    // The former destination holds a link too: it goes as the link.
    SetString(CU, destination, "Stale", "x");
    MakeLink(CU, std::string(destination) + "\\OldLink", HKEY_LOCAL_MACHINE, "Software\\Elsewhere");

    EXPECT_EQ(1, CopyRegistryTree(CU, source, destination));

    EXPECT_EQ("*.exe", GetString(CU, std::string(destination) + "\\Group1", "Mask"));
    EXPECT_FALSE(KeyExists(CU, std::string(destination) + "\\Linked"));
    EXPECT_FALSE(KeyExists(CU, std::string(destination) + "\\OldLink"));
    EXPECT_EQ(1u, CountSubkeys(CU, destination));
    EXPECT_EQ(target, DumpTree(HKEY_LOCAL_MACHINE, "Software\\Elsewhere"));

    // A source that is itself a link is one that cannot be opened.
    SetString(CU, "Software\\Vel\\Dest", "Keep", "me");
    MakeLink(CU, "Software\\Vel\\LinkSource", HKEY_LOCAL_MACHINE, "Software\\Elsewhere");
    EXPECT_EQ(0, CopyRegistryTree(CU, "Software\\Vel\\LinkSource", "Software\\Vel\\Dest"));
    EXPECT_EQ("me", GetString(CU, "Software\\Vel\\Dest", "Keep"));
    EXPECT_EQ(target, DumpTree(HKEY_LOCAL_MACHINE, "Software\\Elsewhere"));
}

TEST_F(KeyTree, DeleteKeyIfEmpty)
{
    const HKEY CR = HKEY_CLASSES_ROOT;
    const char *path = "Directory\\shellex\\CopyHookHandlers";
    EXPECT_EQ(1, DeleteKeyIfEmpty(CR, path));   // missing

    SetString(CR, path, "", "");                // a default value is a value
    EXPECT_EQ(0, DeleteKeyIfEmpty(CR, path));
    EXPECT_TRUE(KeyExists(CR, path));
    RegDeleteKeyA(CR, path);

    CreateKey(CR, (std::string(path) + "\\Handler").c_str());
    EXPECT_EQ(0, DeleteKeyIfEmpty(CR, path));
    EXPECT_TRUE(KeyExists(CR, (std::string(path) + "\\Handler").c_str()));
    RegDeleteKeyA(CR, (std::string(path) + "\\Handler").c_str());

    EXPECT_EQ(1, DeleteKeyIfEmpty(CR, path));
    EXPECT_FALSE(KeyExists(CR, path));
    EXPECT_TRUE(KeyExists(CR, "Directory\\shellex"));

    // A value whose name does not fit the test's buffer is a value all the same.
    std::string longName(600, 'v');
    SetString(CR, path, longName.c_str(), "handler");
    EXPECT_EQ(0, DeleteKeyIfEmpty(CR, path));
    EXPECT_EQ("handler", GetString(CR, path, longName.c_str()));
    RegDeleteKeyA(CR, path);

    // A link holds its target as a value: it stays, and so does the empty key it points to.
    CreateKey(CU, "Software\\EmptyElsewhere");
    MakeLink(CR, path, CU, "Software\\EmptyElsewhere");
    EXPECT_EQ(0, DeleteKeyIfEmpty(CR, path));
    EXPECT_TRUE(KeyExists(CU, "Software\\EmptyElsewhere"));
    EXPECT_TRUE(KeyExists(CR, path));

    // Directly below the root: never deleted, empty or not.
    CreateKey(CR, "TopLevel");
    EXPECT_EQ(0, DeleteKeyIfEmpty(CR, "TopLevel"));
    EXPECT_TRUE(KeyExists(CR, "TopLevel"));

    // A path of 511 characters or more is refused rather than cut. Wine's ANSI
    // registry calls take no path over 259 characters, so the key is made
    // through the wide interface; the refusal must come before any open.
    std::string parent = "Long";
    for (int i = 0; i < 4; i++)
        parent += "\\" + std::string(100, 'p');
    std::string longPath = parent + "\\" + std::string(511 - parent.size() - 1, 'c');
    ASSERT_EQ(511u, longPath.size());
    std::wstring wide(longPath.begin(), longPath.end());
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(CR, wide.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL));
    RegCloseKey(key);
    EXPECT_EQ(0, DeleteKeyIfEmpty(CR, longPath.c_str()));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(CR, wide.c_str(), 0, KEY_READ, &key));
    RegCloseKey(key);
}

TEST_F(KeyTree, SeriesItemsMoveAndEnumerate)
{
    for (int i = 1; i <= 3; i++)
        SetString(CU, ("Software\\Vel\\History\\Item" + std::to_string(i)).c_str(), "Cmd",
                  ("cmd" + std::to_string(i)).c_str());

    RemoveSeriesItem("History\\Item%d", 1);
    EXPECT_EQ("cmd2", GetString(CU, "Software\\Vel\\History\\Item1", "Cmd"));
    EXPECT_EQ("cmd3", GetString(CU, "Software\\Vel\\History\\Item2", "Cmd"));
    EXPECT_FALSE(KeyExists(CU, "Software\\Vel\\History\\Item3"));

    OpenSeriesGap("History\\Item%d", 1, 3);
    EXPECT_FALSE(KeyExists(CU, "Software\\Vel\\History\\Item1"));
    EXPECT_EQ("cmd2", GetString(CU, "Software\\Vel\\History\\Item2", "Cmd"));
    EXPECT_EQ("cmd3", GetString(CU, "Software\\Vel\\History\\Item3", "Cmd"));

    char out[32 + 8];
    memset(out, kCanary, sizeof out);
    ASSERT_EQ(1, EnumSettingsSubkey("History", 0, out, 32));
    EXPECT_STREQ("History\\Item2", out);
    EXPECT_EQ(0, EnumSettingsSubkey("History", 2, out, 32));
    EXPECT_EQ(0, EnumSettingsSubkey("Missing", 0, out, 32));
    memset(out, kCanary, sizeof out);
    ASSERT_EQ(1, EnumSettingsSubkey("History", 0, out, 10));   // at most size - 1 characters
    EXPECT_STREQ("History\\I", out);
    EXPECT_TRUE(CanaryIntact(out, 10, sizeof out));

    char name[4 + 8];
    BYTE data[16];
    DWORD type = 0, dataSize = sizeof data;
    memset(name, kCanary, sizeof name);
    ASSERT_EQ(1, EnumSettingsValue(0, "History\\Item2", name, 4, &type, data, &dataSize));
    EXPECT_STREQ("Cmd", name);
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(5u, dataSize);
    EXPECT_TRUE(CanaryIntact(name, 4, sizeof name));
    dataSize = sizeof data;
    EXPECT_EQ(0, EnumSettingsValue(1, "History\\Item2", name, 4, &type, data, &dataSize));
}
