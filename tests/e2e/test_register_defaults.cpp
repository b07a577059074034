// First-run defaults of the register mode: what a user already has keeps its
// defaults away, per hive, and the locale gate decides on the code tables and
// the transliteration.
#include "e2e/support_register.h"

using namespace e2e;

namespace {

const char kDir[] = "C:\\VelDefaults";
const char kMask[] = "*.exe,*.com,*.bat,%PATHEXT%,*.cmd";

class RegisterDefaults : public RegisterFixture {
protected:
    void SetUp() override
    {
        RegisterFixture::SetUp();
        exe_ = Install(kDir);
        SetPathExt(nullptr);
    }
    std::string exe_;
};

// What a user set up before: an old highlight tree.
void AddOldHighlight(Tree *tree)
{
    AddValue(tree, "Highlight", "Version", DwordValue(2));
    AddValue(tree, "Highlight\\Group0", "Mask", StringValue("*.txt"));
    AddValue(tree, "Highlight\\Group0", "NormalColor", DwordValue(0x1E));
    AddValue(tree, "Highlight\\Group1\\Extra", "Data", BinaryValue("\x01\x00\x02", 3));
}

// Writes every value of a tree below root\path; keys with no values too.
void Populate(HKEY root, const std::string &path, const Tree &tree)
{
    for (const auto &entry : tree) {
        size_t bar = entry.first.find('|');
        if (bar == std::string::npos) {
            CreateKey(root, path + "\\" + entry.first.substr(0, entry.first.size() - 1));
            continue;
        }
        std::string key = entry.first.substr(0, bar);
        SetRaw(root, key.empty() ? path : path + "\\" + key, entry.first.substr(bar + 1),
               entry.second.type, entry.second.bytes.data(), (DWORD)entry.second.bytes.size());
    }
}

// The carried-over copy of the old tree below "Colors\Highlight".
void AddCarriedOver(Tree *tree, const Tree &old)
{
    AddKey(tree, "Colors\\Highlight");
    for (const auto &entry : old)
        (*tree)["Colors\\" + entry.first] = entry.second;
}

}  // namespace

TEST_F(RegisterDefaults, ExistingSettingsKeepTheirDefaultsAwayInTheirHiveOnly)
{
    SetGate("1");
    SetLocale("00000419");
    // One hive holds empty "Colors\Highlight" and "SortGroups", an apply
    // history, an empty "XLat" and a "CodeTables" key without the
    // distribution; the other an old highlight tree and a distribution. Then
    // the other way round.
    Tree first, second, old;
    AddKey(&first, "Colors\\Highlight");
    AddKey(&first, "SortGroups");
    AddValue(&first, "SavedDialogHistory\\ApplyCmd", "Line0", StringValue("notepad !.!"));
    AddKey(&first, "XLat");
    AddValue(&first, "CodeTables", "Other", DwordValue(7));
    AddOldHighlight(&old);
    second = old;
    AddValue(&second, "CodeTables", "Distribution", BinaryValue("mine", 4));

    Tree firstAfter = first;   // the distribution and its switches are still written
    AddCodeTableDefaults(&firstAfter, 1);
    Tree secondAfter = second;
    AddCarriedOver(&secondAfter, old);
    AddSortGroupDefaults(&secondAfter, kMask);
    AddApplyCmdDefaults(&secondAfter);
    AddXlatDefaults(&secondAfter, 1, 1);

    struct Pass {
        const char *name;
        HKEY firstRoot, secondRoot;
        const char *firstPath, *secondPath;
    } passes[] = {
        {"user first", HKEY_CURRENT_USER, HKEY_USERS, kUserSettings, kDefaultSettings},
        {"default profile first", HKEY_USERS, HKEY_CURRENT_USER, kDefaultSettings, kUserSettings},
    };
    for (const Pass &pass : passes) {
        SCOPED_TRACE(pass.name);
        CleanRegistry();
        SetGate("1");
        Populate(pass.firstRoot, pass.firstPath, first);
        Populate(pass.secondRoot, pass.secondPath, second);
        RunRegister(exe_, " register Main");
        Tree firstExpected = firstAfter, secondExpected = secondAfter;
        AddCurrentUserEntries(pass.firstRoot == HKEY_CURRENT_USER ? &firstExpected : &secondExpected, "Main");
        ExpectTree(firstExpected, pass.firstRoot, pass.firstPath);
        ExpectTree(secondExpected, pass.secondRoot, pass.secondPath);
    }
}

TEST_F(RegisterDefaults, ExistingHostsKeyKeepsTheFtpEntryAway)
{
    CreateKey(HKEY_CURRENT_USER, "Software\\Vel\\Plugins\\FTP\\Hosts");
    RunRegister(exe_, " register Main");
    Tree user;
    AddFirstRunDefaults(&user, kMask);
    AddValue(&user, "", "Group", StringValue("Main"));
    AddKey(&user, "Plugins\\FTP\\Hosts");
    ExpectTree(user, HKEY_CURRENT_USER, kUserSettings);
}

TEST_F(RegisterDefaults, ClosedLocaleGateWritesNoLocaleDefaults)
{
    SetLocale("00000419");
    const std::string over(40, '1');   // 41 bytes with the terminator
    const std::string fill32(31, '1'); // 32 bytes: still read
    struct Row {
        const char *name;
        const char *gate;   // nullptr: no key
        DWORD type;
        std::string data;
    } rows[] = {
        {"no key", nullptr, REG_SZ, ""},
        {"key without default value", "", REG_NONE, ""},
        {"empty", "", REG_SZ, std::string(1, '\0')},
        {"0", "", REG_SZ, std::string("0", 2)},
        {"over 32 bytes", "", REG_SZ, over + '\0'},
        {"33 bytes", "", REG_SZ, fill32 + "1" + '\0'},
        {"begins with blank", "", REG_SZ, std::string(" 1", 3)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        CleanRegistry();
        if (row.gate) {
            CreateKey(HKEY_CLASSES_ROOT, "Vel");
            if (row.type != REG_NONE)
                SetRaw(HKEY_CLASSES_ROOT, "Vel", "", row.type, row.data.data(), (DWORD)row.data.size());
        }
        RunRegister(exe_, " register Main");
        Tree user, defaults;
        AddFirstRunDefaults(&user, kMask);
        AddCurrentUserEntries(&user, "Main");
        AddFirstRunDefaults(&defaults, kMask);
        ExpectTree(user, HKEY_CURRENT_USER, kUserSettings);
        ExpectTree(defaults, HKEY_USERS, kDefaultSettings);
    }
}

TEST_F(RegisterDefaults, OpenLocaleGateWritesTheRowOfTheUsersLocale)
{
    struct Row {
        const char *version;
        std::string gate;   // REG_SZ data without its terminator, or raw bytes of another type
        DWORD gateType;
        const char *locale;
        int row;            // -1: no row matches
    } rows[] = {
        {"", "1", REG_SZ, "00000407", 0},
        {"", "1", REG_SZ, "00000419", 1},
        {"", "1", REG_SZ, "00000422", 2},
        {"", "10", REG_SZ, "00000419", 1},
        {"", "1" + std::string(30, 'x'), REG_SZ, "00000422", 2},   // 32 bytes with the terminator
        {"", "1\x02", REG_BINARY, "00000407", 0},                  // any type
        {"", "1", REG_SZ, "00000409", -1},
        {"", "1", REG_SZ, "000004190", -1},
        {"", "1", REG_SZ, "0000041", -1},
        {"win98", "1", REG_SZ, "00000419", 1},                       // "Flags" 0 on Windows 98
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.version) + " gate " + row.gate + " locale " + row.locale);
        CleanRegistry();
        SetWindowsVersion(row.version);
        SetLocale(row.locale);
        std::string gate = row.gate;
        if (row.gateType == REG_SZ)
            gate += '\0';
        SetRaw(HKEY_CLASSES_ROOT, "Vel", "", row.gateType, gate.data(), (DWORD)gate.size());
        RunRegister(exe_, " register Main");

        const char *mask = *row.version ? "*.exe,*.com,*.bat,%PATHEXT%" : kMask;
        Tree user, defaults;
        AddFirstRunDefaults(&user, mask);
        AddCurrentUserEntries(&user, "Main");
        AddFirstRunDefaults(&defaults, mask);
        if (row.row >= 0) {
            DWORD flags = *row.version ? 0 : 1;
            for (Tree *tree : {&user, &defaults}) {
                AddCodeTableDefaults(tree, row.row);
                AddXlatDefaults(tree, row.row, flags);
            }
        }
        ExpectTree(user, HKEY_CURRENT_USER, kUserSettings);
        ExpectTree(defaults, HKEY_USERS, kDefaultSettings);
    }
}

TEST_F(RegisterDefaults, LocaleValueOver32BytesMatchesNoRow)
{
    SetGate("1");
    std::string locale = "00000419" + std::string(40, ' ');
    SetLocale(locale.c_str());
    RunRegister(exe_, " register Main");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Vel\\XLat"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Vel\\CodeTables"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Vel\\SortGroups")) << "the run itself went on";
}
