#include "uninstall/uninstall.h"
#include "uninstall/group.h"
#include "uninstall/selfremove.h"
#include "base/messages.h"
#include "base/process.h"
#include "base/product.h"
#include "registry/settings.h"
#include "registry/keytree.h"
#include "registry/regkey.h"
#include "base/bounded_text.h"

#include <string.h>

// Attributes that SetFileAttributesA takes back; the others only describe the entry.
#define SETTABLE_ATTRIBUTES (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM \
                             | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY               \
                             | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)
// Attributes that make a delete fail while they are set.
#define BLOCKING_ATTRIBUTES (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)

#define FINAL_PATH_SIZE 1024

// Lines whose entry is settled (deleted, found gone, refused, blank) are
// skipped in later passes: one bit a line, zeroed at the start of a run.
// Lines beyond it are judged again in every pass.
#define SETTLED_LINES 32768
static unsigned char s_settled[SETTLED_LINES / 8];

typedef DWORD(WINAPI *FinalPathFunction)(HANDLE, LPSTR, DWORD, DWORD);
typedef BOOL(WINAPI *SetInformationFunction)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

// One run of the deletion passes: what every entry is judged against.
struct DeletionRun {
    const char *directoryPrefix;
    // The program directory made canonical, with its backslash: the
    // containment test compares canonical paths.
    char canonicalPrefix[PATH_SIZE];
    // The same as the system resolves it, with a backslash; "" when it
    // cannot, and then no file is shown to lie inside.
    char finalPrefix[FINAL_PATH_SIZE];
    FinalPathFunction getFinalPath;           // NULL before Windows Vista
    SetInformationFunction setInformation;    // NULL before Windows Vista, or told to delete by name
    // The directory last checked for links on the way, and what it gave:
    // a run of entries in one directory costs one check.
    char checkedParent[PATH_SIZE];
    int parentPassesLink;
};

// ENTRY_DELETED: the system reported the delete done (the pass asks whether
// the entry is gone). ENTRY_SETTLED: gone before, or refused for good.
enum EntryOutcome { ENTRY_STAYS, ENTRY_DELETED, ENTRY_SETTLED };

static int IsSettled(long line)
{
    return line < SETTLED_LINES && (s_settled[line / 8] >> (line % 8)) & 1;
}

// 0 when the line lies beyond the bits: it is judged again next pass.
static int Settle(long line)
{
    if (line >= SETTLED_LINES)
        return 0;
    s_settled[line / 8] |= (unsigned char)(1 << (line % 8));
    return 1;
}

// 1 when the last call failed because the entry or a directory on its way is not there.
static int FoundGone(void)
{
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
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

// Full path of one list entry into out (PATH_SIZE). 0 when the entry must not
// be touched: it leaves the program directory once made canonical, passes
// through a link, or its full path would not fit (a cut path names another file).
static int ResolveListEntry(DeletionRun *run, const char *entry, char *out)
{
    char composed[PATH_SIZE];
    if (!ListEntryIsPlain(entry) || !ComposeText(composed, sizeof composed, "%s%s", run->directoryPrefix, entry))
        return 0;
    char *namePart;
    DWORD len = GetFullPathNameA(composed, PATH_SIZE, out, &namePart);
    if (len == 0 || len >= PATH_SIZE || !PathIsStrictlyInside(out, run->canonicalPrefix))
        return 0;
    return !PassesThroughLink(run, out);
}

// Deletes by name: RemoveDirectoryA for a directory, DeleteFileA otherwise.
// Read-only, hidden and system entries cannot be deleted as they are: their
// attributes are cleared only after a failed try, and put back when the
// second fails too. A link keeps its attributes: they would be its target's.
static BOOL DeleteByName(const char *path, DWORD attributes)
{
    int directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    BOOL done = directory ? RemoveDirectoryA(path) : DeleteFileA(path);
    if (done || !(attributes & BLOCKING_ATTRIBUTES) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        || GetLastError() == ERROR_DIR_NOT_EMPTY)
        return done;
    SetFileAttributesA(path, 0);
    done = directory ? RemoveDirectoryA(path) : DeleteFileA(path);
    if (!done)
        SetFileAttributesA(path, attributes & SETTABLE_ATTRIBUTES);
    return done;
}

static BOOL SetDeletePending(DeletionRun *run, HANDLE file)
{
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return run->setInformation(file, FileDispositionInfo, &disposition, sizeof disposition);
}

static void SetAttributesOf(DeletionRun *run, HANDLE file, DWORD attributes)
{
    FILE_BASIC_INFO basic;
    memset(&basic, 0, sizeof basic);   // times of 0 stay as they are
    basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;   // 0 would change nothing
    run->setInformation(file, FileBasicInfo, &basic, sizeof basic);
}

// A file, or anything that says it is a link. Wine shows a file symbolic
// link as a plain file, and deleting a link there by name deletes its target
// (an empty one, for a directory link): so the entry is opened once, where it
// really lies is asked on that handle, and the same handle deletes it. On
// Windows that handle is the link itself, which goes as the link; under Wine
// it is the target, which lies elsewhere and is refused. Told to (as before
// Windows Vista) it goes by name while the handle holds the checked entry.
static int DeleteCheckedEntry(DeletionRun *run, const char *path, DWORD attributes)
{
    HANDLE file = CreateFileA(path, DELETE | FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return FoundGone() ? ENTRY_SETTLED : ENTRY_STAYS;   // in use: its attributes stay untouched
    char final[FINAL_PATH_SIZE];
    DWORD len = run->getFinalPath(file, final, sizeof final, 0);
    if (len == 0 || len >= sizeof final || !PathIsStrictlyInside(final, run->finalPrefix)) {
        CloseHandle(file);
        return ENTRY_SETTLED;   // it lies elsewhere, or the system cannot say where: not ours
    }
    BOOL done;
    if (run->setInformation) {
        done = SetDeletePending(run, file);
        if (!done && (attributes & BLOCKING_ATTRIBUTES)) {
            SetAttributesOf(run, file, 0);
            done = SetDeletePending(run, file);
            if (!done)
                SetAttributesOf(run, file, attributes & SETTABLE_ATTRIBUTES);
        }
    } else {
        done = DeleteByName(path, attributes);
    }
    CloseHandle(file);   // the delete happens here
    return done ? ENTRY_DELETED : ENTRY_STAYS;
}

// Deletes one entry whose path has been judged ours. A plain directory
// goes with RemoveDirectoryA (only when empty): a directory link carries the
// reparse bit even under Wine, so a plain one needs no real-path check.
// Before Windows Vista the system cannot tell where a file really lies, and
// has no file symbolic links: everything goes by name.
static int DeleteListedEntry(DeletionRun *run, const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FoundGone() ? ENTRY_SETTLED : ENTRY_STAYS;
    if (run->getFinalPath
        && (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)))
        return DeleteCheckedEntry(run, path, attributes);
    return DeleteByName(path, attributes) ? ENTRY_DELETED : ENTRY_STAYS;
}

// Prepares a run: the canonical and the resolved program directory, and the
// system functions, looked up once.
static void StartDeletionRun(DeletionRun *run, const char *directoryPrefix, int options)
{
    run->directoryPrefix = directoryPrefix;
    run->checkedParent[0] = 0;
    run->finalPrefix[0] = 0;
    HMODULE kernel = GetModuleHandleA("kernel32");
    run->getFinalPath = (FinalPathFunction)(void *)GetProcAddress(kernel, "GetFinalPathNameByHandleA");
    run->setInformation = (options & PASSES_DELETE_BY_NAME)
        ? NULL
        : (SetInformationFunction)(void *)GetProcAddress(kernel, "SetFileInformationByHandle");

    char *namePart;
    DWORD len = GetFullPathNameA(directoryPrefix, PATH_SIZE, run->canonicalPrefix, &namePart);
    if (len == 0 || len >= PATH_SIZE) {
        run->canonicalPrefix[0] = 0;   // no entry can be shown to lie inside: none is deleted
        return;
    }
    if (!run->getFinalPath)
        return;
    HANDLE directory = CreateFileA(run->canonicalPrefix, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (directory == INVALID_HANDLE_VALUE)
        return;
    len = run->getFinalPath(directory, run->finalPrefix, FINAL_PATH_SIZE, 0);
    CloseHandle(directory);
    // A drive root already ends in its backslash.
    if (len == 0 || len >= FINAL_PATH_SIZE
        || (run->finalPrefix[len - 1] != '\\' && !AppendText(run->finalPrefix, FINAL_PATH_SIZE, "\\")))
        run->finalPrefix[0] = 0;
}

int RunDeletionPasses(ListReader *list, const char *directoryPrefix, int options, long *entriesTried)
{
    DeletionRun run;
    StartDeletionRun(&run, directoryPrefix, options);
    memset(s_settled, 0, sizeof s_settled);

    char line[LIST_LINE_SIZE];
    char path[PATH_SIZE];
    long entries = 0, lastPending = -1, tried = 0;
    int passes = 0;
    for (;;) {
        int deleted = 0;
        long number = -1, pendingNow = -1;
        int result;
        passes++;
        run.checkedParent[0] = 0;
        while ((result = ReadListLine(list, line, sizeof line)) != LIST_END) {
            number++;
            if (passes > 1 && number > lastPending)
                break;   // everything after the last pending entry is settled
            if (IsSettled(number))
                continue;
            int outcome = ENTRY_SETTLED;
            if (result == LIST_LINE_READ) {
                TrimLineEnd(line);
                if (line[0]) {
                    entries += passes == 1;
                    tried++;
                    if (ResolveListEntry(&run, line, path))
                        outcome = DeleteListedEntry(&run, path);
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
            if (outcome == ENTRY_STAYS || !Settle(number))
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
        if (SetFilePointer((HANDLE)list->source, 0, NULL, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
            return passes;
        StartListReader(list, list->fill, list->source);
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
    int backLen = MultiByteToWideChar(CP_ACP, 0, modulePath, -1, back, PATH_SIZE);
    return backLen == (int)len + 1 && memcmp(wide, back, len * sizeof(WCHAR)) == 0;
}

void RunUninstall(void)
{
    char modulePath[PATH_SIZE];
    if (!GetModulePath(modulePath))
        return;   // a cut path would name another file and another directory

    char directory[PATH_SIZE], directoryPrefix[PATH_SIZE], listPath[PATH_SIZE];
    if (!FindLastBackslash(modulePath) || !ComposeProgramDirectory(directory, sizeof directory, modulePath))
        return;
    size_t len = strlen(directory);
    if (len == 0)
        return;
    // The module path is longer than the directory and its backslash: it fits.
    ComposeText(directoryPrefix, sizeof directoryPrefix, directory[len - 1] == '\\' ? "%s" : "%s\\", directory);

    if (MessageBoxA(NULL, LoadMessageText(IDS_CONFIRM), LoadMessageText(IDS_CAPTION),
                    MB_YESNO | MB_ICONQUESTION | MESSAGE_FLAGS) != IDYES)
        return;

    // Nothing depends on the directory the program was started in: the list
    // is opened by its full path. A program directory that its ANSI path does
    // not name, or that cannot be made current, cannot be worked in: that run
    // changes nothing, as without a list.
    ListReader list;
    if (!ModulePathIsExact(modulePath) || !SetCurrentDirectoryA(directory)
        || !ComposeText(listPath, sizeof listPath, "%s%s", directoryPrefix, LIST_FILE_NAME)
        || !OpenListFile(&list, listPath)) {
        char text[MESSAGE_SLOT_SIZE + sizeof LIST_FILE_NAME + 1];
        FormatText(text, sizeof text, "%s %s", LoadMessageText(IDS_NO_LIST_FILE), LIST_FILE_NAME);
        MessageBoxA(NULL, text, LoadMessageText(IDS_CAPTION), MB_OK | MB_ICONERROR | MESSAGE_FLAGS);
        return;
    }
    RunDeletionPasses(&list, directoryPrefix, 0, NULL);
    CloseListFile(&list);
    DeleteFileA(listPath);

    // The group name is read from the current user's settings: before they go.
    RemoveProgramGroup();

    SetSettingsHive(HKEY_LOCAL_MACHINE);
    DeleteRegistryTree(SETTINGS_ROOT);
    SetSettingsHive(HKEY_CURRENT_USER);
    DeleteRegistryTree(SETTINGS_ROOT);
    DeleteRegistryKeyAtPath(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);   // a link goes as the link
    DeleteRegistryKeyAtPath(HKEY_LOCAL_MACHINE, APP_PATHS_KEY);

    StartSelfRemoval(modulePath, directory);
}
