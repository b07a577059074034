// Hostile installations uninstalled end to end, as Add/Remove Programs runs
// the program: list entries, program directories and group names full of
// characters the command interpreter reads, entries leaving the program
// directory, links in the file system and the registry leading out of what the
// product owns. Snapshots of the whole prefix before and after each run must
// differ only in what the product owns; what each row plants outside (its
// bait) is named so that a failure says which row reached it.
#include "e2e/support_uninstall.h"
#include "common/snapshot.h"
#include "base/product.h"
#include "uninstall/listentry_text.h"

#include <optional>

using namespace e2e;

namespace {

// What a row plants besides the files, the list and the registration.
enum Plant {
    kNothingElse,
    kRegistryLinks,   // Software\Vel\Linked in both hives, leading to a bait key each
    kFileLinks,       // a file and a directory link in the program directory, leading out
    kListLink,        // UnInstall.lst itself a link to a bait file outside; row.list is its bytes
    kStartedElsewhere, // started in C:\windows, which holds a list of its own
    kWideNames,       // \u03A9mega.txt, and \u03A9link.txt a link to the bait, in the program directory
};

struct Row {
    std::string name;
    std::string dir;                 // the program directory
    std::string group;               // as the registration stores it
    std::string groupFolder;         // the folder that names, below the Programs folder
    std::string list;                // the bytes of UnInstall.lst
    std::vector<std::string> gone;   // made in the program directory, listed: must go
    std::vector<std::string> stay;   // made in the program directory: must stay
    // Outside: files (planted with "bait" in them) and keys, named as the
    // snapshot names them. Each must be there afterwards and unchanged.
    std::vector<std::string> bait;
    Plant plant;
    bool dirGoes;                    // the batch file leaves no program directory
    // An environment variable set (or, with no value, unset) for the run.
    const char *variable = nullptr, *value = nullptr;
    // The batch file cannot take over: the program's file stays, and the
    // run ends with the final message.
    bool told = false;
};

const char kOut[] = "C:\\VelHostileOut";
const char kBaitKey[] = "Software\\VelHostileBait";
const char kLinkKey[] = SETTINGS_ROOT "\\Linked";
const char kElsewhere[] = "C:\\windows";
const char kBaitContent[] = "bait";

std::wstring WideDir(const Row &row)
{
    return std::wstring(row.dir.begin(), row.dir.end());   // the program directories named in ASCII
}

std::string Utf16(const std::wstring &text)
{
    return std::string((const char *)text.data(), text.size() * sizeof(wchar_t));
}

// A line of exactly length bytes (line feed not counted) ending in tail,
// padded with "a": a reader that cut it at its limit, or one short of it,
// would read a rest naming a file the row plants.
std::string LineOf(size_t length, const std::string &tail)
{
    return std::string(length - tail.size(), 'a') + tail + "\n";
}

bool IsWow64()
{
    BOOL wow = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow);
    return wow != FALSE;
}

// HKEY_LOCAL_MACHINE\SOFTWARE as this 32-bit program's writes land there,
// named as the snapshot names it.
std::string MachineSoftware()
{
    return IsWow64() ? "HKLM\\SOFTWARE\\Wow6432Node\\" : "HKLM\\SOFTWARE\\";
}

std::vector<Row> Rows()
{
    const std::string dir = "C:\\VelHostile";
    const std::string group = "Vel Hostile Group";
    const std::string programs = ProgramsFolder();
    // Where a cut at a blank or an unquoted path would lead.
    const std::string oddDir = "C:\\VelH %^&!()\xE9 Dir", oddCut = "C:\\VelH\\VelUninstall.exe";
    const std::string blankDir = DefaultProgramDir() + " Hostile";
    const std::string blankCut = DefaultProgramDir() + "\\VelUninstall.exe";
    const std::string line = std::to_string(LIST_LINE_SIZE - 1);
    const std::string out = kOut;
    const std::vector<std::string> leaving = {"C:\\bait.txt", "C:\\bait", out + "\\bait.txt"};
    const std::string withDocs = "Vel.exe\r\nDocs\r\nDocs\\a.txt\r\n";
    const std::vector<std::string> docs = {"Vel.exe", "Docs\\a.txt", "Docs"};
    // "\x80" is a letter of the ANSI code page with no form in the OEM one.
    const std::string noOemDir = "C:\\VelHostile \x80uro";
    return {
        {"odd characters in entries", dir, group, group,
         "100%.txt\r\n%PATH%.txt\r\na^b.txt\r\nR&D.txt\r\nHi!.txt\r\n!x!.txt\r\n(x).txt\r\ncaf\xE9.txt\r\n"
         "Sub %^&!()\xE9\r\nSub %^&!()\xE9\\in.txt\r\n",
         {"100%.txt", "%PATH%.txt", "a^b.txt", "R&D.txt", "Hi!.txt", "!x!.txt", "(x).txt", "caf\xE9.txt",
          "Sub %^&!()\xE9\\in.txt", "Sub %^&!()\xE9"},
         {}, leaving, kNothingElse, true},
        {"entries leaving the program directory", dir, group, group,
         "..\\bait.txt\r\nC:\\bait.txt\r\n\\\\?\\C:\\bait\r\n\\\\?\\C:\\bait.txt\r\n..\\VelHostileOut\\bait.txt\r\n"
         "Sub\\..\\..\\bait.txt\r\n\\bait.txt\r\n/bait.txt\r\nC:..\\bait.txt\r\nVel.exe\r\n",
         {"Vel.exe"}, {}, leaving, kNothingElse, true},
        {"empty list", dir, group, group, "", {}, {}, leaving, kNothingElse, true},
        {"UTF-16 list with its mark", dir, group, group,
         Utf16(L"\uFEFFVel.exe\r\n..\\bait.txt\r\nC:\\bait.txt\r\n"), {"Vel.exe"}, {}, leaving, kNothingElse, true},
        // Named outside the ANSI code page: a file that goes, a link that
        // leads out and stays, and a lookalike (the name's best fit in the
        // code page) that the list does not name and that stays.
        {"names outside the code page, a link among them", dir, group, group,
         Utf16(L"\uFEFF\u03A9mega.txt\r\n\u03A9link.txt\r\n"), {}, {"Omega.txt"}, {out + "\\omega-bait.txt"},
         kWideNames, false},
        {"CR-only line ends", dir, group, group, "Vel.exe\r..\\bait.txt\rC:\\bait.txt\r", {}, {"Vel.exe"}, leaving,
         kNothingElse, false},
        // The longest line that fits is read whole (and refused: its full path
        // is too long); a longer one is skipped whole, and none is read in
        // pieces. The line after them is read.
        {"lines of " + line + ", +1 and +2 bytes", dir, group, group,
         LineOf(LIST_LINE_SIZE - 1, "b") + LineOf(LIST_LINE_SIZE, "c") + LineOf(LIST_LINE_SIZE + 1, "ef")
             + "Vel.exe\n",
         {"Vel.exe"}, {"b", "c", "ef"}, leaving, kNothingElse, false},
        {"program directory with odd characters", oddDir, group, group, "Vel.exe\r\n", {"Vel.exe"}, {},
         {oddCut, leaving[0]}, kNothingElse, true},
        {"program directory with blanks", blankDir, group, group, "Vel.exe\r\nDocs\r\nDocs\\a.txt\r\n",
         {"Vel.exe", "Docs\\a.txt", "Docs"}, {}, {blankCut, "C:\\Program"}, kNothingElse, true},
        {"group with odd characters, no Program Manager command", dir, "Vel %^&!()\xE9 Group",
         "Vel %^&!()\xE9 Group", "", {}, {}, {programs + "\\Vel %^&!\xE9 Group\\bait.lnk"}, kNothingElse, true},
        {"group with odd characters, Program Manager asked", dir, "Vel %^&!\xE9 Group", "Vel %^&!\xE9 Group", "",
         {}, {}, {programs + "\\Vel %^&!()\xE9 Group\\bait.lnk"}, kNothingElse, true},
        {"group with a trailing backslash", dir, "Main Tools\\", "Main Tools", "", {}, {},
         {programs + "\\Main\\bait.lnk", programs + "\\Main Tools Old\\bait.lnk"}, kNothingElse, true},
        {"group with a doubled backslash", dir, "Vel Outer\\\\Inner", "Vel Outer\\Inner", "", {}, {},
         {programs + "\\Vel Outer\\bait.lnk", programs + "\\Vel Outer\\Other\\bait.lnk"}, kNothingElse, true},
        {"registry links in the settings", dir, group, group, "", {}, {},
         {"HKCU\\" + std::string(kBaitKey) + "\\", MachineSoftware() + "VelHostileBait\\"}, kRegistryLinks, true},
        {"started in another directory with a list", dir, group, group, "Vel.exe\r\n", {"Vel.exe"}, {},
         {std::string(kElsewhere) + "\\VelHostileBait.txt", std::string(kElsewhere) + "\\" LIST_FILE_NAME},
         kStartedElsewhere, true},
        // Wine shows the file link as a plain file and opens the target
        // through either link: both are refused as lying elsewhere and stay,
        // and so does the program directory.
        {"file and directory links leading out", dir, group, group,
         "FileLink.txt\r\nDirLink\\deep.txt\r\nDirLink\\Deep\\deep.txt\r\nDirLink\\Deep\r\nDirLink\r\n", {}, {},
         {out + "\\target.txt", out + "\\deep.txt", out + "\\Deep\\deep.txt"}, kFileLinks, false},
        // The list is read through the link, but goes only as itself: under
        // Wine the link opens as its target, lies elsewhere and stays, and so
        // does the program directory.
        {"list file a link to a file outside", dir, group, group, "Vel.exe\r\n", {"Vel.exe"}, {},
         {out + "\\list-bait.txt"}, kListLink, false},
        // The batch file cannot be written, or nothing can run it: none may
        // be left behind, nor be written anywhere else.
        {"temporary directory missing", dir, group, group, withDocs, docs, {}, {out + "\\bait.txt"}, kNothingElse,
         false, "TMP", "C:\\VelHostileOut\\NoTemp", true},
        {"temporary directory a file", dir, group, group, withDocs, docs, {}, {out + "\\TempFile"}, kNothingElse,
         false, "TMP", "C:\\VelHostileOut\\TempFile", true},
        {"COMSPEC unset", dir, group, group, withDocs, docs, {}, leaving, kNothingElse, false, "COMSPEC", nullptr,
         true},
        {"COMSPEC names a missing file", dir, group, group, withDocs, docs, {}, leaving, kNothingElse, false,
         "COMSPEC", "C:\\VelHostileOut\\cmd.exe", true},
        // The batch file spells it by its short name, which the OEM code page holds.
        {"program directory outside the OEM code page", noOemDir, group, group, withDocs, docs, {}, leaving,
         kNothingElse, true},
    };
}

// What the product owns: changes there are the uninstall's to make.
std::vector<std::string> Owned(const Row &row)
{
    std::string temp = TempDir();
    std::vector<std::string> owned = {row.dir, ProgramsFolder() + "\\" + row.groupFolder, BatchPath(),
                                      temp.substr(0, temp.size() - 1)};
    for (const char *software : {"HKLM\\SOFTWARE\\", "HKLM\\SOFTWARE\\Wow6432Node\\"}) {
        owned.push_back(software + std::string(SETTINGS_ROOT + 9));   // past "Software\"
        owned.push_back(software + std::string(UNINSTALL_KEY + 9));
        owned.push_back(software + std::string(APP_PATHS_KEY + 9));
    }
    owned.push_back("HKCU\\" SETTINGS_ROOT);
    // The current user's hive and the default user's, as HKEY_USERS shows them.
    for (const std::string &user : SubkeyNames(HKEY_USERS, ""))
        owned.push_back("HKU\\" + user + "\\" SETTINGS_ROOT);
    return owned;
}

class Hostile : public CleanupTest {
protected:
    void SetUp() override
    {
        SetWindowsVersion("");
        RemoveTreeOnHost(kOut);
        CleanRegistry();
        DeleteFileA(BatchPath().c_str());
    }
    void TearDown() override { CleanRow(); }
    static void CleanRegistry()
    {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            DeleteRegistryLink(root, kLinkKey);   // by name its target would go
            DeleteTree(root, kBaitKey);
        }
        RemoveRegistration();
    }
    // What one row made. Links whose target is gone are beyond every Win32
    // call: the host's rm removes the trees that may hold links, and never
    // follows one.
    void CleanRow()
    {
        if (!dir_.empty())
            RemoveTreeOnHost(dir_);
        RemoveTreeOnHost(kOut);
        CleanupTest::TearDown();
        CleanRegistry();
        DeleteFileA(BatchPath().c_str());
    }
    // Makes the missing folders of path's parent, to be removed with the row.
    void MakeParents(const std::string &path)
    {
        std::string top = path.substr(0, path.rfind('\\'));
        while (!Exists(top.substr(0, top.rfind('\\'))))
            top = top.substr(0, top.rfind('\\'));
        if (!Exists(top))
            Keep(top);
        MakeDirs(path.substr(0, path.rfind('\\')));
    }

    void PlantRow(const Row &row)
    {
        dir_ = row.dir;
        RemoveTreeOnHost(row.dir);
        std::string exe = InstallProductAt(row.dir);
        for (const std::vector<std::string> *files : {&row.gone, &row.stay}) {
            for (const std::string &file : *files) {
                std::string path = row.dir + "\\" + file;
                // A name that is a prefix of another listed one is its folder.
                bool folder = false;
                for (const std::string &other : row.gone)
                    folder = folder || other.compare(0, file.size() + 1, file + "\\") == 0;
                MakeDirs(folder ? path : path.substr(0, path.rfind('\\')));
                if (!folder && !Exists(path))
                    WriteBytes(path, file);
            }
        }
        for (const std::string &bait : row.bait) {
            if (bait.compare(0, 2, "HK") == 0)
                continue;   // keys: planted below
            MakeParents(bait);
            Keep(bait);
            WriteBytes(bait, kBaitContent);
        }
        std::string list = row.dir + "\\" LIST_FILE_NAME;
        if (row.plant == kListLink) {
            WriteBytes(row.bait[0], row.list);
            ASSERT_TRUE(MakeSymlink(list, row.bait[0]));
        } else {
            WriteBytes(list, row.list);
        }
        std::string folder = ProgramsFolder() + "\\" + row.groupFolder;
        MakeParents(folder + "\\Vel.lnk");
        Keep(folder);
        WriteBytes(folder + "\\Vel.lnk", "shortcut");
        WriteRegistration(row.group, row.dir);

        if (row.plant == kRegistryLinks) {
            for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
                SetString(root, kBaitKey, "Keep", kBaitContent);
                SetString(root, std::string(kBaitKey) + "\\Sub", "Keep", kBaitContent);
                MakeRegistryLink(root, kLinkKey, root, kBaitKey);
            }
        } else if (row.plant == kFileLinks) {
            ASSERT_TRUE(MakeSymlink(row.dir + "\\FileLink.txt", std::string(kOut) + "\\target.txt"));
            ASSERT_TRUE(MakeSymlink(row.dir + "\\DirLink", kOut));
        } else if (row.plant == kStartedElsewhere) {
            WriteBytes(row.bait[1], "VelHostileBait.txt\r\n");
        } else if (row.plant == kWideNames) {
            WriteBytes(WideDir(row) + L"\\\u03A9mega.txt", "omega");
            RunHostProgram("Z:\\bin\\ln -sfn \"" + HostPathOf(row.bait[0]) + "\" \"" + HostPathOf(row.dir)
                           + "/\xCE\xA9link.txt\"");
            for (int i = 0; i < 600 && !Exists(WideDir(row) + L"\\\u03A9link.txt"); i++)
                Sleep(50);
            ASSERT_TRUE(Exists(WideDir(row) + L"\\\u03A9link.txt"));
        }
    }

    std::string dir_;
};

}  // namespace

TEST_F(Hostile, UninstallChangesNothingOutsideWhatTheProductOwns)
{
    for (const Row &row : Rows()) {
        SCOPED_TRACE(std::string(row.name) + " (" + row.dir + ", group \"" + row.group + "\")");
        CleanRow();
        PlantRow(row);
        if (HasFatalFailure())
            return;
        const snapshot::Snapshot before = snapshot::Take();
        std::string exe = row.dir + "\\VelUninstall.exe";

        std::optional<ScopedVariable> variable;
        if (row.variable)
            variable.emplace(row.variable, row.value);
        // Quoted, as the registration writes UninstallString for a path with a blank.
        std::string told;
        EXPECT_EQ(0u, RunUninstallAnswering("\"" + exe + "\"", IDYES, row.plant == kStartedElsewhere ? kElsewhere : "",
                                            row.told ? &told : nullptr));
        variable.reset();
        if (row.told) {
            EXPECT_EQ(FinalMessage(exe), told);
            EXPECT_TRUE(Exists(exe));
            EXPECT_FALSE(Exists(BatchPath())) << "a batch file that nothing runs";
        } else {
            EXPECT_EQ("", WaitForSelfRemoval()) << "a final message: the program's file stayed";
            EXPECT_FALSE(Exists(exe));
        }

        const std::vector<snapshot::Change> changes = snapshot::Compare(before, snapshot::Take());
        const std::vector<snapshot::Change> unexpected = snapshot::Unexpected(changes, Owned(row));
        EXPECT_TRUE(unexpected.empty()) << "changed outside what the product owns:\n" << unexpected;
        for (const std::string &bait : row.bait) {
            bool there = false;
            for (const auto &entry : before)
                there = there || snapshot::IsUnder(entry.first, bait);
            EXPECT_TRUE(there) << "bait " << bait << " was never planted";
            std::vector<snapshot::Change> touched;
            for (const snapshot::Change &change : changes)
                if (snapshot::IsUnder(change.name, bait))
                    touched.push_back(change);
            EXPECT_TRUE(touched.empty()) << "bait " << bait << " changed:\n" << touched;
        }
        for (const std::string &file : row.gone)
            EXPECT_FALSE(Exists(row.dir + "\\" + file)) << file << " is listed";
        if (row.plant == kWideNames)
            EXPECT_FALSE(Exists(WideDir(row) + L"\\\u03A9mega.txt")) << "it is listed";
        for (const std::string &file : row.stay)
            EXPECT_TRUE(Exists(row.dir + "\\" + file)) << file;
        EXPECT_EQ(row.dirGoes, !Exists(row.dir)) << "the program directory";
        EXPECT_FALSE(Exists(ProgramsFolder() + "\\" + row.groupFolder)) << "the group folder";
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, SETTINGS_ROOT));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, SETTINGS_ROOT));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, APP_PATHS_KEY));
    }
}
