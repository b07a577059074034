// The register mode run as an installer runs it: the trees it writes for the
// current user and the default profile, the system registrations, the launcher.
#include "e2e/support_register.h"
#include "e2e/support_uninstall.h"

#include <shellapi.h>

using namespace e2e;

namespace {

const char kProgramFiles[] = "C:\\Program Files\\Vel";
const char kBareDir[] = "C:\\VEL";
const char kLauncherArgs[] = " %1 %2 %3 %4 %5 %6 %7 %8 %9\r\n";

class Register : public RegisterFixture {};

// Polls for the stand-in's record of a run.
std::string WaitForRecord(const std::string &path)
{
    for (int i = 0; i < 100 && !Exists(path); i++)
        Sleep(100);
    Sleep(100);
    return ReadBytes(path);
}

}  // namespace

TEST_F(Register, CommandLineFormsWriteTheWholeTreesOnBothPlatforms)
{
    struct Form {
        const char *rest;
        const char *group;
    } forms[] = {
        {" register Main Tools", "Main Tools"},
        {" REGISTER Main Tools", "Main Tools"},
        {" registerTools", "Tools"},
        {" register", ""},
        {" register\tMain", "\tMain"},   // only blanks are skipped
        {" register \"Main Tools\"", "Main Tools"},   // as installers quote a name with blanks
    };
    struct Setting {
        const char *version;
        const char *pathExt;
        const char *mask;
    } settings[] = {
        {"", nullptr, "*.exe,*.com,*.bat,%PATHEXT%,*.cmd"},
        {"", ".COM;.PY;.CMD", "*.exe,*.com,*.bat,%PATHEXT%,*.cmd,*.py"},
        {"win98", nullptr, "*.exe,*.com,*.bat,%PATHEXT%"},
        {"win98", ".COM;.PY;.CMD", "*.exe,*.com,*.bat,%PATHEXT%,*.py,*.cmd"},
    };
    std::string exe = Install(kProgramFiles);
    for (const Setting &setting : settings) {
        SetWindowsVersion(setting.version);
        SetPathExt(setting.pathExt);
        bool win98 = *setting.version != 0;
        for (const Form &form : forms) {
            SCOPED_TRACE(std::string(setting.version) + " PATHEXT=" + (setting.pathExt ? setting.pathExt : "unset")
                         + " command line:" + form.rest);
            CleanRegistry();
            RemoveTree(std::string(kProgramFiles) + "\\Vel.bat");
            RemoveTree(std::string(kProgramFiles) + "\\$UseBat.$$$");
            RunRegister(exe, form.rest);

            Tree user, defaults;
            AddFirstRunDefaults(&user, setting.mask);
            AddCurrentUserEntries(&user, form.group);
            AddFirstRunDefaults(&defaults, setting.mask);
            ExpectTree(user, HKEY_CURRENT_USER, kUserSettings);
            ExpectTree(defaults, HKEY_USERS, kDefaultSettings);
            ExpectRegistration(exe, form.group);
            EXPECT_EQ(win98, Exists(std::string(kProgramFiles) + "\\Vel.bat"));
            EXPECT_EQ(win98, Exists(std::string(kProgramFiles) + "\\$UseBat.$$$"));
        }
    }
}

TEST_F(Register, PathExtThatDoesNotFitItsBufferIsNotMerged)
{
    std::string exe = Install(kBareDir);
    // 1023 characters fit the 1024-character buffer; 1024 do not.
    std::string fits = ".PY;" + std::string(1023 - 8, 'x') + ";.RB";
    std::string over = ".PY;" + std::string(1024 - 8, 'x') + ";.RB";
    ASSERT_EQ(1023u, fits.size());
    struct Row {
        const std::string *value;
        const char *mask;
    } rows[] = {
        {&fits, "*.exe,*.com,*.bat,%PATHEXT%,*.cmd,*.py,*.rb"},   // the long item is skipped
        {&over, "*.exe,*.com,*.bat,%PATHEXT%,*.cmd"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.value->size());
        CleanRegistry();
        SetPathExt(row.value->c_str());
        RunRegister(exe, " register Main");
        EXPECT_EQ(row.mask, GetString(HKEY_CURRENT_USER, "Software\\Vel\\SortGroups", "UpperGroup0"));
        EXPECT_EQ(row.mask, GetString(HKEY_USERS, ".DEFAULT\\Software\\Vel\\Colors\\Highlight\\Group4", "Mask"));
    }
}

TEST_F(Register, LauncherOnWindows98QuotesOnlyAPathThatNeedsIt)
{
    SetWindowsVersion("win98");
    struct Row {
        const char *dir;
        std::string line;
    } rows[] = {
        {kProgramFiles, "\"C:\\Program Files\\Vel\\Vel.exe\"" + std::string(kLauncherArgs)},
        {kBareDir, "C:\\VEL\\Vel.exe" + std::string(kLauncherArgs)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.dir);
        std::string dir = row.dir;
        std::string exe = Install(dir);
        WriteBytes(dir + "\\$UseBat.$$$", "left from before");
        RunRegister(exe, " register Main");
        EXPECT_EQ(row.line, ReadBytes(dir + "\\Vel.bat"));
        EXPECT_EQ("", ReadBytes(dir + "\\$UseBat.$$$")) << "the marker is created empty";
        // The App Paths entry never quotes.
        EXPECT_EQ(dir + "\\Vel.exe", GetString(HKEY_LOCAL_MACHINE, kAppPathsKey, ""));

        // The command interpreter runs the launcher, which starts the file
        // manager with the arguments.
        ASSERT_TRUE(CopyFileA(StandIn("vel").c_str(), (dir + "\\Vel.exe").c_str(), FALSE));
        std::string bat = "\"" + dir + "\\Vel.bat\"";
        HANDLE cmd = Start("cmd.exe /c \"" + bat + " one two\"");
        ASSERT_NE(nullptr, cmd);
        EXPECT_EQ(0u, WaitAndClose(cmd));
        std::string record = WaitForRecord(dir + "\\ran.txt");
        EXPECT_EQ(0u, record.find(dir + "\\Vel.exe|one two")) << record;
    }
}

TEST_F(Register, LauncherIsNeitherCreatedOnNtNorOverwritten)
{
    std::string dir = kProgramFiles;
    std::string exe = Install(dir);
    RunRegister(exe, " register Main");
    EXPECT_FALSE(Exists(dir + "\\Vel.bat"));
    EXPECT_FALSE(Exists(dir + "\\$UseBat.$$$"));

    SetWindowsVersion("win98");
    WriteBytes(dir + "\\Vel.bat", "@C:\\Other\\Vel.exe %*\r\n");
    RunRegister(exe, " register Main");
    EXPECT_EQ("@C:\\Other\\Vel.exe %*\r\n", ReadBytes(dir + "\\Vel.bat"));
    EXPECT_EQ("", ReadBytes(dir + "\\$UseBat.$$$"));
}

TEST_F(Register, SystemListsTheProductAndStartsVelByName)
{
    std::string dir = kProgramFiles;
    std::string exe = Install(dir);
    ASSERT_TRUE(CopyFileA(StandIn("vel").c_str(), (dir + "\\Vel.exe").c_str(), FALSE));
    EXPECT_EQ(std::string::npos, CaptureOutput("uninstaller.exe --list").find("VEL manager"));
    RunRegister(exe, " register Main");

    std::string list = CaptureOutput("uninstaller.exe --list");
    EXPECT_NE(std::string::npos, list.find("VEL manager|||VEL file manager")) << list;

    // The shell finds "Vel.exe" through App Paths, from a directory without it.
    SetCurrentDirectoryA("C:\\");
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    info.lpFile = "Vel.exe";
    info.lpParameters = "by-name";
    info.nShow = SW_HIDE;
    ASSERT_TRUE(ShellExecuteExA(&info)) << GetLastError();
    if (info.hProcess)
        WaitAndClose(info.hProcess);
    std::string record = WaitForRecord(dir + "\\ran.txt");
    EXPECT_EQ(0u, record.find(dir + "\\Vel.exe|by-name")) << record;
}

TEST_F(Register, SystemUninstallerStartsThisProgramNotOneOnTheWayToIt)
{
    // For an unquoted "C:\Program Files\Vel\VelUninstall.exe" the process
    // start tries "C:\Program.exe" first.
    const std::string planted = "C:\\Program.exe", record = planted + ".args";
    const std::string remove = "uninstaller.exe --remove \"VEL manager\"";
    Keep(planted);
    Keep(record);
    ASSERT_TRUE(CopyFileA(StandIn("args").c_str(), planted.c_str(), FALSE));
    std::string exe = Install(kProgramFiles);

    // The bench shows the weakness: an unquoted value starts the planted program.
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "VEL file manager");
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", exe);
    WaitAndClose(Start(remove));
    ASSERT_NE(std::string::npos, WaitForRecord(record).find("VelUninstall.exe"))
        << "the system's uninstaller no longer tries C:\\Program.exe: this test proves nothing";
    ASSERT_TRUE(DeleteFileA(record.c_str()));

    RunRegister(exe, " register Main");
    EXPECT_EQ(0u, RunUninstallAnswering(remove, IDNO)) << "our program asks";
    EXPECT_FALSE(Exists(record)) << ReadBytes(record);
    EXPECT_TRUE(Exists(exe));
}

TEST_F(Register, ProgramsListEntryHasTheFileManagersVersionAndTheSizeTheUninstallRemoves)
{
    const std::string dir = kProgramFiles, outside = "C:\\VelOutside";
    Keep(outside);
    // Counted: the program, the list and the listed files that exist and
    // would go; not a folder's, a refused entry's, a link's or a missing one's.
    const std::string list = "Vel.exe\r\nDocs\\Manual.txt\r\nDocs\r\nGone.txt\r\n..\\VelOutside\\Big.bin\r\n"
                             "nul\r\nLink.bin\r\n";
    struct Row {
        const char *name;
        bool versioned, listed;
    } rows[] = {
        {"a versioned file manager and a list", true, true},
        {"no version resource", false, true},
        {"no list", true, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        CleanRegistry();
        std::string exe = Install(dir);
        if (row.versioned)
            CopyWithFileVersion(BuiltProduct(), dir + "\\Vel.exe", 3, 14, 159, 2653);
        else
            ASSERT_TRUE(CopyFileA(StandIn("args").c_str(), (dir + "\\Vel.exe").c_str(), FALSE));
        MakeDirs(dir + "\\Docs");
        WriteBytes(dir + "\\Docs\\Manual.txt", std::string(3000, 'm'));
        MakeDirs(outside);
        WriteBytes(outside + "\\Big.bin", std::string(200000, 'b'));
        ASSERT_TRUE(MakeSymlink(dir + "\\Link.bin", outside + "\\Big.bin"));
        if (row.listed)
            WriteBytes(dir + "\\UnInstall.lst", list);
        RunRegister(exe, " register Main");

        Tree extra;
        if (row.versioned) {
            AddValue(&extra, "", "DisplayVersion", StringValue("3.14.159.2653"));
            AddValue(&extra, "", "VersionMajor", DwordValue(3));
            AddValue(&extra, "", "VersionMinor", DwordValue(14));
        }
        if (row.listed) {
            ULONGLONG bytes = 0;
            for (const char *name : {"VelUninstall.exe", "UnInstall.lst", "Vel.exe", "Docs\\Manual.txt"})
                bytes += ReadBytes(dir + "\\" + name).size();
            AddValue(&extra, "", "EstimatedSize", DwordValue((DWORD)((bytes + 1023) / 1024)));
        }
        ExpectRegistration(exe, "Main", extra);
        RemoveSymlink(dir + "\\Link.bin");
    }
}

TEST_F(Register, WithoutWriteAccessToTheMachineHiveOnlyDefaultsAreWritten)
{
    std::string exe = Install(kProgramFiles);
    SetPathExt(nullptr);
    DenyMachineKeys();
    RunRegister(exe, " register Main Tools", 1);   // the installer must learn it
    AllowMachineKeys();

    const char *mask = "*.exe,*.com,*.bat,%PATHEXT%,*.cmd";
    Tree user, defaults;
    AddFirstRunDefaults(&user, mask);   // no "Group", no FTP host
    AddFirstRunDefaults(&defaults, mask);
    ExpectTree(user, HKEY_CURRENT_USER, kUserSettings);
    ExpectTree(defaults, HKEY_USERS, kDefaultSettings);
    ExpectTree(Tree(), HKEY_LOCAL_MACHINE, kUninstallKey);
    ExpectTree(Tree(), HKEY_LOCAL_MACHINE, kAppPathsKey);
}

TEST_F(Register, RunningTwiceLeavesWhatRunningOnceLeft)
{
    SetWindowsVersion("win98");
    SetPathExt(".PY");
    SetGate("1");
    SetLocale("00000419");
    std::string dir = kProgramFiles;
    std::string exe = Install(dir);
    RunRegister(exe, " register Main");
    Tree user = DumpTree(HKEY_CURRENT_USER, kUserSettings);
    Tree defaults = DumpTree(HKEY_USERS, kDefaultSettings);
    Tree uninstall = DumpTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    Tree appPaths = DumpTree(HKEY_LOCAL_MACHINE, kAppPathsKey);
    std::string launcher = ReadBytes(dir + "\\Vel.bat");
    ASSERT_TRUE(user.count("XLat|Table1")) << "the run wrote every set";

    RunRegister(exe, " register Main");
    ExpectTree(user, HKEY_CURRENT_USER, kUserSettings);
    ExpectTree(defaults, HKEY_USERS, kDefaultSettings);
    ExpectTree(uninstall, HKEY_LOCAL_MACHINE, kUninstallKey);
    ExpectTree(appPaths, HKEY_LOCAL_MACHINE, kAppPathsKey);
    EXPECT_EQ(launcher, ReadBytes(dir + "\\Vel.bat"));
}

TEST_F(Register, PathsThatWouldNotFitSkipTheirStepOnly)
{
    // A renamed program "V.exe" in a directory of L characters: its own path
    // has L + 6, "$UseBat.$$$" beside it L + 12, "Vel.exe" L + 8 characters;
    // 259 fit a path buffer, and the quoted "Vel.exe" (L + 10) fits whenever
    // "$UseBat.$$$" does.
    struct Row {
        size_t length;
        bool launcher, appPath;
    } rows[] = {{247, true, true}, {248, false, true}, {251, false, true}, {252, false, false}};
    SetWindowsVersion("win98");
    Keep("C:\\Vel Long");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.length);
        CleanRegistry();
        std::string dir = "C:\\Vel Long";
        while (dir.size() + 101 < row.length)
            dir += "\\" + std::string(100, 'd');
        dir += "\\" + std::string(row.length - dir.size() - 1, 'e');
        ASSERT_EQ(row.length, dir.size());
        RemoveTree("C:\\Vel Long");
        MakeDirs(dir);
        std::string exe = dir + "\\V.exe";
        ASSERT_TRUE(CopyFileA(BuiltProduct().c_str(), exe.c_str(), FALSE)) << GetLastError();
        RunRegister(exe, " register Main");

        EXPECT_EQ(row.launcher, Exists(dir + "\\$UseBat.$$$"));
        EXPECT_EQ(row.launcher, Exists(dir + "\\Vel.bat"));
        if (row.launcher)
            EXPECT_EQ("\"" + dir + "\\Vel.exe\"" + kLauncherArgs, ReadBytes(dir + "\\Vel.bat"))
                << "quoted, since the directory holds a blank";
        EXPECT_EQ("\"" + exe + "\"", GetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"))
            << "quoted: the longest path and its quotes fit";
        EXPECT_EQ(dir, GetString(HKEY_LOCAL_MACHINE, kAppPathsKey, "Path"));
        EXPECT_EQ(row.appPath ? dir + "\\Vel.exe" : "<missing>", GetString(HKEY_LOCAL_MACHINE, kAppPathsKey, ""));
        EXPECT_EQ("Main", GetString(HKEY_CURRENT_USER, kUserSettings, "Group")) << "the rest goes on";
    }
}
