#include "uninstall/passes.h"
#include "uninstall/report.h"
#include "base/bounded_text.h"
#include "base/product.h"
#include "base/files.h"
#include "base/codepage.h"
#include "uninstall/restart.h"

#include <string.h>

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
    size_t parentLen = (size_t)(strrchr(path, '\\') - path);
    if (strlen(run->checkedParent) == parentLen && memcmp(path, run->checkedParent, parentLen) == 0)
        return run->parentPassesLink;
    int link = 0;
    for (char *p = path + strlen(run->canonicalPrefix); p <= path + parentLen && !link; p++) {
        if (*p != '\\')
            continue;
        *p = 0;
        DWORD attributes = GetAttributesOf(path);
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
int JudgeListEntry(DeletionRun *run, const char *entry, char path[PATH_SIZE], WCHAR expected[ENTRY_FINAL_SIZE])
{
    int refusal = ListEntryFormRefusal(entry);
    if (refusal)
        return refusal;
    char composed[PATH_SIZE];
    if (!ComposeText(composed, sizeof composed, "%s%s", run->canonicalPrefix, entry)
        || !GetFullPathOf(composed, path))
        return REFUSED_TOO_LONG;
    // GetFullPathName leaves one separator of a run at the end: it names the
    // directory the path without it names, and nothing when that is a file.
    size_t len = strlen(path);
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
    if (directoryOnly && !(GetAttributesOf(path) & FILE_ATTRIBUTE_DIRECTORY))
        return REFUSED_NOT_FOLDER;
    // The final prefix, then the rest of the path widened after it.
    int finalLen = lstrlenW(run->finalPrefix);
    expected[0] = 0;
    if (finalLen > 0) {
        memcpy(expected, run->finalPrefix, finalLen * sizeof(WCHAR));
        if (!TextToWide(path + prefixLen, expected + finalLen, ENTRY_FINAL_SIZE - finalLen))
            expected[0] = 0;
    }
    return ENTRY_TAKEN;
}

int IsOwnFile(const DeletionRun *run, const char *path)
{
    for (const char *own : run->ownFiles)
        if (own[0] && EqualsNoCase(path, own))
            return 1;
    return 0;
}

// Deletes one list entry, judged first, only as itself; its full path is left
// in path, and why it was refused in *refusal. Its attributes are not read
// unless a delete needs them. With keepOwnFiles this program's file and the
// list are left for the end of the uninstall.
static int DeleteListEntry(DeletionRun *run, const char *entry, char path[PATH_SIZE], int *refusal,
                           int keepOwnFiles)
{
    WCHAR expected[ENTRY_FINAL_SIZE];
    *refusal = JudgeListEntry(run, entry, path, expected);
    if (*refusal)
        return ENTRY_REFUSED;
    if (keepOwnFiles && IsOwnFile(run, path))
        return ENTRY_OWN;
    int options = ENTRY_CLEAR_BLOCKING | ENTRY_UNHELD | (run->deleteByName ? ENTRY_BY_NAME : 0);
    int outcome = DeleteEntryItself(path, ENTRY_ATTRIBUTES_UNKNOWN, expected, options);
    if (outcome == ENTRY_REFUSED)
        *refusal = REFUSED_LINK;
    return outcome;
}

// What the report says of an entry's outcome.
static ReportOutcome ReportedOutcome(int outcome)
{
    switch (outcome) {
    case ENTRY_DELETED:
        return REPORT_DELETED;
    case ENTRY_GONE:
        return REPORT_GONE;
    case ENTRY_REFUSED:
        return REPORT_REFUSED;
    case ENTRY_OWN:
        return REPORT_NOTED;
    default:
        return REPORT_LEFT;
    }
}

// Deletes one list entry as DeleteListEntry does, unless the passes deleted
// it already, and tells the report what became of it, naming it as given.
// Those that stay tell why: the Windows error number of the failed delete.
static void ReportListEntry(DeletionRun *run, const char *entry, int deleted, int keepOwnFiles)
{
    char path[PATH_SIZE];
    int refusal = ENTRY_TAKEN;
    int outcome = deleted ? ENTRY_DELETED : DeleteListEntry(run, entry, path, &refusal, keepOwnFiles);
    const char *why = refusal ? kRefusalReasons[refusal] : outcome == ENTRY_OWN ? "removed at the end" : NULL;
    ReportPlace(entry, ReportedOutcome(outcome), why, outcome == ENTRY_STAYS ? GetLastError() : 0);
}

void RemoveListEntry(DeletionRun *run, const char *entry)
{
    ReportListEntry(run, entry, 0, 0);
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

void StartDeletionRun(DeletionRun *run, const char *directoryPrefix, const char *programPath)
{
    run->ownFiles[0][0] = run->ownFiles[1][0] = 0;
    run->checkedParent[0] = 0;
    run->finalPrefix[0] = 0;
    run->deleteByName = 0;
    run->scheduled = 0;
    run->kept.count = 0;
    memset(run->settled, 0, sizeof run->settled);
    memset(run->deleted, 0, sizeof run->deleted);
    memset(run->atRestart, 0, sizeof run->atRestart);
    memset(run->heldOpen, 0, sizeof run->heldOpen);
    // Started through a short path, the program directory reads with
    // aliases; when its long names cannot be had it stays so, and only
    // entries written with aliases of their own are then refused, expanded
    // beyond it.
    if (!GetFullPathOf(directoryPrefix, run->canonicalPrefix))
        return;   // no entry can be shown to lie inside: none is deleted
    ExpandShortNames(run->canonicalPrefix);
    if (EndInBackslash(run->canonicalPrefix, sizeof run->canonicalPrefix)
        && GetEntryFinalPath(run->canonicalPrefix, run->finalPrefix))
        EndWideInBackslash(run->finalPrefix);
    // This program's own name may be an alias too.
    char program[PATH_SIZE];
    if (programPath && CopyText(program, sizeof program, programPath)) {
        ExpandShortNames(program);
        ComposeText(run->ownFiles[0], PATH_SIZE, "%s%s", run->canonicalPrefix, strrchr(program, '\\') + 1);
        ComposeText(run->ownFiles[1], PATH_SIZE, "%s%s", run->canonicalPrefix, LIST_FILE_NAME);
    }
}

int ReadEntryLine(ListReader *list, char line[LIST_LINE_BYTES])
{
    char read[LIST_LINE_BYTES];
    int result = ReadListLine(list, read, sizeof read);
    if (result != LIST_LINE_READ)
        return result;
    int spelled;
    if (ListEncoding(list) == LIST_ANSI) {
        spelled = AnsiToText(read, line, LIST_LINE_BYTES);
    } else if (TextIsUtf8()) {
        spelled = CopyText(line, LIST_LINE_BYTES, read);
    } else {
        WCHAR wide[LIST_LINE_SIZE];
        spelled = Utf8ToWide(read, wide, LIST_LINE_SIZE) && WideToText(wide, line, LIST_LINE_BYTES);
    }
    // A name that the program's text cannot spell names no file it can reach.
    return spelled ? LIST_LINE_READ : LIST_LINE_SKIPPED;
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
    HANDLE file = OpenFileAt(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    StartListReader(list, ReadListFile, file);
    return 1;
}

void CloseListFile(ListReader *list)
{
    CloseHandle((HANDLE)list->source);
}

// Back to the list's start; 0 when the file cannot be moved.
static int RewindList(ListReader *list)
{
    if (SetFilePointer((HANDLE)list->source, 0, NULL, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return 0;
    StartListReader(list, list->fill, list->source);
    return 1;
}

int RunDeletionPasses(DeletionRun *run, ListReader *list, long *entriesTried)
{
    char line[LIST_LINE_BYTES];
    char path[PATH_SIZE];
    long entries = 0, lastPending = -1, tried = 0;
    int passes = 0;
    for (;;) {
        int deleted = 0;
        long number = -1, pendingNow = -1;
        int result;
        passes++;
        run->checkedParent[0] = 0;
        while ((result = ReadEntryLine(list, line)) != LIST_END) {
            number++;
            if (passes > 1 && number > lastPending)
                break;   // everything after the last pending entry is settled
            if (IsMarked(run->settled, number))
                continue;
            int outcome = ENTRY_GONE, refusal;
            if (result == LIST_LINE_READ) {
                TrimLineEnd(line);
                if (line[0]) {
                    entries += passes == 1;
                    tried++;
                    outcome = DeleteListEntry(run, line, path, &refusal, 1);
                }
            }
            // A delete counts only when the entry is gone afterwards, whatever
            // the system reported. One such entry is enough for a new pass, so
            // only the first of a pass is looked up: under Wine a missing name
            // costs a scan of its directory. An entry reported done that was
            // not looked up is not tried again: it would be reported done again.
            if (outcome == ENTRY_DELETED && !deleted) {
                if (GetAttributesOf(path) == INVALID_FILE_ATTRIBUTES && FoundGone())
                    deleted = 1;
                else
                    outcome = ENTRY_STAYS;
            }
            if (outcome == ENTRY_DELETED)
                Mark(run->deleted, number);
            if (outcome == ENTRY_STAYS || !Mark(run->settled, number))
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

// The next entry of the list: a line that is not blank, trimmed, and its
// number (from 0) in *number. LIST_LINE_SKIPPED for a line too long to be
// read, LIST_END at the end.
static int NextEntry(ListReader *list, char line[LIST_LINE_BYTES], long *number)
{
    int result;
    while ((result = ReadEntryLine(list, line)) != LIST_END) {
        ++*number;
        if (result == LIST_LINE_SKIPPED)
            return result;
        TrimLineEnd(line);
        if (line[0])
            return LIST_LINE_READ;
    }
    return LIST_END;
}

// Tries once more each entry the passes left; a file that stays because it
// is in use is scheduled to go at restart.
static void ScheduleFilesInUse(DeletionRun *run, ListReader *list)
{
    char line[LIST_LINE_BYTES], path[PATH_SIZE];
    long number = -1;
    int result;
    while ((result = NextEntry(list, line, &number)) != LIST_END) {
        // Beyond the line bits an entry cannot be told to go at restart.
        if (result != LIST_LINE_READ || number >= SETTLED_LINES || IsMarked(run->deleted, number))
            continue;
        int refusal;
        int outcome = DeleteListEntry(run, line, path, &refusal, 1);
        DWORD error = GetLastError();
        if (outcome == ENTRY_DELETED) {
            Mark(run->deleted, number);
        } else if (outcome == ENTRY_STAYS && IsInUseError(error)
                   && !(GetAttributesOf(path) & FILE_ATTRIBUTE_DIRECTORY) && ScheduleFileAtRestart(path, &run->kept)) {
            Mark(run->atRestart, number);
            if (error == ERROR_SHARING_VIOLATION)
                Mark(run->heldOpen, number);
            run->scheduled++;
        }
    }
}

// The number of separators in path after the program directory's prefix.
static int DepthBelow(const DeletionRun *run, const char *path)
{
    int depth = 0;
    for (const char *p = path + strlen(run->canonicalPrefix); *p; p++)
        depth += *p == '\\';
    return depth;
}

// The listed folder of an entry that stays, and its depth below the program
// directory; -1 when the entry is none (not a folder, gone, refused, or
// settled otherwise).
static int StayingFolderDepth(DeletionRun *run, const char *line, long number, char path[PATH_SIZE])
{
    WCHAR expected[ENTRY_FINAL_SIZE];
    if (number >= SETTLED_LINES || IsMarked(run->deleted, number) || IsMarked(run->atRestart, number)
        || JudgeListEntry(run, line, path, expected) != ENTRY_TAKEN)
        return -1;
    DWORD attributes = GetAttributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)
        || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return -1;
    return DepthBelow(run, path);
}

// Schedules, after the files, the listed folders that stay but hold nothing
// that does not go at restart: the deepest first, so that the restart
// removes each after its contents.
static void ScheduleFoldersAtRestart(DeletionRun *run, ListReader *list)
{
    char line[LIST_LINE_BYTES], path[PATH_SIZE];
    long number;
    int deepest = -1;
    if (!RewindList(list))
        return;
    int result;
    for (number = -1; (result = NextEntry(list, line, &number)) != LIST_END;) {
        int depth = result == LIST_LINE_READ ? StayingFolderDepth(run, line, number, path) : -1;
        if (depth > deepest)
            deepest = depth;
    }
    for (int depth = deepest; depth >= 0; depth--) {
        if (!RewindList(list))
            return;
        for (number = -1; (result = NextEntry(list, line, &number)) != LIST_END;) {
            if (result == LIST_LINE_READ && StayingFolderDepth(run, line, number, path) == depth
                && HoldsOnlyScheduled(path, NULL, &run->kept)
                && ScheduleFolderAtRestart(path)) {
                Mark(run->atRestart, number);
                run->scheduled++;
            }
        }
    }
}

// Tells the report what became of an entry that goes at restart, with the
// error that kept it: in use (5), held open (32), or a folder not yet empty.
static void ReportAtRestart(DeletionRun *run, const char *line, long number)
{
    char path[PATH_SIZE];
    WCHAR expected[ENTRY_FINAL_SIZE];
    DWORD error = IsMarked(run->heldOpen, number) ? ERROR_SHARING_VIOLATION : ERROR_ACCESS_DENIED;
    if (JudgeListEntry(run, line, path, expected) == ENTRY_TAKEN) {
        DWORD attributes = GetAttributesOf(path);   // a file may have gone to a name of its own
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            error = ERROR_DIR_NOT_EMPTY;
    }
    ReportPlace(line, REPORT_AT_RESTART, NULL, error);
}

void FinishListEntries(DeletionRun *run, ListReader *list)
{
    run->checkedParent[0] = 0;
    if (!RewindList(list))
        return;
    ScheduleFilesInUse(run, list);
    if (run->scheduled)
        ScheduleFoldersAtRestart(run, list);

    char line[LIST_LINE_BYTES];
    long number = -1;
    int result;
    if (!RewindList(list))
        return;
    while ((result = NextEntry(list, line, &number)) != LIST_END) {
        if (result == LIST_LINE_SKIPPED) {
            // Too long to be named: named by its number.
            char name[32];
            FormatText(name, sizeof name, "line %d", (int)number + 1);
            ReportPlace(name, REPORT_REFUSED, kRefusalReasons[REFUSED_TOO_LONG], 0);
        } else if (IsMarked(run->atRestart, number)) {
            ReportAtRestart(run, line, number);
        } else {
            ReportListEntry(run, line, IsMarked(run->deleted, number), 1);
        }
    }
}
