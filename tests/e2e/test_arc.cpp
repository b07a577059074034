// The arc mode run as an installer runs it, and its associations used the way
// the shell uses them: opening an archive starts "Vel.exe" with the file.
#include "e2e/support_arc.h"

#include <shellapi.h>

#include <memory>

using namespace e2e;

namespace {

const char kQuotedDir[] = "C:\\Program Files\\Vel";
const char kBareDir[] = "C:\\VEL";
const char kLongRoot[] = "C:\\VelArcLong";
const char kOldType[] = "VelTestOldZip";   // another program's type, for the earlier association
const char kDataDir[] = "C:\\data";

class Arc : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetWindowsVersion("");
        std::vector<std::string> keys = ArchiveKeys();
        keys.push_back(kOldType);
        // The prefix is shared: whatever it held under these keys goes back afterwards.
        restorer_.reset(new KeysRestorer(HKEY_CLASSES_ROOT, keys));
        for (const std::string &key : keys)
            DeleteTree(HKEY_CLASSES_ROOT, key);
        for (const char *dir : {kQuotedDir, kBareDir, kLongRoot})
            RemoveTree(dir);
        createdDataDir_ = !Exists(kDataDir);
    }
    void TearDown() override
    {
        restorer_.reset();
        for (const char *dir : {kQuotedDir, kBareDir, kLongRoot})
            RemoveTree(dir);
        for (const char *file : {"x.rar", "y.tar.gz", "my archive.zip"})
            DeleteFileA((std::string(kDataDir) + "\\" + file).c_str());
        if (createdDataDir_)
            RemoveDirectoryA(kDataDir);
    }

    std::unique_ptr<KeysRestorer> restorer_;
    bool createdDataDir_ = false;
};

// Runs "<program>" arc, which must end at once with 0 and show nothing.
void RunArc(const std::string &exe)
{
    HANDLE process = Start("\"" + exe + "\" arc");
    ASSERT_NE(nullptr, process) << exe;
    EXPECT_EQ(0u, WaitAndClose(process));
    EXPECT_TRUE(WaitForNoMessageBox(0)) << "the arc mode shows no message";
}

// Everything below every key the mode may write, and the classes root's own subkeys.
struct ArchiveState {
    std::set<std::string> rootNames;
    std::map<std::string, std::map<std::string, Value>> trees;
    bool operator==(const ArchiveState &o) const { return rootNames == o.rootNames && trees == o.trees; }
};

ArchiveState CaptureArchiveState()
{
    ArchiveState state;
    state.rootNames = SubkeyNames(HKEY_CLASSES_ROOT, "");
    for (const std::string &key : ArchiveKeys())
        if (KeyExists(HKEY_CLASSES_ROOT, key))
            state.trees[key] = DumpTree(HKEY_CLASSES_ROOT, key);
    return state;
}

// What a type key holds after the mode, when it held nothing before.
std::map<std::string, Value> FreshTypeTree(const std::string &typeName, const std::string &command)
{
    return {{"|", StringValue(typeName)},
            {"shell\\", Value{REG_NONE, {}}},
            {"shell\\open\\", Value{REG_NONE, {}}},
            {"shell\\open\\command\\", Value{REG_NONE, {}}},
            {"shell\\open\\command|", StringValue(command)}};
}

// The command line the recording stand-in for Vel.exe was last started with,
// split as a program's runtime splits it.
std::vector<std::string> RecordedArguments(const std::string &velExe)
{
    std::string line = ReadBytes(velExe + ".args");
    std::vector<std::string> arguments;
    if (line == "<missing>")
        return arguments;
    std::wstring wide(line.begin(), line.end());
    int count = 0;
    LPWSTR *argv = CommandLineToArgvW(wide.c_str(), &count);
    for (int i = 0; argv && i < count; i++) {
        std::wstring argument(argv[i]);
        arguments.push_back(std::string(argument.begin(), argument.end()));
    }
    LocalFree(argv);
    return arguments;
}

}  // namespace

TEST_F(Arc, WritesTheNineRowsQuotingOnlyAProgramPathWithBlanks)
{
    struct Row { const char *dir; std::string command; } rows[] = {
        {kQuotedDir, "\"C:\\Program Files\\Vel\\Vel.exe\" \"%1\""},
        {kBareDir, "C:\\VEL\\Vel.exe \"%1\""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.dir);
        for (const std::string &key : ArchiveKeys())
            DeleteTree(HKEY_CLASSES_ROOT, key);
        std::set<std::string> before = SubkeyNames(HKEY_CLASSES_ROOT, "");
        RunArc(InstallProductAt(row.dir));

        for (const ArchiveRow &archive : ArchiveRows()) {
            SCOPED_TRACE(archive.extension);
            EXPECT_EQ((std::map<std::string, Value>{{"|", StringValue(archive.typeName)}}),
                      DumpTree(HKEY_CLASSES_ROOT, archive.extension));
            EXPECT_EQ(FreshTypeTree(archive.typeName, row.command),
                      DumpTree(HKEY_CLASSES_ROOT, archive.typeName));
        }
        // Nothing else appears below the classes root.
        std::set<std::string> added;
        for (const std::string &name : SubkeyNames(HKEY_CLASSES_ROOT, ""))
            if (!before.count(name))
                added.insert(name);
        std::vector<std::string> keys = ArchiveKeys();
        EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()), added);
    }
}

TEST_F(Arc, ReplacesAnEarlierAssociationAndKeepsEverythingElse)
{
    // ".zip" belonged to another program, and "ZIP archive" already had verbs and values.
    SetString(HKEY_CLASSES_ROOT, ".zip", "", kOldType);
    SetString(HKEY_CLASSES_ROOT, ".zip", "Content Type", "application/zip");
    SetRaw(HKEY_CLASSES_ROOT, ".zip\\OpenWithProgids", kOldType, REG_NONE, "", 0);
    SetString(HKEY_CLASSES_ROOT, kOldType, "", "Old archiver");
    SetString(HKEY_CLASSES_ROOT, std::string(kOldType) + "\\shell\\open\\command", "", "old.exe \"%1\"");
    SetString(HKEY_CLASSES_ROOT, "ZIP archive", "", "Zip file");
    SetString(HKEY_CLASSES_ROOT, "ZIP archive", "FriendlyTypeName", "Compressed");
    SetString(HKEY_CLASSES_ROOT, "ZIP archive\\DefaultIcon", "", "old.exe,1");
    SetString(HKEY_CLASSES_ROOT, "ZIP archive\\shell\\edit\\command", "", "notepad.exe %1");
    const char oldCommand[] = "%SystemRoot%\\old.exe %1";
    SetRaw(HKEY_CLASSES_ROOT, "ZIP archive\\shell\\open\\command", "", REG_EXPAND_SZ, oldCommand,
           sizeof oldCommand);
    SetString(HKEY_CLASSES_ROOT, "ZIP archive\\shell\\open\\command", "DelegateExecute", "{0}");
    auto oldType = DumpTree(HKEY_CLASSES_ROOT, kOldType);
    auto zipExtension = DumpTree(HKEY_CLASSES_ROOT, ".zip");
    auto zipType = DumpTree(HKEY_CLASSES_ROOT, "ZIP archive");

    RunArc(InstallProductAt(kBareDir));

    zipExtension["|"] = StringValue("ZIP archive");
    EXPECT_EQ(zipExtension, DumpTree(HKEY_CLASSES_ROOT, ".zip"));
    zipType["|"] = StringValue("ZIP archive");
    zipType["shell\\open\\command|"] = StringValue("C:\\VEL\\Vel.exe \"%1\"");   // now REG_SZ
    EXPECT_EQ(zipType, DumpTree(HKEY_CLASSES_ROOT, "ZIP archive"));
    EXPECT_EQ(oldType, DumpTree(HKEY_CLASSES_ROOT, kOldType)) << "the other program's type is not touched";
}

TEST_F(Arc, RunningTwiceLeavesWhatRunningOnceLeft)
{
    std::string exe = InstallProductAt(kQuotedDir);
    RunArc(exe);
    ArchiveState once = CaptureArchiveState();
    ASSERT_EQ(16u, once.trees.size());
    RunArc(exe);
    EXPECT_TRUE(once == CaptureArchiveState());
}

TEST_F(Arc, TrailingBlankChangesNothing)
{
    std::string exe = InstallProductAt(kBareDir);
    ArchiveState before = CaptureArchiveState();
    HANDLE process = Start("\"" + exe + "\" arc ");
    ASSERT_NE(nullptr, process);
    HWND box = WaitForMessageBox();
    ASSERT_NE(nullptr, box) << "\"arc \" must name the word it does not know";
    EXPECT_NE(std::string::npos, MessageBoxText(box).find("\"arc\""));
    Answer(box, IDOK);
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, WaitAndClose(process));
    EXPECT_TRUE(before == CaptureArchiveState()) << "no association written";
    EXPECT_TRUE(Exists(exe));
}

TEST_F(Arc, ProgramPathTooLongForTheCommandWritesNoCutCommand)
{
    // A program named "u.exe" in a directory of length L: the open command
    // "<L>\Vel.exe "%1"" has L + 13 characters and must fit 259.
    struct Row { size_t dirLength; bool written; } rows[] = {{246, true}, {247, false}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.dirLength);
        for (const std::string &key : ArchiveKeys())
            DeleteTree(HKEY_CLASSES_ROOT, key);
        RemoveTree(kLongRoot);
        std::string dir = std::string(kLongRoot) + "\\";
        dir.resize(row.dirLength, 'd');
        MakeDirs(dir);
        std::string exe = dir + "\\u.exe";
        ASSERT_TRUE(CopyFileA(BuiltProduct().c_str(), exe.c_str(), FALSE)) << exe;
        RunArc(exe);

        for (const ArchiveRow &archive : ArchiveRows()) {
            SCOPED_TRACE(archive.extension);
            EXPECT_EQ(archive.typeName, GetString(HKEY_CLASSES_ROOT, archive.extension, ""));
            EXPECT_EQ(archive.typeName, GetString(HKEY_CLASSES_ROOT, archive.typeName, ""));
            std::string commandKey = std::string(archive.typeName) + "\\shell\\open\\command";
            if (row.written) {
                std::string command = dir + "\\Vel.exe \"%1\"";
                EXPECT_EQ(259u, command.size());
                EXPECT_EQ(command, GetString(HKEY_CLASSES_ROOT, commandKey, ""));
            } else {
                EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::string(archive.typeName) + "\\shell"))
                    << "no open command rather than a cut one";
            }
        }
    }
}

TEST_F(Arc, ShellOpensArchivesWithVelAndTheFileAsItsOneArgument)
{
    MakeDirs(kDataDir);
    const std::string rar = std::string(kDataDir) + "\\x.rar";
    const std::string targz = std::string(kDataDir) + "\\y.tar.gz";
    const std::string spaced = std::string(kDataDir) + "\\my archive.zip";
    for (const std::string &file : {rar, targz, spaced})
        WriteBytes(file, "not really an archive");

    for (const char *dir : {kQuotedDir, kBareDir}) {
        SCOPED_TRACE(dir);
        std::string exe = InstallProductAt(dir);
        std::string vel = std::string(dir) + "\\Vel.exe";
        ASSERT_TRUE(CopyFileA(StandIn("args").c_str(), vel.c_str(), FALSE)) << vel;
        RunArc(exe);

        for (const std::string &file : {rar, spaced}) {
            SCOPED_TRACE(file);
            DeleteFileA((vel + ".args").c_str());
            std::string error;
            EXPECT_TRUE(OpenThroughShell(file, &error)) << error;
            EXPECT_EQ((std::vector<std::string>{vel, file}), RecordedArguments(vel))
                << "recorded: " << ReadBytes(vel + ".args");
        }

        // As a user types it in a command window.
        DeleteFileA((vel + ".args").c_str());
        HANDLE start = Start("start.exe /wait " + targz);
        ASSERT_NE(nullptr, start);
        EXPECT_EQ(0u, WaitAndClose(start));
        EXPECT_EQ((std::vector<std::string>{vel, targz}), RecordedArguments(vel))
            << "recorded: " << ReadBytes(vel + ".args");
        RemoveTree(dir);
    }
}
