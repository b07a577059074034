#include "uninstall/uninstall.h"
#include "uninstall/group.h"
#include "uninstall/selfremove.h"
#include "uninstall/report.h"
#include "uninstall/options_text.h"
#include "base/messages.h"
#include "base/process.h"
#include "base/product.h"
#include "registry/settings.h"
#include "registry/keytree.h"
#include "registry/regkey.h"
#include "base/bounded_text.h"

#include <string.h>

// Lines whose entry is settled (deleted, found gone, refused, blank) are
// skipped in later passes, and lines whose entry was deleted are told apart
// for the report: one bit a line each, zeroed at the start of a run. Lines
// beyond them are judged again in every pass, and a deletion among them is
// told as "already gone".
#define SETTLED_LINES 32768
static unsigned char s_settled[SETTLED_LINES / 8], s_deleted[SETTLED_LINES / 8];

// One run of the deletion passes: what every entry is judged against.
struct DeletionRun {
    // The program directory made canonical, with its backslash: full and in
    // long names, as the entries are. Entries are composed on it.
    char canonicalPrefix[PATH_SIZE];
    // The same as the system resolves it, with a backslash, in UTF-16; ""
    // when it cannot, and then no entry is shown to be itself.
    WCHAR finalPrefix[ENTRY_FINAL_SIZE];
    int options;   // how DeleteEntryItself treats the entries
    // The directory last checked for links on the way, and what it gave:
    // a run of entries in one directory costs one check.
    char checkedParent[PATH_SIZE];
    int parentPassesLink;
};

// The last run of the deletion passes: the list file is judged by it too.
static DeletionRun s_run;

// What a measuring run found, in bytes.
static ULONGLONG s_measured;

// The size of the file at path, opened as itself where its final path is
// expected (NULL: any); 0 for a folder, a link, or one that cannot be opened.
static ULONGLONG SizeOfFile(const char *path, const WCHAR *expected)
{
    HANDLE file = OpenEntryItself(path, expected);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    // A folder, and a link opened as itself, have no size of their own.
    BY_HANDLE_FILE_INFORMATION information;
    ULONGLONG size = 0;
    if (GetFileInformationByHandle(file, &information))
        size = (ULONGLONG)information.nFileSizeHigh << 32 | information.nFileSizeLow;
    CloseHandle(file);
    return size;
}

static int IsMarked(const unsigned char *bits, long line)
{
    return line < SETTLED_LINES && (bits[line / 8] >> (line % 8)) & 1;
}

// 0 when the line lies beyond the bits.
static int Mark(unsigned char *bits, long line)
{
    if (line >= SETTLED_LINES)
        return 0;
    bits[line / 8] |= (unsigned char)(1 << (line % 8));
    return 1;
}

// 1 when a directory between the program directory and the last component
// of path is a junction or symbolic link: what lies behind it is not ours,
// whatever its path reads. Checked once for a run of entries in one directory.
static int PassesThroughLink(DeletionRun *run, char *path)
{
    size_t parentLen = (size_t)(FindLastBackslash(path) - path);
    if (strlen(run->checkedParent) == parentLen && memcmp(path, run->checkedParent, parentLen) == 0)
        return run->parentPassesLink;
    int link = 0;
    for (char *p = path + strlen(run->canonicalPrefix); p <= path + parentLen && !link; p++) {
        if (*p != '\\')
            continue;
        *p = 0;
        DWORD attributes = GetFileAttributesA(path);
        *p = '\\';
        link = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    }
    memcpy(run->checkedParent, path, parentLen);   // shorter than path, which fits PATH_SIZE
    run->checkedParent[parentLen] = 0;
    run->parentPassesLink = link;
    return link;
}

// Judges one list entry by where the system would take it: its full path,
// without a trailing separator and with short aliases expanded, into path
// (PATH_SIZE), and the final path that must be found there into expected
// (ENTRY_FINAL_SIZE; "" when it cannot be known, and then the entry is
// refused when opened). ENTRY_TAKEN, or why the entry must not be touched:
// it is not plain, leaves the program directory once made canonical, passes
// through a link, names a file with a trailing separator, or its full path
// would not fit (a cut path names another file). Every refusal of an entry
// is made here, but the one only the open can make: the final path is not
// expected.
static int JudgeListEntry(DeletionRun *run, const char *entry, char *path, WCHAR *expected)
{
    int refusal = ListEntryFormRefusal(entry);
    if (refusal)
        return refusal;
    char composed[PATH_SIZE], *namePart;
    DWORD len = 0;
    if (ComposeText(composed, sizeof composed, "%s%s", run->canonicalPrefix, entry))
        len = GetFullPathNameA(composed, PATH_SIZE, path, &namePart);
    if (len == 0 || len >= PATH_SIZE)
        return REFUSED_TOO_LONG;
    // GetFullPathNameA leaves one separator of a run at the end: it names the
    // directory the path without it names, and nothing when that is a file.
    int directoryOnly = path[len - 1] == '\\';
    path[len - directoryOnly] = 0;
    // The aliases the system makes hold a tilde: names without one cost no
    // lookup. One that cannot be expanded (not there, or a long name outside
    // the code page) stays as written: it is found gone, or its final path
    // lies elsewhere. Expanded, the path must still lie below the long prefix.
    size_t prefixLen = strlen(run->canonicalPrefix);
    if (PathIsStrictlyInside(path, run->canonicalPrefix) && strchr(path + prefixLen, '~'))
        ExpandShortNames(path);
    if (!PathIsStrictlyInside(path, run->canonicalPrefix))
        return REFUSED_OUTSIDE;
    if (PassesThroughLink(run, path))
        return REFUSED_LINK;
    // An entry that is not there has every attribute: it is found gone when opened.
    if (directoryOnly && !(GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY))
        return REFUSED_NOT_FOLDER;
    // The final prefix, then the rest of the path widened after it.
    int finalLen = lstrlenW(run->finalPrefix);
    expected[0] = 0;
    if (finalLen > 0) {
        memcpy(expected, run->finalPrefix, finalLen * sizeof(WCHAR));
        if (!WidenText(CP_ACP, path + prefixLen, expected + finalLen, ENTRY_FINAL_SIZE - finalLen))
            expected[0] = 0;
    }
    return ENTRY_TAKEN;
}

// Deletes one list entry, judged first, only as itself; its full path is left
// in path (PATH_SIZE), and why it was refused in *refusal. Its attributes are
// not read unless a delete needs them.
static int DeleteListEntry(DeletionRun *run, const char *entry, char *path, int *refusal)
{
    WCHAR expected[ENTRY_FINAL_SIZE];
    *refusal = JudgeListEntry(run, entry, path, expected);
    if (*refusal)
        return ENTRY_REFUSED;
    // A measuring run deletes nothing: every entry is settled in its one pass.
    if (run->options & PASSES_MEASURE) {
        s_measured += SizeOfFile(path, expected);
        return ENTRY_GONE;
    }
    int outcome = DeleteEntryItself(path, ENTRY_ATTRIBUTES_UNKNOWN, expected, run->options);
    if (outcome == ENTRY_REFUSED)
        *refusal = REFUSED_LINK;
    return outcome;
}

// The report's outcome of each entry outcome.
static const unsigned char kReported[] = {REPORT_LEFT, REPORT_DELETED, REPORT_GONE, REPORT_REFUSED};

// Deletes one list entry as DeleteListEntry does and tells the report what
// became of it, naming it as given; deleted: the passes deleted it already.
// Those that stay tell why: the Windows error number of the failed delete.
static void RemoveListEntry(const char *entry, int deleted)
{
    char path[PATH_SIZE];
    int refusal = ENTRY_TAKEN;
    int outcome = deleted ? ENTRY_DELETED : DeleteListEntry(&s_run, entry, path, &refusal);
    ReportPlace(entry, (ReportOutcome)kReported[outcome], refusal ? kRefusalReasons[refusal] : NULL,
                outcome == ENTRY_STAYS ? GetLastError() : 0);
}

// 1 when path (size bytes, not "") ends in a backslash, one appended where it
// did not; 0, path "", when that does not fit. A drive root ends in its own.
static int EndInBackslash(char *path, size_t size)
{
    if (path[strlen(path) - 1] == '\\' || AppendText(path, size, "\\"))
        return 1;
    path[0] = 0;
    return 0;
}

// The same for a final path (ENTRY_FINAL_SIZE units, not "").
static void EndWideInBackslash(WCHAR *path)
{
    int len = lstrlenW(path);
    if (path[len - 1] == '\\')
        return;
    if (len + 1 < ENTRY_FINAL_SIZE) {
        path[len] = '\\';
        path[len + 1] = 0;
    } else {
        path[0] = 0;
    }
}

// Prepares a run: the canonical and the resolved program directory. Started
// through a short path, the program directory reads with aliases; when its
// long names cannot be had it stays so, and only entries written with aliases
// of their own are then refused, expanded beyond it.
static void StartDeletionRun(DeletionRun *run, const char *directoryPrefix, int options)
{
    run->options = options | ENTRY_CLEAR_BLOCKING;
    run->checkedParent[0] = 0;
    run->finalPrefix[0] = 0;
    char *namePart;
    DWORD len = GetFullPathNameA(directoryPrefix, PATH_SIZE, run->canonicalPrefix, &namePart);
    if (len == 0 || len >= PATH_SIZE) {
        run->canonicalPrefix[0] = 0;   // no entry can be shown to lie inside: none is deleted
        return;
    }
    ExpandShortNames(run->canonicalPrefix);
    if (EndInBackslash(run->canonicalPrefix, sizeof run->canonicalPrefix)
        && GetEntryFinalPath(run->canonicalPrefix, run->finalPrefix))
        EndWideInBackslash(run->finalPrefix);
}

// Back to the list's start; 0 when the file cannot be moved.
static int RewindList(ListReader *list)
{
    if (SetFilePointer((HANDLE)list->source, 0, NULL, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return 0;
    StartListReader(list, list->fill, list->source);
    return 1;
}

int RunDeletionPasses(ListReader *list, const char *directoryPrefix, int options, long *entriesTried)
{
    StartDeletionRun(&s_run, directoryPrefix, options);
    memset(s_settled, 0, sizeof s_settled);
    memset(s_deleted, 0, sizeof s_deleted);

    char line[LIST_LINE_SIZE];
    char path[PATH_SIZE];
    long entries = 0, lastPending = -1, tried = 0;
    int passes = 0;
    for (;;) {
        int deleted = 0;
        long number = -1, pendingNow = -1;
        int result;
        passes++;
        s_run.checkedParent[0] = 0;
        while ((result = ReadListLine(list, line, sizeof line)) != LIST_END) {
            number++;
            if (passes > 1 && number > lastPending)
                break;   // everything after the last pending entry is settled
            if (IsMarked(s_settled, number))
                continue;
            int outcome = ENTRY_GONE, refusal;
            if (result == LIST_LINE_READ) {
                TrimLineEnd(line);
                if (line[0]) {
                    entries += passes == 1;
                    tried++;
                    outcome = DeleteListEntry(&s_run, line, path, &refusal);
                }
            }
            // A delete counts only when the entry is gone afterwards, whatever
            // the system reported. One such entry is enough for a new pass, so
            // only the first of a pass is looked up: under Wine a missing name
            // costs a scan of its directory. An entry reported done that was
            // not looked up is not tried again: it would be reported done again.
            if (outcome == ENTRY_DELETED && !deleted) {
                if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES && FoundGone())
                    deleted = 1;
                else
                    outcome = ENTRY_STAYS;
            }
            if (outcome == ENTRY_DELETED)
                Mark(s_deleted, number);
            if (outcome == ENTRY_STAYS || !Mark(s_settled, number))
                pendingNow = number;
        }
        if (entriesTried)
            *entriesTried = tried;
        // Each further pass needs a deletion of an entry that was there
        // before, so there are at most one more passes than entries.
        if (deleted == 0 || passes > entries)
            return passes;
        // With nothing left pending the next pass would delete nothing: it
        // is counted without reading the list again.
        if (pendingNow < 0)
            return passes + 1;
        lastPending = pendingNow;
        if (!RewindList(list))
            return passes;
    }
}

void ReportListEntries(ListReader *list)
{
    char line[LIST_LINE_SIZE];
    long number = -1;
    int result;
    s_run.checkedParent[0] = 0;
    if (!RewindList(list))
        return;
    while ((result = ReadListLine(list, line, sizeof line)) != LIST_END) {
        number++;
        if (result == LIST_LINE_SKIPPED) {
            // Too long to be named: named by its number.
            char name[32];
            FormatText(name, sizeof name, "line %d", (int)number + 1);
            ReportPlace(name, REPORT_REFUSED, kRefusalReasons[REFUSED_TOO_LONG], 0);
            continue;
        }
        TrimLineEnd(line);
        if (line[0])
            RemoveListEntry(line, IsMarked(s_deleted, number));
    }
}

static int ReadListFile(void *file, char *buffer, size_t size)
{
    DWORD got = 0;
    if (!ReadFile((HANDLE)file, buffer, (DWORD)size, &got, NULL))
        return -1;
    return (int)got;
}

int OpenListFile(ListReader *list, const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    StartListReader(list, ReadListFile, file);
    return 1;
}

void CloseListFile(ListReader *list)
{
    CloseHandle((HANDLE)list->source);
}

// 1 when the ANSI module path names this program's own file. A name outside
// the ANSI code page reads with '?' (naming nothing) or with a best-fit
// letter (naming another place, which may exist). Windows 95/98/Me has ANSI
// paths only and no wide call.
static int ModulePathIsExact(const char *modulePath)
{
    WCHAR wide[PATH_SIZE], back[PATH_SIZE];
    DWORD len = GetModuleFileNameW(NULL, wide, PATH_SIZE);
    if (len == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
        return 1;
    if (len == 0 || len >= PATH_SIZE)
        return 0;
    wide[len] = 0;
    return WidenText(CP_ACP, modulePath, back, PATH_SIZE) && lstrlenW(back) == (int)len
        && memcmp(wide, back, len * sizeof(WCHAR)) == 0;
}

// The list goes as itself, like a listed entry, judged as the passes judged
// theirs: a list that is a link to a file elsewhere leaves that file alone.
static void RemoveListFile(void)
{
    RemoveListEntry(LIST_FILE_NAME, 0);
}

// 1 when root\path exists, opened as itself.
static int KeyExists(HKEY root, const char *path)
{
    HKEY key = OpenRegistryKeyItself(root, path, KEY_READ);
    if (key)
        RegCloseKey(key);
    return key != NULL;
}

// The product's keys in the order they go: the settings trees below
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, which stays the current hive,
// then the two system registrations, each deleted as itself (a link goes as
// the link).
static const struct {
    HKEY root;
    const char *path;
} kProductKeys[] = {
    {HKEY_LOCAL_MACHINE, SETTINGS_ROOT},
    {HKEY_CURRENT_USER, SETTINGS_ROOT},
    {HKEY_LOCAL_MACHINE, UNINSTALL_KEY},
    {HKEY_LOCAL_MACHINE, APP_PATHS_KEY},
};

static void RemoveProductKeys(void)
{
    for (unsigned i = 0; i < sizeof kProductKeys / sizeof kProductKeys[0]; i++) {
        HKEY root = kProductKeys[i].root;
        const char *path = kProductKeys[i].path;
        int existed = KeyExists(root, path);
        if (i < 2) {
            SetSettingsHive(root);
            DeleteRegistryTree(path);
        } else {
            DeleteRegistryKeyAtPath(root, path);
        }
        char name[PATH_SIZE];
        FormatText(name, sizeof name, "%s\\%s", root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE",
                   path);
        ReportPlace(name, KeyExists(root, path) ? REPORT_LEFT : existed ? REPORT_DELETED : REPORT_GONE, NULL, 0);
    }
}

// This program's path, its directory, the directory with its backslash and
// the list's path, each PATH_SIZE. 0 when one cannot be had whole (a cut path
// names another file), or the path names no directory at all.
static int ComposeProgramPaths(char *modulePath, char *directory, char *directoryPrefix, char *listPath)
{
    return GetModulePath(modulePath) && FindLastBackslash(modulePath)
        && ComposeProgramDirectory(directory, PATH_SIZE, modulePath)
        && ComposeProgramFilePath(directoryPrefix, PATH_SIZE, modulePath, "")
        && ComposeProgramFilePath(listPath, PATH_SIZE, modulePath, LIST_FILE_NAME);
}

int RunUninstall(const char *commandLine)
{
    UninstallOptions options;
    ReadUninstallOptions(commandLine, &options);
    char modulePath[PATH_SIZE], directory[PATH_SIZE], directoryPrefix[PATH_SIZE], listPath[PATH_SIZE];
    if (!ComposeProgramPaths(modulePath, directory, directoryPrefix, listPath))
        return options.silent;
    // Created before the current directory changes: a relative name is taken
    // from where the program was started.
    if (options.report)
        OpenReport(options.reportPath);

    // Silent: as if the answer were Yes, and no window at all. No changes
    // nothing: a report tells no place.
    if (!options.silent
        && ShowMessage(LoadMessageText(IDS_CONFIRM), MB_YESNO | MB_ICONQUESTION) != IDYES) {
        CloseReport();
        return 0;
    }

    // Nothing depends on the directory the program was started in: the list
    // is opened by its full path. A program directory that its ANSI path does
    // not name, or that cannot be made current, cannot be worked in: that run
    // changes nothing, as without a list.
    ListReader list;
    if (!ModulePathIsExact(modulePath) || !SetCurrentDirectoryA(directory) || !OpenListFile(&list, listPath)) {
        ReportPlace(LIST_FILE_NAME, REPORT_NOTED, "cannot be opened", 0);   // the counts say nothing changed
        CloseReport();
        if (options.silent)
            return 1;
        char text[MESSAGE_SLOT_SIZE + sizeof LIST_FILE_NAME + 1];
        FormatText(text, sizeof text, "%s %s", LoadMessageText(IDS_NO_LIST_FILE), LIST_FILE_NAME);
        ShowMessage(text, MB_OK | MB_ICONERROR);
        return 0;
    }
    RunDeletionPasses(&list, directoryPrefix, 0, NULL);
    // The outcome of every entry, for the report and the exit code.
    if (options.report || options.silent)
        ReportListEntries(&list);
    CloseListFile(&list);
    RemoveListFile();

    // The group name is read from the current user's settings: before they go.
    RemoveProgramGroup();

    RemoveProductKeys();

    // The batch file's own outcome comes after this process has ended.
    SelfRemovalOutcome handover = StartSelfRemoval(modulePath, directory, !options.silent);
    // Which step failed shows in its error number: a path too long (206), no
    // COMSPEC (203), a name outside the OEM code page (1113), and so on.
    ReportPlace(BATCH_FILE_NAME, handover.step ? REPORT_LEFT : REPORT_NOTED,
                !handover.step ? "written and started"
                : handover.step == SELF_REMOVAL_START ? "not started" : "not written",
                handover.error);
    // Back here without a batch file to take over: the program's file and
    // directory stay, and the user must not be left believing everything has gone.
    if (handover.step && !options.silent)
        ShowFinalMessage();
    CloseReport();
    return options.silent && ReportSomethingLeft() ? 2 : 0;
}

int MeasureInstallation(DWORD *installedKiB)
{
    char modulePath[PATH_SIZE], directory[PATH_SIZE], directoryPrefix[PATH_SIZE], listPath[PATH_SIZE];
    ListReader list;
    if (!ComposeProgramPaths(modulePath, directory, directoryPrefix, listPath) || !OpenListFile(&list, listPath))
        return 0;
    // The uninstall deletes this program's file and the list too.
    s_measured = SizeOfFile(modulePath, NULL) + SizeOfFile(listPath, NULL);
    RunDeletionPasses(&list, directoryPrefix, PASSES_MEASURE, NULL);
    CloseListFile(&list);
    ULONGLONG kib = (s_measured + 1023) >> 10;
    *installedKiB = kib > 0xFFFFFFFE ? 0xFFFFFFFE : (DWORD)kib;
    return 1;
}
