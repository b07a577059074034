#include "e2e/support_register.h"
#include "e2e/support_uninstall.h"

#include <sddl.h>
#include <stdio.h>
#include <stdlib.h>

namespace e2e {

const char kUserSettings[] = "Software\\Vel";
const char kDefaultSettings[] = ".DEFAULT\\Software\\Vel";
const char kFtpHostKey[] = "Plugins\\FTP\\Hosts\\ftp://ftp.vel-manager.org/pub/vel/";
const char kInternational[] = "Control Panel\\International";

static const char kArchiveMask[] =
    "*.rar,*.r[0-9][0-9],*.ar[cj],*.a[0-9][0-9],*.j,*.ac[bei],*.zip,*.z,*.jar,*.ice,*.lha,*.lzh,"
    "*.ain,*.imp,*.777,*.ufa,*.boa,*.bs[2a],*.cab,*.chz,*.ha,*.h[ay]p,*.hpk,*.lim,*.[lw]sz,"
    "*.pa[ck],*.rk,*.rkv,*.rpm,*.sqz,*.bz,*.bz2,*.bzip,*.gz,*.tar,*.t[ag]z,*.uc2,*.x2,*.zoo,"
    "*.hqx,*.sea,*.sit,*.uue,*.xxe,*.ddi,*.tdr,*.xdf";

void AddKey(Tree *tree, const std::string &key)
{
    for (size_t i = 0; i <= key.size(); i++)
        if (i == key.size() || key[i] == '\\')
            (*tree)[key.substr(0, i) + "\\"] = Value{REG_NONE, {}};
}

void AddValue(Tree *tree, const std::string &key, const std::string &name, const Value &value)
{
    if (!key.empty())
        AddKey(tree, key);
    (*tree)[key + "|" + name] = value;
}

void AddHighlightDefaults(Tree *tree, const std::string &executableMask)
{
    // Mask, IgnoreMask, IncludeAttributes, NormalColor, CursorColor; 0 is not written
    // (except IgnoreMask); no group has the other four fields.
    struct Group {
        std::string mask;
        DWORD ignore, include, normal, cursor;
    } groups[8] = {
        {"*.*", 0, 0x02, 0x13, 0x38},
        {"*.*", 0, 0x04, 0x13, 0x38},
        {"*.*|..", 0, 0x10, 0x1F, 0x3F},
        {"..", 0, 0x10, 0, 0},
        {executableMask, 0, 0, 0x1A, 0x3A},
        {kArchiveMask, 0, 0, 0x1D, 0x3D},
        {"*.bak,*.tmp", 0, 0, 0x16, 0x36},
        {"*.*", 1, 0x10, 0x1F, 0x3F},
    };
    for (int i = 0; i < 8; i++) {
        std::string key = "Colors\\Highlight\\Group" + std::to_string(i);
        AddValue(tree, key, "Mask", StringValue(groups[i].mask));
        AddValue(tree, key, "IgnoreMask", DwordValue(groups[i].ignore));
        if (groups[i].include)
            AddValue(tree, key, "IncludeAttributes", DwordValue(groups[i].include));
        if (groups[i].normal)
            AddValue(tree, key, "NormalColor", DwordValue(groups[i].normal));
        if (groups[i].cursor)
            AddValue(tree, key, "CursorColor", DwordValue(groups[i].cursor));
    }
}

void AddSortGroupDefaults(Tree *tree, const std::string &executableMask)
{
    AddValue(tree, "SortGroups", "UpperGroup0", StringValue(executableMask));
    AddValue(tree, "SortGroups", "UpperGroup1", StringValue(kArchiveMask));
}

void AddApplyCmdDefaults(Tree *tree)
{
    AddValue(tree, "SavedDialogHistory\\ApplyCmd", "Line0", StringValue("explorer /select,!.!"));
    AddValue(tree, "SavedDialogHistory\\ApplyCmd", "Locked0", DwordValue(1));
}

void AddFirstRunDefaults(Tree *tree, const std::string &executableMask)
{
    AddHighlightDefaults(tree, executableMask);
    AddSortGroupDefaults(tree, executableMask);
    AddApplyCmdDefaults(tree);
}

// "c0 27 68 ..." as bytes.
static std::vector<unsigned char> Hex(const char *text)
{
    std::vector<unsigned char> bytes;
    for (char *end; *text; text = end) {
        unsigned long byte = strtoul(text, &end, 16);
        if (end == text)
            break;
        bytes.push_back((unsigned char)byte);
    }
    return bytes;
}

static std::vector<unsigned char> Padded(std::vector<unsigned char> bytes, size_t size)
{
    EXPECT_LE(bytes.size(), size);
    bytes.resize(size, 0);
    return bytes;
}

static std::vector<unsigned char> Distribution(int row)
{
    std::vector<unsigned char> d(256, 0);
    d[0x0A] = d[0x0D] = 0xFF;
    for (int c = 0x20; c <= 0x7F; c++)
        d[c] = 0xFF;
    if (row == 0) {
        const int places[7][2] = {{0x81, 0xD8}, {0x84, 0xE2}, {0x8E, 0xFE}, {0x94, 0xD8},
                                  {0x99, 0xD8}, {0x9A, 0xC5}, {0xE1, 0x8D}};
        for (const auto &p : places)
            d[p[0]] = (unsigned char)p[1];
        return d;
    }
    const char *upper = row == 1
        ? "c0 27 68 26 48 bc 16 2c 98 18 54 72 4c 9b fa 46  65 7a 8e 42 04 14 08 22 15 08 00 2c 28 09 0c 38"
          " c7 25 68 24 44 ca 17 2b ad 1c 4f 77 4c 9b fe 44  00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 00"
          " 00 00 00 00 04 00 00 00 00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
          " 73 77 94 42 05 13 0b 23 13 09 00 2f 30 06 0f 35  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
        : "05 03 06 02 03 01 00 03 00 00 04 01 03 06 02 05  02 07 06 01 00 03 00 01 00 02 00 00 00 00 00 03"
          " f6 37 9c 30 5a 89 1b 3c ba 2a 5b 7e 5a a3 fe 47  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
          " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
          " 73 7c 84 65 02 24 10 23 19 0e 00 00 30 00 19 3e  00 00 00 0a 00 11 07 95 00 00 00 00 00 00 00 00";
    std::vector<unsigned char> half = Hex(upper);
    EXPECT_EQ(128u, half.size());
    std::copy(half.begin(), half.end(), d.begin() + 0x80);
    if (row == 1)
        d[0x0C] = d[0x1A] = 0xFF;
    return d;
}

// The US keyboard's characters, in the order the transliteration pairs them.
static std::vector<unsigned char> LatinTable()
{
    const std::string keys = "#FDULT:PBQRKVYJGHCNEA{WXIO}SMZfdult;pbqrkvyjghcnea[wxio]sm'z`~<>\"";
    EXPECT_EQ(65u, keys.size());
    return Padded(std::vector<unsigned char>(keys.begin(), keys.end()), 80);
}

// The same keys on the Russian layout, converted to code page 866 by the system.
static std::vector<unsigned char> CyrillicTable()
{
    const char utf8[] = u8"№АВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЯавгдежзийклмнопрстуфхцчшщъыьэяёЁБЮЭ";
    wchar_t wide[128];
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 128);
    char dos[128];
    int m = WideCharToMultiByte(866, 0, wide, n, dos, sizeof dos, NULL, NULL);
    EXPECT_EQ(66, m) << "65 characters and the terminator in code page 866";
    return Padded(std::vector<unsigned char>(dos, dos + 65), 80);
}

void AddCodeTableDefaults(Tree *tree, int row)
{
    std::vector<unsigned char> d = Distribution(row);
    AddValue(tree, "CodeTables", "Distribution", BinaryValue(d.data(), d.size()));
    AddValue(tree, "Editor", "AutoDetectTable", DwordValue(1));
    AddValue(tree, "Viewer", "AutoDetectTable", DwordValue(1));
}

void AddXlatDefaults(Tree *tree, int row, DWORD flags)
{
    std::vector<unsigned char> table1 = row == 0 ? LatinTable() : CyrillicTable();
    std::vector<unsigned char> table2 = LatinTable();
    std::vector<unsigned char> rules[3] = {
        Padded(row == 0 ? std::vector<unsigned char>() : Hex("2c 3f 2e 2f a1 2c ee 2e"), 20),
        Padded(row == 0 ? std::vector<unsigned char>() : Hex("3f 2c 2f 2e 2c a1 2e ee ee 2e a1 2c"), 20),
        Padded(row == 0 ? std::vector<unsigned char>() : Hex("2f 2e 2e ee ee 2f 3f 2c 2c a1 a1 3f"), 20),
    };
    AddValue(tree, "XLat", "Flags", DwordValue(flags));
    AddValue(tree, "XLat", "Table1", BinaryValue(table1.data(), table1.size()));
    AddValue(tree, "XLat", "Table2", BinaryValue(table2.data(), table2.size()));
    for (int i = 0; i < 3; i++)
        AddValue(tree, "XLat", "Rules" + std::to_string(i + 1), BinaryValue(rules[i].data(), 20));
}

void AddCurrentUserEntries(Tree *tree, const std::string &group)
{
    AddValue(tree, "", "Group", StringValue(group));
    AddValue(tree, kFtpHostKey, "Description", StringValue("Latest VEL"));
}

static std::string Describe(const Value &value)
{
    char text[16];
    std::string out = "type " + std::to_string(value.type) + ":";
    for (unsigned char b : value.bytes) {
        snprintf(text, sizeof text, " %02x", b);
        out += text;
    }
    return out;
}

void ExpectTree(const Tree &expected, HKEY root, const std::string &path)
{
    Tree actual = DumpTree(root, path);
    std::string report;
    for (const auto &entry : expected) {
        auto found = actual.find(entry.first);
        if (found == actual.end())
            report += "  missing " + entry.first + "\n";
        else if (!(found->second == entry.second))
            report += "  differs " + entry.first + "\n    want " + Describe(entry.second) + "\n    have "
                + Describe(found->second) + "\n";
    }
    for (const auto &entry : actual)
        if (!expected.count(entry.first))
            report += "  extra   " + entry.first + " = " + Describe(entry.second) + "\n";
    EXPECT_TRUE(report.empty()) << "below " << path << ":\n" << report;
}

void CopyWithFileVersion(const std::string &from, const std::string &to, WORD major, WORD minor, WORD build,
                         WORD revision)
{
    std::string bytes = ReadBytes(from);
    // The fixed file information starts with its signature, the file version after the structure's
    // version; the resources come last in the file (the signature may be in its code too).
    const char signature[] = {'\xbd', '\x04', '\xef', '\xfe'};
    size_t at = bytes.rfind(std::string(signature, 4));
    ASSERT_NE(std::string::npos, at) << from << " has no version resource";
    DWORD words[] = {(DWORD)major << 16 | minor, (DWORD)build << 16 | revision};
    memcpy(&bytes[at + 8], words, sizeof words);
    WriteBytes(to, bytes);
}

void RegisterFixture::SetUp()
{
    SetWindowsVersion("");
    CleanRegistry();
    char buffer[32768];
    DWORD n = GetEnvironmentVariableA("PATHEXT", buffer, sizeof buffer);
    hadPathExt_ = n > 0 && n < sizeof buffer;
    savedPathExt_ = hadPathExt_ ? buffer : "";
    savedLocale_ = GetString(HKEY_CURRENT_USER, kInternational, "Locale");
}

void RegisterFixture::TearDown()
{
    AllowMachineKeys();
    CleanRegistry();
    SetWindowsVersion("");
    SetEnvironmentVariableA("PATHEXT", hadPathExt_ ? savedPathExt_.c_str() : NULL);
    if (savedLocale_ != "<missing>") {
        SetString(HKEY_CURRENT_USER, kInternational, "Locale", savedLocale_);
    } else {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kInternational, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "Locale");
            RegCloseKey(key);
        }
    }
    CleanupTest::TearDown();
}

void RegisterFixture::CleanRegistry()
{
    DeleteTree(HKEY_CURRENT_USER, kUserSettings);
    DeleteTree(HKEY_USERS, kDefaultSettings);
    DeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteTree(HKEY_LOCAL_MACHINE, kAppPathsKey);
    DeleteTree(HKEY_CLASSES_ROOT, "Vel");
}

std::string RegisterFixture::Install(const std::string &dir)
{
    RemoveTree(dir);
    Keep(dir);
    return InstallProductAt(dir);
}

void RegisterFixture::RunRegister(const std::string &exe, const std::string &rest, DWORD exitCode)
{
    std::string commandLine = "\"" + exe + "\"" + rest;
    SCOPED_TRACE(commandLine);
    HANDLE process = Start(commandLine);
    ASSERT_NE(nullptr, process);
    EXPECT_EQ(exitCode, WaitAndClose(process));
    EXPECT_TRUE(WaitForNoMessageBox(0)) << "register shows no message";
}

void RegisterFixture::SetPathExt(const char *value)
{
    SetEnvironmentVariableA("PATHEXT", value);
}

void RegisterFixture::SetGate(const char *text)
{
    DeleteTree(HKEY_CLASSES_ROOT, "Vel");
    if (text)
        SetString(HKEY_CLASSES_ROOT, "Vel", "", text);
}

void RegisterFixture::SetLocale(const char *locale)
{
    SetString(HKEY_CURRENT_USER, kInternational, "Locale", locale);
}

static void SetKeySecurity(const char *path, const char *descriptor)
{
    PSECURITY_DESCRIPTOR sd = NULL;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(descriptor, SDDL_REVISION_1, &sd, NULL));
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, WRITE_DAC, &key);
    if (status == ERROR_SUCCESS) {
        EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd)) << path;
        RegCloseKey(key);
    }
    LocalFree(sd);
}

void RegisterFixture::DenyMachineKeys()
{
    // Everyone may read the keys and change their security back; nobody may
    // open them for writing, which is what creating them with full access asks.
    for (const char *path : {kUninstallKey, kAppPathsKey}) {
        CreateKey(HKEY_LOCAL_MACHINE, path);
        SetKeySecurity(path, "D:(A;;0x00060001;;;WD)");   // READ_CONTROL, WRITE_DAC, KEY_QUERY_VALUE
    }
    denied_ = true;
}

void RegisterFixture::AllowMachineKeys()
{
    if (!denied_)
        return;
    for (const char *path : {kUninstallKey, kAppPathsKey})
        SetKeySecurity(path, "D:(A;;KA;;;WD)");
    denied_ = false;
}

std::string UninstallCommand(const std::string &exe)
{
    bool quote = exe[0] == '-' || exe[0] == '^' || exe.find_first_of(" &+,") != std::string::npos;
    return quote ? "\"" + exe + "\"" : exe;
}

void RegisterFixture::ExpectRegistration(const std::string &exe, const std::string &group, const Tree &extra)
{
    std::string dir = exe.substr(0, exe.rfind('\\'));
    std::string command = UninstallCommand(exe);
    Tree uninstall = extra, appPaths;
    AddValue(&uninstall, "", "DisplayName", StringValue("VEL file manager"));
    AddValue(&uninstall, "", "UninstallString", StringValue(command));
    AddValue(&uninstall, "", "QuietUninstallString", StringValue(command + " /S"));
    AddValue(&uninstall, "", "DisplayIcon", StringValue(dir + "\\Vel.exe,0"));
    AddValue(&uninstall, "", "InstallLocation", StringValue(dir));
    AddValue(&uninstall, "", "NoModify", DwordValue(1));
    AddValue(&uninstall, "", "NoRepair", DwordValue(1));
    AddValue(&uninstall, "", "Group", StringValue(group));
    AddValue(&uninstall, "", "ProgramsFolder", StringValue(ProgramsFolder()));
    AddValue(&appPaths, "", "", StringValue(dir + "\\Vel.exe"));
    AddValue(&appPaths, "", "Path", StringValue(dir));
    ExpectTree(uninstall, HKEY_LOCAL_MACHINE, kUninstallKey);
    ExpectTree(appPaths, HKEY_LOCAL_MACHINE, kAppPathsKey);
}

void RegisterFixture::ExpectNoRegistration()
{
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAppPathsKey));
}

}  // namespace e2e
