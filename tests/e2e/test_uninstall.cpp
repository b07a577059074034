// The whole uninstallation as Add/Remove Programs runs it: the confirmation,
// the list file's passes, the group, the registry, and the batch file that
// removes the program's file and directory after the program has ended.
#include "e2e/support_uninstall.h"
#include "common/snapshot.h"

#include <algorithm>
#include <optional>

using namespace e2e;

namespace {

const char kGroup[] = "Vel Uninstall Test";

std::string Parent(const std::string &path)
{
    return path.substr(0, path.rfind('\\'));
}

class Uninstall : public CleanupTest {
protected:
    void SetUp() override
    {
        SetWindowsVersion("");
        RemoveRegistration();
        DeleteFileA(BatchPath().c_str());
    }
    void TearDown() override
    {
        RemoveRegistration();
        CleanupTest::TearDown();
        DeleteFileA(BatchPath().c_str());
        SetWindowsVersion("");
    }

    // A sample installation in dir: directories listed before their contents,
    // CRLF and LF lines, trailing blanks and tabs, blank lines, a read-only and
    // a hidden file, no line end after the last line, a directory named with
    // a trailing separator before its parent, a file and its folder named by
    // the aliases the file system gives them; a group folder of shortcuts;
    // settings and registrations in both hives.
    std::string InstallSample(const std::string &dir)
    {
        RemoveTree(dir);
        Keep(dir);
        return InstallSampleInto(dir);
    }
    std::string InstallSampleInto(const std::string &dir)
    {
        std::string exe = InstallProductAt(dir);
        MakeDirs(dir + "\\Docs");
        MakeDirs(dir + "\\Plugins\\FTP");
        MakeDirs(dir + "\\Forms\\Sub");
        MakeDirs(dir + "\\Long Folder Name");
        for (const char *file : {"Vel.exe", "Docs\\readme.txt", "Docs\\ReadOnly.txt", "Docs\\Hidden.txt",
                                 "Plugins\\FTP\\ftp.dll", "Forms\\Sub\\form.txt",
                                 "Long Folder Name\\Another File.txt"})
            WriteBytes(dir + "\\" + file, file);
        SetFileAttributesA((dir + "\\Docs\\ReadOnly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        SetFileAttributesA((dir + "\\Docs\\Hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
        std::string aliasedFile = ShortNameBelow(dir, "Long Folder Name\\Another File.txt");
        std::string aliasedFolder = ShortNameBelow(dir, "Long Folder Name");
        EXPECT_NE("", aliasedFile);
        EXPECT_NE("", aliasedFolder);
        WriteBytes(dir + "\\UnInstall.lst",
                   "Docs\r\nPlugins\nPlugins\\FTP \t\r\nDocs\\readme.txt\r\nDocs\\ReadOnly.txt\t\n"
                   "Docs\\Hidden.txt  \r\n\r\n   \nPlugins\\FTP\\ftp.dll\nForms\\Sub\\form.txt\r\n"
                   "Forms\\Sub\\\r\nForms\r\n" + aliasedFile + "\r\n" + aliasedFolder + "\r\nVel.exe");

        std::string group = ProgramsFolder() + "\\" + kGroup;
        Keep(group);
        MakeDirs(group);
        WriteBytes(group + "\\Vel.lnk", "shortcut");
        WriteBytes(group + "\\Help.lnk", "shortcut");
        WriteRegistration(kGroup, dir);
        return exe;
    }
};

void ExpectRegistrationGone()
{
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Vel"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Vel"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAppPathsKey));
}

void ExpectRegistrationKept()
{
    EXPECT_EQ(kGroup, GetString(HKEY_CURRENT_USER, "Software\\Vel", "Group"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Vel\\Plugins\\FTP\\Hosts\\Item0"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Vel\\Shared"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kAppPathsKey));
}

}  // namespace

TEST_F(Uninstall, RemovesWholeInstallationAndItself)
{
    // Blanks, a '%' that the interpreter must not expand, and a letter that
    // the ANSI and the OEM code page store differently. Platform 1 with cmd.exe
    // as the interpreter (as in Windows 95 compatibility mode) must not hang.
    struct Row { const char *version; std::string dir; } rows[] = {
        {"", "C:\\VelFull"}, {"", "C:\\Program Files\\Vel"}, {"", "C:\\Vel 100%"}, {"", "C:\\V\xE9l Test"},
        {"win98", "C:\\Program Files\\Vel"},
    };
    // Where a '%' that is not doubled leads the batch file: "C:\Vel 100".
    MakeDirs("C:\\Vel 100");
    Keep("C:\\Vel 100");
    WriteBytes("C:\\Vel 100\\VelUninstall.exe", "sentinel");
    for (const Row &row : rows) {
        const std::string &dir = row.dir;
        SCOPED_TRACE(std::string(row.version) + " " + dir);
        SetWindowsVersion(row.version);
        std::string sentinel = Parent(dir) + "\\VelSentinel.txt";
        Keep(sentinel);
        WriteBytes(sentinel, "keep");
        std::string exe = InstallSample(dir);

        EXPECT_EQ(0u, RunUninstallAnswering(exe, IDYES));
        EXPECT_TRUE(WaitUntilGone(dir, 30000)) << "the batch file leaves the program directory";
        EXPECT_TRUE(WaitUntilGone(BatchPath(), 10000)) << "the batch file deletes itself";
        EXPECT_FALSE(Exists(exe));
        EXPECT_FALSE(Exists(ProgramsFolder() + "\\" + kGroup));
        ExpectRegistrationGone();
        EXPECT_EQ("keep", ReadBytes(sentinel));
        EXPECT_TRUE(WaitForNoMessageBox(0)) << "no final message when the file went";
        RemoveTree(dir);
    }
    EXPECT_EQ("sentinel", ReadBytes("C:\\Vel 100\\VelUninstall.exe"));
}

TEST_F(Uninstall, AnswerNoChangesNothing)
{
    std::string dir = "C:\\VelAnswerNo";
    std::string exe = InstallSample(dir);
    std::string list = ReadBytes(dir + "\\UnInstall.lst");

    EXPECT_EQ(0u, RunUninstallAnswering(exe, IDNO));

    for (const char *file : {"VelUninstall.exe", "Vel.exe", "Docs\\readme.txt", "Docs\\ReadOnly.txt",
                             "Docs\\Hidden.txt", "Plugins\\FTP\\ftp.dll"})
        EXPECT_TRUE(Exists(dir + "\\" + file)) << file;
    EXPECT_EQ(list, ReadBytes(dir + "\\UnInstall.lst"));
    EXPECT_TRUE(Exists(ProgramsFolder() + "\\" + kGroup + "\\Vel.lnk"));
    ExpectRegistrationKept();
    EXPECT_FALSE(Exists(BatchPath()));
}

TEST_F(Uninstall, SilentRunAsksNothingAndTellsWhatStayedByItsExitCodeAndReport)
{
    // Each row: the words after the program's name, what the installation
    // holds besides the sample, the exit code, and lines its report must hold
    // (the counts line last). A report in a folder with blanks, quoted either
    // way; one that cannot be created; an interactive run with a report.
    const std::string dir = "C:\\VelSilent", reports = "C:\\Vel Reports";
    const std::string report = reports + "\\u n.log";
    Keep(reports);
    Keep("C:\\VelOutside.txt");
    MakeDirs(reports);
    const std::string group = ProgramsFolder() + "\\" + kGroup;
    const std::string keys[] = {"HKEY_LOCAL_MACHINE\\Software\\Vel", "HKEY_CURRENT_USER\\Software\\Vel",
                                "HKEY_LOCAL_MACHINE\\" + std::string(kUninstallKey),
                                "HKEY_LOCAL_MACHINE\\" + std::string(kAppPathsKey)};
    enum Setup { SAMPLE, NO_LIST, LIST_GONE, STAYS, NO_INTERPRETER, OWN_FILES_LISTED };
    struct Row {
        const char *name;
        std::string words, report;
        Setup setup;
        DWORD exitCode;
        bool interactive;
        std::vector<std::string> lines;
    } rows[] = {
        {"everything goes", " /S \"/LOG=" + report + "\"", report, SAMPLE, 0, false,
         {"Docs: deleted", "Forms\\Sub\\: deleted", "Vel.exe: deleted", "UnInstall.lst: deleted", group + ": deleted",
          "Program Manager group " + std::string(kGroup) + ": asked", keys[0] + ": deleted", keys[1] + ": deleted",
          keys[2] + ": deleted", keys[3] + ": deleted", "Uninstall.Vel.Bat: written and started",
          "19 deleted, 0 already gone, 0 refused, 0 left, 0 at restart"}},
        {"some entries stay", " /log=\"" + report + "\" /s", report, STAYS, 2, false,
         {"..\\VelOutside.txt: refused: outside the program directory", "Docs\\nul.txt: refused: a device",
          "Link.txt: refused: lies elsewhere", "Kept\\mine.txt\\: refused: not a folder",
          "line 19: refused: too long", "Gone.txt: already gone", "Kept: left: error 145", "Docs: deleted",
          "19 deleted, 1 already gone, 5 refused, 1 left, 0 at restart"}},
        // Listed by mistake, the program and the list go at the end all the same.
        {"the program and the list listed", " /S /LOG=\"" + report + "\"", report, OWN_FILES_LISTED, 0, false,
         {"VelUninstall.exe: removed at the end", "UnInstall.lst: removed at the end", "UnInstall.lst: deleted",
          "19 deleted, 0 already gone, 0 refused, 0 left, 0 at restart"}},
        {"no list", " /S /LOG=\"" + reports + "\\none.log\"", reports + "\\none.log", NO_LIST, 1, false,
         {"UnInstall.lst: cannot be opened", "0 deleted, 0 already gone, 0 refused, 0 left, 0 at restart"}},
        // The list went, and the Programs entry runs this program: the same
        // uninstall stopped after its list, which finishes what is left.
        {"list gone, entry runs this program", " /S /LOG=\"" + report + "\"", report, LIST_GONE, 0, false,
         {"UnInstall.lst: already gone", group + ": deleted", keys[2] + ": deleted",
          "5 deleted, 1 already gone, 0 refused, 0 left, 0 at restart"}},
        {"no interpreter", " /S /LOG=\"" + reports + "\\none.log\"", reports + "\\none.log", NO_INTERPRETER, 2, false,
         {"Uninstall.Vel.Bat: left: not started: error 2", "19 deleted, 0 already gone, 0 refused, 1 left, 0 at restart"}},
        {"report cannot be created", " /S /LOG=C:\\VelNoSuchDir\\u.log", "C:\\VelNoSuchDir\\u.log", SAMPLE, 2, false, {"<missing>"}},
        {"interactive, with a report", " \"/LOG=" + reports + "\\asked.log\"", reports + "\\asked.log", SAMPLE, 0, true,
         {"Vel.exe: deleted", "19 deleted, 0 already gone, 0 refused, 0 left, 0 at restart"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DeleteFileA(BatchPath().c_str());
        std::string exe = InstallSample(dir);
        const std::string &reportPath = row.report;
        DeleteFileA(reportPath.c_str());
        std::string list = ReadBytes(dir + "\\UnInstall.lst");
        if (row.setup == NO_LIST)
            DeleteFileA((dir + "\\UnInstall.lst").c_str());
        if (row.setup == LIST_GONE)   // stopped after the passes and the list
            for (const char *name : {"Docs", "Plugins", "Forms", "Long Folder Name", "Vel.exe", "UnInstall.lst"})
                RemoveTree(dir + "\\" + name);
        if (row.setup == NO_LIST)   // the Programs entry runs another installation's program
            SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "C:\\VelElsewhere\\VelUninstall.exe");
        if (row.setup == OWN_FILES_LISTED)
            WriteBytes(dir + "\\UnInstall.lst", list + "\r\nVelUninstall.exe\r\nUnInstall.lst\r\n");
        if (row.setup == STAYS) {
            WriteBytes("C:\\VelOutside.txt", "keep");
            MakeDirs(dir + "\\Kept");
            WriteBytes(dir + "\\Kept\\mine.txt", "the user's");
            ASSERT_TRUE(MakeSymlink(dir + "\\Link.txt", "C:\\VelOutside.txt"));
            // The sample's list has 15 lines; the line of 600 characters is the 19th.
            WriteBytes(dir + "\\UnInstall.lst", list + "\r\n..\\VelOutside.txt\r\nDocs\\nul.txt\r\nLink.txt\r\n"
                                                  + std::string(600, 'x') + "\r\nKept\\mine.txt\\\r\nGone.txt\r\nKept");
        }
        DWORD code;
        {
            ProgmanRecorder programManager;   // it answers
            std::optional<ScopedVariable> interpreter;
            if (row.setup == NO_INTERPRETER)
                interpreter.emplace("COMSPEC", "C:\\VelNoSuchDir\\cmd.exe");
            code = row.interactive ? RunUninstallAnswering("\"" + exe + "\"" + row.words, IDYES)
                                   : RunSilently("\"" + exe + "\"" + row.words);
        }
        EXPECT_EQ(row.exitCode, code);
        std::vector<std::string> lines = ReportLines(reportPath);
        for (const std::string &line : row.lines)
            EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), line))
                << "no line \"" << line << "\" in\n" << ReadBytes(reportPath);
        EXPECT_EQ(row.lines.back(), lines.back()) << "the counts come last";
        if (row.setup == NO_LIST) {
            ExpectRegistrationKept();
            EXPECT_TRUE(Exists(dir + "\\Docs\\readme.txt"));
        } else if (row.setup == SAMPLE || row.setup == OWN_FILES_LISTED || row.setup == LIST_GONE) {
            EXPECT_TRUE(WaitUntilGone(dir, 30000)) << "the batch file leaves the program directory";
            ExpectRegistrationGone();
        } else {
            ExpectRegistrationGone();
            EXPECT_FALSE(Exists(dir + "\\Docs"));
        }
        if (row.setup == STAYS) {
            EXPECT_EQ("keep", ReadBytes("C:\\VelOutside.txt"));
            EXPECT_EQ("the user's", ReadBytes(dir + "\\Kept\\mine.txt"));
            RemoveSymlink(dir + "\\Link.txt");
        }
        EXPECT_TRUE(WaitUntilGone(BatchPath(), 30000));
        EXPECT_TRUE(WaitForNoMessageBox(0));
        DeleteFileA(reportPath.c_str());
        RemoveTree(dir);
    }
}

TEST_F(Uninstall, StrayCopyWithoutAListChangesNothing)
{
    // The Programs entry runs the installed program, not this copy.
    const std::string dir = "C:\\VelNoList";
    std::string exe = InstallSample(dir);
    std::string list = ReadBytes(dir + "\\UnInstall.lst");
    Keep("C:\\VelStray");
    HANDLE process = Start(InstallProductAt("C:\\VelStray"));
    HWND box = WaitForMessageBox();
    ASSERT_NE(nullptr, box);
    Answer(box, IDYES);
    box = WaitForNextMessageBox(box);
    ASSERT_NE(nullptr, box) << "no message about the list file";
    EXPECT_EQ("Cannot open list file UnInstall.lst", MessageBoxText(box));
    EXPECT_TRUE(HasButton(box, IDOK));
    EXPECT_FALSE(HasButton(box, IDNO));
    Answer(box, IDOK);
    EXPECT_EQ(0u, WaitAndClose(process));

    EXPECT_TRUE(Exists(exe));
    EXPECT_TRUE(Exists(dir + "\\Docs\\readme.txt"));
    EXPECT_EQ(list, ReadBytes(dir + "\\UnInstall.lst"));
    EXPECT_TRUE(Exists(ProgramsFolder() + "\\" + kGroup + "\\Vel.lnk"));
    ExpectRegistrationKept();
    EXPECT_FALSE(Exists(BatchPath()));
    EXPECT_EQ(1u, RunSilently("\"C:\\VelStray\\VelUninstall.exe\" /S"));
    EXPECT_TRUE(Exists(exe));
}

namespace {

std::string Utf8(const std::wstring &text)
{
    char out[2048];
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), out, sizeof out, NULL, NULL);
    return std::string(out, n);
}

bool WaitUntilGone(const std::wstring &path, DWORD milliseconds = 30000)
{
    for (DWORD waited = 0; Exists(path); waited += 100) {
        if (waited >= milliseconds)
            return false;
        Sleep(100);
    }
    return true;
}

}  // namespace

TEST_F(Uninstall, NamesOutsideTheAnsiCodePageGoOnWindowsNt)
{
    // Program directories, entries, a group and a Programs folder named in
    // letters the ANSI code page (1252) cannot spell: the ANSI path of the
    // first reads with '?', that of the second with a best fit naming
    // another, existing directory, which stays. Made and examined through
    // short names or in UTF-16; the program is started by its own name.
    const std::wstring names[] = {L"\u0414\u043e\u043a\u0443\u043c\u0435\u043d\u0442.txt",
                                  L"\u041f\u0430\u043f\u043a\u0430\\\u0444\u0430\u0439\u043b.txt",
                                  L"\u041f\u0430\u043f\u043a\u0430"};
    const std::wstring group = L"Vel \u0413\u0440\u0443\u043f\u043f\u0430";
    const std::wstring programs = L"C:\\users\\\u041f\u0440\u043e\u0444\u0438\u043b\u044c\\Programs";
    const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    const std::string report = "C:\\VelWide.log", decoy = "C:\\VelFitO";
    Keep(report);
    Keep(decoy);
    MakeDirs(decoy);
    WriteBytes(decoy + "\\UnInstall.lst", "Decoy.txt\r\n");
    WriteBytes(decoy + "\\Decoy.txt", "keep");
    enum List { ANSI, UTF8, UTF16 };
    struct Row { const char *name; std::wstring dir; List list; bool silent, registered; } rows[] = {
        {"outside the code page, an ANSI list, asked", L"C:\\VelNoAnsi\u03A9\u4E2D", ANSI, false, false},
        {"best fit names another directory, a UTF-8 list, silently", L"C:\\VelFit\u03A9", UTF8, true, false},
        {"registered, a UTF-16 list, the Programs folder outside the code page", L"C:\\Vel \u041c\u0435\u043d\u044e",
         UTF16, true, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(CreateDirectoryW(row.dir.c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS);
        std::string dir = ShortPathOf(row.dir);
        ASSERT_NE("", dir);
        Keep(dir);
        InstallSampleInto(dir);
        // The names are listed before the sample's own entries (ASCII, in
        // each encoding as it is).
        std::string sample = ReadBytes(dir + "\\UnInstall.lst");
        std::wstring entries(sample.begin(), sample.end());
        if (row.list != ANSI) {
            CreateDirectoryW((row.dir + L"\\" + names[2]).c_str(), NULL);
            for (int i = 0; i < 2; i++)
                WriteBytes(row.dir + L"\\" + names[i], "x");
            entries = names[0] + L"\r\n" + names[1] + L"\r\n" + names[2] + L"\r\n" + entries;
        }
        std::string list = row.list == ANSI ? sample : row.list == UTF8 ? "\xEF\xBB\xBF" + Utf8(entries)
            : "\xFF\xFE" + std::string((const char *)entries.data(), entries.size() * sizeof(wchar_t));
        WriteBytes(dir + "\\UnInstall.lst", list);
        std::wstring groupFolder;
        if (row.registered) {
            // The shell's Programs folder of this user, named outside the code
            // page, and the group registered there for real.
            CreateDirectoryW(programs.substr(0, programs.rfind(L'\\')).c_str(), NULL);
            CreateDirectoryW(programs.c_str(), NULL);
            Keep(ShortPathOf(programs.substr(0, programs.rfind(L'\\'))));
            SetWideString(HKEY_CURRENT_USER, kShellFolders, L"Programs", programs, REG_EXPAND_SZ);
            groupFolder = programs + L"\\" + group;
            CreateDirectoryW(groupFolder.c_str(), NULL);
            WriteBytes(groupFolder + L"\\Vel.lnk", "shortcut");
            RemoveRegistration();
            EXPECT_EQ(0u, WaitAndClose(Start(L"\"" + row.dir + L"\\VelUninstall.exe\" register \"" + group + L"\"")));
            const std::wstring command = L"\"" + row.dir + L"\\VelUninstall.exe\"";
            EXPECT_TRUE(GetWideString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString") == command);
            EXPECT_TRUE(GetWideString(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString") == command + L" /S");
            EXPECT_TRUE(GetWideString(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation") == row.dir);
            EXPECT_TRUE(GetWideString(HKEY_LOCAL_MACHINE, kUninstallKey, L"ProgramsFolder") == programs);
            EXPECT_TRUE(GetWideString(HKEY_LOCAL_MACHINE, kAppPathsKey, L"Path") == row.dir);
            EXPECT_TRUE(GetWideString(HKEY_CURRENT_USER, "Software\\Vel", L"Group") == group);
        }
        DeleteFileA(report.c_str());

        std::wstring command = L"\"" + row.dir + L"\\VelUninstall.exe\" /LOG=C:\\VelWide.log";
        if (row.silent) {
            EXPECT_EQ(0u, WaitAndClose(Start(command + L" /S")));
        } else {
            HANDLE process = Start(command);
            HWND box = WaitForMessageBox();
            ASSERT_NE(nullptr, box);
            Answer(box, IDYES);
            EXPECT_EQ(0u, WaitAndClose(process));
        }
        EXPECT_TRUE(WaitUntilGone(row.dir)) << "the batch file, spelling the directory by its short name, removes it";
        std::string text = ReadBytes(report);
        if (row.list != ANSI) {
            EXPECT_EQ(0u, text.find("\xEF\xBB\xBF")) << "a Unicode list's report is in UTF-8";
            EXPECT_NE(std::string::npos, text.find(Utf8(names[1]) + ": deleted\r\n")) << text;
        }
        EXPECT_NE(std::string::npos, text.find(" 0 refused, 0 left, 0 at restart\r\n")) << text;
        if (row.registered) {
            EXPECT_FALSE(Exists(groupFolder));
            HKEY key;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
                RegDeleteValueA(key, "Programs");
                RegCloseKey(key);
            }
            DeleteTree(HKEY_USERS, ".DEFAULT\\Software\\Vel");
        }
        ExpectRegistrationGone();
        EXPECT_EQ("keep", ReadBytes(decoy + "\\Decoy.txt"));
    }
}

TEST_F(Uninstall, ProgramInDriveRootWorksWhereverItIsStarted)
{
    // "C:" alone is the drive's current directory. Started from C:\windows,
    // the program must not read that directory's list, nor remove it.
    const std::string decoy = "C:\\windows\\VelRootDecoy.txt", decoyList = "C:\\windows\\UnInstall.lst";
    for (const std::string &path : {decoy, decoyList, std::string("C:\\VelUninstall.exe"),
                                    std::string("C:\\UnInstall.lst"), std::string("C:\\VelRootApp"),
                                    std::string("C:\\VelRootFile.txt")})
        Keep(path);
    for (const char *current : {"C:\\windows", "C:\\"}) {
        SCOPED_TRACE(current);
        WriteBytes(decoy, "keep");
        WriteBytes(decoyList, "VelRootDecoy.txt\r\n");
        std::string exe = InstallProductAt("C:");
        MakeDirs("C:\\VelRootApp");
        WriteBytes("C:\\VelRootApp\\a.txt", "a");
        WriteBytes("C:\\VelRootFile.txt", "f");
        WriteBytes("C:\\UnInstall.lst", "VelRootApp\r\nVelRootApp\\a.txt\r\nVelRootFile.txt\r\n");
        WriteRegistration(kGroup, "C:");

        EXPECT_EQ(0u, RunUninstallAnswering(exe, IDYES, current));
        EXPECT_TRUE(WaitUntilGone(exe, 30000)) << "the batch file deletes the program's file";
        EXPECT_TRUE(WaitUntilGone(BatchPath(), 10000)) << "the batch file deletes itself";
        EXPECT_FALSE(Exists("C:\\VelRootApp"));
        EXPECT_FALSE(Exists("C:\\VelRootFile.txt"));
        EXPECT_FALSE(Exists("C:\\UnInstall.lst"));
        EXPECT_EQ("keep", ReadBytes(decoy));
        EXPECT_EQ("VelRootDecoy.txt\r\n", ReadBytes(decoyList));
        EXPECT_TRUE(Exists("C:\\windows\\system32"));
        ExpectRegistrationGone();
        EXPECT_TRUE(WaitForNoMessageBox(0)) << "no final message when the file went";
    }
}

TEST_F(Uninstall, UndeletableProgramFileEndsWithFinalMessage)
{
    std::string dir = "C:\\VelInUse";
    std::string exe = InstallSample(dir);
    // Held open without delete sharing: every del of the batch file fails.
    HANDLE hold = CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hold);

    EXPECT_EQ(0u, RunUninstallAnswering(exe, IDYES));
    HWND box = WaitForMessageBox(30000);
    ASSERT_NE(nullptr, box) << "the batch file did not start the program with Warning";
    EXPECT_EQ(FinalMessage(exe), MessageBoxText(box));
    Answer(box, IDOK);
    EXPECT_TRUE(WaitUntilGone(BatchPath(), 10000)) << "the batch file deletes itself all the same";
    CloseHandle(hold);

    EXPECT_TRUE(Exists(exe));
    EXPECT_FALSE(Exists(dir + "\\Docs"));
    ExpectRegistrationGone();
}

TEST_F(Uninstall, BatchFileBytesForBothPlatforms)
{
    std::string batch = BatchPath();
    // The interpreter reads the file in the OEM code page and expands '%':
    // "\xE9" (ANSI) is written as "\x82" (OEM) and every '%' doubled. The
    // first line's form follows the interpreter COMSPEC names, not the
    // platform: a Windows 95 compatibility mode reports platform 1 with cmd.exe.
    // The interpreter is a stand-in that records its command line and runs
    // nothing, so the batch file stays to be read.
    const std::string interpreters = "C:\\VelInterpreter";
    Keep(interpreters);
    MakeDirs(interpreters);
    // A silent uninstall's batch file starts no final message: it shows no window.
    struct Row { const char *version, *interpreter; bool startWait, silent; std::string dir, written; } rows[] = {
        {"", "cmd.exe", false, false, "C:\\VelBatch", "C:\\VelBatch"},
        {"win98", "COMMAND.COM", true, false, "C:\\VelBatch", "C:\\VelBatch"},
        {"win98", "cmd.exe", false, false, "C:\\VelBatch", "C:\\VelBatch"},
        {"", "cmd.exe", false, false, "C:\\V\xE9l 100%", "C:\\V\x82l 100%%"},
        {"", "cmd.exe", false, true, "C:\\VelBatch", "C:\\VelBatch"},
        {"win98", "COMMAND.COM", true, true, "C:\\VelBatch", "C:\\VelBatch"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.version) + " " + row.interpreter + " " + row.dir + (row.silent ? " /S" : ""));
        SetWindowsVersion(row.version);
        std::string interpreter = interpreters + "\\" + row.interpreter;
        ASSERT_TRUE(CopyFileA(StandIn("args").c_str(), interpreter.c_str(), FALSE));
        std::string record = interpreter + ".args";
        DeleteFileA(record.c_str());
        ScopedVariable comspec("COMSPEC", interpreter.c_str());
        std::string exe = InstallSample(row.dir);
        std::string written = row.written + "\\VelUninstall.exe";
        // An older, longer batch file is overwritten, not written over in part.
        WriteBytes(batch, std::string(20000, 'x'));

        if (row.silent)
            EXPECT_EQ(0u, RunSilently("\"" + exe + "\" /S"));
        else
            EXPECT_EQ(0u, RunUninstallAnswering(exe, IDYES));

        for (int i = 0; i < 600 && ReadBytes(record).substr(0, 1) != "C"; i++)
            Sleep(50);
        EXPECT_EQ(interpreter + " /c \"" + batch + "\"", ReadBytes(record));
        std::string expected = row.startWait ? "start /wait \"" + written + " wait\"\r\n"
                                             : "\"" + written + "\" wait\r\n";
        for (int i = 0; i < 5; i++)
            expected += "del \"" + written + "\"\r\nrd \"" + row.written + "\"\r\nif not exist \""
                        + written + "\" goto done\r\n";
        expected += ":done\r\n";
        if (!row.silent)
            expected += "if exist \"" + written + "\" \"" + written + "\" Warning\r\n";
        expected += "del \"" + batch + "\"";
        EXPECT_EQ(expected, ReadBytes(batch));
        EXPECT_TRUE(Exists(exe)) << "nothing ran the batch file";
        DeleteFileA(batch.c_str());
        RemoveTree(row.dir);
    }
}

TEST_F(Uninstall, SelfRemovalThatCannotStartTellsTheUser)
{
    // The batch file cannot be written (a temporary directory that is not
    // one, a path whose batch file name would be cut), or nothing can run
    // it: the program's file and directory stay, and the user is told so,
    // once, as when the file resists deletion. No batch file is left behind.
    const std::string longTemp = "C:\\VelLongTemp\\" + std::string(230, 't');
    const std::string tempFile = "C:\\VelTempFile";
    Keep("C:\\VelLongTemp");
    MakeDirs(longTemp);
    ASSERT_TRUE(Exists(longTemp));
    Keep(tempFile);
    WriteBytes(tempFile, "not a directory");

    struct Row { const char *name; std::string dir; const char *variable, *value; } rows[] = {
        {"temporary path too long for the file name", "C:\\VelNoStart", "TMP", longTemp.c_str()},
        {"temporary directory missing", "C:\\VelNoStart", "TMP", "C:\\VelNoSuchTemp"},
        {"temporary directory a file", "C:\\VelNoStart", "TMP", tempFile.c_str()},
        {"COMSPEC unset", "C:\\VelNoStart", "COMSPEC", nullptr},
        {"COMSPEC names a missing file", "C:\\VelNoStart", "COMSPEC", "C:\\VelNoSuchDir\\cmd.exe"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DeleteFileA(BatchPath().c_str());
        std::string exe = InstallSample(row.dir);
        std::string told;
        {
            std::optional<ScopedVariable> variable;
            if (row.variable)
                variable.emplace(row.variable, row.value);
            EXPECT_EQ(0u, RunUninstallAnswering(exe, IDYES, "", &told));
        }
        EXPECT_EQ(FinalMessage(exe), told);
        EXPECT_TRUE(Exists(exe)) << "without a batch file the program's file stays";
        EXPECT_FALSE(Exists(row.dir + "\\Docs")) << "what came before stays removed";
        ExpectRegistrationGone();
        EXPECT_FALSE(Exists(BatchPath())) << "a batch file that nothing runs";
        EXPECT_FALSE(Exists("C:\\VelNoSuchTemp"));
        EXPECT_EQ("not a directory", ReadBytes(tempFile));
        RemoveTree(row.dir);
    }
    // The batch file's name added, the long temporary path exceeds 259
    // characters: a cut name would be another file.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((longTemp + "\\*").c_str(), &found);
    int entries = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do
            entries += strcmp(found.cFileName, ".") && strcmp(found.cFileName, "..");
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    EXPECT_EQ(0, entries) << "a batch file under a cut name";
}

TEST_F(Uninstall, StoppedBetweenTwoStepsOfTheEndARunAgainFinishes)
{
    // Each state that a run stopped between two steps of its end leaves,
    // made directly, then uninstalled again: everything goes, and the report
    // tells what this run found already gone. The list and the Programs
    // entry go last: every earlier stop leaves both.
    const std::string dir = "C:\\VelAgain", report = "C:\\VelAgain.log";
    const std::string group = ProgramsFolder() + "\\" + kGroup;
    Keep(report);
    enum Stop { AFTER_PASSES, AFTER_GROUP, AFTER_SETTINGS, AFTER_APP_PATHS, AFTER_LIST };
    struct Row { const char *name; Stop stop; bool silent; std::string line; } rows[] = {
        {"after the passes", AFTER_PASSES, true, group + ": deleted"},
        {"after the group", AFTER_GROUP, true, group + ": already gone"},
        {"after the settings", AFTER_SETTINGS, true, "HKEY_CURRENT_USER\\Software\\Vel: already gone"},
        {"after the App Paths entry", AFTER_APP_PATHS, true,
         "HKEY_LOCAL_MACHINE\\" + std::string(kAppPathsKey) + ": already gone"},
        {"after the list, silently", AFTER_LIST, true, "UnInstall.lst: already gone"},
        {"after the list, asked", AFTER_LIST, false, "UnInstall.lst: already gone"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string exe = InstallSample(dir);
        for (const char *name : {"Docs", "Plugins", "Forms", "Long Folder Name", "Vel.exe"})
            RemoveTree(dir + "\\" + name);
        if (row.stop >= AFTER_GROUP)
            RemoveTree(group);
        if (row.stop >= AFTER_SETTINGS) {
            DeleteTree(HKEY_LOCAL_MACHINE, "Software\\Vel");
            DeleteTree(HKEY_CURRENT_USER, "Software\\Vel");
        }
        if (row.stop >= AFTER_APP_PATHS)
            DeleteTree(HKEY_LOCAL_MACHINE, kAppPathsKey);
        if (row.stop >= AFTER_LIST)
            DeleteFileA((dir + "\\UnInstall.lst").c_str());
        DeleteFileA(report.c_str());

        std::string words = "\"" + exe + "\" /LOG=" + report;
        EXPECT_EQ(0u, row.silent ? RunSilently(words + " /S") : RunUninstallAnswering(words, IDYES));

        std::vector<std::string> lines = ReportLines(report);
        EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), row.line)) << ReadBytes(report);
        EXPECT_EQ("0 refused, 0 left, 0 at restart", lines.back().substr(lines.back().find("0 refused")))
            << ReadBytes(report);
        EXPECT_TRUE(WaitUntilGone(dir, 30000)) << "the batch file leaves no program directory";
        EXPECT_TRUE(WaitUntilGone(BatchPath(), 10000));
        EXPECT_FALSE(Exists(group));
        ExpectRegistrationGone();
    }
}

TEST_F(Uninstall, ProgramsEntryThatCannotGoKeepsItsProgramUntilARunWithTheRights)
{
    // A Programs entry that cannot be deleted (as without elevation where the
    // manifest is not honoured; Wine grants DELETE whatever a key's rules
    // say, but deletes no key that has a subkey): the program stays with its
    // entry, the user or the caller is told, and a later run that can
    // delete it finishes.
    const std::string dir = "C:\\VelNoRights", report = "C:\\VelNoRights.log";
    const std::string entryLine = "HKEY_LOCAL_MACHINE\\" + std::string(kUninstallKey) + ": left";
    Keep(report);
    for (bool silent : {true, false}) {
        SCOPED_TRACE(silent ? "silent" : "asked");
        std::string exe = InstallSample(dir);
        CreateKey(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\Held");
        DeleteFileA(report.c_str());
        std::string told;
        if (silent)
            EXPECT_EQ(2u, RunSilently("\"" + exe + "\" /S /LOG=" + report));
        else
            EXPECT_EQ(0u, RunUninstallAnswering("\"" + exe + "\" /LOG=" + report, IDYES, "", &told));
        EXPECT_EQ(silent ? "" : "VEL stays: its entry in the list of programs could not be removed. Run the "
                                "uninstall as an administrator.",
                  told);
        std::vector<std::string> lines = ReportLines(report);
        for (const std::string &line : {entryLine, std::string("Uninstall.Vel.Bat: left: not started: the Programs "
                                                               "entry stays")})
            EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), line)) << ReadBytes(report);
        EXPECT_TRUE(Exists(exe)) << "the program stays with its entry";
        EXPECT_FALSE(Exists(dir + "\\UnInstall.lst"));
        EXPECT_FALSE(Exists(BatchPath()));

        DeleteTree(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\Held");
        EXPECT_EQ(0u, RunSilently("\"" + exe + "\" /S"));
        EXPECT_TRUE(WaitUntilGone(dir, 30000));
        ExpectRegistrationGone();
    }
}

TEST_F(Uninstall, TwoAtOnceLeaveNothingBehind)
{
    // The same installation twice: the second run changes nothing and says
    // so, in each mode, and writes no report over the first one's.
    const std::string dir = "C:\\VelTwice", report = "C:\\VelTwice.log";
    Keep(report);
    std::string exe = InstallSample(dir);
    HANDLE first = Start(exe);
    HWND question = WaitForMessageBox();
    ASSERT_NE(nullptr, question);
    HANDLE second = Start(exe);
    HWND told = WaitForNextMessageBox(question);
    ASSERT_NE(nullptr, told);
    EXPECT_EQ("An uninstall of VEL is already running.", MessageBoxText(told));
    Answer(told, IDOK);
    EXPECT_EQ(0u, WaitAndClose(second));
    DeleteFileA(report.c_str());
    EXPECT_EQ(1u, WaitAndClose(Start("\"" + exe + "\" /S /LOG=" + report)));   // the first's question is up
    EXPECT_FALSE(Exists(report));
    Answer(question, IDYES);
    EXPECT_EQ(0u, WaitAndClose(first));
    EXPECT_TRUE(WaitUntilGone(dir, 30000));
    ExpectRegistrationGone();

    // While another installation's interpreter runs its batch file (it
    // holds it so that no one writes over it), a run takes a name of its own.
    exe = InstallSample(dir);
    WriteBytes(BatchPath(), "another run's");
    HANDLE held = CreateFileA(BatchPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(0u, RunSilently("\"" + exe + "\" /S /LOG=" + report));
    std::vector<std::string> lines = ReportLines(report);
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "Uninstall.Vel.2.Bat: written and started"))
        << ReadBytes(report);
    EXPECT_TRUE(WaitUntilGone(dir, 30000));
    EXPECT_EQ("another run's", ReadBytes(BatchPath()));
    CloseHandle(held);
    DeleteFileA(BatchPath().c_str());

    // Two installations uninstalled at the same moment: both go, programs too.
    const std::string dirs[] = {"C:\\VelFirst", "C:\\VelSecond"};
    HANDLE runs[2];
    for (int i = 0; i < 2; i++) {
        std::string each = InstallSample(dirs[i]);
        runs[i] = Start("\"" + each + "\" /S");
    }
    for (HANDLE each : runs)
        WaitAndClose(each);
    for (const std::string &d : dirs)
        EXPECT_TRUE(WaitUntilGone(d, 30000)) << d;
    EXPECT_TRUE(WaitUntilGone(BatchPath(), 10000));
}

TEST_F(Uninstall, KilledAnywhereARunAgainFinishesAsIfNeverStopped)
{
    // A large installation uninstalled silently and ended from outside (as
    // from Task Manager) early in the passes, late in them, and after them
    // while Program Manager keeps it waiting. A second run finishes: the
    // prefix is then what it was before the installation, as after an
    // uninstall that was never stopped.
    const std::string dir = "C:\\VelKilled";
    const int kFolders = 20, kFiles = 100;   // 2000 files
    auto fileName = [](int folder, int file) {
        return "Data" + std::to_string(folder) + "\\File" + std::to_string(file) + ".txt";
    };
    const snapshot::Snapshot before = snapshot::Take();
    enum Moment { EARLY, LATE, AFTER_PASSES };
    struct Row { const char *name; Moment moment; } rows[] = {
        {"early in the passes", EARLY}, {"late in the passes", LATE}, {"after the passes", AFTER_PASSES},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string exe = InstallSample(dir);
        std::string list = "Vel.exe\r\n";
        for (int folder = 0; folder < kFolders; folder++) {
            MakeDirs(dir + "\\Data" + std::to_string(folder));
            for (int file = 0; file < kFiles; file++) {
                WriteBytes(dir + "\\" + fileName(folder, file), "x");
                list += fileName(folder, file) + "\r\n";
            }
        }
        for (int folder = 0; folder < kFolders; folder++)
            list += "Data" + std::to_string(folder) + "\r\n";
        WriteBytes(dir + "\\UnInstall.lst", list + ReadBytes(dir + "\\UnInstall.lst"));
        // The file whose going marks the moment.
        std::string mark = dir + "\\" + (row.moment == EARLY ? fileName(1, 0) : fileName(kFolders - 3, 0));

        ProgmanRecorder slowProgman(4000);
        HANDLE run = Start("\"" + exe + "\" /S");
        ASSERT_NE(nullptr, run);
        for (int i = 0; i < 20000 && (row.moment == AFTER_PASSES ? slowProgman.Commands().empty() : Exists(mark));
             i++)
            Sleep(1);
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(run, 0)) << "still running when stopped";
        TerminateProcess(run, 9);
        WaitAndClose(run);
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_EQ(row.moment != AFTER_PASSES, Exists(dir + "\\" + fileName(kFolders - 1, kFiles - 1)));

        EXPECT_EQ(0u, RunSilently("\"" + exe + "\" /S"));
        EXPECT_TRUE(WaitUntilGone(dir, 60000));
        EXPECT_TRUE(WaitUntilGone(BatchPath(), 10000));
        const std::vector<snapshot::Change> left = snapshot::Compare(before, snapshot::Take());
        EXPECT_TRUE(left.empty()) << left;
    }
}

namespace {

// A stand-in program started from path (copied there) with words, once its
// window shows: the file manager still running when it is "Vel.exe" in the
// program directory, another program holding a file elsewhere.
HANDLE StartHolder(const std::string &path, const std::string &words)
{
    MakeDirs(path.substr(0, path.rfind('\\')));
    EXPECT_TRUE(CopyFileA(StandIn("holder").c_str(), path.c_str(), FALSE)) << path;
    HANDLE process = Start("\"" + path + "\" " + words);
    for (int i = 0; i < 200 && !FindWindowA("VelHolder", path.c_str()); i++)
        Sleep(50);
    EXPECT_NE(nullptr, FindWindowA("VelHolder", path.c_str())) << path << " shows no window";
    return process;
}

std::string WindowsFolder()
{
    char path[MAX_PATH] = "";
    GetWindowsDirectoryA(path, sizeof path);
    return path;
}

// Windows restarts: the session ends, and what was scheduled goes, in
// order. The holders are ended first: what matters here is what the restart
// does with the list, not how a loaded machine's programs answer the end of
// the session.
void RestartWindows()
{
    EXPECT_EQ(0u, WaitAndClose(Start("wineboot.exe -e -r"), 300000));
}

}  // namespace

TEST_F(Uninstall, ProgramsAndFilesInUseAreClosedOnRequestOrGoAtRestart)
{
    const std::string dir = "C:\\VelInUse", report = "C:\\VelInUse.log", holderDir = "C:\\VelHolderOut";
    const std::string vel = dir + "\\Vel.exe", readme = dir + "\\Docs\\readme.txt";
    Keep(report);
    Keep(holderDir);
    const std::string wininit = WindowsFolder() + "\\WININIT.INI";
    Keep(wininit);
    Keep(WindowsFolder() + "\\wininit.bak");
    enum Reply { SILENT, YES, NO, CANCEL };
    struct Row {
        const char *name, *version;
        std::string words, velWords, holdWords;   // the uninstall's, Vel.exe's (none: not running), another's
        Reply answer;
        DWORD exitCode;
        std::vector<std::string> lines;
        std::string counts;   // after the deleted ones
        bool goneNow, restart;   // the whole directory goes now; Windows restarts afterwards
    } rows[] = {
        {"Vel running, closed on request", "", "", "x", "", YES, 0, {"Program Vel.exe: closed", "Vel.exe: deleted"},
         "0 already gone, 0 refused, 0 left, 0 at restart", true, false},
        {"Vel that ignores being closed, and a held file: go on", "", "", "ignore-close", "hold=" + readme, NO, 0,
         {"Program Vel.exe: still running", "Vel.exe: at restart: error 5", "Docs\\readme.txt: at restart: error 32",
          "Docs: at restart: error 145", dir + ": at restart: error 145"},
         "0 already gone, 0 refused, 0 left, 4 at restart", false, true},
        {"stop", "", "", "x", "", CANCEL, 0, {}, "", false, false},
        {"a file held with delete sharing, silently", "", " /S", "", "hold-shared=" + readme, SILENT, 3010,
         {"Docs\\readme.txt: at restart: error 32", "Docs: at restart: error 145"},
         "0 already gone, 0 refused, 0 left, 3 at restart", false, true},
        {"/NOCLOSE", "", " /S /NOCLOSE", "x", "", SILENT, 3010,
         {"Program Vel.exe: still running", "Vel.exe: at restart: error 5"},
         "0 already gone, 0 refused, 0 left, 2 at restart", false, true},
        {"Windows 98", "win98", " /S", "", "hold=" + readme, SILENT, 2,
         {"Docs\\readme.txt: at restart: error 32", "Docs: left: error 145"},
         "0 already gone, 0 refused, 1 left, 1 at restart", false, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        SetWindowsVersion(row.version);
        std::string exe = InstallSample(dir);
        WriteBytes(wininit, "[boot]\r\nx=1\r\n[rename]\r\nNUL=C:\\OTHER.TXT\r\n");
        DeleteFileA((WindowsFolder() + "\\wininit.bak").c_str());
        std::string list = ReadBytes(dir + "\\UnInstall.lst");
        HANDLE velRun = row.velWords.empty() ? NULL : StartHolder(vel, row.velWords);
        HANDLE holder = row.holdWords.empty() ? NULL : StartHolder(holderDir + "\\Holder.exe", row.holdWords);
        DeleteFileA(report.c_str());

        DWORD code;
        std::string command = "\"" + exe + "\" /LOG=" + report + row.words;
        if (row.answer == SILENT) {
            code = RunSilently(command);
        } else {
            HANDLE run = Start(command);
            HWND question = WaitForMessageBox();
            ASSERT_NE(nullptr, question);
            Answer(question, IDYES);
            HWND running = WaitForNextMessageBox(question);
            ASSERT_NE(nullptr, running) << "no box about the running programs";
            EXPECT_EQ("VEL is running: Vel.exe.\nYes: close it. No: go on; its files go when Windows restarts. "
                      "Cancel: stop.",
                      MessageBoxText(running));
            Answer(running, row.answer == YES ? IDYES : row.answer == NO ? IDNO : IDCANCEL);
            if (row.restart) {
                HWND told = WaitForNextMessageBox(running);
                ASSERT_NE(nullptr, told);
                EXPECT_EQ("Some files of VEL are in use: they go when Windows restarts.", MessageBoxText(told));
                Answer(told, IDOK);
            }
            code = WaitAndClose(run);
        }
        EXPECT_EQ(row.exitCode, code);
        std::vector<std::string> lines = ReportLines(report);
        for (const std::string &line : row.lines)
            EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), line))
                << "no line \"" << line << "\" in\n" << ReadBytes(report);
        if (row.answer != CANCEL)
            EXPECT_EQ(row.counts, lines.back().substr(lines.back().find(", ") + 2)) << ReadBytes(report);
        if (row.answer == CANCEL) {
            EXPECT_EQ(list, ReadBytes(dir + "\\UnInstall.lst"));
            EXPECT_TRUE(Exists(readme));
            ExpectRegistrationKept();
        } else {
            ExpectRegistrationGone();
        }
        EXPECT_EQ(row.goneNow, WaitUntilGone(dir, row.goneNow ? 30000 : 3000));
        EXPECT_TRUE(WaitUntilGone(BatchPath(), 30000));
        if (*row.version) {
            std::string text = ReadBytes(wininit);
            EXPECT_EQ(0u, text.find("[boot]\r\nx=1\r\n[rename]\r\nNUL=C:\\OTHER.TXT\r\nNUL=")) << text;
            EXPECT_NE(std::string::npos, text.find(ShortPathOf(readme))) << text;
        }
        // A file installed again before the restart is not the one that goes.
        if (row.restart && !*row.version && row.holdWords.find("shared") != std::string::npos)
            WriteBytes(readme, "installed again");
        for (HANDLE process : {velRun, holder})
            if (process) {
                TerminateProcess(process, 0);
                WaitAndClose(process);
            }
        if (row.restart)
            RestartWindows();
        if (row.restart && !*row.version && row.holdWords.find("shared") != std::string::npos) {
            EXPECT_EQ("installed again", ReadBytes(readme));
            RemoveTree(dir);
        }
        EXPECT_TRUE(!row.restart || *row.version || !Exists(dir)) << "the restart took the rest";
        EXPECT_FALSE(row.restart && *row.version && Exists(readme)) << "WININIT.INI took the file";
        RemoveTree(dir);
        SetWindowsVersion("");
    }
}

// Run by its own CTest entry under a Unicode-only locale, where Wine's ANSI
// code page is UTF-8 (65001), as Windows 10's "Use Unicode UTF-8 for
// worldwide language support" makes it.
TEST_F(Uninstall, AtTheUtf8CodePageEverythingGoesAsAt1252)
{
    ASSERT_EQ(65001u, GetACP()) << "run under a Unicode-only locale (LC_ALL=hi_IN.UTF-8)";
    const std::string dir = "C:\\VelUtf8", report = "C:\\VelUtf8.log";
    const std::wstring cafe = L"C:\\VelUtf8\\Caf\u00e9.txt";
    Keep(report);
    std::string exe = InstallSample(dir);
    WriteBytes(cafe, "caf\xc3\xa9");
    // The list in the ANSI code page, which is UTF-8 here; the sample's
    // entries include short aliases.
    std::string list = "Caf\xc3\xa9.txt\r\n" + ReadBytes(dir + "\\UnInstall.lst");
    WriteBytes(dir + "\\UnInstall.lst", list);

    // The size the Programs list shows counts the file of the UTF-8 name.
    DWORD bytes = (DWORD)ReadBytes(exe).size() + (DWORD)list.size() + (DWORD)ReadBytes(cafe).size();
    for (const char *file : {"Vel.exe", "Docs\\readme.txt", "Docs\\ReadOnly.txt", "Docs\\Hidden.txt",
                             "Plugins\\FTP\\ftp.dll", "Forms\\Sub\\form.txt", "Long Folder Name\\Another File.txt"})
        bytes += (DWORD)ReadBytes(dir + "\\" + file).size();
    RemoveRegistration();
    EXPECT_EQ(0u, WaitAndClose(Start("\"" + exe + "\" register " + kGroup)));
    Value size;
    ASSERT_TRUE(GetValue(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", &size));
    EXPECT_EQ((bytes + 1023) / 1024, *(const DWORD *)size.bytes.data());

    EXPECT_EQ(0u, RunSilently("\"" + exe + "\" /S /LOG=" + report));
    std::vector<std::string> lines = ReportLines(report);
    for (const std::string &line : {std::string("Caf\xc3\xa9.txt: deleted"), std::string("Vel.exe: deleted"),
                                    ProgramsFolder() + "\\" + kGroup + ": deleted"})
        EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), line)) << line << " in\n" << ReadBytes(report);
    EXPECT_NE(std::string::npos, lines.back().find(" 0 refused, 0 left, 0 at restart")) << lines.back();
    EXPECT_TRUE(WaitUntilGone(dir, 30000));
    ExpectRegistrationGone();
    DeleteTree(HKEY_USERS, ".DEFAULT\\Software\\Vel");
}
