// List entries that must not reach beyond the program directory, and entries
// that must not be cut into others. Each case names a file or folder that a
// looser reading of the list would have deleted; it must survive. The command
// interpreter is made unavailable so the program directory stays to be
// examined, and the run ends with the final message.
#include "e2e/support_uninstall.h"

using namespace e2e;

namespace {

const char kDir[] = "C:\\VelFaults";
// Shares its first characters with the program directory: only a test on
// the directory plus a backslash tells them apart.
const char kOutside[] = "C:\\VelFaultsOutside";

class ListEntries : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetWindowsVersion("");
        RemoveTree(kDir);
        RemoveTree(kOutside);
        exe_ = InstallProductAt(kDir);
        MakeDirs(kOutside);
        RemoveRegistration();
    }
    void TearDown() override
    {
        // Links whose target is gone are beyond every Win32 call.
        RemoveTreeOnHost(kDir);
        RemoveTreeOnHost(kOutside);
        DeleteFileA(BatchPath().c_str());
        RemoveRegistration();
    }
    void RunWithList(const std::string &list)
    {
        WriteBytes(std::string(kDir) + "\\UnInstall.lst", list);
        UninstallKeepingProgram(exe_);
        EXPECT_FALSE(Exists(std::string(kDir) + "\\UnInstall.lst")) << "the run went to its end";
    }
    std::string In(const std::string &name) { return std::string(kDir) + "\\" + name; }
    std::string Out(const std::string &name) { return std::string(kOutside) + "\\" + name; }

    std::string exe_;
};

}  // namespace

TEST_F(ListEntries, EntriesLeavingTheProgramDirectoryAreNotDeleted)
{
    WriteBytes(Out("keep.txt"), "keep");
    MakeDirs(Out("EmptyDir"));
    MakeDirs(In("Sub"));
    WriteBytes(In("Good.txt"), "go");
    RunWithList("..\\VelFaultsOutside\\keep.txt\r\n"
                "Sub\\..\\..\\VelFaultsOutside\\keep.txt\r\n"
                "..\\VelFaultsOutside\\EmptyDir\r\n"
                "...\\VelFaultsOutside\\keep.txt\r\n"
                "Sub\\.. \\..\\VelFaultsOutside\\keep.txt\r\n"
                "C:\\VelFaultsOutside\\keep.txt\r\n"
                "C:..\\VelFaultsOutside\\keep.txt\r\n"
                "\\VelFaultsOutside\\keep.txt\r\n"
                "/VelFaultsOutside/keep.txt\r\n"
                "\\\\?\\C:\\VelFaultsOutside\\keep.txt\r\n"
                "\\\\localhost\\C$\\VelFaultsOutside\\keep.txt\r\n"
                "nul\r\nCON\r\nCOM1\r\nlpt1.txt\r\n"
                ".\r\n"
                "Good.txt\r\n");
    EXPECT_EQ("keep", ReadBytes(Out("keep.txt")));
    EXPECT_TRUE(Exists(Out("EmptyDir")));
    EXPECT_TRUE(Exists(In("Sub"))) << "\".\" names the program directory itself, not an entry in it";
    EXPECT_FALSE(Exists(In("Good.txt")));
}

TEST_F(ListEntries, LinksAreNotFollowedAndGoAsLinks)
{
    WriteBytes(Out("keep.txt"), "keep");
    MakeDirs(Out("Deep"));
    WriteBytes(Out("Deep\\deep.txt"), "keep");
    WriteBytes(Out("target.txt"), "keep");
    SetFileAttributesA(Out("target.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(MakeSymlink(In("Linked"), kOutside));
    // Wine shows a link to a file as a plain file, and deleting it deletes the target.
    MakeSymlink(In("FileLink.txt"), Out("target.txt"));
    ASSERT_TRUE(Exists(In("FileLink.txt")));
    // The same links named by the aliases the file system gives them.
    WriteBytes(Out("aliased.txt"), "keep");
    MakeDirs(Out("Aliased Empty"));
    MakeDirs(In("Long Folder Name"));
    ASSERT_TRUE(MakeSymlink(In("Long Folder Name\\Linked File Name.txt"), Out("aliased.txt")));
    ASSERT_TRUE(MakeSymlink(In("Linked Folder Name"), Out("Aliased Empty")));
    std::string aliasedFile = ShortNameBelow(kDir, "Long Folder Name\\Linked File Name.txt");
    std::string aliasedFolder = ShortNameBelow(kDir, "Linked Folder Name");
    ASSERT_NE("", aliasedFile);
    ASSERT_NE("", aliasedFolder);

    RunWithList("Linked\\keep.txt\nLinked\\Deep\\deep.txt\nLinked\\Deep\nFileLink.txt\n" + aliasedFile + "\n"
                + aliasedFolder + "\n");

    EXPECT_EQ("keep", ReadBytes(Out("keep.txt")));
    EXPECT_EQ("keep", ReadBytes(Out("Deep\\deep.txt")));
    EXPECT_EQ("keep", ReadBytes(Out("target.txt")));
    EXPECT_EQ("keep", ReadBytes(Out("aliased.txt")));
    EXPECT_TRUE(Exists(Out("Aliased Empty")));
    EXPECT_TRUE(Attributes(Out("target.txt")) & FILE_ATTRIBUTE_READONLY)
        << "the target's attributes are not the link's to clear";
}

TEST_F(ListEntries, ListThatIsALinkIsReadButItsTargetStays)
{
    // The list may be read through a link (every entry is judged against the
    // program directory all the same), but the file it leads to is not ours.
    WriteBytes(Out("list.txt"), "Good.txt\r\n");
    WriteBytes(In("Good.txt"), "go");
    ASSERT_TRUE(MakeSymlink(In("UnInstall.lst"), Out("list.txt")));
    UninstallKeepingProgram(exe_);
    EXPECT_FALSE(Exists(In("Good.txt")));
    EXPECT_EQ("Good.txt\r\n", ReadBytes(Out("list.txt")));
}

TEST_F(ListEntries, ListedDirectoryLinkLeavesTargetAlone)
{
    // Listed itself, the link goes as the link where the system can remove
    // one; Wine's RemoveDirectoryA removes the target instead when it is
    // empty, and fails when it is not. Either way the target stays.
    WriteBytes(Out("keep.txt"), "keep");
    MakeDirs(Out("Empty"));
    ASSERT_TRUE(MakeSymlink(In("Linked"), kOutside));
    ASSERT_TRUE(MakeSymlink(In("LinkedEmpty"), Out("Empty")));
    RunWithList("Linked\r\nLinkedEmpty\r\n");
    EXPECT_EQ("keep", ReadBytes(Out("keep.txt")));
    EXPECT_TRUE(Exists(Out("Empty")));
}

TEST_F(ListEntries, OverlongLinesAndPathsAreSkippedWhole)
{
    // Read in pieces, the long line's last piece would be "Piece.txt".
    WriteBytes(In("Piece.txt"), "keep");
    // Cut to 259 characters, the full path of this entry would name Cut.txt's
    // sibling: a file whose name is the entry's first part.
    std::string prefix = std::string(kDir) + "\\";
    std::string existing(259 - prefix.size(), 'n');
    WriteBytes(In(existing), "keep");
    WriteBytes(In("Short.txt"), "go");

    RunWithList(std::string(519, 'x') + "Piece.txt\r\n" + existing + "zzz\r\n" + "Short.txt\r\n");

    EXPECT_EQ("keep", ReadBytes(In("Piece.txt")));
    EXPECT_EQ("keep", ReadBytes(In(existing)));
    EXPECT_FALSE(Exists(In("Short.txt"))) << "the lines after them are read";
}

TEST_F(ListEntries, FailedDeletionKeepsAttributes)
{
    WriteBytes(In("Locked.txt"), "keep");
    SetFileAttributesA(In("Locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    // In use without delete sharing: the deletion fails, and the file is
    // left to the restart under its own name (the holder forbids a rename).
    HANDLE hold = CreateFileA(In("Locked.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hold);

    WriteBytes(std::string(kDir) + "\\UnInstall.lst", "Locked.txt\n");
    {
        ScopedVariable noInterpreter("COMSPEC", "C:\\VelNoSuchDir\\cmd.exe");
        EXPECT_EQ(2u, RunSilently(exe_ + " /S"));
    }
    CloseHandle(hold);

    EXPECT_EQ("keep", ReadBytes(In("Locked.txt")));
    EXPECT_TRUE(Attributes(In("Locked.txt")) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(In("Locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}
