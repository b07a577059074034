// The deletion passes over a list file, and the self-removal that follows
// them where it cannot start, against the real file system.
#include "uninstall/passes.h"
#include "uninstall/selfremove.h"
#include "common/files.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

namespace {

// Both ways a file is deleted: through the handle its real path was read
// on, and by name as before Windows Vista.
struct DeleteMode { const char *name; int byName; } const kModes[] = {
    {"through the handle", 0},
    {"by name", 1},
};

// Host path of the prefix's folder of drives, with its slash.
std::string DrivesFolder()
{
    std::string root = HostPathOf("C:\\");   // ".../dosdevices/c:/"
    return root.size() > 3 ? root.substr(0, root.size() - 3) : "";
}

// True when path, every link followed, lies on drive ("V:") as the system
// tells. Polled: Wine renews what it knows of the drives once a second.
bool RealPathIsOnDrive(const std::string &path, const std::string &drive)
{
    std::string prefix = "\\\\?\\" + drive;
    for (int i = 0; i < 50; i++) {
        HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
        char final[MAX_PATH] = "";
        GetFinalPathNameByHandleA(file, final, sizeof final, 0);
        CloseHandle(file);
        if (_strnicmp(final, prefix.c_str(), prefix.size()) == 0)
            return true;
        Sleep(100);
    }
    return false;
}

class DeletionPasses : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = TempDir() + "VelPasses";
        outside_ = TempDir() + "VelPassesOutside";
        // A link left behind by a failed run, its target gone, is beyond
        // every Win32 call.
        ASSERT_TRUE(RemoveTreeOnHost(dir_));
        ASSERT_TRUE(RemoveTreeOnHost(outside_));
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), NULL));
        ASSERT_TRUE(CreateDirectoryA(outside_.c_str(), NULL));
    }
    void TearDown() override
    {
        // Waited for: a late rm would take the next run's drive.
        if (!drive_.empty() && RunHostProgram("Z:\\bin\\rm -f \"" + driveLink_ + "\""))
            WaitUntilGone(drive_ + "\\");
        RemoveTreeOnHost(dir_);
        RemoveTreeOnHost(outside_);
    }

    std::string In(const std::string &name) { return dir_ + "\\" + name; }
    std::string Out(const std::string &name) { return outside_ + "\\" + name; }
    void Write(const std::string &name, const std::string &text) { WriteBytes(In(name), text); }
    bool Exists(const std::string &name) { return ::Exists(In(name)); }
    // Runs the passes over a list file of this text below dir_, or below dir
    // when given (dir_ named another way); tried_ gets how many times an
    // entry was looked at.
    int Passes(const std::string &list, int byName = 0, const std::string &dir = "")
    {
        Write("list.lst", list);
        ListReader reader;
        EXPECT_TRUE(OpenListFile(&reader, In("list.lst").c_str()));
        StartDeletionRun(&run_, ((dir.empty() ? dir_ : dir) + "\\").c_str(), NULL);
        run_.deleteByName = byName;
        int passes = RunDeletionPasses(&run_, &reader, &tried_);
        CloseListFile(&reader);
        return passes;
    }

    // A drive letter no drive has, made to name folder: "V:", "" when none is free.
    std::string MapSpareDrive(const std::string &folder)
    {
        DWORD drives = GetLogicalDrives();
        for (char letter = 'y'; letter > 'd' && DrivesFolder().size(); letter--) {
            if (drives & (1u << (letter - 'a')))
                continue;
            drive_ = std::string(1, (char)(letter - 'a' + 'A')) + ":";
            driveLink_ = DrivesFolder() + letter + ":";
            RunHostProgram("Z:\\bin\\ln -sfn \"" + HostPathOf(folder) + "\" \"" + driveLink_ + "\"");
            // The host's ln may not have run yet when its process is reported done.
            for (int i = 0; i < 300 && !::Exists(drive_ + "\\"); i++)
                Sleep(100);
            return ::Exists(drive_ + "\\") ? drive_ : "";
        }
        return "";
    }

    std::string dir_, outside_;
    std::string drive_, driveLink_;   // a drive made for a test, and the host link that makes it
    long tried_ = -1;
    DeletionRun run_;
};

}  // namespace

TEST_F(DeletionPasses, DirectoryBeforeItsTwoFilesTakesThreePasses)
{
    // An entry settled in one pass is not looked at again, and the pass
    // that would find nothing left reads nothing: the directory is tried
    // twice, each file once. Lines beyond the memory of settled lines are
    // judged again in every pass, with the same outcome.
    struct Row { const char *name; std::string lead; long tried; } rows[] = {
        {"first lines", "", 4},
        {"after 40000 blank lines", std::string(40000, '\n'), 9},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        CreateDirectoryA(In("Docs").c_str(), NULL);
        Write("Docs\\a.txt", "a");
        Write("Docs\\b.txt", "b");
        EXPECT_EQ(3, Passes(row.lead + "Docs\r\nDocs\\a.txt\r\nDocs\\b.txt\r\n"));
        EXPECT_EQ(row.tried, tried_);
        EXPECT_FALSE(Exists("Docs"));
    }
}

TEST_F(DeletionPasses, EntriesDeletableInOrderTakeTwoPasses)
{
    // Every form the system reads as the same place is that entry: a trailing
    // separator names the directory, and so does a slash; the aliases the file
    // system gives name the long names, also below a program directory that
    // is itself named by its aliases, as a program started by its short path
    // may name it. Directories made are marked by a trailing backslash.
    struct Row {
        const char *name;
        std::vector<std::string> made, entries;
        bool aliases, shortDir;   // the entries, the program directory named by their aliases
    } rows[] = {
        {"long names", {"Docs\\", "Docs\\a.txt", "b.txt"}, {"Docs\\a.txt", "Docs", "b.txt"}, false, false},
        {"trailing separators", {"Forms\\", "Forms\\Sub\\", "Forms\\Sub\\f.txt", "Docs\\"},
         {"Forms\\Sub\\f.txt", "Forms\\Sub\\", "Forms", "Docs/"}, false, false},
        {"aliases", {"Long Folder Name\\", "Long Folder Name\\Another File.txt"},
         {"Long Folder Name\\Another File.txt", "Long Folder Name"}, true, false},
        {"aliases below the directory's aliases", {"Long Folder Name\\", "Long Folder Name\\Another File.txt"},
         {"Long Folder Name\\Another File.txt", "Long Folder Name"}, true, true},
    };
    std::string shortDir = ShortPathOf(dir_);
    ASSERT_NE("", shortDir);
    ASSERT_NE(dir_, shortDir) << "the program directory has no alias to be named by";
    for (const DeleteMode &mode : kModes) {
        SCOPED_TRACE(mode.name);
        for (const Row &row : rows) {
            SCOPED_TRACE(row.name);
            for (const std::string &name : row.made) {
                if (name.back() == '\\')
                    CreateDirectoryA(In(name).c_str(), NULL);
                else
                    Write(name, name);
            }
            std::string list;
            for (const std::string &entry : row.entries) {
                std::string alias = row.aliases ? ShortNameBelow(dir_, entry) : entry;
                ASSERT_NE("", alias) << entry << " has no alias";
                list += alias + "\r\n";
            }
            EXPECT_EQ(2, Passes(list, mode.byName, row.shortDir ? shortDir : dir_));
            EXPECT_EQ((long)row.entries.size(), tried_) << "the list is read once";
            for (const std::string &name : row.made)
                EXPECT_FALSE(Exists(name)) << name;
        }
    }
}

TEST_F(DeletionPasses, NothingDeletableTakesOnePass)
{
    // The alias of a name outside the ANSI code page, whose best fit in the
    // code page ("Apple") names another file: read as the long name it
    // stands for, in UTF-16, it is that file, which goes, and never the other.
    const std::wstring wideFile = std::wstring(dir_.begin(), dir_.end()) + L"\\\u0100pple Long Name.txt";
    const std::string fitName = "Apple Long Name.txt";
    CloseHandle(CreateFileW(wideFile.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    std::string alias = ShortPathOf(wideFile);
    alias = alias.substr(alias.rfind('\\') + 1);
    ASSERT_NE("", alias);
    struct Row { const char *name; std::string list; } rows[] = {
        {"missing entries", "gone.txt\r\nDocs\\gone.txt\r\nGONE~1.TXT\r\nGONE~1\\a.txt\r\n"},
        {"empty list", ""},
        {"blank lines only", "\r\n \t\r\n\n"},
        {"entries outside", "..\\VelPasses\\a.txt\n..\\x"},
        {"a file named as a directory", "a.txt\\\r\na.txt/\r\n"},
    };
    Write("a.txt", "a");
    Write(fitName, "keep");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(1, Passes(row.list));
    }
    EXPECT_TRUE(Exists("a.txt")) << "..\\VelPasses\\a.txt climbs out, whatever it lands on; "
                                 << "a.txt\\ names no file, as the system reads it";
    EXPECT_EQ(2, Passes(alias + "\r\n"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(wideFile.c_str()));
    EXPECT_EQ("keep", ReadBytes(In(fitName)));
}

TEST_F(DeletionPasses, ReadOnlyFileAndTrailingBlanksAreDeleted)
{
    for (const DeleteMode &mode : kModes) {
        SCOPED_TRACE(mode.name);
        Write("a.txt", "a");
        Write("b.txt", "b");
        SetFileAttributesA(In("a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        SetFileAttributesA(In("b.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
        EXPECT_EQ(2, Passes("a.txt \t \r\nb.txt\x7f\r\n", mode.byName));
        EXPECT_FALSE(Exists("a.txt"));
        EXPECT_FALSE(Exists("b.txt"));
    }
}

TEST_F(DeletionPasses, FileInUseStaysWithItsAttributes)
{
    for (const DeleteMode &mode : kModes) {
        SCOPED_TRACE(mode.name);
        Write("Locked.txt", "keep");
        SetFileAttributesA(In("Locked.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        // Open without delete sharing: no delete can succeed.
        HANDLE hold = CreateFileA(In("Locked.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                  0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, hold);
        EXPECT_EQ(1, Passes("Locked.txt\n", mode.byName));
        CloseHandle(hold);
        EXPECT_EQ("keep", ReadBytes(In("Locked.txt")));
        EXPECT_EQ(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN,
                  GetFileAttributesA(In("Locked.txt").c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
        SetFileAttributesA(In("Locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(DeletionPasses, DeleteReportedDoneWhileTheFileStaysEndsThePasses)
{
    // Open with delete sharing, a file takes every delete without going
    // until the last handle closes: a pass that "deleted" it deleted nothing.
    for (const DeleteMode &mode : kModes) {
        SCOPED_TRACE(mode.name);
        Write("Held.txt", "held");
        Write("Free.txt", "free");
        HANDLE hold = CreateFileA(In("Held.txt").c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, hold);
        EXPECT_EQ(2, Passes("Held.txt\nFree.txt\n", mode.byName));
        EXPECT_EQ(3, tried_) << "the held file is tried in both passes, the free one once";
        EXPECT_TRUE(Exists("Held.txt"));
        EXPECT_FALSE(Exists("Free.txt"));
        CloseHandle(hold);
        RemoveTree(In("Held.txt"));
    }
}

TEST_F(DeletionPasses, LinksLeaveTheirTargets)
{
    // Wine shows a file link as a plain file; deleting it by name, or
    // through a handle that followed it, deletes its target. A directory
    // link to an empty directory goes the same way under RemoveDirectoryA.
    // An entry goes only when its real path is its own, drive included: a
    // target inside the program directory but not listed, or on the same
    // path of another drive, is no more the entry's than one outside.
    std::string drive = MapSpareDrive(outside_);
    ASSERT_FALSE(drive.empty());
    std::string otherDrive = drive + dir_.substr(2);
    MakeDirs(otherDrive);
    // Named by the aliases the file system gives, a link is still a link.
    struct Row { const char *name, *link; std::string target; bool directory, alias; } rows[] = {
        {"a file outside", "FileLink.txt", Out("target.txt"), false, false},
        {"an empty directory outside", "DirLink", Out("Empty"), true, false},
        {"an unlisted file inside", "InnerLink.txt", In("Unlisted.txt"), false, false},
        {"the same path on another drive", "DriveLink.txt", otherDrive + "\\DriveLink.txt", false, false},
        {"a file outside, it and its folder by their aliases", "Long Folder Name\\Linked File Name.txt",
         Out("aliased.txt"), false, true},
        {"an empty directory outside, by its alias", "Linked Folder Name", Out("Aliased Empty"), true, true},
    };
    CreateDirectoryA(In("Long Folder Name").c_str(), NULL);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.directory) {
            CreateDirectoryA(row.target.c_str(), NULL);
        } else {
            WriteBytes(row.target, "keep");
            SetFileAttributesA(row.target.c_str(), FILE_ATTRIBUTE_READONLY);
        }
        ASSERT_TRUE(MakeSymlink(In(row.link), row.target));
    }
    // Wine learns of a new drive within a second; until then the target
    // would seem to lie below the outside folder, not on the other drive.
    ASSERT_TRUE(RealPathIsOnDrive(In("DriveLink.txt"), drive));
    for (const DeleteMode &mode : kModes) {
        SCOPED_TRACE(mode.name);
        for (const Row &row : rows) {
            SCOPED_TRACE(row.name);
            std::string entry = row.alias ? ShortNameBelow(dir_, row.link) : row.link;
            ASSERT_NE("", entry) << row.link << " has no alias";
            Passes(entry + "\n", mode.byName);
            if (row.directory) {
                EXPECT_TRUE(::Exists(row.target));
            } else {
                EXPECT_EQ("keep", ReadBytes(row.target));
                EXPECT_TRUE(GetFileAttributesA(row.target.c_str()) & FILE_ATTRIBUTE_READONLY)
                    << "the target's attributes are not the link's to clear";
            }
        }
    }
}

// Where the batch file cannot take over, the caller learns which step failed
// and the system's error number. COMSPEC names nothing in every row: an
// interpreter started would end this process.
TEST(SelfRemoval, FailureNamesTheStepAndTheError)
{
    char current[MAX_PATH], tmp[MAX_PATH], comspec[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    ASSERT_TRUE(GetEnvironmentVariableA("TMP", tmp, sizeof tmp));
    ASSERT_TRUE(GetEnvironmentVariableA("COMSPEC", comspec, sizeof comspec));
    const std::string batch = TempDir() + "Uninstall.Vel.Bat";
    const std::string tooLong = "C:\\" + std::string(250, 'l'), longer = "C:\\" + std::string(300, 'c');
    const char kModule[] = "C:\\Vel\\VelUninstall.exe", kMissing[] = "C:\\VelNoSuchDir\\cmd.exe";
    struct Row {
        const char *name, *module, *tmp, *comspec;   // tmp NULL: as it is; comspec NULL: unset
        SelfRemovalStep step;
        DWORD error;
    } rows[] = {
        {"temporary path too long", kModule, tooLong.c_str(), kMissing, SELF_REMOVAL_BATCH_PATH,
         ERROR_FILENAME_EXCED_RANGE},
        {"COMSPEC unset", kModule, NULL, NULL, SELF_REMOVAL_INTERPRETER, ERROR_ENVVAR_NOT_FOUND},
        {"COMSPEC empty", kModule, NULL, "", SELF_REMOVAL_INTERPRETER, ERROR_ENVVAR_NOT_FOUND},
        {"COMSPEC too long", kModule, NULL, longer.c_str(), SELF_REMOVAL_INTERPRETER, ERROR_FILENAME_EXCED_RANGE},
        {"program path outside the OEM code page", "C:\\Vel \x80uro\\VelUninstall.exe", NULL, kMissing,
         SELF_REMOVAL_BATCH_TEXT, ERROR_NO_UNICODE_TRANSLATION},
        {"a name del reads as a pattern", "C:\\Vel?\\VelUninstall.exe", NULL, kMissing, SELF_REMOVAL_BATCH_TEXT,
         ERROR_INVALID_NAME},
        {"temporary directory missing", kModule, "C:\\VelNoSuchTemp", kMissing, SELF_REMOVAL_WRITE,
         ERROR_PATH_NOT_FOUND},
        {"COMSPEC names a missing file", kModule, NULL, kMissing, SELF_REMOVAL_START, ERROR_FILE_NOT_FOUND},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DeleteFileA(batch.c_str());
        if (row.tmp)
            SetEnvironmentVariableA("TMP", row.tmp);
        SetEnvironmentVariableA("COMSPEC", row.comspec);
        SelfRemovalOutcome failure = StartSelfRemoval(row.module, "C:\\Vel", 1);
        SetEnvironmentVariableA("TMP", tmp);
        SetEnvironmentVariableA("COMSPEC", comspec);
        SetCurrentDirectoryA(current);
        EXPECT_EQ(row.step, failure.step);
        EXPECT_EQ(row.error, failure.error);
        EXPECT_FALSE(::Exists(batch)) << "a batch file that nothing runs";
    }
}
