#include "uninstall/uninstall.h"
#include "uninstall/listentry_text.h"
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

// 1 when a directory between insideFrom (an offset into path) and the last
// component of path is a junction or symbolic link: what lies behind it is
// not ours, whatever its path reads.
static int PassesThroughLink(char *path, size_t insideFrom)
{
    for (char *p = path + insideFrom; *p; p++) {
        if (*p != '\\' || p[1] == 0)
            continue;
        *p = 0;
        DWORD attributes = GetFileAttributesA(path);
        *p = '\\';
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return 1;
    }
    return 0;
}

#define FINAL_PATH_SIZE 1024

typedef DWORD(WINAPI *FinalPathFunction)(HANDLE, LPSTR, DWORD, DWORD);

// Where path really lies once every link on the way is followed, into out
// (FINAL_PATH_SIZE). 1 when known; 0 when the system cannot tell (before
// Windows Vista) or path cannot be opened.
static int GetFinalPath(const char *path, char *out)
{
    FinalPathFunction getFinalPath =
        (FinalPathFunction)(void *)GetProcAddress(GetModuleHandleA("kernel32"), "GetFinalPathNameByHandleA");
    if (!getFinalPath)
        return 0;
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD len = getFinalPath(file, out, FINAL_PATH_SIZE, 0);
    CloseHandle(file);
    return len > 0 && len < FINAL_PATH_SIZE;
}

// 1 when an entry that is no link itself really lies outside finalPrefix (the
// program directory as the system resolves it, with a backslash; "" when the
// system cannot resolve paths). Catches links that do not say they are links.
static int LiesElsewhere(const char *path, const char *finalPrefix)
{
    if (!finalPrefix[0])
        return 0;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return 0;   // nothing to delete, or a link that goes as the link
    char final[FINAL_PATH_SIZE];
    return !GetFinalPath(path, final) || !PathIsStrictlyInside(final, finalPrefix);
}

// Full path of one list entry into out (PATH_SIZE). 0 when the entry must not
// be touched: it leaves the program directory once made canonical, passes
// through a link, or its full path would not fit (a cut path names another file).
static int ResolveListEntry(const char *directoryPrefix, const char *canonicalPrefix,
                            const char *finalPrefix, const char *entry, char *out)
{
    char composed[PATH_SIZE];
    if (!ListEntryIsPlain(entry) || !ComposeText(composed, sizeof composed, "%s%s", directoryPrefix, entry))
        return 0;
    char *namePart;
    DWORD len = GetFullPathNameA(composed, PATH_SIZE, out, &namePart);
    if (len == 0 || len >= PATH_SIZE)
        return 0;
    if (!PathIsStrictlyInside(out, canonicalPrefix))
        return 0;
    return !PassesThroughLink(out, strlen(canonicalPrefix)) && !LiesElsewhere(out, finalPrefix);
}

// Deletes one entry: directories with RemoveDirectoryA (only when empty),
// anything else with DeleteFileA. 1 when it is gone by this call.
static int DeleteListedEntry(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        // A listed link goes as the link; clearing its attributes would clear
        // those of its target.
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return RemoveDirectoryA(path) != 0;
        return DeleteFileA(path) != 0;
    }

    // Read-only, hidden and system entries cannot be deleted as they are.
    SetFileAttributesA(path, 0);
    BOOL deleted = (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        ? RemoveDirectoryA(path)
        : DeleteFileA(path);
    // An entry that stays (in use, a directory not yet empty) keeps its attributes.
    if (!deleted && attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(path, attributes & SETTABLE_ATTRIBUTES);
    return deleted != 0;
}

int RunDeletionPasses(FILE *list, const char *directoryPrefix)
{
    // The containment test compares canonical paths, so the directory is made
    // canonical once, the same way as every entry.
    char canonicalPrefix[PATH_SIZE];
    char *namePart;
    DWORD len = GetFullPathNameA(directoryPrefix, sizeof canonicalPrefix, canonicalPrefix, &namePart);
    if (len == 0 || len >= sizeof canonicalPrefix)
        canonicalPrefix[0] = 0;   // no entry can be shown to lie inside: none is deleted
    char finalPrefix[FINAL_PATH_SIZE] = "";
    if (canonicalPrefix[0]) {
        char *last = canonicalPrefix + strlen(canonicalPrefix) - 1;
        *last = 0;   // the directory itself, without its backslash
        if (!GetFinalPath(canonicalPrefix, finalPrefix) || !AppendText(finalPrefix, sizeof finalPrefix, "\\"))
            finalPrefix[0] = 0;
        *last = '\\';
    }

    char line[LIST_LINE_SIZE];
    char path[PATH_SIZE];
    int passes = 0;
    for (;;) {
        int deleted = 0;
        passes++;
        int result;
        while ((result = ReadListLine(list, line, sizeof line)) != LIST_END) {
            if (result != LIST_LINE_READ)
                continue;
            TrimLineEnd(line);
            if (!line[0] || !ResolveListEntry(directoryPrefix, canonicalPrefix, finalPrefix, line, path))
                continue;
            deleted += DeleteListedEntry(path);
        }
        // Each further pass needs a deletion of an entry that still existed,
        // so there are at most one more passes than entries.
        if (deleted == 0 || fseek(list, 0, SEEK_SET) != 0)
            return passes;
    }
}

void RunUninstall(void)
{
    char modulePath[PATH_SIZE];
    if (!GetModulePath(modulePath))
        return;   // a cut path would name another file and another directory

    char directory[PATH_SIZE], directoryPrefix[PATH_SIZE];
    if (!FindLastBackslash(modulePath) || !ComposeProgramDirectory(directory, sizeof directory, modulePath))
        return;
    SetCurrentDirectoryA(directory);
    // The module path is longer than the directory and its backslash: it fits.
    ComposeText(directoryPrefix, sizeof directoryPrefix, "%s\\", directory);

    if (MessageBoxA(NULL, LoadMessageText(IDS_CONFIRM), LoadMessageText(IDS_CAPTION),
                    MB_YESNO | MB_ICONQUESTION | MESSAGE_FLAGS) != IDYES)
        return;

    FILE *list = fopen(LIST_FILE_NAME, "rb");
    if (!list) {
        char text[MESSAGE_SLOT_SIZE + sizeof LIST_FILE_NAME + 1];
        FormatText(text, sizeof text, "%s %s", LoadMessageText(IDS_NO_LIST_FILE), LIST_FILE_NAME);
        MessageBoxA(NULL, text, LoadMessageText(IDS_CAPTION), MB_OK | MB_ICONERROR | MESSAGE_FLAGS);
        return;
    }
    RunDeletionPasses(list, directoryPrefix);
    fclose(list);
    DeleteFileA(LIST_FILE_NAME);

    // The group name is read from the current user's settings: before they go.
    RemoveProgramGroup();

    SetSettingsHive(HKEY_LOCAL_MACHINE);
    DeleteRegistryTree(SETTINGS_ROOT);
    SetSettingsHive(HKEY_CURRENT_USER);
    DeleteRegistryTree(SETTINGS_ROOT);
    DeleteRegistryKeyAtPath(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);   // a link goes as the link
    DeleteRegistryKeyAtPath(HKEY_LOCAL_MACHINE, APP_PATHS_KEY);

    StartSelfRemoval(modulePath);
}
