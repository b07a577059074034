// The program's start-up and choice of mode, run as the system runs it.
#include "e2e/support_harness.h"
#include "e2e/support_arc.h"
#include "e2e/support_uninstall.h"

#include <memory>
#include <string.h>

using namespace e2e;

namespace {

const char kDir[] = "C:\\VelDispatch";
const char kCopyHooks[] = "Directory\\shellex\\CopyHookHandlers";

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetWindowsVersion("");
        // The arc row writes all sixteen archive keys; the prefix gets back what it had.
        archiveKeys_.reset(new KeysRestorer(HKEY_CLASSES_ROOT, ArchiveKeys()));
        RemoveTree(kDir);
        exe_ = InstallProductAt(kDir);
        CleanRegistry();
    }
    void TearDown() override
    {
        CleanRegistry();
        archiveKeys_.reset();
        RemoveTree(kDir);
    }
    static void CleanRegistry()
    {
        DeleteTree(HKEY_CLASSES_ROOT, kCopyHooks);
        DeleteTree(HKEY_CURRENT_USER, "Software\\Vel");
        DeleteTree(HKEY_USERS, ".DEFAULT\\Software\\Vel");
        DeleteTree(HKEY_LOCAL_MACHINE, "Software\\Vel");
        DeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey);
        DeleteTree(HKEY_LOCAL_MACHINE, kAppPathsKey);
        for (const char *key : {".rar", "RAR archive"})
            DeleteTree(HKEY_CLASSES_ROOT, key);
    }
    std::string Quoted() const { return "\"" + exe_ + "\""; }

    std::string exe_;
    std::unique_ptr<KeysRestorer> archiveKeys_;
};

// Runs a command line that must end at once without any message box.
DWORD RunQuietly(const std::string &commandLine, DWORD *elapsed = nullptr)
{
    DWORD start = GetTickCount();
    HANDLE process = Start(commandLine);
    EXPECT_NE(nullptr, process) << commandLine;
    DWORD code = WaitAndClose(process, 30000);
    if (elapsed)
        *elapsed = GetTickCount() - start;
    EXPECT_TRUE(WaitForNoMessageBox(0)) << commandLine << ": a message box is still shown";
    return code;
}

// Runs a command line that must ask to uninstall; answers No.
void ExpectUninstallQuestion(const std::string &commandLine)
{
    SCOPED_TRACE(commandLine);
    EXPECT_EQ(0u, RunUninstallAnswering(commandLine, IDNO));
    EXPECT_TRUE(Exists(std::string(kDir) + "\\VelUninstall.exe")) << "No must change nothing";
}

}  // namespace

TEST_F(Dispatch, WaitPausesAboutOneSecondAfterQuotedPathAndBlanks)
{
    // The blanks after the program's name are not part of the command line.
    DWORD elapsed = 0;
    EXPECT_EQ(0u, RunQuietly(Quoted() + "   wait", &elapsed));
    EXPECT_GE(elapsed, 950u);
    EXPECT_LT(elapsed, 10000u);
    EXPECT_EQ(0u, RunQuietly(Quoted() + " WAIT", &elapsed));
    EXPECT_GE(elapsed, 950u);
    // The system ends a quoted name at its closing quote: the word right after it is the mode.
    EXPECT_EQ(0u, RunQuietly(Quoted() + "wait", &elapsed));
    EXPECT_GE(elapsed, 950u);
}

TEST_F(Dispatch, UnquotedPathWithNonAsciiLetterKeepsItsMode)
{
    // A letter from 128 up is part of the path, not a separator before the mode word.
    const std::string dir = "C:\\V\xE9lDispatch";
    RemoveTree(dir);
    std::string exe = InstallProductAt(dir);
    DWORD elapsed = 0;
    EXPECT_EQ(0u, RunQuietly(exe + " wait", &elapsed));
    EXPECT_GE(elapsed, 950u);
    EXPECT_EQ(0u, RunQuietly(exe + " register Main Tools"));
    EXPECT_EQ("Main Tools", GetString(HKEY_CURRENT_USER, "Software\\Vel", "Group"));
    RemoveTree(dir);
}

TEST_F(Dispatch, WarningShowsFinalMessageWithProgramPath)
{
    for (const char *word : {"Warning", "WARNING", "warning"}) {
        SCOPED_TRACE(word);
        HANDLE process = Start(Quoted() + " " + word);
        ASSERT_NE(nullptr, process);
        HWND box = WaitForMessageBox();
        ASSERT_NE(nullptr, box);
        EXPECT_EQ("Uninstall completed\nYou should delete " + exe_ + " manually", MessageBoxText(box));
        EXPECT_TRUE(HasButton(box, IDOK));
        EXPECT_FALSE(HasButton(box, IDNO));
        Answer(box, IDOK);
        EXPECT_EQ(0u, WaitAndClose(process));
    }
}

TEST_F(Dispatch, OnlyTheUninstallsOwnWordsUninstall)
{
    for (const char *rest : {"", " ", " /log=\"C:\\Vel Dispatch.log\""})
        ExpectUninstallQuestion(Quoted() + rest);
    DeleteFileA("C:\\Vel Dispatch.log");
    // The bare program name, unquoted, as Add/Remove Programs may start it.
    ExpectUninstallQuestion(exe_);

    // A near miss of a mode word, or one word too many, changes nothing:
    // the user is shown the word, a silent caller gets 87 and no window.
    struct Row { const char *rest, *word; } rows[] = {
        {" Warning ", "Warning"}, {" warn", "warn"}, {" waiting", "waiting"}, {" arc /S", "arc"},
        {" wait ", "wait"}, {" -register", "-register"}, {" --help /S", "--help"}, {" /S uninstall", "uninstall"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.rest);
        if (strstr(row.rest, "/S")) {
            EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, RunSilently(Quoted() + row.rest));
        } else {
            HANDLE process = Start(Quoted() + row.rest);
            HWND box = WaitForMessageBox();
            ASSERT_NE(nullptr, box);
            EXPECT_EQ("Unknown word \"" + std::string(row.word) + "\".\nUse register <group>, arc, or no word (or "
                      "only /S, /LOG=<file>, /NOCLOSE) to uninstall.",
                      MessageBoxText(box));
            EXPECT_FALSE(HasButton(box, IDYES));
            Answer(box, IDOK);
            EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, WaitAndClose(process));
        }
        EXPECT_TRUE(Exists(std::string(kDir) + "\\VelUninstall.exe"));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".rar")) << "no association written";
    }
}

TEST_F(Dispatch, ArcWordSelectsAssociations)
{
    for (const char *word : {"arc", "ARC", "Arc"}) {
        SCOPED_TRACE(word);
        DeleteTree(HKEY_CLASSES_ROOT, ".rar");
        EXPECT_EQ(0u, RunQuietly(Quoted() + " " + word));
        EXPECT_EQ("RAR archive", GetString(HKEY_CLASSES_ROOT, ".rar", ""));
    }
}

TEST_F(Dispatch, RegisterIsAPrefixOfEightCharacters)
{
    struct Row { const char *rest; const char *group; } rows[] = {
        {" register Main Tools", "Main Tools"},
        {" REGISTER Main Tools", "Main Tools"},
        {" Register", ""},
        {" registerTools", "Tools"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.rest);
        DeleteTree(HKEY_CURRENT_USER, "Software\\Vel");
        EXPECT_EQ(0u, RunQuietly(Quoted() + row.rest));
        EXPECT_EQ(row.group, GetString(HKEY_CURRENT_USER, "Software\\Vel", "Group"));
    }
}

TEST_F(Dispatch, EmptyCopyHookKeyIsRemovedAtEveryStart)
{
    for (const char *rest : {" wait", " register Main"}) {
        SCOPED_TRACE(rest);
        CreateKey(HKEY_CLASSES_ROOT, kCopyHooks);
        EXPECT_EQ(0u, RunQuietly(Quoted() + rest));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kCopyHooks));
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "Directory\\shellex")) << "only the empty key goes";
    }
}

TEST_F(Dispatch, CopyHookKeyWithContentStays)
{
    CreateKey(HKEY_CLASSES_ROOT, kCopyHooks);
    SetString(HKEY_CLASSES_ROOT, kCopyHooks, "Handler", "x");
    EXPECT_EQ(0u, RunQuietly(Quoted() + " wait"));
    EXPECT_EQ("x", GetString(HKEY_CLASSES_ROOT, kCopyHooks, "Handler"));

    DeleteTree(HKEY_CLASSES_ROOT, kCopyHooks);
    CreateKey(HKEY_CLASSES_ROOT, std::string(kCopyHooks) + "\\SomeHook");
    EXPECT_EQ(0u, RunQuietly(Quoted() + " wait"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::string(kCopyHooks) + "\\SomeHook"));

    // A default value alone counts as content too.
    DeleteTree(HKEY_CLASSES_ROOT, kCopyHooks);
    SetString(HKEY_CLASSES_ROOT, kCopyHooks, "", "");
    EXPECT_EQ(0u, RunQuietly(Quoted() + " wait"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kCopyHooks));
}
