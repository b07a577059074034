// The Start-menu group of an uninstall run: its folder below the Programs
// folder and the command Program Manager receives. The command interpreter
// is made unavailable so that one installation serves several runs; each
// ends with the final message.
#include "e2e/support_uninstall.h"

#include <algorithm>

using namespace e2e;

namespace {

const char kDir[] = "C:\\VelGroupTest";
// What links made by a test point to: never the group's to delete.
const char kOutside[] = "C:\\VelGroupOutside";

class ProgramGroup : public CleanupTest {
protected:
    void SetUp() override
    {
        SetWindowsVersion("");
        RemoveTree(kDir);
        exe_ = InstallProductAt(kDir);
        programs_ = ProgramsFolder();
        ASSERT_FALSE(programs_.empty());
        RemoveRegistration();
    }
    void TearDown() override
    {
        for (const std::string &link : links_)
            RemoveSymlink(link);
        RemoveRegistration();
        RemoveTree(kDir);
        CleanupTest::TearDown();
        DeleteFileA(BatchPath().c_str());
    }
    // One uninstall run with the group name stored as the registration stores it.
    void Uninstall(const char *group)
    {
        WriteBytes(std::string(kDir) + "\\UnInstall.lst", "");
        if (group)
            SetString(HKEY_CURRENT_USER, "Software\\Vel", "Group", group);
        UninstallKeepingProgram(exe_);
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Vel")) << "the run went to its end";
    }
    std::string Folder(const std::string &group) { return programs_ + "\\" + group; }
    // A link removed as the link on tear-down.
    bool Link(const std::string &link, const std::string &target)
    {
        links_.push_back(link);
        MakeSymlink(link, target);   // a link to a file shows no reparse bit under Wine
        return Exists(link);
    }

    std::string exe_, programs_;
    std::vector<std::string> links_;
};

}  // namespace

TEST_F(ProgramGroup, FolderOfShortcutsGoesAndProgramManagerGetsExactCommand)
{
    std::string folder = Folder("Vel Test Group");
    Keep(folder);
    MakeDirs(folder);
    WriteBytes(folder + "\\Vel.lnk", "shortcut");
    WriteBytes(folder + "\\Read me.lnk", "shortcut");
    ProgmanRecorder progman;
    ASSERT_TRUE(progman.Running());

    Uninstall("Vel Test Group");

    EXPECT_FALSE(Exists(folder));
    std::vector<std::string> commands = progman.Commands();
    ASSERT_EQ(1u, commands.size());
    // The size sent counts the terminator.
    EXPECT_EQ(std::string("[DeleteGroup(Vel Test Group)]") + '\0', commands[0]);
}

TEST_F(ProgramGroup, EmptyComponentNamesTheSameFolder)
{
    // A trailing or doubled backslash collapses: the folder is the one without
    // it, and Program Manager gets that one spelling.
    struct Row { const char *stored, *folder; } rows[] = {
        {"Vel Trailing\\", "Vel Trailing"},
        {"Vel Outer\\\\Inner\\\\", "Vel Outer\\Inner"},
    };
    Keep(Folder("Vel Outer"));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.stored);
        std::string folder = Folder(row.folder);
        Keep(folder);
        MakeDirs(folder);
        WriteBytes(folder + "\\Vel.lnk", "shortcut");
        ProgmanRecorder progman;

        Uninstall(row.stored);

        EXPECT_FALSE(Exists(folder));
        std::vector<std::string> commands = progman.Commands();
        ASSERT_EQ(1u, commands.size());
        EXPECT_EQ("[DeleteGroup(" + std::string(row.folder) + ")]" + '\0', commands[0]);
    }
    EXPECT_TRUE(Exists(Folder("Vel Outer"))) << "only the group's own folder goes";
}

TEST_F(ProgramGroup, SubfolderAndReadOnlyShortcutKeepTheFolder)
{
    std::string folder = Folder("Vel Kept Group");
    Keep(folder);
    MakeDirs(folder + "\\Tools");
    WriteBytes(folder + "\\Tools\\inner.lnk", "x");
    WriteBytes(folder + "\\Vel.lnk", "x");
    WriteBytes(folder + "\\Locked.lnk", "x");
    SetFileAttributesA((folder + "\\Locked.lnk").c_str(), FILE_ATTRIBUTE_READONLY);
    ProgmanRecorder progman;

    Uninstall("Vel Kept Group");

    EXPECT_FALSE(Exists(folder + "\\Vel.lnk"));
    EXPECT_TRUE(Exists(folder + "\\Locked.lnk"));
    EXPECT_TRUE(Exists(folder + "\\Tools\\inner.lnk")) << "the search is not recursive";
    EXPECT_TRUE(Exists(folder));
    EXPECT_EQ(1u, progman.Commands().size());
    SetFileAttributesA((folder + "\\Locked.lnk").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ProgramGroup, LinksAreNeverEnteredAndStopTheCommand)
{
    // Each row puts a link where the group folder or one of its entries is.
    // Neither the folder step nor Program Manager (which deletes recursively
    // through links) may touch what it points to; under Wine no call removes
    // a link as the link, so it stays, and no command is sent.
    const std::string group = "Vel Linked Group", folder = Folder(group);
    const std::string full = std::string(kOutside) + "\\Full", empty = std::string(kOutside) + "\\Empty";
    const std::string file = std::string(kOutside) + "\\target.lnk";
    struct Row {
        const char *name;
        std::string link, target;
        bool realFolder;   // the group folder itself is a folder of shortcuts
    } rows[] = {
        {"the group folder, to a folder with files", folder, full, false},
        {"the group folder, to an empty folder", folder, empty, false},
        {"in the group folder, to a folder with files", folder + "\\Linked", full, true},
        {"in the group folder, to an empty folder", folder + "\\Linked", empty, true},
        {"in the group folder, to a file", folder + "\\Linked.lnk", file, true},
        {"in a subfolder of the group folder", folder + "\\Tools\\Linked", full, true},
    };
    Keep(folder);
    Keep(kOutside);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        RemoveTree(kOutside);
        MakeDirs(full + "\\Deep");
        MakeDirs(empty);
        WriteBytes(full + "\\keep.lnk", "keep");
        WriteBytes(full + "\\Deep\\deep.lnk", "keep");
        WriteBytes(file, "keep");
        if (row.realFolder) {
            MakeDirs(row.link.substr(0, row.link.rfind('\\')));
            WriteBytes(folder + "\\Vel.lnk", "shortcut");
        }
        ASSERT_TRUE(Link(row.link, row.target));
        ProgmanRecorder progman;

        Uninstall(group.c_str());

        EXPECT_EQ("keep", ReadBytes(full + "\\keep.lnk"));
        EXPECT_EQ("keep", ReadBytes(full + "\\Deep\\deep.lnk"));
        EXPECT_EQ("keep", ReadBytes(file));
        EXPECT_TRUE(Exists(empty));
        if (row.realFolder)
            EXPECT_FALSE(Exists(folder + "\\Vel.lnk")) << "the group's own shortcuts go";
        EXPECT_TRUE(progman.Commands().empty());
        RemoveSymlink(row.link);
        RemoveTree(folder);
    }
}

TEST_F(ProgramGroup, NoGroupValueTouchesNothing)
{
    std::string folder = Folder("Vel Unnamed");
    Keep(folder);
    MakeDirs(folder);
    WriteBytes(folder + "\\Vel.lnk", "x");
    ProgmanRecorder progman;

    Uninstall(nullptr);

    EXPECT_TRUE(Exists(folder + "\\Vel.lnk"));
    EXPECT_TRUE(progman.Commands().empty());
}

TEST_F(ProgramGroup, NameLeavingTheProgramsFolderTouchesNothing)
{
    // Each of these names would have the folder steps empty another folder
    // (the Programs folder itself, the Start menu, a drive's root folder).
    std::string startMenu = programs_.substr(0, programs_.rfind('\\'));
    const std::string sentinels[] = {programs_ + "\\VelSentinel.lnk", startMenu + "\\VelSentinel.lnk",
                                     "C:\\VelGroupSentinel\\VelSentinel.lnk"};
    MakeDirs("C:\\VelGroupSentinel");
    Keep("C:\\VelGroupSentinel");
    for (const std::string &sentinel : sentinels) {
        Keep(sentinel);
        WriteBytes(sentinel, "keep");
    }
    const char *names[] = {".", "..", "Vel\\..\\..", "...", "C:\\VelGroupSentinel", "\\VelGroupSentinel",
                           "..\\..\\..\\..\\..\\..\\..\\VelGroupSentinel", "*", "Vel?", " ", "Vel\\ "};
    for (const char *name : names) {
        SCOPED_TRACE(name);
        ProgmanRecorder progman;
        Uninstall(name);
        for (const std::string &sentinel : sentinels)
            EXPECT_TRUE(Exists(sentinel)) << sentinel;
        EXPECT_TRUE(Exists(programs_));
        EXPECT_TRUE(progman.Commands().empty()) << "no command for a name the folder steps refuse";
    }
}

TEST_F(ProgramGroup, DdeSyntaxInNameRemovesFolderButSendsNothing)
{
    // Program Manager would read "Vel)][DeleteGroup(Main" as two commands.
    for (const char *name : {"Vel)][DeleteGroup(Accessories", "Vel, old", "Vel \"Beta\"", "Vel [x]"}) {
        SCOPED_TRACE(name);
        std::string folder = Folder(name);
        bool folderPossible = strchr(name, '"') == nullptr;   // a folder name cannot hold a quote
        if (folderPossible) {
            Keep(folder);
            MakeDirs(folder);
            WriteBytes(folder + "\\Vel.lnk", "x");
        }
        ProgmanRecorder progman;
        Uninstall(name);
        EXPECT_FALSE(Exists(folder));
        EXPECT_TRUE(progman.Commands().empty());
    }
}

static std::wstring LongPath(const std::string &path)
{
    return L"\\\\?\\" + std::wstring(path.begin(), path.end());
}

TEST_F(ProgramGroup, OverlongFolderPathSkipsFolderStepsOnly)
{
    // Programs folder, backslash and name run past 259 characters. The path
    // cut to 259 characters names another, existing (empty) folder, which a
    // cut path would have had removed.
    std::string name = "Vel Long " + std::string(259 - programs_.size() - 1 - 9, 'x') + "tail";
    std::string cutFolder = Folder(name).substr(0, 259);
    ASSERT_GT(Folder(name).size(), 259u);
    ASSERT_TRUE(CreateDirectoryW(LongPath(cutFolder).c_str(), NULL));
    ProgmanRecorder progman;

    Uninstall(name.c_str());

    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(LongPath(cutFolder).c_str()));
    RemoveDirectoryW(LongPath(cutFolder).c_str());
    std::vector<std::string> commands = progman.Commands();
    ASSERT_EQ(1u, commands.size()) << "the command is sent all the same";
    EXPECT_EQ("[DeleteGroup(" + name + ")]" + '\0', commands[0]);
}

TEST_F(ProgramGroup, RecordedGroupGoesForAnyAccountAndOneThatCannotBeAFolderIsReported)
{
    // Registered for real (the name quoted, as installers pass a name with
    // blanks), then uninstalled silently with a report. "another account"
    // has no "Group" of its own: the registration's record beside the
    // Programs entry names the group and that account's Programs folder,
    // where it goes; the current user's folder of that name is not the
    // product's and stays. A name recorded with its quotes, or none recorded
    // at all, is reported and stays, with exit code 2.
    const std::string group = "Vel Quoted Group", report = "C:\\VelGroupReport.log";
    const std::string otherPrograms = "C:\\VelOtherAccount\\Programs";
    Keep(Folder(group));
    Keep("C:\\VelOtherAccount");
    Keep(report);
    enum How { kRegistered, kOtherAccount, kStoredQuoted, kNothingRecorded };
    struct Row { const char *name; How how; DWORD exitCode; std::string programs, line; } rows[] = {
        {"registered", kRegistered, 0, programs_, Folder(group) + ": deleted"},
        {"another account", kOtherAccount, 0, otherPrograms,
         "Program Manager group " + group + ": not asked: another account's group"},
        {"recorded with its quotes", kStoredQuoted, 2, programs_, "\"" + group + "\": refused: not a folder name"},
        {"nothing recorded", kNothingRecorded, 2, programs_, "Group: left: not recorded"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string exe = InstallProductAt(kDir);
        WriteBytes(std::string(kDir) + "\\UnInstall.lst", "");
        for (const std::string &programs : {programs_, otherPrograms}) {
            MakeDirs(programs + "\\" + group);
            WriteBytes(programs + "\\" + group + "\\Vel.lnk", "shortcut");
        }
        if (row.how == kRegistered || row.how == kOtherAccount)
            EXPECT_EQ(0u, WaitAndClose(Start("\"" + exe + "\" register \"" + group + "\"")));
        if (row.how == kOtherAccount) {
            DeleteTree(HKEY_CURRENT_USER, "Software\\Vel");
            EXPECT_EQ(group, GetString(HKEY_LOCAL_MACHINE, kUninstallKey, "Group"));
            EXPECT_EQ(programs_, GetString(HKEY_LOCAL_MACHINE, kUninstallKey, "ProgramsFolder"));
            SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "ProgramsFolder", otherPrograms);
        }
        if (row.how == kStoredQuoted)
            SetString(HKEY_CURRENT_USER, "Software\\Vel", "Group", "\"" + group + "\"");
        ProgmanRecorder progman;

        EXPECT_EQ(row.exitCode, RunSilently("\"" + exe + "\" /S /LOG=" + report));

        std::vector<std::string> lines = ReportLines(report);
        EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), row.line)) << ReadBytes(report);
        for (const std::string &programs : {programs_, otherPrograms})
            EXPECT_EQ(row.exitCode == 0 && programs == row.programs, !Exists(programs + "\\" + group)) << programs;
        EXPECT_EQ(row.how == kRegistered ? 1u : 0u, progman.Commands().size());
        EXPECT_TRUE(WaitUntilGone(BatchPath(), 30000));
        RemoveRegistration();
        DeleteTree(HKEY_USERS, ".DEFAULT\\Software\\Vel");
        RemoveTree(kDir);
    }
}
