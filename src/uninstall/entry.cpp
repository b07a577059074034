#include "uninstall/entry.h"
#include "base/bounded_text.h"

#include <string.h>

typedef DWORD(WINAPI *FinalPathFunction)(HANDLE, LPSTR, DWORD, DWORD);
typedef BOOL(WINAPI *SetFileInformationFunction)(HANDLE, int, LPVOID, DWORD);

#define FILE_DISPOSITION_INFO_CLASS 4   // FileDispositionInfo
struct DispositionInfo {
    BOOLEAN deleteFile;
};

// Both appeared with Windows Vista; looked up so that the program still
// starts on the systems before it.
static FinalPathFunction GetFinalPathFunction(void)
{
    return (FinalPathFunction)(void *)GetProcAddress(GetModuleHandleA("kernel32"), "GetFinalPathNameByHandleA");
}

static SetFileInformationFunction GetSetFileInformation(void)
{
    return (SetFileInformationFunction)(void *)GetProcAddress(GetModuleHandleA("kernel32"),
                                                              "SetFileInformationByHandle");
}

// flags FILE_FLAG_OPEN_REPARSE_POINT: a link itself on Windows (Wine opens its target all the same).
static HANDLE OpenEntry(const char *path, DWORD access, DWORD flags)
{
    return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | flags, NULL);
}

static int GetHandleFinalPath(HANDLE handle, char *out)
{
    FinalPathFunction getFinalPath = GetFinalPathFunction();
    DWORD len = getFinalPath ? getFinalPath(handle, out, ENTRY_FINAL_SIZE, 0) : 0;
    if (len == 0 || len >= ENTRY_FINAL_SIZE) {
        out[0] = 0;
        return 0;
    }
    return 1;
}

// Names compare as the file system does: without regard to letter case.
static int IsAtExpectedPath(HANDLE handle, const char *expected)
{
    char final[ENTRY_FINAL_SIZE], upper[ENTRY_FINAL_SIZE];
    if (!expected[0] || !GetHandleFinalPath(handle, final) || !CopyText(upper, sizeof upper, expected))
        return 0;
    CharUpperBuffA(final, (DWORD)strlen(final));
    CharUpperBuffA(upper, (DWORD)strlen(upper));
    return strcmp(final, upper) == 0;
}

int GetEntryFinalPath(const char *path, char *out)
{
    out[0] = 0;
    HANDLE handle = OpenEntry(path, 0, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    int known = GetHandleFinalPath(handle, out);
    CloseHandle(handle);
    return known;
}

void ComposeExpectedFinalPath(char *out, const char *folderFinal, const char *name)
{
    out[0] = 0;
    if (!folderFinal[0] || !ComposeText(out, ENTRY_FINAL_SIZE, "%s\\%s", folderFinal, name))
        return;
    for (char *p = out + strlen(folderFinal); *p; p++)
        if (*p == '/')
            *p = '\\';
}

int IsLinkEntry(const char *path, DWORD attributes, const char *expected)
{
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return 1;
    if (!GetFinalPathFunction())
        return 0;   // before Vista every link carries the reparse bit
    // Opened with every link followed: a link shows as where it leads.
    HANDLE handle = OpenEntry(path, 0, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return 1;   // cannot tell
    int itself = IsAtExpectedPath(handle, expected);
    CloseHandle(handle);
    return !itself;
}

int DeleteEntryItself(const char *path, DWORD attributes, const char *expected)
{
    SetFileInformationFunction setInformation = GetSetFileInformation();
    if (!GetFinalPathFunction() || !setInformation) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return RemoveDirectoryA(path) != 0;   // a junction: removed as the junction
        return DeleteFileA(path) != 0;
    }
    HANDLE handle = OpenEntry(path, DELETE, FILE_FLAG_OPEN_REPARSE_POINT);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    int deleted = 0;
    if (IsAtExpectedPath(handle, expected)) {
        DispositionInfo info = {TRUE};
        deleted = setInformation(handle, FILE_DISPOSITION_INFO_CLASS, &info, sizeof info) != 0;
    }
    CloseHandle(handle);
    return deleted;
}

int FolderHoldsLink(const char *folder, const char *folderFinal)
{
    char pattern[PATH_SIZE], entry[PATH_SIZE], expected[ENTRY_FINAL_SIZE];
    if (!ComposeText(pattern, sizeof pattern, "%s\\*.*", folder))
        return 1;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern, &data);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int found = 0;
    do {
        if (!strcmp(data.cFileName, ".") || !strcmp(data.cFileName, ".."))
            continue;
        ComposeExpectedFinalPath(expected, folderFinal, data.cFileName);
        found = !ComposeText(entry, sizeof entry, "%s\\%s", folder, data.cFileName)
            || IsLinkEntry(entry, data.dwFileAttributes, expected)
            || ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && FolderHoldsLink(entry, expected));
    } while (!found && FindNextFileA(search, &data));
    FindClose(search);
    return found;
}
