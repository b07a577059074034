// The life of an installation as its users meet it: the installer example
// installs silently and runs "register" and "arc"; the system's own list of
// programs shows the entry and runs its uninstall command; the question is
// answered Yes. Afterwards the prefix holds nothing of the installation but
// what the product leaves on purpose and a file the user put there.
#include "e2e/support_arc.h"
#include "e2e/support_uninstall.h"
#include "common/snapshot.h"

#include <set>

using namespace e2e;

namespace {

const char kGroup[] = "Vel";   // the group the installer example creates and registers
const char kDefaultSettings[] = ".DEFAULT\\Software\\Vel";

std::set<std::string> Lines(const std::string &text)
{
    std::set<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.insert(line);
        start = end + 1;
    }
    return lines;
}

// The changes below dir, by their path relative to it.
std::map<std::string, std::string> ChangesBelow(const std::vector<snapshot::Change> &changes,
                                                const std::string &dir)
{
    std::map<std::string, std::string> below;
    for (const snapshot::Change &change : changes)
        if (snapshot::IsUnder(change.name, dir + "\\"))
            below[change.name.substr(dir.size() + 1)] = change.after.empty() ? "gone" : change.after;
    return below;
}

class InstallerChain : public ::testing::Test {
protected:
    // What the product leaves on purpose is put back as it was afterwards.
    InstallerChain() : associations_(HKEY_CLASSES_ROOT, ArchiveKeys()),
                       defaults_(HKEY_USERS, {kDefaultSettings}) {}

    void SetUp() override
    {
        SetWindowsVersion("");
        Clean();
        for (const std::string &key : ArchiveKeys())
            DeleteTree(HKEY_CLASSES_ROOT, key);
        DeleteTree(HKEY_USERS, kDefaultSettings);
    }
    void TearDown() override { Clean(); }
    void Clean()
    {
        RemoveRegistration();
        RemoveTree(DefaultProgramDir());
        RemoveTree(ProgramsFolder() + "\\" + kGroup);
        DeleteFileA(BatchPath().c_str());
    }

    KeysRestorer associations_, defaults_;
};

}  // namespace

TEST_F(InstallerChain, SilentInstallThenRemovalThroughTheSystemLeavesOnlyWhatIsKeptOnPurpose)
{
    const std::string dir = DefaultProgramDir();
    const std::string group = ProgramsFolder() + "\\" + kGroup;
    ASSERT_FALSE(Exists(dir));
    const snapshot::Snapshot before = snapshot::Take();

    // The silent install, as a deployment tool runs it.
    ASSERT_EQ(0u, WaitAndClose(Start("\"" + InstallerExample() + "\" /S"), 300000)) << "silent install";
    const snapshot::Snapshot installed = snapshot::Take();
    // Quoted: the default directory holds a blank.
    EXPECT_EQ("\"" + dir + "\\VelUninstall.exe\"", GetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"));
    EXPECT_EQ(dir, GetString(HKEY_LOCAL_MACHINE, kAppPathsKey, "Path"));
    EXPECT_EQ(kGroup, GetString(HKEY_CURRENT_USER, "Software\\Vel", "Group"));
    EXPECT_TRUE(KeyExists(HKEY_USERS, kDefaultSettings));
    EXPECT_EQ("ZIP archive", GetString(HKEY_CLASSES_ROOT, ".zip", ""));
    EXPECT_TRUE(Exists(group + "\\Vel.lnk"));
    EXPECT_TRUE(Exists(group + "\\Uninstall Vel.lnk"));
    EXPECT_TRUE(Attributes(dir + "\\ReadMe.txt") & FILE_ATTRIBUTE_READONLY);

    // The list names exactly what the installer made in the program directory,
    // but for the program and the list themselves.
    std::set<std::string> made;
    for (const auto &entry : ChangesBelow(snapshot::Compare(before, installed), dir))
        if (entry.first != "VelUninstall.exe" && entry.first != "UnInstall.lst")
            made.insert(entry.first);
    EXPECT_EQ(made, Lines(ReadBytes(dir + "\\UnInstall.lst")));
    EXPECT_GE(made.size(), 9u) << "nested folders and files";

    EXPECT_NE(std::string::npos, CaptureOutput("uninstaller.exe --list").find("VEL manager|||VEL file manager"));
    WriteBytes(dir + "\\My notes.txt", "mine");

    // The removal, started as the system's list of programs starts it.
    HANDLE uninstaller = Start("uninstaller.exe --remove \"VEL manager\"");
    ASSERT_NE(nullptr, uninstaller);
    HWND box = WaitForMessageBox(120000);
    ASSERT_NE(nullptr, box) << "no question from the uninstall command";
    EXPECT_EQ("Continue with uninstall VEL", MessageBoxText(box));
    Answer(box, IDYES);
    EXPECT_EQ(0u, WaitAndClose(uninstaller, 120000));
    EXPECT_TRUE(WaitUntilGone(dir + "\\VelUninstall.exe", 120000));
    EXPECT_TRUE(WaitUntilGone(BatchPath(), 60000)) << "the batch file ends by deleting itself";
    EXPECT_TRUE(WaitForNoMessageBox(0)) << "no final message: the program's file went";
    EXPECT_EQ(std::string::npos, CaptureOutput("uninstaller.exe --list").find("VEL manager"));

    // Nothing else is left: the user's file (and so its folder), the default
    // user's first-run settings and the archive associations.
    const std::vector<snapshot::Change> changes = snapshot::Compare(before, snapshot::Take());
    std::set<std::string> leftInDir;
    for (const auto &entry : ChangesBelow(changes, dir))
        leftInDir.insert(entry.first);
    EXPECT_EQ(std::set<std::string>{"My notes.txt"}, leftInDir);
    EXPECT_EQ("mine", ReadBytes(dir + "\\My notes.txt"));
    std::vector<std::string> kept = {dir, "HKU\\" + std::string(kDefaultSettings)};
    for (const std::string &key : ArchiveKeys())
        for (const char *view : {"HKLM\\Software\\Classes\\", "HKLM\\Software\\Wow6432Node\\Classes\\"})
            kept.push_back(view + key);
    const std::vector<snapshot::Change> left = snapshot::Unexpected(changes, kept);
    EXPECT_TRUE(left.empty()) << left;
    EXPECT_TRUE(KeyExists(HKEY_USERS, kDefaultSettings));
    EXPECT_EQ("ZIP archive", GetString(HKEY_CLASSES_ROOT, ".zip", ""));

    // Installed again, and removed as a deployment tool removes it: through
    // the silent command the Programs list gives, with no window and exit code 0.
    RemoveTree(dir);
    ASSERT_EQ(0u, WaitAndClose(Start("\"" + InstallerExample() + "\" /S"), 300000)) << "second silent install";
    std::string quiet = GetString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
    EXPECT_EQ("\"" + dir + "\\VelUninstall.exe\" /S", quiet);
    EXPECT_EQ(0u, RunSilently(quiet));
    EXPECT_TRUE(WaitUntilGone(dir, 120000)) << "nothing of the user's this time: the directory goes";
    EXPECT_TRUE(WaitUntilGone(BatchPath(), 60000));
    const std::vector<snapshot::Change> leftAgain = snapshot::Unexpected(snapshot::Compare(before, snapshot::Take()), kept);
    EXPECT_TRUE(leftAgain.empty()) << leftAgain;
}
