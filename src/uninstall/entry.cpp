#include "uninstall/entry.h"
#include "base/bounded_text.h"
#include "base/lookup.h"
#include "base/files.h"

#include <string.h>

// Attributes that SetFileAttributes takes back; the others only describe the entry.
#define SETTABLE_ATTRIBUTES (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM \
                             | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY               \
                             | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)
// Attributes that make a delete fail while they are set.
#define BLOCKING_ATTRIBUTES (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)

// Functions of Windows Vista and later, looked up once a process so that the
// program still starts on the systems before it. finalPath is NULL there, and
// whenever any of the others is missing: then everything goes by name.
static struct {
    int lookedUp;
    decltype(&GetFinalPathNameByHandleW) finalPath;   // the wide form: the ANSI one asks the system twice for every path
    decltype(&SetFileInformationByHandle) setInformation;
    decltype(&CompareStringOrdinal) compareOrdinal;
    // Older than Vista, but needed only where final paths are compared. The
    // ANSI form gives a long name outside the code page its best fit: the
    // name of another file, which may exist.
    decltype(&GetLongPathNameW) longPath;
} s_vista;

static void LookUpVistaFunctions(void)
{
    if (s_vista.lookedUp)
        return;
    s_vista.lookedUp = 1;
    HMODULE kernel = GetModuleHandleA("kernel32");
    s_vista.setInformation = LOOK_UP_FUNCTION(kernel, SetFileInformationByHandle);
    s_vista.compareOrdinal = LOOK_UP_FUNCTION(kernel, CompareStringOrdinal);
    s_vista.longPath = LOOK_UP_FUNCTION(kernel, GetLongPathNameW);
    if (s_vista.setInformation && s_vista.compareOrdinal && s_vista.longPath)
        s_vista.finalPath = LOOK_UP_FUNCTION(kernel, GetFinalPathNameByHandleW);
}

static DWORD GetFinalPath(HANDLE handle, WCHAR *final)
{
    return s_vista.finalPath(handle, final, ENTRY_FINAL_SIZE, 0);
}

static BOOL SetInformation(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS type, void *information, DWORD size)
{
    return s_vista.setInformation(handle, type, information, size);
}

int FoundGone(void)
{
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// flags FILE_FLAG_OPEN_REPARSE_POINT: a link itself on Windows (Wine opens its target all the same).
static HANDLE OpenEntry(const char *path, DWORD access, DWORD flags)
{
    return OpenFileAt(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | flags);
}

// 1 when the final path of handle is expected ("" never is). Both are
// UTF-16, as the file system names its entries; letters compare as file
// names do, without regard to case.
static int HandleIsAt(HANDLE handle, const WCHAR *expected)
{
    WCHAR final[ENTRY_FINAL_SIZE];
    DWORD len = GetFinalPath(handle, final);
    return expected[0] && len > 0 && len < ENTRY_FINAL_SIZE
        && s_vista.compareOrdinal(final, (int)len, expected, -1, TRUE) == CSTR_EQUAL;
}

int GetEntryFinalPath(const char *path, WCHAR out[ENTRY_FINAL_SIZE])
{
    out[0] = 0;
    LookUpVistaFunctions();
    if (!s_vista.finalPath)
        return 0;
    HANDLE handle = OpenEntry(path, 0, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    DWORD len = GetFinalPath(handle, out);
    CloseHandle(handle);
    if (len > 0 && len < ENTRY_FINAL_SIZE)
        return 1;
    out[0] = 0;
    return 0;
}

int ExpandShortNames(char path[PATH_SIZE])
{
    LookUpVistaFunctions();
    if (!s_vista.finalPath)
        return 1;
    WCHAR wide[PATH_UNITS], expanded[PATH_UNITS];
    char exact[PATH_SIZE];
    DWORD len = TextToWide(path, wide, PATH_UNITS) ? s_vista.longPath(wide, expanded, PATH_UNITS) : 0;
    return len > 0 && len < PATH_UNITS && WideToText(expanded, exact, PATH_SIZE) && CopyText(path, PATH_SIZE, exact);
}

void ComposeExpectedFinalPath(WCHAR out[ENTRY_FINAL_SIZE], const WCHAR *folderFinal, const char *name)
{
    out[0] = 0;
    int folderLen = lstrlenW(folderFinal);
    if (folderLen == 0 || folderLen + 1 >= ENTRY_FINAL_SIZE
        || !TextToWide(name, out + folderLen + 1, ENTRY_FINAL_SIZE - folderLen - 1)) {
        out[0] = 0;
        return;
    }
    memcpy(out, folderFinal, folderLen * sizeof(WCHAR));
    out[folderLen] = '\\';
    for (WCHAR *p = out + folderLen + 1; *p; p++)
        if (*p == '/')
            *p = '\\';
}

int IsLinkEntry(const char *path, DWORD attributes, const WCHAR *expected)
{
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return 1;
    LookUpVistaFunctions();
    if (!s_vista.finalPath)
        return 0;   // before Vista every link carries the reparse bit
    // Opened with every link followed: a link shows as where it leads.
    HANDLE handle = OpenEntry(path, 0, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return 1;   // cannot tell
    int itself = HandleIsAt(handle, expected);
    CloseHandle(handle);
    return !itself;
}

// RemoveDirectory for a directory, DeleteFile otherwise. A link keeps its
// attributes: by name they would be its target's.
static BOOL DeleteByName(const char *path, DWORD attributes, int options)
{
    int directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    BOOL done = directory ? RemoveFolderAt(path) : DeleteFileAt(path);
    if (done || !(options & ENTRY_CLEAR_BLOCKING) || !(attributes & BLOCKING_ATTRIBUTES)
        || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) || GetLastError() == ERROR_DIR_NOT_EMPTY)
        return done;
    SetAttributesOf(path, 0);
    done = directory ? RemoveFolderAt(path) : DeleteFileAt(path);
    if (!done)
        SetAttributesOf(path, attributes & SETTABLE_ATTRIBUTES);
    return done;
}

static BOOL SetDeletePending(HANDLE handle)
{
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetInformation(handle, FileDispositionInfo, &disposition, sizeof disposition);
}

static void SetAttributesThrough(HANDLE handle, DWORD attributes)
{
    FILE_BASIC_INFO basic;
    memset(&basic, 0, sizeof basic);   // times of 0 stay as they are
    basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;   // 0 would change nothing
    SetInformation(handle, FileBasicInfo, &basic, sizeof basic);
}

// Sets the delete pending on handle. With clear, an entry that a read-only,
// hidden or system bit keeps is tried again without them, and they are put
// back when that fails too. attributes may be ENTRY_ATTRIBUTES_UNKNOWN: they
// are read by name only then, which is the checked entry the handle holds.
static BOOL DeleteThroughHandle(HANDLE handle, const char *path, DWORD attributes, int clear)
{
    if (SetDeletePending(handle))
        return TRUE;
    // Why it failed is the caller's to tell: no later call may change it.
    DWORD error = GetLastError();
    if (!clear || error == ERROR_DIR_NOT_EMPTY)
        return FALSE;
    if (attributes == ENTRY_ATTRIBUTES_UNKNOWN)
        attributes = GetAttributesOf(path);
    if (attributes == ENTRY_ATTRIBUTES_UNKNOWN || !(attributes & BLOCKING_ATTRIBUTES)) {
        SetLastError(error);
        return FALSE;
    }
    // Through the handle the attributes are the entry's own, a link's too.
    SetAttributesThrough(handle, 0);
    if (SetDeletePending(handle))
        return TRUE;
    error = GetLastError();
    SetAttributesThrough(handle, attributes & SETTABLE_ATTRIBUTES);
    SetLastError(error);
    return FALSE;
}

HANDLE OpenEntryItself(const char *path, const WCHAR *expected)
{
    LookUpVistaFunctions();
    HANDLE handle = OpenEntry(path, FILE_READ_ATTRIBUTES, FILE_FLAG_OPEN_REPARSE_POINT);
    if (handle != INVALID_HANDLE_VALUE && expected && s_vista.finalPath && !HandleIsAt(handle, expected)) {
        CloseHandle(handle);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

// path opened to be deleted with access. With unheld, a file is opened only
// while no other handle is open on it (share mode 0); a folder that a program
// holds (watched, or its current directory) is opened as ever, and goes when
// they let go.
static HANDLE OpenToDelete(const char *path, DWORD access, int unheld)
{
    if (unheld) {
        HANDLE handle = OpenFileAt(path, access, 0, NULL, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION)
            return handle;
        DWORD attributes = GetAttributesOf(path);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return INVALID_HANDLE_VALUE;
        }
    }
    return OpenEntry(path, access, FILE_FLAG_OPEN_REPARSE_POINT);
}

int DeleteEntryItself(const char *path, DWORD attributes, const WCHAR *expected, int options)
{
    LookUpVistaFunctions();
    if (!s_vista.finalPath || (options & ENTRY_BY_NAME)) {
        // By name the attributes tell a directory from a file: read them first.
        if (attributes == ENTRY_ATTRIBUTES_UNKNOWN)
            attributes = GetAttributesOf(path);
        if (attributes == ENTRY_ATTRIBUTES_UNKNOWN)
            return FoundGone() ? ENTRY_GONE : ENTRY_STAYS;
        if (!s_vista.finalPath)
            return DeleteByName(path, attributes, options) ? ENTRY_DELETED : ENTRY_STAYS;
    }

    // Opened once, a directory too: where it really lies is asked on this
    // handle, and the same handle deletes it, with no gap between the check
    // and the delete.
    int clear = options & ENTRY_CLEAR_BLOCKING;
    // By name, the delete opens the entry anew while this handle holds it.
    int unheld = (options & ENTRY_UNHELD) && !(options & ENTRY_BY_NAME);
    HANDLE handle = OpenToDelete(path, DELETE | (clear ? FILE_WRITE_ATTRIBUTES : 0), unheld);
    if (handle == INVALID_HANDLE_VALUE)
        return FoundGone() ? ENTRY_GONE : ENTRY_STAYS;   // in use: its attributes stay untouched
    int outcome = ENTRY_REFUSED;   // it lies elsewhere, or the system cannot say where: not ours
    if (HandleIsAt(handle, expected)) {
        BOOL done = (options & ENTRY_BY_NAME)
            ? DeleteByName(path, attributes, options)   // while the handle holds the checked entry
            : DeleteThroughHandle(handle, path, attributes, clear);
        outcome = done ? ENTRY_DELETED : ENTRY_STAYS;
    }
    DWORD error = GetLastError();
    CloseHandle(handle);   // the delete happens here
    SetLastError(error);
    return outcome;
}
